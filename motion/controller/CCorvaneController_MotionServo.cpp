// Servo and reference mode: SVO, qSVO, RON, qRON.
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

ZR_BOOL CCorvaneController::SVO(const char* axes, const ZR_BOOL* states) {
    ZR_LOG_DEBUG("CCorvaneController::SVO(%s)", axes ? axes : "");
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Record,
                            .setter = true,
                            .need = {.stage = true, .initialised = true}},
                           list) ||
        !RequireValues(states))
        return false;
    const bool recording = m_iMacroRecording != 0;
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        CCorvaneAxisData& a = m_AxisData[i];
        const CCorvaneAxis* board = m_Axes.Get(i);
        (void)m_Axes.Select(i);  // a failed selection fails the next exchange
        if (states[k] == 0) {
            // a stepper loses its position with the motor current
            if (board->m_bStepper && !recording) a.m_bReferenced = false;
            if (SendCommand("MF") != 0) return false;
            if (!recording) a.m_iServoState = 0;
        } else if (states[k] == 1) {
            if (!recording) a.m_bTargetValid = false;
            // a servo board switched on again first forgets the target it was holding
            if (SendCommand(!board->m_bStepper && a.m_iServoState == 0 ? "AB,MN" : "MN") != 0)
                return false;
            if (!recording) a.m_iServoState = 1;
        } else {
            m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
            return false;
        }
    }
    return true;
}

ZR_BOOL CCorvaneController::qSVO(const char* axes, ZR_BOOL* states) {
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(states))
        return false;
    for (size_t k = 0; k < list.size(); ++k) {
        if (!ReadServoStates({list[k]})) return false;
        states[k] = m_AxisData[list[k]].m_iServoState;
    }
    return true;
}

ZR_BOOL CCorvaneController::RON(const char* axes, const ZR_BOOL* states) {
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Refuse,
                            .setter = true,
                            .need = {.stage = true, .initialised = true}},
                           list) ||
        !RequireValues(states))
        return false;
    for (size_t k = 0; k < list.size(); ++k) {
        const StageParameterSet& p = m_ParameterSet[list[k]];
        const bool noSwitches =
            p.Get(StageFields::kMotHatRef) == 0 && p.Get(StageFields::kMotNoLimitSwitch) == 1;
        if (noSwitches && states[k] == 1) {
            m_iLocalError = ZR_CNTR_COMMAND_NOT_ALLOWED_FOR_STAGE;
            return false;
        }
    }
    for (size_t k = 0; k < list.size(); ++k)
        m_AxisData[list[k]].m_bReferenceModeOn = states[k] == 1;
    return true;
}

ZR_BOOL CCorvaneController::qRON(const char* axes, ZR_BOOL* states) {
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(states))
        return false;
    for (size_t k = 0; k < list.size(); ++k) states[k] = m_AxisData[list[k]].m_bReferenceModeOn;
    return true;
}
