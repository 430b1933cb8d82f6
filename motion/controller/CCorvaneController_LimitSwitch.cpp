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
    const StageParameterSet& p = m_ParameterSet[axis];
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

    if (!board->m_bStepper) {
        // the board must not stop at the switch it is leaving
        (void)SendCommand("LF");  // the next exchange reports a dead channel
        (void)SendCommand("SM32000");
    }
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "SV%d",
                  ToCounts(axis, p.Get(StageFields::kMotCurrentVel73) / 10));
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("MoveOutOfLimitCondition() cannot set velocity");
        return false;
    }

    int released = 0;
    int t1 = 0;
    int t2 = 0;
    while (released < kReleasedPolls) {
        (void)QueryValue("TT", 'T', 1, &t1);  // no answer keeps the value as it was
        if (SendCommand(moveLine) != 0) return false;
        (void)QueryValue("TT", 'T', 1, &t2);  // no answer keeps the value as it was
        if (std::abs(t1 - t2) < kMinTargetChange) {
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
        for (;;) {
            (void)QueryValue("TP", 'P', 1, nullptr);  // no answer keeps the value as it was
            (void)QueryValue("TT", 'T', 1, nullptr);
            if (!ReadCorvaneStatus(status) || m_iControllerError != 0) return false;
            if (released < kReleasedPolls) {
                if ((board->InputByte(status) & watched) == 0) {
                    ZR_LOG_DEBUG(
                        "CCorvaneController::MoveOutOfLimitCondition() bOutOfLimitCondition = "
                        "true");
                    if (++released == kReleasedPolls) {
                        ZR_LOG_DEBUG(
                            "CCorvaneController::MoveOutOfLimitCondition() bOutOfLimitCondition = "
                            "%dnd/th/rd time!\n",
                            released);
                        if (SendCommand("AB1") != 0) return false;
                        winport::SleepMs(kSettleAfterStopMs);
                        continue;
                    }
                } else {
                    released = 0;
                }
            }
            if (!board->m_bStepper && (board->MotionError(status) || board->ServoOff(status))) {
                ZR_LOG_ERROR("CCorvaneController::MoveOutOfLimitCondition(): motion error");
                m_iLocalError = ZR_MOTION_ERROR;
                return false;
            }
            if (IsTrajectoryComplete(status)) {
                ZR_LOG_DEBUG("CCorvaneController::MoveOutOfLimitCondition() bTargetReached = true");
                break;
            }
        }
    }

    (void)QueryValue("TP", 'P', 1, nullptr);  // no answer keeps the value as it was
    (void)QueryValue("TT", 'T', 1, nullptr);
    ZR_LOG_DEBUG("CCorvaneController::MoveOutOfLimitCondition() done and stopped!");
    if (!board->m_bStepper) {
        (void)SendCommand("LN");  // the next exchange reports a dead channel
        std::snprintf(line, sizeof line, "SM%d",
                      ToCounts(axis, p.Get(StageFields::kMotMaxPosError)));
        (void)SendCommand(line);  // the next exchange reports a dead channel
    }
    return true;
}
