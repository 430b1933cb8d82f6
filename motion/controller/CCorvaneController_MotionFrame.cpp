// The frame every motion command runs through before it talks to a board, and the per-axis
// helpers the motion commands share.
#include <cstring>

#include "motion/controller/CCorvaneController.h"

ZR_BOOL CCorvaneController::RefuseInMacroMode() {
    if (!m_iMacroRecording) return true;
    m_iLocalError = ZR_IN_MACRO_MODE;
    return false;
}

ZR_BOOL CCorvaneController::OpenMotionCommand(const char* axes, const MotionFrame& frame,
                                              std::vector<int>& list) {
    const bool empty = !axes || axes[0] == '\0';
    const size_t capacity = empty ? kMaxCorvaneBoards : std::strlen(axes);
    list.assign(capacity, -1);
    int n = 0;

    if (m_iMacroRecording) {
        if (frame.macro == MacroRule::Refuse && !RefuseInMacroMode()) return false;
        if (frame.macro == MacroRule::Record) {
            // the macro lives on one board: only its axis can be recorded
            if (!GetAxesIndex(axes, list.data(), &n, {.stage = true})) return false;
            if (n != 1 || list[0] != m_iMacroAxis) {
                m_iLocalError = ZR_CNTR_MACRO_RECORD_ERROR;
                return false;
            }
        }
    }
    if (frame.setter && empty) {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }
    if (frame.checkBusy && !CheckController(1)) return false;
    if (!GetAxesIndex(axes, list.data(), &n, frame.need)) return false;
    list.resize(static_cast<size_t>(n));
    return true;
}

CorvaneAxisUnits CCorvaneController::UnitsOf(int axis) const {
    const CCorvaneAxisData& a = m_AxisData[axis];
    const StageParameterSet& p = m_ParameterSet[axis];
    CorvaneAxisUnits u;
    u.cpu = a.m_dCountsPerUnit;
    u.factor = p.Get(StageFields::kMotFactor);
    u.sign = p.Get(StageFields::kMotInvert);
    u.home = a.iAktHomePosition;
    u.offset = a.iCorvaneHomePosition;
    u.minTravel = p.Get(StageFields::kMotMinTravel);
    u.maxTravel = p.Get(StageFields::kMotMaxTravel);
    return u;
}

ZR_BOOL CCorvaneController::ReadAxisStatus(int axis, uint8_t status[kMaxStatusBytes]) {
    (void)m_Axes.Select(axis);  // a failed selection fails the next exchange
    return ReadCorvaneStatus(status);
}

ZR_BOOL CCorvaneController::ReadServoStates(const std::vector<int>& list) {
    for (int axis : list) {
        uint8_t status[kMaxStatusBytes];
        if (!ReadAxisStatus(axis, status)) return false;
        m_AxisData[axis].m_iServoState = m_Axes.Get(axis)->ServoOff(status) ? 0 : 1;
    }
    return true;
}

ZR_BOOL CCorvaneController::SelectAndSend(int axis, const char* line) {
    (void)m_Axes.Select(axis);  // a failed selection fails the next exchange
    return SendCommand(line) == 0;
}

bool CCorvaneController::JoystickInControl(int axis) const {
    const CCorvaneAxis* board = m_Axes.Get(axis);
    return board && board->m_bHasJoystickPort && board->m_bJoystickActive;
}

ZR_BOOL CCorvaneController::MayMoveTo(int axis, const MoveCheck& check) {
    if (m_AxisData[axis].m_iServoState == 0) {
        m_iLocalError = ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO;
        return false;
    }
    if (check.joystick == JoystickRule::kRefuse && JoystickInControl(axis)) {
        m_iLocalError = ZR_CNTR_AXIS_UNDER_JOYSTICK_CONTROL;
        return false;
    }
    if (check.target && !IsInTravelRange(UnitsOf(axis), *check.target)) {
        m_iLocalError = ZR_CNTR_POSITION_OUT_OF_LIMITS;
        return false;
    }
    return true;
}

ZR_BOOL CCorvaneController::RequireValues(const void* values) {
    if (values) return true;
    m_iLocalError = ZR_INVALID_ARGUMENT;
    return false;
}
