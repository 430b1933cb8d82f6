#pragma once
// Lines typed on a terminal, with line editing and a history kept across sessions in
// ${XDG_STATE_HOME:-$HOME/.local/state}/<program>/history. Without the line-editing library the
// lines are read plainly and no history is kept.
#include <string>

namespace corvanetal {

class LineEditor {
  public:
    explicit LineEditor(const std::string& program);
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // The next line without its line feed; false at the end of input (Ctrl-D).
    bool Read(const char* prompt, std::string& line);

  private:
    std::string m_historyFile;
};

// The history file of program; empty when neither XDG_STATE_HOME nor HOME is set.
[[nodiscard]] std::string HistoryFile(const std::string& program);

}  // namespace corvanetal
