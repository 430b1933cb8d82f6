// The steps the reference procedures share: waiting for an axis while the procedure may be
// terminated, and giving the board its new home.
#include <cstdio>
#include <cstdlib>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "winport/Clock.h"

namespace {
constexpr uint32_t kPollMs = 10;
// A reference run over the whole travel at the slowest velocity still ends well within this
// many polls; a board that never reports an end must not hold the reference thread forever.
constexpr long kMaxPolls = 360000;
constexpr int kHomeAttempts = 3;
constexpr int kHomeTolerance = 3;  // counts the target may differ from 0 after the home line
}  // namespace

ZR_BOOL CCorvaneController::PollUntil(int k, PollHold hold,
                                      const std::function<PollOutcome()>& poll) {
    for (long n = 0; n < kMaxPolls; ++n) {
        PollOutcome outcome;
        if (hold == PollHold::kRefFlag) {
            winport::ScopedLock refFlag(m_csRefFlag);
            outcome = poll();
        } else {
            outcome = poll();
        }
        if (outcome == PollOutcome::kFailed) return false;
        winport::SleepMs(kPollMs);
        if (Terminated(k)) {
            ZR_LOG_DEBUG("CCorvaneController::PollUntil(): got m_heventTerminateReferencemove[%d]",
                         k);
            return false;
        }
        if (outcome == PollOutcome::kDone) return true;
    }
    ZR_LOG_ERROR("CCorvaneController::PollUntil() gave up after %ld polls", kMaxPolls);
    m_iLocalError = ZR_MOTION_ERROR;
    return false;
}

ZR_BOOL CCorvaneController::DefineHomeAt(int a, const char* homeLine, const char* who) {
    ZR_LOG_DEBUG("CCorvaneController::DefineHomeAt(%d, \"%s\")", a, homeLine);
    uint8_t status[kMaxStatusBytes];
    for (int attempt = 0; attempt < kHomeAttempts; ++attempt) {
        // the result shows in TT: a board that missed the line keeps its old target
        (void)SendCommand(homeLine);
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR(
                "CCorvaneController::%s() ReadCorvaneStatus failed after \"%s\", attempt %d", who,
                homeLine, attempt);
            return false;
        }
        int tp = 0;
        int tt = 0;
        ZR_LOG_DEBUG("CCorvaneController::%s() read TP", who);
        (void)QueryValue("TP", 'P', 1, &tp);  // only logged
        ZR_LOG_DEBUG("CCorvaneController::%s() read TT", who);
        (void)QueryValue("TT", 'T', 1, &tt);  // no answer keeps tt 0 and the next read decides
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("CCorvaneController::%s() ReadCorvaneStatus failed after TT", who);
            return false;
        }
        if (std::abs(tt) < kHomeTolerance) {
            ZR_LOG_DEBUG("CCorvaneController::%s() DH OK! TP: %d, TT:%d", who, tp, tt);
            return true;
        }
        ZR_LOG_WARN("CCorvaneController::%s() DH failed? TP: %d, TT:%d", who, tp, tt);
    }
    m_iLocalError = ZR_CNTR_COMMUNICATION_ERROR;
    ZR_LOG_ERROR("CCorvaneController::%s() ZR_CNTR_COMMUNICATION_ERROR", who);
    return false;
}

void CCorvaneController::TakeNewHome(int a, int corvaneHome) {
    CCorvaneAxisData& data = m_AxisData[a];
    data.iAktHomePosition = 0;
    data.iCorvaneHomePosition = corvaneHome;
    data.iTargetAbsolute = 0;
    data.m_bTargetValid = true;
    ZR_LOG_DEBUG(
        "TakeNewHome set iTargetAbsolute: %d iCorvaneHomePosition: %d iAktHomePosition: %d",
        data.iTargetAbsolute, data.iCorvaneHomePosition, data.iAktHomePosition);
}

ZR_BOOL CCorvaneController::RestoreVelocity(int a) {
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "SV%d",
                  ToCounts(a, m_ParameterSet[a].Get(StageFields::kMotCurrentVel73)));
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("CCorvaneController::RestoreVelocity(%d) could not reset velocity", a);
        return false;
    }
    return true;
}
