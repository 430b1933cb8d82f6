// Motion state, limits and status: IsMoving, qONT, qLIM, qTMN, qTMX, qSRG, GetStatus.
#include <cstdint>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

namespace {
constexpr int kRegisterSignalLines = 3;

enum StatusItem {
    kNegativeLimit = 1,
    kPositiveLimit,
    kReferenceSignal,
    kMoving,
    kInputNibble,
    kServoOn,
};
constexpr uint8_t kInputNibbleMask = 0xF0;

const char* Text(const char* axes) {
    return axes ? axes : "";
}
}  // namespace

ZR_BOOL CCorvaneController::IsMoving(const char* axes, ZR_BOOL* moving, int combined) {
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(moving))
        return false;
    const bool oneAnswer = combined == 1 && (!axes || axes[0] == '\0');
    if (oneAnswer) moving[0] = 0;
    bool motionError = false;
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        uint8_t status[kMaxStatusBytes];
        if (!ReadAxisStatus(i, status)) return false;
        const CCorvaneAxis* board = m_Axes.Get(i);
        bool axisMoving = false;
        if (!board->m_bStepper && board->MotionError(status)) {
            // the board stopped on its own: it is not moving, and the caller must hear why
            motionError = true;
            m_iLocalError = ZR_MOTION_ERROR;
        } else {
            axisMoving = !IsTrajectoryComplete(status);
            ZR_LOG_DEBUG("CCorvaneController::IsMoving(\"%s\") - %s", Text(axes),
                         axisMoving ? "TRUE" : "FALSE");
        }
        if (oneAnswer) {
            if (axisMoving) moving[0] = 1;
        } else {
            moving[k] = axisMoving ? 1 : 0;
        }
    }
    return !motionError;
}

ZR_BOOL CCorvaneController::qONT(const char* axes, ZR_BOOL* onTarget) {
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(onTarget))
        return false;
    for (size_t k = 0; k < list.size(); ++k) {
        uint8_t status[kMaxStatusBytes];
        if (!ReadAxisStatus(list[k], status)) return false;
        onTarget[k] = IsTrajectoryComplete(status) ? 1 : 0;
    }
    return true;
}

ZR_BOOL CCorvaneController::qLIM(const char* axes, ZR_BOOL* hasLimitSwitches, int checkBusy) {
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes,
            {.macro = MacroRule::Refuse, .checkBusy = checkBusy == 1, .need = {.stage = true}},
            list) ||
        !RequireValues(hasLimitSwitches))
        return false;
    for (size_t k = 0; k < list.size(); ++k)
        hasLimitSwitches[k] = m_ParameterSet[list[k]].Get(StageFields::kMotNoLimitSwitch) == 0;
    return true;
}

ZR_BOOL CCorvaneController::qTMN(const char* axes, double* minimum) {
    ZR_LOG_DEBUG("CCorvaneController::qTMN(\"%s\")", Text(axes));
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(minimum))
        return false;
    for (size_t k = 0; k < list.size(); ++k) minimum[k] = ReportedMinTravel(UnitsOf(list[k]));
    return true;
}

ZR_BOOL CCorvaneController::qTMX(const char* axes, double* maximum) {
    ZR_LOG_DEBUG("CCorvaneController::qTMX(\"%s\")", Text(axes));
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(maximum))
        return false;
    for (size_t k = 0; k < list.size(); ++k) maximum[k] = ReportedMaxTravel(UnitsOf(list[k]));
    return true;
}

ZR_BOOL CCorvaneController::qSRG(const char* axes, const int* registers, int* values) {
    std::vector<int> list;
    // no busy check: the status lock keeps the reads apart from a reference procedure's polls
    if (!OpenMotionCommand(axes, {.macro = MacroRule::Free, .checkBusy = false, .need = {}}, list))
        return false;
    if (!registers || !values) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    bool all = true;
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        if (registers[k] != kRegisterSignalLines) {
            m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
            all = false;
            continue;
        }
        winport::ScopedLock refFlag(m_csRefFlag);
        uint8_t status[kMaxStatusBytes];
        if (!ReadAxisStatus(i, status)) {
            all = false;
            continue;
        }
        const CCorvaneAxis* board = m_Axes.Get(i);
        values[k] = static_cast<int8_t>(status[board->m_iStatusByteSignalLinesInput]);
    }
    return all;
}

ZR_BOOL CCorvaneController::GetStatus(const char* axes, const int* items, int* values) {
    std::vector<int> list;
    if (!OpenMotionCommand(axes, {.macro = MacroRule::Free, .checkBusy = false, .need = {}}, list))
        return false;
    if (!items || !values) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    bool all = true;
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        const CCorvaneAxis* board = m_Axes.Get(i);
        winport::ScopedLock refFlag(m_csRefFlag);
        uint8_t status[kMaxStatusBytes];
        if (!ReadAxisStatus(i, status)) return false;
        switch (items[k]) {
            case kNegativeLimit:
                values[k] = board->NegLimit(status);
                break;
            case kPositiveLimit:
                values[k] = board->PosLimit(status);
                break;
            case kReferenceSignal:
                values[k] = board->ReferenceSignal(status) !=
                            (m_ParameterSet[i].Get(StageFields::kMotRefInvert) != 0);
                break;
            case kMoving:
                values[k] = !IsTrajectoryComplete(status);
                break;
            case kServoOn:
                values[k] = !board->ServoOff(status);
                break;
            case kInputNibble:
                if (board->m_bStepper) {
                    values[k] =
                        (status[board->m_iStatusByteSignalLinesInput] & kInputNibbleMask) >> 4;
                    break;
                }
                [[fallthrough]];  // a servo board has no such lines
            default:
                m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
                all = false;
        }
    }
    return all;
}
