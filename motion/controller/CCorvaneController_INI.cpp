// INI: brings axes into the state their stage needs (limits, brake, control loop, velocity,
// acceleration), moves them out of an active limit switch and marks them initialised.
#include <cstdio>
#include <cstring>
#include <memory>

#include "motion/base/ZRLog.h"
#include "motion/base/ZRScopeTrace.h"
#include "motion/controller/CCorvaneController.h"
#include "winport/Clock.h"

namespace {
constexpr int kLimitModeActiveHigh = 0;
constexpr int kLimitModeActiveLow = 3;
constexpr uint32_t kSettleAfterAbortMs = 250;
}  // namespace

ZR_BOOL CCorvaneController::INI(const char* axes) {
    ZR_SCOPE_TRACE("CCorvaneController::INI");
    ZR_LOG_DEBUG("CCorvaneController::INI(\"%s\")", axes ? axes : "");
    if (!CheckController(1)) return false;

    const size_t length = axes ? std::strlen(axes) : 0;
    std::unique_ptr<int[]> indices(
        new int[length > kMaxCorvaneBoards ? length : kMaxCorvaneBoards]);
    int n = 0;
    if (!GetAxesIndex(axes, indices.get(), &n, {.stage = true})) return false;
    if (n == 0) {
        m_iLocalError = ZR_CNTR_NO_STAGE_CONNECTED;
        return false;
    }
    if (m_iMacroRecording && (n != 1 || indices[0] != m_iMacroAxis)) {
        m_iLocalError = ZR_CNTR_MACRO_RECORD_ERROR;
        return false;
    }
    if (n > kMaxCorvaneBoards) {
        ZR_LOG_ERROR("CCorvaneController::INI() more than %d axes", kMaxCorvaneBoards);
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    // A repeated identifier names the same axis again; initialising it twice only costs time.
    bool done[kMaxCorvaneBoards] = {};
    for (int i = 0; i < n; ++i) {
        if (done[indices[i]]) continue;
        done[indices[i]] = true;
        if (!InitialiseAxis(indices[i])) return false;
    }

    uint8_t status[kMaxStatusBytes];
    return ReadCorvaneStatus(status);
}

// Every native line of one axis, in order; the first failure ends INI.
ZR_BOOL CCorvaneController::InitialiseAxis(int b) {
    CCorvaneAxisData& a = m_AxisData[b];
    const StageParameterSet& p = m_ParameterSet[b];
    CCorvaneAxis* board = m_Axes.Get(b);
    const bool hasLimitSwitches = p.Get(StageFields::kMotNoLimitSwitch) == 0;
    const bool hasReference = p.Get(StageFields::kMotHatRef) == 1;
    char line[kCorvaneCommandSize];
    auto send = [&](const char* format, int value) {
        std::snprintf(line, sizeof line, format, value);
        return SendCommand(line) == 0;
    };

    a.iAktHomePosition = 0;
    a.iCorvaneHomePosition = 0;
    a.m_bTargetValid = false;
    m_iRefResult[b] = 0;
    (void)m_Axes.Select(b);  // a failed selection fails the next exchange

    if (board->m_bHasJoystickPort) {
        if (SendCommand("JF") != 0) return false;
        board->m_bJoystickActive = false;
        if (board->m_bHasJoystickLimits && SendCommand("JC") != 0) return false;
    }
    if (!board->m_bStepper && SendCommand(hasLimitSwitches || hasReference ? "LN" : "LF") != 0)
        return false;
    if (hasLimitSwitches) {
        const int mode = p.Get(StageFields::kMotAchsLimMode);
        if (mode == kLimitModeActiveHigh) {
            if (SendCommand("LH") != 0) return false;
            board->m_ucLimitPolarity = 0;
        } else if (mode == kLimitModeActiveLow) {
            if (SendCommand("LL") != 0) return false;
            board->m_ucLimitPolarity = board->m_ucPosLimitMask | board->m_ucNegLimitMask;
        }
    }
    if (SendCommand(a.m_iBrakeEngaged ? "BN" : "BF") != 0) return false;

    if (!board->m_bStepper) {
        uint8_t status[kMaxStatusBytes];
        if (!send("DP%d", p.Get(StageFields::kMotP)) || !send("DI%d", p.Get(StageFields::kMotI)) ||
            !ReadCorvaneStatus(status) || !send("DD%d", p.Get(StageFields::kMotD)) ||
            !send("SM%d", ToCounts(b, p.Get(StageFields::kMotMaxPosError))) ||
            !send("DL%d", p.Get(StageFields::kMotILim)))
            return false;
    } else {
        if (!send("DC%d", p.Get(StageFields::kMotStepperDc)) ||
            !send("HC%d", p.Get(StageFields::kMotStepperHc)) ||
            !send("HT%d", p.Get(StageFields::kMotStepperHt)))
            return false;
    }

    if (SendCommand("MN") != 0) return false;
    a.m_iServoState = 1;
    const int velocity = ToCounts(b, p.Get(StageFields::kMotCurrentVel73));
    if (!send("SV%d", velocity)) return false;
    if (SendCommand(MakeAccelerationCommand(ToCounts(b, p.Get(StageFields::kMotCurrAccel11)))) != 0)
        return false;

    if (p.Get(StageFields::kMotRadial) == 1 && !hasReference) {
        // a rotary stage without reference switch counts from where it stands
        a.m_bReferenced = true;
        int position = 0;
        if (QueryValue("TP", 'P', 1, &position) != 0) return false;
        a.iAktHomePosition = p.Get(StageFields::kMotInvert) * position;
    } else {
        a.m_bReferenced = false;
    }

    if (!board->m_bStepper) {
        if (SendCommand("AB1") != 0) return false;
        winport::SleepMs(kSettleAfterAbortMs);
    }
    a.m_bReferenceModeOn = hasReference || hasLimitSwitches;

    if (!m_iMacroRecording) {
        if (hasLimitSwitches) {
            if (!MoveOutOfLimitCondition(b, nullptr, nullptr)) return false;
            if (!send("SV%d", velocity)) return false;
        }
        a.m_bInitialised = true;
    }
    return true;
}
