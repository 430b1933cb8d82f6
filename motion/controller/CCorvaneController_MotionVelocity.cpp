// Velocities and brakes: VEL, qVEL, BRA, qBRA.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

ZR_BOOL CCorvaneController::VEL(const char* axes, const double* velocities) {
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Record,
                            .setter = true,
                            .need = {.stage = true, .initialised = true}},
                           list) ||
        !RequireValues(velocities))
        return false;
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        const double v = velocities[k];
        StageParameterSet& p = m_ParameterSet[i];
        (void)m_Axes.Select(i);  // a failed selection fails the next exchange
        const double maximum = p.Get(StageFields::kMotMaxVel10) / p.Get(StageFields::kMotFactor);
        if (!std::isfinite(v) || v > maximum || v < 0) {
            m_iLocalError = ZR_CNTR_VELOCITY_OUT_OF_LIMITS;
            return false;
        }
        char line[kCorvaneCommandSize];
        std::snprintf(line, sizeof line, JoystickInControl(i) ? "JN%d" : "SV%d", ToCounts(i, v));
        if (SendCommand(line) != 0) return false;
        if (!m_iMacroRecording) p.Set(StageFields::kMotCurrentVel73, v);
    }
    return true;
}

ZR_BOOL CCorvaneController::qVEL(const char* axes, double* velocities) {
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(velocities))
        return false;
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        // under the joystick the board reports the joystick's speed, not the set velocity
        if (JoystickInControl(i)) {
            velocities[k] = m_ParameterSet[i].Get(StageFields::kMotCurrentVel73);
            continue;
        }
        (void)m_Axes.Select(i);  // a failed selection fails the next exchange
        int counts = 0;
        if (QueryValue("TY", 'Y', 1, &counts) != 0) return false;
        velocities[k] = CountsToUnits(UnitsOf(i), counts);
    }
    return true;
}

ZR_BOOL CCorvaneController::BRA(const char* axes, const ZR_BOOL* states) {
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Record,
                            .setter = true,
                            .need = {.stage = true, .initialised = true}},
                           list) ||
        !RequireValues(states))
        return false;
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        CCorvaneAxisData& a = m_AxisData[i];
        if (m_ParameterSet[i].Get(StageFields::kMotHatBremse) != 1) continue;
        (void)m_Axes.Select(i);  // a failed selection fails the next exchange
        if (states[k] == 0) {
            (void)SendCommand(a.m_iSavedServoState == 1 ? "AB,MN,BF"
                                                        : "BF");  // released in any case
            if (m_iMacroRecording) continue;
            a.m_iBrakeEngaged = 0;
            a.m_iServoState = a.m_iSavedServoState;
        } else if (states[k] == 1) {
            if (SendCommand("BN,MF") != 0) return false;
            if (m_iMacroRecording) continue;
            a.m_iSavedServoState = a.m_iServoState;
            a.m_iBrakeEngaged = 1;
            a.m_iServoState = 0;
        }
    }
    return true;
}

ZR_BOOL CCorvaneController::qBRA(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    if (!CheckController(1)) return false;
    std::string text;
    for (int i = 0; i < kMaxCorvaneBoards; ++i)
        if (m_ParameterSet[i].Get(StageFields::kMotHatBremse) == 1 &&
            m_AxisData[i].m_cIdentifier != 0)
            text += m_AxisData[i].m_cIdentifier;
    // too small a buffer is the caller's to see: the error slots stay as they are
    if (!buffer || size <= 0 || text.size() + 1 > static_cast<size_t>(size)) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}
