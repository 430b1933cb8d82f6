#include "motion/controller/CCorvaneAxis.h"

namespace {
char AddressCharacter(int index) {
    return "0123456789ABCDEF"[index & 0x0F];
}
}  // namespace

CCorvaneAxis::CCorvaneAxis(int index) : m_cAddress(AddressCharacter(index)), m_iIndex(index) {}

void CCorvaneAxis::SetTypeValues(const CorvaneBoardTypeValues& v) {
    m_bStepper = v.bStepper;
    m_iNrStatusBytes = v.iNrStatusBytes;
    m_iStatusByteSignalLinesInput = v.iStatusByteSignalLinesInput;
    m_iStatusByteSignalLinesStatus = v.iStatusByteSignalLinesStatus;
    m_iStatusByteMacro = v.iStatusByteMacro;
    m_ucRefSignalMask = v.ucRefSignalMask;
    m_ucPosLimitMask = v.ucPosLimitMask;
    m_ucNegLimitMask = v.ucNegLimitMask;
    m_ucMacroRunningMask = v.ucMacroRunningMask;
}

void CCorvaneAxis::SetR220Values(bool hasJoystickPort) {
    SetTypeValues(kR220BoardValues);
    m_bHasJoystickPort = hasJoystickPort;
    m_iStatusByteJoystick = hasJoystickPort ? 3 : 0;
    m_ucJoystickMask = hasJoystickPort ? 0x10 : 0;
}

void CCorvaneAxis::SetR210Values() {
    SetTypeValues(kR210BoardValues);
    m_bHasJoystickPort = true;
    m_iStatusByteJoystick = 0;
    m_ucJoystickMask = 0x08;
    m_bR220_240 = false;
}

uint8_t CCorvaneAxis::Byte(const uint8_t* status, int index) {
    return status && index >= 0 && index < kMaxStatusBytes ? status[index] : 0;
}

uint8_t CCorvaneAxis::InputByte(const uint8_t* status) const {
    return Byte(status, m_iStatusByteSignalLinesInput) ^ m_ucLimitPolarity;
}

bool CCorvaneAxis::PosLimit(const uint8_t* status) const {
    return (InputByte(status) & m_ucPosLimitMask) != 0;
}

bool CCorvaneAxis::NegLimit(const uint8_t* status) const {
    return (InputByte(status) & m_ucNegLimitMask) != 0;
}

bool CCorvaneAxis::ReferenceSignal(const uint8_t* status) const {
    return (InputByte(status) & m_ucRefSignalMask) != 0;
}

bool CCorvaneAxis::ServoOff(const uint8_t* status) const {
    return (Byte(status, 0) & (m_bStepper ? kR210ServoOffBit : kR220ServoOffBit)) != 0;
}

bool CCorvaneAxis::MotionError(const uint8_t* status) const {
    return !m_bStepper && status && HasR220MotionError(status);
}

bool CCorvaneAxis::FindEdgeActive(const uint8_t* status) const {
    return (Byte(status, m_iStatusByteSignalLinesStatus) & CORVANE_SIG_STATUS_FIND_EDGE) != 0;
}

bool CCorvaneAxis::MacroRunning(const uint8_t* status) const {
    return (Byte(status, m_iStatusByteMacro) & m_ucMacroRunningMask) != 0;
}

bool CCorvaneAxis::JoystickActive(const uint8_t* status) const {
    return (Byte(status, m_iStatusByteJoystick) & m_ucJoystickMask) != 0;
}

int CCorvaneAxis::ErrorCode(const uint8_t* status) const {
    return Byte(status, m_bStepper ? 2 : 5);
}
