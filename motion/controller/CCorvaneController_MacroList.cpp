// Reading macros back from the boards: one macro as TAL lines, or the names of all stored ones.
#include <cstdio>
#include <cstring>
#include <mutex>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/MacroTranslation.h"
#include "motion/controller/ScopedDeviceTimeout.h"

namespace {
constexpr int kMacroLineSize = 1024;         // a macro line of at most 1023 characters
constexpr unsigned kListingTimeoutMs = 500;  // a board with no more lines is silent this long

// The part of a line after its first space (the whole line without one), without the trailing
// blanks and control characters.
std::string MacroTextOf(const char* line) {
    const char* space = std::strchr(line, ' ');
    std::string text = space ? space + 1 : line;
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    return text;
}

// The first word of a listing line: leading control characters skipped, cut at the first blank
// or control character.
std::string FirstWordOf(const char* line) {
    while (*line != '\0' && static_cast<unsigned char>(*line) < ' ') ++line;
    const char* end = line;
    while (static_cast<unsigned char>(*end) > ' ') ++end;
    return std::string(line, end);
}
}  // namespace

MacroAxisView CCorvaneController::MacroViewOf(int axis) const {
    MacroAxisView view;
    if (!ValidAxis(axis)) return view;
    view.identifier = m_AxisData[axis].m_cIdentifier;
    view.initialised = m_AxisData[axis].m_bInitialised;
    view.countsPerUnit = m_AxisData[axis].m_dCountsPerUnit;
    view.factor = m_ParameterSet[axis].Get(StageFields::kMotFactor);
    view.joystickID = axis + 1;
    for (int k = 0; k < m_iNrIOChannels; ++k) {
        const int line = m_iIOChannelLine[k];
        if (m_iIOChannelBoard[k] == axis && line >= 1 && line <= 4)
            view.channelOfLine[line] = std::string(1, m_szIOChannelNames[k]);
    }
    return view;
}

std::string CCorvaneController::TranslateMacroCommand(const char* command, int axis) const {
    return TranslateNativeCommand(command ? command : "", MacroViewOf(axis));
}

ZR_BOOL CCorvaneController::TranslateMacro(const char* text, int axis, char* buffer, int size) {
    const std::string native = NormaliseMacroText(text ? text : "");
    const std::string pattern = NormaliseMacroText(MakeRefMacroLine(axis));
    return CopyText(TranslateNativeMacro(native, pattern, MacroViewOf(axis)), buffer, size);
}

ZR_BOOL CCorvaneController::ReadOneMacro(const MacroName& name, std::string& text) {
    // selection, request and answer as one exchange: no other thread may take the answer
    winport::ScopedLock channel(m_csChannel);
    const int selected = m_Axes.Select(name.axis);
    if (selected != 0) {
        m_iLocalError = selected;
        return false;
    }
    char request[kCorvaneCommandSize] = "TZ";
    if (name.number != 0) std::snprintf(request, sizeof request, "TM%d", name.number);
    if (SendCommand(request, 0) != 0) return false;
    char line[kMacroLineSize] = {};
    const int rc = m_Device.ReceiveLine(line, sizeof line);
    (void)m_Device.Clear();
    if (rc != 0) {
        ZR_LOG_ERROR("CCorvaneController::qMAC() reading \"%s\" failed, error %d", request, rc);
        m_iLocalError = rc;
        return false;
    }
    text = MacroTextOf(line);
    return true;
}

// One round of the listing on one board: its lines become entries of text. 0, or the error that
// ends the listing.
int CCorvaneController::ReadMacroRound(int board, const char* command, bool oneLine,
                                       std::string& text, int size) {
    if (SendCommand(command, 0) != 0) return m_iLocalError;
    int rc = 0;
    for (;;) {
        char line[kMacroLineSize] = {};
        rc = m_Device.ReceiveLine(line, sizeof line);
        if (rc == COM_TIMEOUT) {
            rc = 0;  // the board has nothing more to say
            break;
        }
        if (rc != 0) break;
        const std::string word = FirstWordOf(line);
        if (!word.empty()) {
            std::string entry = text.empty() ? "" : " \n";
            entry += m_AxisData[board].m_cIdentifier;
            entry += word;
            if (text.size() + entry.size() + 2 > static_cast<size_t>(size)) {
                rc = COM_BUFFER_OVERFLOW;  // the entry, the final "\n" and the NUL must fit
                break;
            }
            text += entry;
        }
        if (oneLine) break;
    }
    (void)m_Device.Clear();
    return rc;
}

ZR_BOOL CCorvaneController::ListMacros(char* buffer, int size) {
    winport::ScopedLock channel(m_csChannel);
    // the listing's short time-out is set back on every way out
    ScopedDeviceTimeout timeout(m_Device, kListingTimeoutMs);
    std::string text;
    for (int i = 0; i < kMaxCorvaneBoards; ++i) {
        const CCorvaneAxis* board = m_Axes.Get(i);
        if (!board || !board->m_bPresent) continue;
        int rc = m_Axes.Select(i);
        if (rc == 0) rc = ReadMacroRound(i, "TZ", true, text, size);
        if (rc == 0) rc = ReadMacroRound(i, "TM", false, text, size);
        if (rc != 0) {
            ZR_LOG_ERROR("CCorvaneController::qMAC() listing failed, error %d", rc);
            m_iLocalError = rc;
            return false;
        }
    }
    text += "\n";
    return CopyText(text, buffer, size);
}

ZR_BOOL CCorvaneController::qMAC(const char* name, char* buffer, int size) {
    ZR_LOG_DEBUG("CCorvaneController::qMAC(\"%s\")", name ? name : "");
    if (!MacroCommandAllowed()) return false;
    if (!buffer || size < 1) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    buffer[0] = '\0';
    if (!name || name[0] == '\0') return ListMacros(buffer, size);
    MacroName parsed;
    std::string native;
    if (!ParseMacroName(name, parsed) || !ReadOneMacro(parsed, native)) return false;
    if (TranslateMacro(native.c_str(), parsed.axis, buffer, size)) return true;
    // Too long for the buffer: the native text stands in when it fits; the error stays, so a
    // caller that retries with a larger buffer does so until the translation fits.
    const std::string fallback = "<non TAL: " + native + ">\n";
    if (fallback.size() < static_cast<size_t>(size))
        std::memcpy(buffer, fallback.c_str(), fallback.size() + 1);
    return false;
}
