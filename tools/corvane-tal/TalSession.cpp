#include "TalSession.h"

#include <cstdio>
#include <string>
#include <vector>

#include "ZR_Corvane_TAL.h"

namespace corvanetal {

namespace {
struct ControlWord {
    const char* typed;
    char code;
};
constexpr ControlWord kControlWords[] = {
    {"#5", '\x05'}, {"#7", '\x07'}, {"#8", '\x08'}, {"#24", '\x18'}};
constexpr int kMessageSize = 512;
}  // namespace

std::string PrepareLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (const ControlWord& w : kControlWords)
        if (line == w.typed) return std::string(1, w.code);
    return line;
}

std::string ShowAnswer(const std::string& entry) {
    std::string text = entry;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == ' ') text.pop_back();
    std::string shown;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= ' ' && u <= '~') {
            shown += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            shown += hex;
        }
    }
    return shown;
}

void TalSession::PrintAnswers() {
    for (;;) {
        int size = 0;
        if (!Corvane_TalGetAnswerSize(m_id, &size) || size <= 0) return;
        std::vector<char> buffer(static_cast<size_t>(size), '\0');
        if (!Corvane_TalGetAnswer(m_id, buffer.data(), size)) return;
        std::fprintf(m_out, "%s\n", ShowAnswer(buffer.data()).c_str());
    }
}

bool TalSession::Run(const std::string& typed) {
    const std::string line = PrepareLine(typed);
    if (line.empty()) return true;
    const bool result = Corvane_TalCommandset(m_id, line.c_str()) != 0;
    PrintAnswers();
    std::fflush(m_out);
    // While a macro is recorded the errors stay for its end, which reports them.
    ZR_BOOL recording = 0;
    if (Corvane_IsRecordingMacro(m_id, &recording) && recording == 1) return result;
    const int error = Corvane_GetError(m_id);
    if (error == 0) return result;
    char text[kMessageSize] = {};
    (void)Corvane_TranslateError(error, text, sizeof text);
    std::fprintf(m_err, "error %d: %s\n", error, text);
    std::fflush(m_err);
    return false;
}

}  // namespace corvanetal
