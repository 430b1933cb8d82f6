#pragma once
// The record of one board of the daisy chain: its address, its type and the features its firmware
// has. Which status byte and bit carries which signal is a property of the board type; the helpers
// below read a 6-byte status array through them.
#include <cstdint>

#include "motion/controller/CorvaneStatus.h"

// The values a board type gives the record.
struct CorvaneBoardTypeValues {
    bool bStepper;
    int iNrStatusBytes;
    int iStatusByteSignalLinesInput;
    int iStatusByteSignalLinesStatus;
    int iStatusByteMacro;
    uint8_t ucRefSignalMask;
    uint8_t ucPosLimitMask;
    uint8_t ucNegLimitMask;
    uint8_t ucMacroRunningMask;
};

inline constexpr CorvaneBoardTypeValues kR220BoardValues = {false, 6,    4,    3,   1,
                                                            0x02,  0x04, 0x08, 0x10};
inline constexpr CorvaneBoardTypeValues kR210BoardValues = {true, 3,    1,    0,   0,
                                                            0x02, 0x04, 0x01, 0x10};

// Signals of byte 0 that the table of board-type values does not carry.
inline constexpr uint8_t kR220TrajectoryCompleteBit = 0x04;
inline constexpr uint8_t kR210TrajectoryCompleteBit = 0x02;
inline constexpr uint8_t kR220ServoOffBit = 0x80;
inline constexpr uint8_t kR210ServoOffBit = 0x20;
// The find-edge bit of the signal-lines status byte.
inline constexpr uint8_t CORVANE_SIG_STATUS_FIND_EDGE = 0x04;

class CCorvaneAxis {
  public:
    explicit CCorvaneAxis(int index);

    // R-220 values; the joystick byte and mask follow from whether the board has a joystick port.
    void SetR220Values(bool hasJoystickPort);
    // R-210 values: stepper, joystick port, joystick bit 0x08 of byte 0, not an R-220/240.
    void SetR210Values();

    // Signals of a status array read from this board.
    uint8_t InputByte(const uint8_t* status) const;  // XORed with m_ucLimitPolarity
    bool PosLimit(const uint8_t* status) const;
    bool NegLimit(const uint8_t* status) const;
    bool ReferenceSignal(const uint8_t* status) const;
    bool ServoOff(const uint8_t* status) const;
    bool MotionError(const uint8_t* status) const;  // R-220 only; an R-210 reports none
    bool FindEdgeActive(const uint8_t* status) const;
    bool MacroRunning(const uint8_t* status) const;
    bool JoystickActive(const uint8_t* status) const;
    int ErrorCode(const uint8_t* status) const;

    char m_cAddress;  // "0" to "9", "A" to "F", sent after 0x01 to select the board
    int m_iIndex;
    bool m_bPresent = false;
    bool m_bSingleChar = false;  // answers the single byte "%" with its status
    char m_cTAAnswer = 0;        // first character of the "TA%d" answer: 'A' or 'T'
    bool m_bStepper = false;
    bool m_bHasJoystickPort = false;
    char m_cSJAnswer = 0;  // first character of the "SJ?" answer: 'S', 'J' or 0
    bool m_bR220_240 = false;
    bool m_bCanTrigger = false;
    bool m_bHasTrackballMode = false;
    bool m_bHasTrackballModeWithSB = false;
    bool m_bKnowsJoystickTableOffset = false;
    bool m_bHasJoystickLimits = false;
    bool m_bCanReadJoystickMode = false;
    int m_iNrStatusBytes = kR220BoardValues.iNrStatusBytes;
    int m_iStatusByteSignalLinesInput = kR220BoardValues.iStatusByteSignalLinesInput;
    int m_iStatusByteSignalLinesStatus = kR220BoardValues.iStatusByteSignalLinesStatus;
    int m_iStatusByteMacro = kR220BoardValues.iStatusByteMacro;
    int m_iStatusByteJoystick = 0;
    uint8_t m_ucJoystickMask = 0;
    uint8_t m_ucLimitPolarity = 0;
    uint8_t m_ucRefSignalMask = kR220BoardValues.ucRefSignalMask;
    uint8_t m_ucPosLimitMask = kR220BoardValues.ucPosLimitMask;
    uint8_t m_ucNegLimitMask = kR220BoardValues.ucNegLimitMask;
    uint8_t m_ucMacroRunningMask = kR220BoardValues.ucMacroRunningMask;
    bool m_bJoystickActive = false;
    int m_iTriggerMode = 3;
    int m_iJoystickAxis = 1;

  private:
    void SetTypeValues(const CorvaneBoardTypeValues& v);
    static uint8_t Byte(const uint8_t* status, int index);
};
