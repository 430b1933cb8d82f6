// What only a macro can do: wait for a condition (WAC), leave on a condition (MEX), and wait a
// while (DEL, which also waits outside a macro).
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "winport/Clock.h"

namespace {
constexpr int kMaxDelayMs = 65535;

std::vector<std::string> SplitCondition(const char* condition) {
    std::vector<std::string> pieces;
    std::string piece;
    for (const char* p = condition ? condition : "";; ++p) {
        const char c = *p;
        if (c == '\0' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!piece.empty()) pieces.push_back(piece);
            piece.clear();
            if (c == '\0') break;
        } else {
            piece += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return pieces;
}

// "0" or "1" (decimal digits only, leading zeros allowed); -1 for anything else.
int BinaryValue(const std::string& text) {
    if (text.empty() || text.size() > 9) return -1;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    const int v = std::atoi(text.c_str());
    return v == 0 || v == 1 ? v : -1;
}

bool IsDecimal(const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool IsNumber(const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    (void)std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}
}  // namespace

int CCorvaneController::MacroBoardChannel(const std::string& identifier) const {
    if (identifier.size() != 1 || !ValidAxis(m_iMacroAxis)) return -1;
    const int channel = ChannelIndex(identifier[0]);
    if (channel < 0 || m_iIOChannelBoard[channel] != m_iMacroAxis) return -1;
    return channel;
}

ZR_BOOL CCorvaneController::WAC(const char* condition) {
    ZR_LOG_DEBUG("CCorvaneController::WAC(\"%s\")", condition ? condition : "");
    const std::vector<std::string> p = SplitCondition(condition);
    if (p.size() != 4 || p[1].size() != 1 || p[2] != "=") {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }
    char line[kCorvaneCommandSize];
    if (p[0] == "ONT?") {
        if (p[3] != "1") {
            m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
            return false;
        }
        if (!m_iMacroRecording) {
            m_iLocalError = ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE;
            return false;
        }
        if (!ValidAxis(m_iMacroAxis) || p[1][0] != m_AxisData[m_iMacroAxis].m_cIdentifier) {
            m_iLocalError = ZR_CNTR_INVALID_MAC_PARAMETER;
            return false;
        }
        return RecordIntoMacro("WS");
    }
    if (p[0] == "DIO?") {
        const int value = BinaryValue(p[3]);
        if (value < 0) {
            m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
            return false;
        }
        if (!m_iMacroRecording) {
            m_iLocalError = ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE;
            return false;
        }
        const int channel = MacroBoardChannel(p[1]);
        if (channel < 0) {
            m_iLocalError = ZR_CNTR_INVALID_MAC_PARAMETER;
            return false;
        }
        std::snprintf(line, sizeof line, value == 1 ? "WN%d" : "WF%d", m_iIOChannelLine[channel]);
        return RecordIntoMacro(line);
    }
    // A condition the boards cannot wait for must not leave a macro stored without its wait.
    m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
    return false;
}

ZR_BOOL CCorvaneController::MEX(const char* condition) {
    ZR_LOG_DEBUG("CCorvaneController::MEX(\"%s\")", condition ? condition : "");
    if (!CheckController(1)) return false;
    if (!m_iMacroRecording) {
        m_iLocalError = ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE;
        return false;
    }
    const std::vector<std::string> p = SplitCondition(condition);
    auto fail = [this](int error) {
        m_iLocalError = error;
        return false;
    };
    char line[kCorvaneCommandSize];
    if (p.size() == 4 && p[0] == "DIO?") {
        const int value = BinaryValue(p[3]);
        if (p[1].size() != 1 || p[2] != "=" || value < 0)
            return fail(ZR_CNTR_PARAMETER_SYNTAX_ERROR);
        const int channel = MacroBoardChannel(p[1]);
        if (channel < 0) return fail(ZR_CNTR_INVALID_MAC_PARAMETER);
        std::snprintf(line, sizeof line, value == 0 ? "XN%d" : "XF%d", m_iIOChannelLine[channel]);
        return RecordIntoMacro(line);
    }
    if (p.size() == 5 && p[0] == "JBS?") {
        if (p[3] != "=" || !IsNumber(p[4]) || !IsDecimal(p[1]))
            return fail(ZR_CNTR_PARAMETER_SYNTAX_ERROR);
        const int joystick = std::atoi(p[1].c_str());
        if (p[2] != "1" || !ValidJoystick(joystick) ||
            m_iJoystickBoard[joystick - 1] != m_iMacroAxis)
            return fail(ZR_CNTR_INVALID_MAC_PARAMETER);
        return RecordIntoMacro(std::strtod(p[4].c_str(), nullptr) == 0 ? "YN" : "YF");
    }
    // wrong count of pieces for its query, or a condition no board can leave on
    return fail(ZR_CNTR_PARAMETER_SYNTAX_ERROR);
}

ZR_BOOL CCorvaneController::DEL(int milliseconds) {
    ZR_LOG_DEBUG("CCorvaneController::DEL(%d)", milliseconds);
    if (milliseconds < 0 || milliseconds > kMaxDelayMs) {
        m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
        return false;
    }
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "WA%d", milliseconds);
    const uint32_t start = winport::TickCount();
    if (m_iMacroRecording) return RecordIntoMacro(line);
    if (SendCommand(line) != 0) return false;
    const uint32_t spent = winport::TicksSince(start);
    if (spent < static_cast<uint32_t>(milliseconds))
        winport::SleepMs(static_cast<uint32_t>(milliseconds) - spent);
    return true;
}
