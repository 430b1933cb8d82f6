// Moving an axis out of an active limit switch (INI and the reference procedures).
#include <cstdio>
#include <cstdlib>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "winport/Clock.h"

namespace {
constexpr int kMinTargetChange = 10;  // counts an "MR" must move the target by
constexpr int kReleasedPolls = 2;     // polls that must see the switch released
constexpr uint32_t kSettleAfterStopMs = 150;
}  // namespace

ZR_BOOL CCorvaneController::MoveOutOfLimitCondition(int axis, winport::Event* startEvent,
                                                    bool* startEventSet) {
    ZR_LOG_DEBUG("CCorvaneController::MoveOutOfLimitCondition()");
    CCorvaneAxis* board = m_Axes.Get(axis);
    if (!board) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    uint8_t status[kMaxStatusBytes];
    if (!ReadCorvaneStatus(status) || m_iControllerError != 0) return false;
    ZR_LOG_DEBUG("  statusByte\t%d\n  sigMask\t%02X\n  posLim\t%02X\n  negLim\t%02X\n",
                 board->m_iStatusByteSignalLinesInput, board->m_ucLimitPolarity,
                 board->m_ucPosLimitMask, board->m_ucNegLimitMask);

    const bool pos = board->PosLimit(status);
    const bool neg = board->NegLimit(status);
    if (pos == neg) {
        ZR_LOG_DEBUG(
            "CCorvaneController::MoveOutOfLimitCondition()  no limit active - return TRUE");
        return true;
    }
    const char* moveLine = pos ? "MR-100000" : "MR100000";
    const uint8_t watched = pos ? board->m_ucPosLimitMask : board->m_ucNegLimitMask;
    ZR_LOG_DEBUG(pos ? "CCorvaneController::MoveOutOfLimitCondition()  pos lim active"
                     : "CCorvaneController::MoveOutOfLimitCondition()  neg lim active");

    if (!PrepareLimitExit(axis)) return false;
    int released = 0;
    int targets[2] = {0, 0};  // before and after the move line, kept when the board is silent
    while (released < kReleasedPolls) {
        if (!StartLimitExitMove(moveLine, targets, startEvent, startEventSet) ||
            !WatchLimitExit(axis, watched, &released))
            return false;
    }
    FinishLimitExit(axis);
    return true;
}

// The board must not stop at the switch it is leaving; it leaves at a tenth of its velocity.
ZR_BOOL CCorvaneController::PrepareLimitExit(int axis) {
    if (!m_Axes.Get(axis)->m_bStepper) {
        (void)SendCommand("LF");  // the move line after it reports a dead channel
        (void)SendCommand("SM32000");
    }
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "SV%d",
                  ToCounts(axis, m_ParameterSet[axis].Get(StageFields::kMotCurrentVel73) / 10));
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("MoveOutOfLimitCondition() cannot set velocity");
        return false;
    }
    return true;
}

// The move line must change the board's target, else the board did not take it.
ZR_BOOL CCorvaneController::StartLimitExitMove(const char* moveLine, int targets[2],
                                               winport::Event* startEvent, bool* startEventSet) {
    (void)QueryValue("TT", 'T', 1, &targets[0]);  // no answer keeps the value as it was
    if (SendCommand(moveLine) != 0) return false;
    (void)QueryValue("TT", 'T', 1, &targets[1]);
    if (std::abs(targets[0] - targets[1]) < kMinTargetChange) {
        ZR_LOG_ERROR(
            "CCorvaneController::MoveOutOfLimitCondition() target not changed by MR command!!");
        m_iLocalError = COM_ERROR;
        return false;
    }
    if (startEvent) {
        startEvent->Set();
        ZR_LOG_DEBUG("CCorvaneController::MoveOutOfLimitCondition()  SetEvent()");
        if (startEventSet) *startEventSet = true;
    }
    return true;
}

// Polls until the move ends; *released counts the polls in a row that saw the switch released,
// and the board is stopped once there are enough of them.
ZR_BOOL CCorvaneController::WatchLimitExit(int axis, uint8_t watched, int* released) {
    const CCorvaneAxis* board = m_Axes.Get(axis);
    uint8_t status[kMaxStatusBytes];
    for (;;) {
        (void)QueryValue("TP", 'P', 1, nullptr);  // asked for the board's sake, not used
        (void)QueryValue("TT", 'T', 1, nullptr);
        if (!ReadCorvaneStatus(status) || m_iControllerError != 0) return false;
        if (*released < kReleasedPolls) {
            if ((board->InputByte(status) & watched) == 0) {
                ZR_LOG_DEBUG(
                    "CCorvaneController::MoveOutOfLimitCondition() bOutOfLimitCondition = true");
                if (++*released == kReleasedPolls) {
                    ZR_LOG_DEBUG(
                        "CCorvaneController::MoveOutOfLimitCondition() bOutOfLimitCondition = "
                        "%dnd/th/rd time!\n",
                        *released);
                    if (SendCommand("AB1") != 0) return false;
                    winport::SleepMs(kSettleAfterStopMs);
                    continue;
                }
            } else {
                *released = 0;
            }
        }
        if (!board->m_bStepper && (board->MotionError(status) || board->ServoOff(status))) {
            ZR_LOG_ERROR("CCorvaneController::MoveOutOfLimitCondition(): motion error");
            m_iLocalError = ZR_MOTION_ERROR;
            return false;
        }
        if (IsTrajectoryComplete(status)) {
            ZR_LOG_DEBUG("CCorvaneController::MoveOutOfLimitCondition() bTargetReached = true");
            return true;
        }
    }
}

void CCorvaneController::FinishLimitExit(int axis) {
    (void)QueryValue("TP", 'P', 1, nullptr);  // asked for the board's sake, not used
    (void)QueryValue("TT", 'T', 1, nullptr);
    ZR_LOG_DEBUG("CCorvaneController::MoveOutOfLimitCondition() done and stopped!");
    if (m_Axes.Get(axis)->m_bStepper) return;
    (void)SendCommand("LN");  // the next exchange reports a dead channel
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "SM%d",
                  ToCounts(axis, m_ParameterSet[axis].Get(StageFields::kMotMaxPosError)));
    (void)SendCommand(line);
}
