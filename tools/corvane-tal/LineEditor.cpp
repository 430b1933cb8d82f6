#include "LineEditor.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#ifdef ZR_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

namespace corvanetal {

namespace {
constexpr int kHistoryLines = 1000;
}

std::string HistoryFile(const std::string& program) {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::filesystem::path base;
    if (state && state[0] == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && home[0] != '\0') {
        base = std::filesystem::path(home) / ".local" / "state";
    } else {
        return std::string();
    }
    return (base / program / "history").string();
}

#ifdef ZR_HAVE_LIBEDIT

LineEditor::LineEditor(const std::string& program) : m_historyFile(HistoryFile(program)) {
    using_history();
    stifle_history(kHistoryLines);
    if (!m_historyFile.empty()) (void)read_history(m_historyFile.c_str());
}

LineEditor::~LineEditor() {
    if (m_historyFile.empty()) return;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_historyFile).parent_path(),
                                        ignored);
    if (write_history(m_historyFile.c_str()) != 0)
        std::fprintf(stderr, "corvane-tal: warning: cannot write the history %s\n",
                     m_historyFile.c_str());
}

bool LineEditor::Read(const char* prompt, std::string& line) {
    char* typed = readline(prompt);
    if (!typed) return false;
    line = typed;
    std::free(typed);
    if (!line.empty()) add_history(line.c_str());
    return true;
}

#else

LineEditor::LineEditor(const std::string&) {}
LineEditor::~LineEditor() = default;

bool LineEditor::Read(const char* prompt, std::string& line) {
    std::fputs(prompt, stdout);
    std::fflush(stdout);
    return static_cast<bool>(std::getline(std::cin, line));
}

#endif

}  // namespace corvanetal
