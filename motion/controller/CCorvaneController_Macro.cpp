// Board macros: names, recording start and end, starting, deleting, and the state queries.
#include <cctype>
#include <cstdio>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/ScopedDeviceTimeout.h"
#include "winport/Clock.h"

namespace {
constexpr int kMaxMacroNumber = 31;
constexpr int kMaxRepetitions = 65536;
constexpr uint32_t kMacroStoreWaitMs = 1000;  // the board writes the macro into its memory
constexpr unsigned kMacroMemoryTimeoutMs = 10000;
}  // namespace

ZR_BOOL CCorvaneController::ParseMacroName(const char* name, MacroName& parsed) {
    parsed = MacroName{};
    if (name && name[0] != '\0') {
        const char id = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        for (int i = 0; i < kMaxCorvaneBoards && parsed.axis < 0; ++i)
            if (m_AxisData[i].m_cIdentifier != 0 && m_AxisData[i].m_cIdentifier == id)
                parsed.axis = i;
        if (parsed.axis >= 0 && name[1] == 'M' && name[2] == 'C') {
            int number = 0;
            const char* p = name + 3;
            for (; std::isdigit(static_cast<unsigned char>(*p)) && number <= kMaxMacroNumber; ++p)
                number = number * 10 + (*p - '0');
            if (number <= kMaxMacroNumber) {
                parsed.number = number;
                return true;
            }
        }
    }
    ZR_LOG_ERROR("CCorvaneController: macro name \"%s\" not valid", name ? name : "");
    m_iLocalError = ZR_CNTR_INVALID_MAC_PARAMETER;
    return false;
}

ZR_BOOL CCorvaneController::MacroCommandAllowed() {
    if (!RefuseInMacroMode()) return false;
    return CheckController(1);
}

bool CCorvaneController::RecordIntoMacro(const char* line) {
    const int before = m_iMacroCommandCount;
    (void)SendCommand(line);
    return m_iMacroCommandCount != before;
}

ZR_BOOL CCorvaneController::ReadStatusAfterMacroChange(int board) {
    ScopedDeviceTimeout timeout(m_Device, kMacroMemoryTimeoutMs);
    uint8_t status[kMaxStatusBytes];
    return ReadBoardStatus(board, status);
}

ZR_BOOL CCorvaneController::MAC_BEG(const char* name) {
    ZR_LOG_DEBUG("CCorvaneController::MAC_BEG(\"%s\")", name ? name : "");
    MacroName parsed;
    if (!MacroCommandAllowed() || !ParseMacroName(name, parsed)) return false;
    m_iMacroRecording = 1;
    m_iMacroAxis = parsed.axis;
    m_iMacroCommandCount = 0;
    m_strMacroLine = "MD" + std::to_string(parsed.number);
    return true;
}

ZR_BOOL CCorvaneController::MAC_END() {
    ZR_LOG_DEBUG("CCorvaneController::MAC_END()");
    if (!CheckController(1)) return false;
    if (!m_iMacroRecording) {
        m_iLocalError = ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE;
        return false;
    }
    m_iMacroRecording = 0;
    if (m_iLocalError != 0 || m_iControllerError != 0) {
        ZR_LOG_ERROR("CCorvaneController::MAC_END() errors while recording: macro not stored");
        return false;
    }
    if (m_iMacroCommandCount == 0) {
        m_iLocalError = ZR_MACRO_EMPTY_OR_NOT_FOUND;
        return false;
    }
    const int axis = m_iMacroAxis;
    const std::string line = m_strMacroLine;
    m_iMacroAxis = -1;
    m_strMacroLine.clear();
    m_iMacroCommandCount = 0;
    // A macro that was not sent, or that the board refused, is not stored: say so, rather than
    // report a macro the board does not have.
    if (!SelectAndSend(axis, line.c_str())) return false;
    winport::SleepMs(kMacroStoreWaitMs);
    if (!ReadStatusAfterMacroChange(axis)) return false;
    return m_iControllerError == 0;
}

ZR_BOOL CCorvaneController::SendMacroRun(const MacroName& name, const char* line) {
    m_AxisData[name.axis].m_bTargetValid = false;
    return SelectAndSend(name.axis, line);
}

ZR_BOOL CCorvaneController::MAC_START(const char* name) {
    ZR_LOG_DEBUG("CCorvaneController::MAC_START(\"%s\")", name ? name : "");
    MacroName parsed;
    if (!CheckController(1) || !ParseMacroName(name, parsed)) return false;
    char line[kCorvaneCommandSize];
    if (m_iMacroRecording) {
        if (parsed.axis != m_iMacroAxis) {
            m_iLocalError = ZR_CNTR_MACRO_RECORD_ERROR;
            return false;
        }
        std::snprintf(line, sizeof line, "EM%d", parsed.number);
        return RecordIntoMacro(line);
    }
    std::snprintf(line, sizeof line, "EM%d,WA1", parsed.number);
    return SendMacroRun(parsed, line);
}

ZR_BOOL CCorvaneController::MAC_NSTART(const char* name, int repetitions) {
    ZR_LOG_DEBUG("CCorvaneController::MAC_NSTART(\"%s\", %d)", name ? name : "", repetitions);
    if (!MacroCommandAllowed()) return false;
    if (repetitions < 1 || repetitions > kMaxRepetitions) {
        m_iLocalError = ZR_CNTR_INVALID_MAC_PARAMETER;
        return false;
    }
    MacroName parsed;
    if (!ParseMacroName(name, parsed)) return false;
    char line[kCorvaneCommandSize];
    if (repetitions == 1)
        std::snprintf(line, sizeof line, "EM%d,WA1", parsed.number);
    else
        std::snprintf(line, sizeof line, "EM%d,RP%d", parsed.number, repetitions - 1);
    return SendMacroRun(parsed, line);
}

ZR_BOOL CCorvaneController::MAC_DEL(const char* name) {
    ZR_LOG_DEBUG("CCorvaneController::MAC_DEL(\"%s\")", name ? name : "");
    MacroName parsed;
    if (!MacroCommandAllowed() || !ParseMacroName(name, parsed)) return false;
    char line[kCorvaneCommandSize] = "RZ";
    if (parsed.number != 0) std::snprintf(line, sizeof line, "RM%d", parsed.number);
    if (!SelectAndSend(parsed.axis, line)) return false;
    return ReadStatusAfterMacroChange(parsed.axis);
}

ZR_BOOL CCorvaneController::IsRecordingMacro(ZR_BOOL* recording) {
    if (!RequireValues(recording)) return false;
    *recording = m_iMacroRecording != 0 ? 1 : 0;
    return true;
}

ZR_BOOL CCorvaneController::IsRunningMacro(ZR_BOOL* running) {
    ZR_LOG_DEBUG("CCorvaneController::IsRunningMacro()");
    if (!RequireValues(running)) return false;
    *running = 0;
    if (m_IsReferencing == 1) return true;
    for (int i = 0; i < kMaxCorvaneBoards; ++i) {
        const CCorvaneAxis* board = m_Axes.Get(i);
        if (m_AxisData[i].m_strStageName.empty() || !board || !board->m_bSingleChar) continue;
        uint8_t status[kMaxStatusBytes];
        if (!ReadBoardStatus(i, status)) return false;
        if (board->MacroRunning(status)) {
            *running = 1;
            break;
        }
    }
    return true;
}
