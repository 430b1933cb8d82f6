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
constexpr uint32_t kPollMs = 10;
constexpr uint32_t kAfterStopAtLimitMs = 250;
constexpr uint32_t kAfterLeavingLimitMs = 150;
constexpr int kHomeAttempts = 3;
constexpr int kHomeTolerance = 3;
constexpr double kMaxDistance = 999999999;
constexpr int kModeMPL = 1;
constexpr int kModeMNL = 2;
}  // namespace

ZR_BOOL CCorvaneController::MakeMPNL(int a, int k) {
    ZR_LOG_DEBUG("CCorvaneController::MakeMPNL(%d)", a);
    CCorvaneAxisData& data = m_AxisData[a];
    const StageParameterSet& p = m_ParameterSet[a];
    CCorvaneAxis* board = m_Axes.Get(a);
    if (p.Get(StageFields::kMotCurrentVel73) == 0) {
        ZR_LOG_ERROR("MakeMPNL() runvel is 0!");
        return false;
    }
    SetRefResult(a, 1);
    data.m_bReferenced = true;

    const int S = p.Get(StageFields::kMotInvert);
    if ((m_iReferenceMode != kModeMPL && m_iReferenceMode != kModeMNL) || !board) {
        ZR_LOG_ERROR("MakeMPNL() param error");
        return false;
    }
    const bool positive = m_iReferenceMode == kModeMPL;
    const bool towardsPosMask = positive == (S == 1);
    const uint8_t target = towardsPosMask ? board->m_ucPosLimitMask : board->m_ucNegLimitMask;
    const uint8_t opposite = towardsPosMask ? board->m_ucNegLimitMask : board->m_ucPosLimitMask;
    const int direction = positive ? 1 : -1;

    m_Axes.Select(a);
    uint8_t status[kMaxStatusBytes];
    if (!ReadCorvaneStatus(status)) {
        ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 0");
        return false;
    }
    if (board->ServoOff(status)) {
        ZR_LOG_ERROR("MakeMPNL(%d) no servo, set ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO", a);
        m_iLocalError = ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO;
        return false;
    }
    bool startEventSet = false;
    ZR_LOG_DEBUG("MakeMPNL() call MoveOutOfLimitCondition");
    if (!MoveOutOfLimitCondition(a, m_heventWaitForReferenceThreadStart.get(), &startEventSet)) {
        ZR_LOG_ERROR("MakeMPNL(%d) MoveOutOfLimitCondition() failed", a);
        return false;
    }
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "SV%d", ToCounts(a, p.Get(StageFields::kMotRefVel80)));
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("MakeMPNL() could not set velocity");
        return false;
    }
    ZR_LOG_DEBUG("CCorvaneController::MakeMPNL(%d): start reference move\n", a);

    // twice the whole travel: the switch is reached from anywhere
    const double travel = std::abs(static_cast<double>(
        ToCounts(a, p.Get(StageFields::kMotMaxTravel) - p.Get(StageFields::kMotMinTravel))));
    const int distance =
        static_cast<int>(std::clamp(travel * S * direction * 2, -kMaxDistance, kMaxDistance));
    std::snprintf(line, sizeof line, "MR%d", distance);
    ZR_LOG_DEBUG("MakeMPNL() send \"%s\"", line);
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("MakeMPNL() MR failed");
        return false;
    }
    winport::SleepMs(kSettleMs);
    if (!startEventSet) {
        m_heventWaitForReferenceThreadStart->Set();
        startEventSet = true;
    }

    for (;;) {
        {
            winport::ScopedLock refFlag(m_csRefFlag);
            m_Axes.Select(a);
            if (!ReadCorvaneStatus(status)) {
                ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 1");
                return false;
            }
            const uint8_t u = board->InputByte(status);
            if (u & target) {
                ZR_LOG_DEBUG(
                    "CCorvaneController::MakeMPNL(%d): "
                    "(status[Corvane_STATUS_BYTE_SIGNAL_LINES_INPUT] "
                    "& iMskEsNegLimit)\n",
                    a);
                break;
            }
            if ((u & opposite) ||
                (!board->m_bStepper && (board->MotionError(status) || board->ServoOff(status))) ||
                IsTrajectoryComplete(status)) {
                ZR_LOG_ERROR(
                    "CCorvaneController::MakeMPNL(%d): motion error status: %02X %02X %02X %02X "
                    "%02X %02X",
                    a, status[0], status[1], status[2], status[3], status[4], status[5]);
                m_iLocalError = ZR_MOTION_ERROR;
                return false;
            }
        }
        winport::SleepMs(kPollMs);
        if (Terminated(k)) {
            ZR_LOG_DEBUG("CCorvaneController::MakeMPNL(%d): got m_heventTerminateReferencemove[%d]",
                         a, k);
            return false;
        }
    }

    ZR_LOG_DEBUG(
        "CCorvaneController::MakeMPNL(%d): reference move finished, reset and move from "
        "limit switch\n",
        a);
    SendCommand("AB1");
    winport::SleepMs(kAfterStopAtLimitMs);
    ZR_LOG_DEBUG("MakeMPNL() call MoveOutOfLimitCondition - 2");
    if (!MoveOutOfLimitCondition(a, nullptr, nullptr)) {
        ZR_LOG_ERROR("MakeMPNL() call MoveOutOfLimitCondition - 2 failed");
        return false;
    }
    winport::SleepMs(kAfterLeavingLimitMs);
    ZR_LOG_DEBUG("CCorvaneController::MakeMPNL(%d): move-from-limit-switch done\n", a);
    SendCommand("MN");
    if (!ReadCorvaneStatus(status)) {
        ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 2");
        return false;
    }

    const double end =
        positive ? p.Get(StageFields::kMotMaxTravel) : p.Get(StageFields::kMotMinTravel);
    for (int attempt = 0; attempt < kHomeAttempts; ++attempt) {
        SendCommand("DH");
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 3, counter %d", attempt);
            return false;
        }
        int tp = 0;
        int tt = 0;
        ZR_LOG_DEBUG("CCorvaneController::MakeMPNL() read TP");
        QueryValue("TP", 'P', 1, &tp);
        ZR_LOG_DEBUG("CCorvaneController::MakeMPNL() read TT");
        QueryValue("TT", 'T', 1, &tt);
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 4");
            return false;
        }
        if (std::abs(tt) >= kHomeTolerance) {
            ZR_LOG_WARN("CCorvaneController::MakeMPNL() DH failed? TP: %d, TT:%d", tp, tt);
            continue;
        }
        ZR_LOG_DEBUG("CCorvaneController::MakeMPNL() DH OK! TP: %d, TT:%d", tp, tt);
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("MakeMPNL() ReadCorvaneStatus failed - 5");
            return false;
        }
        std::snprintf(line, sizeof line, "SV%d", ToCounts(a, p.Get(StageFields::kMotCurrentVel73)));
        if (SendCommand(line) != 0) {
            ZR_LOG_ERROR("MakeMPNL() could not set velocity - 2");
            return false;
        }
        data.iAktHomePosition = 0;
        data.iCorvaneHomePosition = -(S * ToCounts(a, end));
        data.iTargetAbsolute = 0;
        data.m_bTargetValid = true;
        ZR_LOG_DEBUG("MakeMNPL set iTargetAbsolute: %d iCorvaneHomePosition: %d",
                     data.iTargetAbsolute, data.iCorvaneHomePosition);
        return true;
    }
    m_iLocalError = ZR_CNTR_COMMUNICATION_ERROR;
    ZR_LOG_ERROR("CCorvaneController::MakeMPNL() ZR_CNTR_COMMUNICATION_ERROR");
    return false;
}
