// The reference procedure of REF: from the left side of the reference switch the board searches
// the switch's edge, and the edge becomes the new home. Runs on the reference thread.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "winport/Clock.h"

namespace {
constexpr uint32_t kSettleMs = 100;
constexpr int kMaxDistance = 999999999;
constexpr int kModeREF = 0;

uint8_t RefSignal(const CCorvaneAxis* board, const uint8_t* status) {
    return status[board->m_iStatusByteSignalLinesInput] & board->m_ucRefSignalMask;
}
}  // namespace

ZR_BOOL CCorvaneController::MakeREF(int a, int k) {
    ZR_LOG_DEBUG("CCorvaneController::MakeREF() start");
    const StageParameterSet& p = m_ParameterSet[a];
    const CCorvaneAxis* board = m_Axes.Get(a);
    SetRefResult(a, 1);
    m_AxisData[a].m_bReferenced = true;
    if (m_iReferenceMode != kModeREF || p.Get(StageFields::kMotHatRef) != 1 ||
        p.Get(StageFields::kMotRefVel80) == 0 || !board) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() param error");
        return false;
    }
    const uint8_t left = p.Get(StageFields::kMotRefInvert) != 0 ? board->m_ucRefSignalMask : 0;
    uint8_t status[kMaxStatusBytes];
    bool startEventSet = false;
    if (!CheckServoBeforeReference(a, status) ||
        !MoveOutOfLimitCondition(a, m_heventWaitForReferenceThreadStart.get(), &startEventSet)) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() could not start");
        return false;
    }
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "SV%d", ToCounts(a, p.Get(StageFields::kMotRefVel80)));
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() Set Velocity failed");
        return false;
    }
    winport::SleepMs(kSettleMs);
    // the side is judged by the status read before the axis left a limit switch
    if (RefSignal(board, status) != left &&
        !MoveToLeftSideOfReference(a, k, &startEventSet, left)) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() MoveToLeftSideOfReference failed");
        return false;
    }
    if (!SearchReferenceEdge(a, k, &startEventSet) || !DefineHomeAt(a, "DH,GH", "MakeREF"))
        return false;
    TakeNewHome(a, static_cast<int>(ToCounts(a, p.Get(StageFields::kMotWertBeiRef)) * -1.0 *
                                    p.Get(StageFields::kMotInvert)));
    return RestoreVelocity(a);
}

// The board's own search of the reference edge ("FE0"), then the reads it needs to settle.
ZR_BOOL CCorvaneController::SearchReferenceEdge(int a, int k, bool* startEventSet) {
    ZR_LOG_DEBUG("CCorvaneController::MakeREF(%d): start reference move\n", a);
    if (SendCommand("FE0") != 0) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() could not send \"FE0\"");
        return false;
    }
    winport::SleepMs(kSettleMs);
    if (!*startEventSet) {
        m_heventWaitForReferenceThreadStart->Set();
        *startEventSet = true;
    }
    if (!WaitForFE(a, k)) return false;
    ZR_LOG_DEBUG("CCorvaneController::MakeREF(): \"FE0\" finished");
    // the board reports the end of the search before it has settled on the edge
    uint8_t status[kMaxStatusBytes];
    for (int read = 3; read <= 6; ++read) {
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF() ReadCorvaneStatus failed - %d", read);
            return false;
        }
    }
    return true;
}

ZR_BOOL CCorvaneController::MoveToLeftSideOfReference(int a, int k, bool* startEventSet,
                                                      uint8_t left) {
    const CCorvaneAxis* board = m_Axes.Get(a);
    const StageParameterSet& p = m_ParameterSet[a];
    ZR_LOG_DEBUG("CCorvaneController::MoveToLeftSideOfReference() call \"FE1\"");
    if (SendCommand("FE1") != 0) return false;
    winport::SleepMs(kSettleMs);
    if (startEventSet && !*startEventSet) {
        m_heventWaitForReferenceThreadStart->Set();
        *startEventSet = true;
    }
    if (!WaitForFE(a, k)) return false;

    uint8_t status[kMaxStatusBytes];
    if (!ReadCorvaneStatus(status)) return false;
    if (RefSignal(board, status) == left) {
        ZR_LOG_DEBUG("CCorvaneController::MoveToLeftSideOfReference() already onleft side");
        return true;
    }

    const double distance = ToCountsNoFactor(a, p.Get(StageFields::kMotAbsNegRef)) * 0.1 *
                            p.Get(StageFields::kMotInvert) * -1.0;
    const int d = static_cast<int>(std::clamp(distance, static_cast<double>(-kMaxDistance),
                                              static_cast<double>(kMaxDistance)));
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "MR%d", d);
    ZR_LOG_DEBUG("MoveToLeftSideOfReference() call \"%s\"", line);
    if (SendCommand(line) != 0) return false;

    const bool hasLimitSwitches = p.Get(StageFields::kMotNoLimitSwitch) == 0;
    bool stopped = false;
    return PollUntil(k, PollHold::kChannel, [&] {
        if (!ReadCorvaneStatus(status)) return PollOutcome::kFailed;
        if (!stopped && RefSignal(board, status) == left) {
            ZR_LOG_DEBUG("CCorvaneController::MakeREF(%d): left side of the reference reached: %d",
                         a, left);
            if (SendCommand("AB1") != 0) return PollOutcome::kFailed;
            stopped = true;
            return PollOutcome::kAgain;
        }
        if ((hasLimitSwitches && (board->PosLimit(status) || board->NegLimit(status))) ||
            (!board->m_bStepper && (board->MotionError(status) || board->ServoOff(status)))) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF(%d): motion error\n", a);
            m_iLocalError = ZR_MOTION_ERROR;
            return PollOutcome::kFailed;
        }
        if (!IsTrajectoryComplete(status)) return PollOutcome::kAgain;
        if (!stopped) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF(%d): motion stopped\n", a);
            m_iLocalError = ZR_MOTION_ERROR;
            return PollOutcome::kFailed;
        }
        ZR_LOG_DEBUG("CCorvaneController::MakeREF(%d): END OF MOVE\n", a);
        return PollOutcome::kDone;
    });
}

ZR_BOOL CCorvaneController::WaitForFE(int a, int k) {
    const CCorvaneAxis* board = m_Axes.Get(a);
    const bool hasLimitSwitches = m_ParameterSet[a].Get(StageFields::kMotNoLimitSwitch) == 0;
    return PollUntil(k, PollHold::kRefFlag, [&] {
        (void)m_Axes.Select(a);  // a failed selection fails the next exchange
        uint8_t status[kMaxStatusBytes];
        if (!ReadCorvaneStatus(status) || !ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("CCorvaneController::WaitForFE() ReadCorvaneStatus failed");
            return PollOutcome::kFailed;
        }
        if (hasLimitSwitches && (board->PosLimit(status) || board->NegLimit(status))) {
            ZR_LOG_ERROR("CCorvaneController::WaitForFE(%d): ZR_CNTR_ON_LIMIT_SWITCH\n", a);
            m_iLocalError = ZR_CNTR_ON_LIMIT_SWITCH;
            return PollOutcome::kFailed;
        }
        if (board->MotionError(status)) {
            ZR_LOG_ERROR("CCorvaneController::WaitForFE(%d): motion error\n", a);
            m_iLocalError = ZR_MOTION_ERROR;
            return PollOutcome::kFailed;
        }
        if (!board->FindEdgeActive(status)) {
            ZR_LOG_DEBUG("CCorvaneController::WaitForFE(%d): edge search over\n", a);
            return PollOutcome::kDone;
        }
        if (IsTrajectoryComplete(status)) {
            ZR_LOG_ERROR("CCorvaneController::WaitForFE(): motion stopped");
            return PollOutcome::kFailed;
        }
        return PollOutcome::kAgain;
    });
}
