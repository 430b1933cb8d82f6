// Feature detection: by the version and checksum texts of known firmware, or by probing commands.
#include <cstring>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAnswer.h"

namespace {

constexpr int kVersionSize = 256;  // "VE": at most 255 characters
constexpr int kChecksumSize = 50;  // "CS": at most 49 characters

// Known firmware, by the exact checksum text.
struct R210Firmware {
    const char* checksum;
    bool joystickFeatures;  // trigger, trackball, table offset, limits, joystick mode
    char sjAnswer;
    char taAnswer;  // 0: left as it is
};
constexpr R210Firmware kR210Firmware[] = {
    {"C:0120-03", true, 'S', 0}, {"C:0120-02", true, 'S', 0}, {"C:0120-01", true, 'S', 0},
    {"C:0120-00", true, 'S', 0}, {"C:0106", false, 'J', 'T'}, {"C:0109-06", false, 'J', 'T'},
};
constexpr const char* kR220Firmware[] = {"C:0240-00", "C:0241-04"};

}  // namespace

ZR_BOOL CCorvaneController::FindFeaturesByVersion(CCorvaneAxis* board) {
    if (!board) return false;
    char version[kVersionSize] = {};
    char checksum[kChecksumSize] = {};
    {
        winport::ScopedLock channel(m_csChannel);
        if (m_Device.Query("VE", version, sizeof version) != 0) return false;
        if (m_Device.Query("CS", checksum, sizeof checksum) != 0) return false;
    }
    // Without terminator stripping the line still ends in CR LF ETX, which is framing, not text.
    for (size_t n = std::strlen(checksum);
         n > 0 && (checksum[n - 1] == '\r' || checksum[n - 1] == '\n' || checksum[n - 1] == '\x03');
         --n)
        checksum[n - 1] = '\0';
    if (std::strstr(version, "R-210")) return FindR210FeaturesByVersion(board, checksum);
    if (std::strstr(version, "R-220")) return FindR220FeaturesByVersion(board, checksum);
    return false;
}

ZR_BOOL CCorvaneController::FindR210FeaturesByVersion(CCorvaneAxis* board, const char* checksum) {
    if (!board) return false;
    board->SetR210Values();
    if (!checksum) return false;
    for (const R210Firmware& f : kR210Firmware) {
        if (std::strcmp(checksum, f.checksum) != 0) continue;
        board->m_bCanTrigger = f.joystickFeatures;
        board->m_bHasTrackballMode = f.joystickFeatures;
        board->m_bKnowsJoystickTableOffset = f.joystickFeatures;
        board->m_bHasJoystickLimits = f.joystickFeatures;
        board->m_bCanReadJoystickMode = f.joystickFeatures;
        board->m_bHasTrackballModeWithSB = false;
        board->m_cSJAnswer = f.sjAnswer;
        board->m_bSingleChar = true;
        if (f.taAnswer != 0) board->m_cTAAnswer = f.taAnswer;
        return true;
    }
    return false;
}

ZR_BOOL CCorvaneController::FindR220FeaturesByVersion(CCorvaneAxis* board, const char* checksum) {
    if (!board) return false;
    board->SetR220Values(board->m_bHasJoystickPort);
    if (!checksum) return false;
    for (const char* known : kR220Firmware) {
        if (std::strcmp(checksum, known) != 0) continue;
        board->SetR220Values(true);
        board->m_bHasTrackballMode = true;
        board->m_bHasTrackballModeWithSB = true;
        board->m_bKnowsJoystickTableOffset = true;
        board->m_bHasJoystickLimits = true;
        board->m_bCanReadJoystickMode = true;
        board->m_bR220_240 = true;
        board->m_bCanTrigger = true;
        board->m_bSingleChar = true;
        board->m_cSJAnswer = 'S';
        board->m_cTAAnswer = 'A';
        return true;
    }
    return false;
}

ZR_BOOL CCorvaneController::ProbeAnswered(const char* query, char first, int colonPosition) {
    const char* answer = ReadCorvane(query, 0, first, colonPosition);
    if (answer) (void)CorvaneAnswerValue(answer);  // the value itself tells nothing
    return answer != nullptr;
}

ZR_BOOL CCorvaneController::FindFeaturesByTestingCommands(CCorvaneAxis* board) {
    if (!board) return false;
    struct Probe {
        const char* query;
        char first;
        bool CCorvaneAxis::*flag;
        const char* log;
    };
    static const Probe kProbes[] = {
        {"JA?", 'J', &CCorvaneAxis::m_bHasTrackballMode, "pAxis->m_bHasTrackballMode = true"},
        {"SB?", 'S', &CCorvaneAxis::m_bHasTrackballModeWithSB,
         "pAxis->m_bHasTrackballModeWithSB = true;"},
        {"ZM?", 'Z', &CCorvaneAxis::m_bCanTrigger, "pAxis->m_bCanTrigger = true;"},
        {"JB?", 'J', &CCorvaneAxis::m_bKnowsJoystickTableOffset,
         "pAxis->m_bKnowsJoystickTableOffset = true;"},
        {"JL?", 'J', &CCorvaneAxis::m_bHasJoystickLimits, "pAxis->m_bHasJoystickLimits = true;"},
        {"JN?", 'J', &CCorvaneAxis::m_bCanReadJoystickMode,
         "pAxis->m_bCanReadJoystickMode = true;"},
    };
    for (const Probe& p : kProbes) {
        const bool answered = ProbeAnswered(p.query, p.first, 2);
        board->*p.flag = answered;
        if (answered) ZR_LOG_DEBUG("%s", p.log);
    }
    if (!board->m_bCanReadJoystickMode)
        (void)m_Device.WriteLine("JF");  // a dead channel fails the next exchange

    if (ProbeAnswered("SJ?", 'S', 2)) {
        board->m_cSJAnswer = 'S';
        ZR_LOG_DEBUG("pAxis->m_cSJAnswer = 'S';");
    } else if (ProbeAnswered("SJ?", 'J', 2)) {
        board->m_cSJAnswer = 'J';
        ZR_LOG_DEBUG("pAxis->m_cSJAnswer = 'J';");
    } else {
        board->m_cSJAnswer = 0;
        ZR_LOG_DEBUG("pAxis->m_cSJAnswer = 0;");
    }

    if (ProbeAnswered("GP", 'G', 1)) {
        board->SetR220Values(board->m_cSJAnswer != 0);
        board->m_bR220_240 = ProbeAnswered("WT?", 'W', 2);
        if (board->m_bR220_240) ZR_LOG_DEBUG("pAxis->m_bR220_240 = true;");
    } else {
        board->SetR210Values();
    }

    m_iLocalError = 0;
    board->m_bSingleChar = true;
    uint8_t status[kMaxStatusBytes];
    if (!ReadCorvaneStatus(status)) {
        board->m_bSingleChar = false;
        ZR_LOG_DEBUG("pAxis->m_bSingleChar = false;");
        if (!ReadCorvaneStatus(status)) return false;
    }
    m_iLocalError = 0;
    return true;
}
