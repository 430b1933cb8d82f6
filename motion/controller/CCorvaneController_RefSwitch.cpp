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
constexpr uint32_t kPollMs = 10;
constexpr int kHomeAttempts = 3;
constexpr int kHomeTolerance = 3;  // counts the target may differ from 0 after "DH"
constexpr int kMaxDistance = 999999999;
constexpr int kModeREF = 0;

uint8_t RefSignal(const CCorvaneAxis* board, const uint8_t* status) {
    return status[board->m_iStatusByteSignalLinesInput] & board->m_ucRefSignalMask;
}
}  // namespace

ZR_BOOL CCorvaneController::MakeREF(int a, int k) {
    ZR_LOG_DEBUG("CCorvaneController::MakeREF() start");
    CCorvaneAxisData& data = m_AxisData[a];
    const StageParameterSet& p = m_ParameterSet[a];
    CCorvaneAxis* board = m_Axes.Get(a);
    SetRefResult(a, 1);
    data.m_bReferenced = true;
    if (m_iReferenceMode != kModeREF || p.Get(StageFields::kMotHatRef) != 1 ||
        p.Get(StageFields::kMotRefVel80) == 0 || !board) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() param error");
        return false;
    }
    m_Axes.Select(a);
    const uint8_t left = p.Get(StageFields::kMotRefInvert) != 0 ? board->m_ucRefSignalMask : 0;

    uint8_t status[kMaxStatusBytes];
    if (!ReadCorvaneStatus(status)) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() ReadCorvaneStatus() failed - 0");
        return false;
    }
    if (board->ServoOff(status)) {
        m_iLocalError = ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO;
        return false;
    }
    bool startEventSet = false;
    ZR_LOG_DEBUG("CCorvaneController::MakeREF() call MoveOutOfLimitCondition()");
    if (!MoveOutOfLimitCondition(a, m_heventWaitForReferenceThreadStart.get(), &startEventSet)) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() MoveOutOfLimitCondition failed");
        return false;
    }
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "SV%d", ToCounts(a, p.Get(StageFields::kMotRefVel80)));
    if (SendCommand(line) != 0) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() Set Velocity failed");
        return false;
    }
    winport::SleepMs(kSettleMs);

    if (RefSignal(board, status) != left) {
        ZR_LOG_DEBUG("CCorvaneController::MakeREF(%d): Move to \"left\" side of reference", a);
        if (!MoveToLeftSideOfReference(a, k, &startEventSet, left)) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF() MoveToLeftSideOfReference failed");
            return false;
        }
    }

    ZR_LOG_DEBUG("CCorvaneController::MakeREF(%d): start reference move\n", a);
    ZR_LOG_DEBUG("CCorvaneController::MakeREF(): call \"FE0\"");
    if (SendCommand("FE0") != 0) {
        ZR_LOG_ERROR("CCorvaneController::MakeREF() could not send \"FE0\"");
        return false;
    }
    winport::SleepMs(kSettleMs);
    if (!startEventSet) {
        ZR_LOG_DEBUG(
            "CCorvaneController::MakeREF(%d): SetEvent(m_heventWaitForReferenceThreadStart)\n", a);
        m_heventWaitForReferenceThreadStart->Set();
        startEventSet = true;
    }
    if (!WaitForFE(a, k)) return false;
    ZR_LOG_DEBUG("CCorvaneController::MakeREF(): \"FE0\" finished");

    // the board reports the end of the search before it has settled on the edge
    for (int read = 3; read <= 6; ++read) {
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF() ReadCorvaneStatus failed - %d", read);
            return false;
        }
    }

    const int S = p.Get(StageFields::kMotInvert);
    for (int attempt = 0; attempt < kHomeAttempts; ++attempt) {
        SendCommand("DH,GH");
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF() ReadCorvaneStatus failed - 7");
            return false;
        }
        int tp = 0;
        int tt = 0;
        ZR_LOG_DEBUG("CCorvaneController::MakeREF() read TP");
        QueryValue("TP", 'P', 1, &tp);
        ZR_LOG_DEBUG("CCorvaneController::MakeREF() read TT");
        QueryValue("TT", 'T', 1, &tt);
        if (!ReadCorvaneStatus(status)) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF() ReadCorvaneStatus failed - 8");
            return false;
        }
        if (std::abs(tt) >= kHomeTolerance) {
            ZR_LOG_WARN("CCorvaneController::MakeREF() DH failed? TP: %d, TT:%d", tp, tt);
            continue;
        }
        ZR_LOG_DEBUG("CCorvaneController::MakeREF() DH OK! TP: %d, TT:%d", tp, tt);
        data.iAktHomePosition = 0;
        data.iCorvaneHomePosition =
            static_cast<int>(ToCounts(a, p.Get(StageFields::kMotWertBeiRef)) * -1.0 * S);
        data.iTargetAbsolute = 0;
        data.m_bTargetValid = true;
        ZR_LOG_DEBUG(
            "MakeREF set iTargetAbsolute: %d iCorvaneHomePosition: %d iAktHomePosition: %d",
            data.iTargetAbsolute, data.iCorvaneHomePosition, data.iAktHomePosition);
        std::snprintf(line, sizeof line, "SV%d", ToCounts(a, p.Get(StageFields::kMotCurrentVel73)));
        if (SendCommand(line) != 0) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF() coudl not reset velocity");
            return false;
        }
        return true;
    }
    m_iLocalError = ZR_CNTR_COMMUNICATION_ERROR;
    ZR_LOG_ERROR("CCorvaneController::MakeREF() ZR_CNTR_COMMUNICATION_ERROR");
    return false;
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
    for (;;) {
        if (!ReadCorvaneStatus(status)) return false;
        if (!stopped && RefSignal(board, status) == left) {
            ZR_LOG_DEBUG(
                "CCorvaneController::MakeREF(%d): (status[Corvane_STATUS_BYTE_SIGNAL_LINES_INPUT] "
                "& "
                "Corvane_INPUT_REF_SIGNAL) == iLeftSideRefSignal : %d",
                a, left);
            if (SendCommand("AB1") != 0) return false;
            stopped = true;
            continue;
        }
        if ((hasLimitSwitches && (board->PosLimit(status) || board->NegLimit(status))) ||
            (!board->m_bStepper && (board->MotionError(status) || board->ServoOff(status)))) {
            ZR_LOG_ERROR("CCorvaneController::MakeREF(%d): motion error\n", a);
            m_iLocalError = ZR_MOTION_ERROR;
            return false;
        }
        bool done = false;
        if (IsTrajectoryComplete(status)) {
            if (!stopped) {
                ZR_LOG_ERROR("CCorvaneController::MakeREF(%d): motion stopped\n", a);
                m_iLocalError = ZR_MOTION_ERROR;
                return false;
            }
            ZR_LOG_DEBUG("CCorvaneController::MakeREF(%d): END OF MOVE\n", a);
            done = true;
        }
        if (Terminated(k)) {
            ZR_LOG_DEBUG("CCorvaneController::MakeREF(%d): got m_heventTerminateReferencemove[%d]",
                         a, k);
            return false;
        }
        winport::SleepMs(kPollMs);
        if (done) return true;
    }
}

ZR_BOOL CCorvaneController::WaitForFE(int a, int k) {
    const CCorvaneAxis* board = m_Axes.Get(a);
    const bool hasLimitSwitches = m_ParameterSet[a].Get(StageFields::kMotNoLimitSwitch) == 0;
    for (;;) {
        bool over = false;
        {
            winport::ScopedLock refFlag(m_csRefFlag);
            m_Axes.Select(a);
            uint8_t status[kMaxStatusBytes];
            if (!ReadCorvaneStatus(status)) {
                ZR_LOG_ERROR("CCorvaneController::WaitForFE() ReadCorvaneStatus failed - 1");
                return false;
            }
            if (!ReadCorvaneStatus(status)) {
                ZR_LOG_ERROR("CCorvaneController::WaitForFE() ReadCorvaneStatus failed - 2");
                return false;
            }
            if (hasLimitSwitches && (board->PosLimit(status) || board->NegLimit(status))) {
                ZR_LOG_ERROR("CCorvaneController::WaitForFE(%d): ZR_CNTR_ON_LIMIT_SWITCH\n", a);
                ZR_LOG_ERROR("CCorvaneController::WaitForFE() ZR_CNTR_ON_LIMIT_SWITCH");
                m_iLocalError = ZR_CNTR_ON_LIMIT_SWITCH;
                return false;
            }
            if (board->MotionError(status)) {
                ZR_LOG_ERROR("CCorvaneController::WaitForFE(%d): motion error\n", a);
                ZR_LOG_ERROR("CCorvaneController::WaitForFE() ZR_MOTION_ERROR");
                m_iLocalError = ZR_MOTION_ERROR;
                return false;
            }
            if (!board->FindEdgeActive(status)) {
                ZR_LOG_DEBUG(
                    "CCorvaneController::WaitForFE(%d): (!(status[Corvane_STATUS_BYTE_SIGNAL_LINES_"
                    "STATUS] & CORVANE_SIG_STATUS_FIND_EDGE))\n",
                    a);
                over = true;
            } else if (IsTrajectoryComplete(status)) {
                ZR_LOG_ERROR("CCorvaneController::WaitForFE(): motion stopped");
                return false;
            }
        }
        winport::SleepMs(kPollMs);
        if (Terminated(k)) {
            ZR_LOG_DEBUG(
                "CCorvaneController::WaitForFE(%d) : got m_heventTerminateReferencemove[%d]", a, k);
            return false;
        }
        if (over) return true;
    }
}
