// The reference procedure of MPL and MNL: the axis runs into its positive or negative limit
// switch, backs out of it, and the point where it stands becomes the new home. Runs on the
// reference thread.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "winport/Clock.h"

namespace {
constexpr uint32_t kSettleMs = 100;
constexpr uint32_t kAfterStopAtLimitMs = 250;
constexpr uint32_t kAfterLeavingLimitMs = 150;
constexpr double kMaxDistance = 999999999;
constexpr int kModeMPL = 1;
constexpr int kModeMNL = 2;
}  // namespace

ZR_BOOL CCorvaneController::MakeMPNL(int a, int k) {
    ZR_LOG_DEBUG("CCorvaneController::MakeMPNL(%d)", a);
    const StageParameterSet& p = m_ParameterSet[a];
    if (p.Get(StageFields::kMotCurrentVel73) == 0) {
        ZR_LOG_ERROR("MakeMPNL() runvel is 0!");
        return false;
    }
    SetRefResult(a, 1);
    m_AxisData[a].m_bReferenced = true;
    if ((m_iReferenceMode != kModeMPL && m_iReferenceMode != kModeMNL) || !m_Axes.Get(a)) {
        ZR_LOG_ERROR("MakeMPNL() param error");
        return false;
    }
    const bool positive = m_iReferenceMode == kModeMPL;
    bool startEventSet = false;
    uint8_t status[kMaxStatusBytes];
    if (!CheckServoBeforeReference(a, status) ||
        !MoveOutOfLimitCondition(a, m_heventWaitForReferenceThreadStart.get(), &startEventSet)) {
        ZR_LOG_ERROR("MakeMPNL(%d) could not start", a);
        return false;
    }
    if (!StartLimitRun(a, positive, &startEventSet) || !RunIntoLimit(a, k, positive) ||
        !BackOutOfLimit(a) || !DefineHomeAt(a, "DH", "MakeMPNL"))
        return false;
    if (!ReadCorvaneStatus(status)) {
        ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 5");
        return false;
    }
    if (!RestoreVelocity(a)) return false;
    const double end =
        positive ? p.Get(StageFields::kMotMaxTravel) : p.Get(StageFields::kMotMinTravel);
    TakeNewHome(a, -(p.Get(StageFields::kMotInvert) * ToCounts(a, end)));
    return true;
}

ZR_BOOL CCorvaneController::CheckServoBeforeReference(int a, uint8_t status[kMaxStatusBytes]) {
    (void)m_Axes.Select(a);  // a failed selection fails the next exchange
    if (!ReadCorvaneStatus(status)) {
        ZR_LOG_ERROR("CCorvaneController::CheckServoBeforeReference() ReadCorvaneStatus failed");
        return false;
    }
    if (m_Axes.Get(a)->ServoOff(status)) {
        ZR_LOG_ERROR(
            "CheckServoBeforeReference(%d) no servo, set ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO", a);
        m_iLocalError = ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO;
        return false;
    }
    return true;
}

// Twice the whole travel at the reference velocity: the switch is reached from anywhere.
ZR_BOOL CCorvaneController::StartLimitRun(int a, bool positive, bool* startEventSet) {
    const StageParameterSet& p = m_ParameterSet[a];
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "SV%d", ToCounts(a, p.Get(StageFields::kMotRefVel80)));
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("MakeMPNL() could not set velocity");
        return false;
    }
    ZR_LOG_DEBUG("CCorvaneController::MakeMPNL(%d): start reference move\n", a);
    const double travel = std::abs(static_cast<double>(
        ToCounts(a, p.Get(StageFields::kMotMaxTravel) - p.Get(StageFields::kMotMinTravel))));
    const int S = p.Get(StageFields::kMotInvert);
    const int distance = static_cast<int>(
        std::clamp(travel * S * (positive ? 1 : -1) * 2, -kMaxDistance, kMaxDistance));
    std::snprintf(line, sizeof line, "MR%d", distance);
    ZR_LOG_DEBUG("MakeMPNL() send \"%s\"", line);
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("MakeMPNL() MR failed");
        return false;
    }
    winport::SleepMs(kSettleMs);
    if (!*startEventSet) {
        m_heventWaitForReferenceThreadStart->Set();
        *startEventSet = true;
    }
    return true;
}

// Until the switch of the run's direction is reached; the other switch, a motion error or an
// end of the move before the switch fails the procedure.
ZR_BOOL CCorvaneController::RunIntoLimit(int a, int k, bool positive) {
    const CCorvaneAxis* board = m_Axes.Get(a);
    const bool towardsPosMask = positive == (m_ParameterSet[a].Get(StageFields::kMotInvert) == 1);
    const uint8_t target = towardsPosMask ? board->m_ucPosLimitMask : board->m_ucNegLimitMask;
    const uint8_t opposite = towardsPosMask ? board->m_ucNegLimitMask : board->m_ucPosLimitMask;
    return PollUntil(k, PollHold::kRefFlag, [&] {
        (void)m_Axes.Select(a);  // a failed selection fails the next exchange
        uint8_t status[kMaxStatusBytes];
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 1");
            return PollOutcome::kFailed;
        }
        const uint8_t u = board->InputByte(status);
        if (u & target) {
            ZR_LOG_DEBUG("CCorvaneController::MakeMPNL(%d): limit switch reached", a);
            return PollOutcome::kDone;
        }
        if ((u & opposite) ||
            (!board->m_bStepper && (board->MotionError(status) || board->ServoOff(status))) ||
            IsTrajectoryComplete(status)) {
            ZR_LOG_ERROR(
                "CCorvaneController::MakeMPNL(%d): motion error status: %02X %02X %02X %02X "
                "%02X %02X",
                a, status[0], status[1], status[2], status[3], status[4], status[5]);
            m_iLocalError = ZR_MOTION_ERROR;
            return PollOutcome::kFailed;
        }
        return PollOutcome::kAgain;
    });
}

ZR_BOOL CCorvaneController::BackOutOfLimit(int a) {
    ZR_LOG_DEBUG(
        "CCorvaneController::MakeMPNL(%d): reference move finished, reset and move from "
        "limit switch\n",
        a);
    (void)SendCommand("AB1");  // a board that missed the stop is stopped by the move out
    winport::SleepMs(kAfterStopAtLimitMs);
    if (!MoveOutOfLimitCondition(a, nullptr, nullptr)) {
        ZR_LOG_ERROR("MakeMPNL() call MoveOutOfLimitCondition - 2 failed");
        return false;
    }
    winport::SleepMs(kAfterLeavingLimitMs);
    ZR_LOG_DEBUG("CCorvaneController::MakeMPNL(%d): move-from-limit-switch done\n", a);
    (void)SendCommand("MN");  // the home attempts check what the board took
    uint8_t status[kMaxStatusBytes];
    if (!ReadCorvaneStatus(status)) {
        ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 2");
        return false;
    }
    return true;
}
