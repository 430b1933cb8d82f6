// Positions, targets and home: MOV, MVR, GOH, qMOV, ReadTarget, qPOS, POS, DFH, qDFH, DFF, qDFF.
// Moves check every axis before the first native command, so a refused move moves nothing.
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

namespace {
const char* Text(const char* axes) {
    return axes ? axes : "";
}

bool HasSwitches(const StageParameterSet& p) {
    return p.Get(StageFields::kMotHatRef) == 1 || p.Get(StageFields::kMotNoLimitSwitch) == 0;
}
}  // namespace

ZR_BOOL CCorvaneController::MOV(const char* axes, const double* positions) {
    ZR_LOG_DEBUG("CCorvaneController::MOV(\"%s\")", Text(axes));
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Refuse,
                            .setter = true,
                            .need = {.stage = true, .referenced = true, .initialised = true}},
                           list) ||
        !RequireValues(positions))
        return false;
    if (!ReadServoStates(list)) return false;

    std::vector<int> targets(list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        if (!MayMoveTo(i, {.target = positions[k]})) return false;
        targets[k] = PositionToTarget(UnitsOf(i), positions[k]);
    }
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        char line[kCorvaneCommandSize];
        std::snprintf(line, sizeof line, "MA%d", SignedForBoard(UnitsOf(i), targets[k]));
        if (!SelectAndSend(i, line)) return false;
        m_AxisData[i].iTargetAbsolute = targets[k];
        m_AxisData[i].m_bTargetValid = true;
        ZR_LOG_DEBUG("MOV set iTargetAbsolute: %d", targets[k]);
    }
    return true;
}

ZR_BOOL CCorvaneController::MVR(const char* axes, const double* distances) {
    ZR_LOG_DEBUG("CCorvaneController::MVR(\"%s\")", Text(axes));
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Record,
                            .setter = true,
                            .need = {.stage = true,
                                     .referenced = true,
                                     .initialised = true,
                                     .honourReferenceMode = true}},
                           list) ||
        !RequireValues(distances))
        return false;
    struct Step {
        bool rangeChecked;
        int base;
        int counts;
    };
    std::vector<Step> steps(list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        CCorvaneAxisData& a = m_AxisData[i];
        Step& s = steps[k];
        s.rangeChecked =
            (a.m_bReferenceModeOn && HasSwitches(m_ParameterSet[i])) || a.m_bReferenced;
        // the cached servo state: a relative move does not ask the board
        if (!MayMoveTo(i, {}) || (!a.m_bTargetValid && !ReadTarget(i, nullptr))) return false;
        const CorvaneAxisUnits u = UnitsOf(i);
        s.base = TargetBase(u, a.iTargetAbsolute);
        if (s.rangeChecked && !MayMoveTo(i, {.target = BaseToPosition(u, s.base) + distances[k]}))
            return false;
        s.counts = UnitsToCounts(u, distances[k]);
    }
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        const Step& s = steps[k];
        const CorvaneAxisUnits u = UnitsOf(i);
        const int board = SignedForBoard(u, s.counts);
        ZR_LOG_DEBUG("CCorvaneController::MVR() axis %d: MR%d", i, board);
        char line[kCorvaneCommandSize];
        std::snprintf(line, sizeof line, "MR%d", board);
        if (!SelectAndSend(i, line)) return false;
        // recorded, not moved: the target stays what it was
        if (!s.rangeChecked || m_iMacroRecording) continue;
        m_AxisData[i].iTargetAbsolute = AddCounts(s.counts, s.base, u.offset);
        m_AxisData[i].m_bTargetValid = true;
        ZR_LOG_DEBUG("MVR set iTargetAbsolute: %d", m_AxisData[i].iTargetAbsolute);
    }
    return true;
}

ZR_BOOL CCorvaneController::GOH(const char* axes) {
    ZR_LOG_DEBUG("CCorvaneController::GOH(\"%s\")", Text(axes));
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Record,
                            .setter = true,
                            .need = {.stage = true, .referenced = true, .initialised = true}},
                           list))
        return false;
    if (m_iMacroRecording) return SelectAndSend(list[0], "GH");
    if (!ReadServoStates(list)) return false;
    for (int i : list)
        if (!MayMoveTo(i, {.joystick = JoystickRule::kIgnore, .target = HomeInUnits(UnitsOf(i))}))
            return false;
    for (int i : list) {
        const CorvaneAxisUnits u = UnitsOf(i);
        const int target = AddCounts(u.home, u.offset);
        ZR_LOG_DEBUG("CCorvaneController::GOH() axis %d: calling MA%d", i, target);
        char line[kCorvaneCommandSize];
        std::snprintf(line, sizeof line, "MA%d", SignedForBoard(u, target));
        if (!SelectAndSend(i, line)) return false;
        m_AxisData[i].iTargetAbsolute = target;
        m_AxisData[i].m_bTargetValid = true;
        ZR_LOG_DEBUG("GOH set iTargetAbsolute: %d", target);
    }
    return true;
}

ZR_BOOL CCorvaneController::qMOV(const char* axes, double* positions) {
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(positions))
        return false;
    for (size_t k = 0; k < list.size(); ++k)
        if (!ReadTarget(list[k], &positions[k])) return false;
    return true;
}

ZR_BOOL CCorvaneController::ReadTarget(int axis, double* position) {
    if (!ValidAxis(axis)) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    (void)m_Axes.Select(axis);  // a failed selection fails the next exchange
    int counter = 0;
    if (QueryValue("TT", 'T', 1, &counter) != 0) return false;
    const CorvaneAxisUnits u = UnitsOf(axis);
    const int base = CounterToBase(u, counter);
    const double value = BaseToPosition(u, base);
    if (position) *position = value;
    CCorvaneAxisData& a = m_AxisData[axis];
    a.iTargetAbsolute = AddCounts(base, u.offset);
    a.m_bTargetValid = true;
    ZR_LOG_DEBUG("CCorvaneController::ReadTarget() axis %d: T:%d, position %g", axis, counter,
                 value);
    ZR_LOG_DEBUG("ReadTarget() set iTargetAbsolute: %d", a.iTargetAbsolute);
    return true;
}

ZR_BOOL CCorvaneController::qPOS(const char* axes, double* positions) {
    ZR_LOG_DEBUG("CCorvaneController::qPOS(\"%s\")", Text(axes));
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(positions))
        return false;
    for (size_t k = 0; k < list.size(); ++k) {
        (void)m_Axes.Select(list[k]);  // a failed selection fails the next exchange
        int counter = 0;
        if (QueryValue("TP", 'P', 1, &counter) != 0) return false;
        positions[k] = CounterToPosition(UnitsOf(list[k]), counter);
    }
    return true;
}

ZR_BOOL CCorvaneController::POS(const char* axes, const double* positions) {
    ZR_LOG_DEBUG("CCorvaneController::POS(\"%s\")", Text(axes));
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Refuse,
                            .setter = true,
                            .need = {.stage = true, .initialised = true}},
                           list) ||
        !RequireValues(positions))
        return false;
    std::vector<int> wanted(list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        const int i = list[k];
        const double x = positions[k];
        if (m_AxisData[i].m_bReferenceModeOn && HasSwitches(m_ParameterSet[i])) {
            m_iLocalError = ZR_CNTR_COMMAND_NOT_ALLOWED_FOR_STAGE;
            return false;
        }
        const CorvaneAxisUnits u = UnitsOf(i);
        wanted[k] = AddCounts(UnitsToCounts(u, x), u.home);
        // a position that is no number, or one the board cannot count to, would otherwise
        // define the offset from a clamped value
        if (!std::isfinite(x) || !FitsBoardCounter(u, x) || (wanted[k] > 0 && x < 0) ||
            (wanted[k] < 0 && x > 0)) {
            m_iLocalError = ZR_CNTR_POSITION_OUT_OF_LIMITS;
            return false;
        }
    }
    std::vector<int> counters(list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        (void)m_Axes.Select(list[k]);  // a failed selection fails the next exchange
        if (QueryValue("TP", 'P', 1, &counters[k]) != 0) return false;
    }
    for (size_t k = 0; k < list.size(); ++k) {
        const long long offset = static_cast<long long>(counters[k]) - wanted[k];
        if (offset < INT_MIN || offset > INT_MAX) {
            m_iLocalError = ZR_CNTR_POSITION_OUT_OF_LIMITS;
            return false;
        }
    }
    for (size_t k = 0; k < list.size(); ++k) {
        CCorvaneAxisData& a = m_AxisData[list[k]];
        a.iCorvaneHomePosition = AddCounts(counters[k], -static_cast<long long>(wanted[k]));
        ZR_LOG_DEBUG("POS: set iCorvaneHomePosition :%d", a.iCorvaneHomePosition);
        a.m_bReferenced = true;
    }
    return true;
}

ZR_BOOL CCorvaneController::DFH(const char* axes) {
    ZR_LOG_DEBUG("CCorvaneController::DFH(\"%s\")", Text(axes));
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Record,
                            .setter = true,
                            .need = {.stage = true, .initialised = true}},
                           list))
        return false;
    if (m_iMacroRecording) return SelectAndSend(list[0], "DH");
    for (int i : list) {
        (void)m_Axes.Select(i);  // a failed selection fails the next exchange
        int counter = 0;
        if (QueryValue("TP", 'P', 1, &counter) != 0) return false;
        m_AxisData[i].iAktHomePosition = CounterToHome(UnitsOf(i), counter);
    }
    return true;
}

ZR_BOOL CCorvaneController::qDFH(const char* axes, double* homes) {
    std::vector<int> list;
    if (!OpenMotionCommand(
            axes, {.macro = MacroRule::Refuse, .need = {.stage = true, .initialised = true}},
            list) ||
        !RequireValues(homes))
        return false;
    for (size_t k = 0; k < list.size(); ++k) homes[k] = HomeInUnits(UnitsOf(list[k]));
    return true;
}

ZR_BOOL CCorvaneController::DFF(const char* axes, const double* factors, int checkBusy) {
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Refuse,
                            .setter = true,
                            .checkBusy = checkBusy == 1,
                            .need = {.stage = true, .initialised = true}},
                           list) ||
        !RequireValues(factors))
        return false;
    for (size_t k = 0; k < list.size(); ++k) {
        // written this way round so that a factor that is no number is refused as well
        if (!(factors[k] > 0) || !std::isfinite(factors[k])) {
            m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
            return false;
        }
        m_ParameterSet[list[k]].Set(StageFields::kMotFactor, factors[k]);
    }
    return true;
}

ZR_BOOL CCorvaneController::qDFF(const char* axes, double* factors, int checkBusy) {
    std::vector<int> list;
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Refuse,
                            .checkBusy = checkBusy == 1,
                            .need = {.stage = true, .initialised = true}},
                           list) ||
        !RequireValues(factors))
        return false;
    for (size_t k = 0; k < list.size(); ++k)
        factors[k] = m_ParameterSet[list[k]].Get(StageFields::kMotFactor);
    return true;
}
