#pragma once
// One connected controller spoken to in TAL lines: each line through the command-string
// interface, its answers and its error printed.
#include <cstdio>
#include <string>

namespace corvanetal {

// The line as typed: "#5", "#7", "#8" and "#24" alone stand for their control characters, and a
// trailing CR (a script written on another system) is dropped.
[[nodiscard]] std::string PrepareLine(std::string line);

// An answer line as shown: without its line feed and continuation space, bytes outside
// printable ASCII as \xHH.
[[nodiscard]] std::string ShowAnswer(const std::string& entry);

class TalSession {
  public:
    TalSession(int id, std::FILE* out, std::FILE* err) : m_id(id), m_out(out), m_err(err) {}
    // Runs one line; false when it failed or left an error.
    bool Run(const std::string& line);

  private:
    void PrintAnswers();
    int m_id;
    std::FILE* m_out;
    std::FILE* m_err;
};

}  // namespace corvanetal
