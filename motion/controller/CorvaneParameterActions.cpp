#include "motion/controller/CorvaneParameterActions.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

namespace {

constexpr int kLimitModeActiveHigh = 0;

// Written so that NaN fails.
bool FitsInt(double number) {
    return number >= static_cast<double>(INT_MIN) && number <= static_cast<double>(INT_MAX);
}

int WholeValue(double value) {
    return static_cast<int>(std::trunc(value));
}

}  // namespace

bool CorvaneParameterActions::Recording() const {
    return c_.m_iMacroRecording != 0;
}

std::string CorvaneParameterActions::AxisName(int axis) const {
    return std::string(1, c_.m_AxisData[axis].m_cIdentifier);
}

bool CorvaneParameterActions::BoardHas(int axis, ParameterBoards boards) const {
    const CCorvaneAxis* board = c_.m_Axes.Get(axis);
    if (!board) return false;
    switch (boards) {
        case ParameterBoards::All:
            return true;
        case ParameterBoards::NotStepper:
            return !board->m_bStepper;
        case ParameterBoards::StepperOnly:
            return board->m_bStepper;
        case ParameterBoards::R220_240:
            return board->m_bR220_240;
        case ParameterBoards::Trackball:
            return board->m_bHasTrackballMode;
        case ParameterBoards::TrackballWithSB:
            return board->m_bHasTrackballModeWithSB;
        case ParameterBoards::JoystickTableOffset:
            return board->m_bKnowsJoystickTableOffset;
    }
    return false;
}

bool CorvaneParameterActions::ValueAllowed(int axis, const CorvaneParameterRule& rule,
                                           double value) const {
    if (!IsInParameterRange(rule.range, value)) return false;
    if (rule.range.kind == RangeKind::Text) return true;
    const StageParameterSet& p = c_.m_ParameterSet[axis];
    if (rule.range.notAboveMaxVelocity && !(value <= p.Get(StageFields::kMotMaxVel10)))
        return false;
    switch (rule.set.number) {
        case WholeNumber::Truncated:
            return FitsInt(TruncatedWholeNumber(rule.set, value));
        case WholeNumber::Counts:
            return FitsInt(std::round(value * c_.m_AxisData[axis].m_dCountsPerUnit *
                                      p.Get(StageFields::kMotFactor)));
        case WholeNumber::None:
            break;
    }
    return true;
}

// ---- SPA ----------------------------------------------------------------------------------------

CorvaneParameterActions::Setter CorvaneParameterActions::SetterFor(SetAction action) {
    switch (action) {
        case SetAction::Plain:
            return &CorvaneParameterActions::SetPlain;
        case SetAction::MaxVelocity:
            return &CorvaneParameterActions::SetMaxVelocity;
        case SetAction::Acceleration:
            return &CorvaneParameterActions::SetAcceleration;
        case SetAction::MaxAcceleration:
            return &CorvaneParameterActions::SetMaxAcceleration;
        case SetAction::CountsPerUnit:
            return &CorvaneParameterActions::SetCountsPerUnit;
        case SetAction::Invert:
            return &CorvaneParameterActions::SetInvert;
        case SetAction::Factor:
            return &CorvaneParameterActions::SetFactor;
        case SetAction::LimitLine:
            return &CorvaneParameterActions::SetLimitLine;
        case SetAction::LimitMode:
            return &CorvaneParameterActions::SetLimitMode;
        case SetAction::StageName:
            return &CorvaneParameterActions::SetStageName;
        case SetAction::Velocity:
            return &CorvaneParameterActions::SetVelocity;
        case SetAction::TrackballMode:
            return &CorvaneParameterActions::SetTrackballMode;
        case SetAction::TrackballIncrement:
            return &CorvaneParameterActions::SetTrackballIncrement;
        case SetAction::ReadOnly:
            break;
    }
    return &CorvaneParameterActions::RefuseReadOnly;
}

ZR_BOOL CorvaneParameterActions::Set(int axis, const CorvaneParameterRule& rule, double value,
                                     const std::string& name) {
    (void)c_.m_Axes.Select(axis);  // a failed selection fails the next exchange
    return (this->*SetterFor(rule.set.action))(axis, rule, value, name);
}

ZR_BOOL CorvaneParameterActions::SendNumber(const char* command, int number) {
    char line[kCorvaneCommandSize];
    std::snprintf(line, sizeof line, "%s%d", command, number);
    return c_.SendCommand(line) == 0;
}

void CorvaneParameterActions::Store(int axis, StoredField field, ValueForm form, double value) {
    if (Recording()) return;  // the macro has not run: nothing has changed yet
    StageParameterSet& p = c_.m_ParameterSet[axis];
    WriteField(p, field, StoredForm(form, value, p.Get(StageFields::kMotFactor)));
}

ZR_BOOL CorvaneParameterActions::SetPlain(int axis, const CorvaneParameterRule& rule, double value,
                                          const std::string&) {
    const ParameterSetter& s = rule.set;
    if (s.command) {
        const int number = s.number == WholeNumber::Counts
                               ? c_.ToCounts(axis, value)
                               : static_cast<int>(TruncatedWholeNumber(s, value));
        if (!SendNumber(s.command, number)) return false;
    }
    Store(axis, s.field, s.form, value);
    return true;
}

ZR_BOOL CorvaneParameterActions::SetMaxVelocity(int axis, const CorvaneParameterRule& rule,
                                                double value, const std::string&) {
    const StageParameterSet& p = c_.m_ParameterSet[axis];
    if (value < p.Get(StageFields::kMotCurrentVel73) && !c_.VEL(AxisName(axis).c_str(), &value))
        return false;
    Store(axis, rule.set.field, ValueForm::Plain, value);
    return true;
}

ZR_BOOL CorvaneParameterActions::ApplyAcceleration(int axis, double value) {
    const StageParameterSet& p = c_.m_ParameterSet[axis];
    if (!(value <= p.Get(StageFields::kMotMaxAccel74))) {
        c_.m_iLocalError = ZR_CNTR_VELOCITY_OUT_OF_LIMITS;
        return false;
    }
    (void)c_.m_Axes.Select(axis);  // a failed selection fails the next exchange
    if (c_.SendCommand(c_.MakeAccelerationCommand(c_.ToCounts(axis, value))) != 0) return false;
    Store(axis, FieldOf(StageFields::kMotCurrAccel11), ValueForm::Plain, value);
    return true;
}

ZR_BOOL CorvaneParameterActions::SetAcceleration(int axis, const CorvaneParameterRule&,
                                                 double value, const std::string&) {
    return ApplyAcceleration(axis, value);
}

ZR_BOOL CorvaneParameterActions::SetMaxAcceleration(int axis, const CorvaneParameterRule& rule,
                                                    double value, const std::string&) {
    const StageParameterSet& p = c_.m_ParameterSet[axis];
    if (value < p.Get(StageFields::kMotCurrAccel11) && !ApplyAcceleration(axis, value))
        return false;
    Store(axis, rule.set.field, ValueForm::Plain, value);
    return true;
}

ZR_BOOL CorvaneParameterActions::SetCountsPerUnit(int axis, const CorvaneParameterRule& rule,
                                                  double value, const std::string&) {
    if (Recording()) return true;
    StageParameterSet& p = c_.m_ParameterSet[axis];
    Store(axis, rule.set.field, ValueForm::Plain, value);
    c_.m_AxisData[axis].m_dCountsPerUnit = static_cast<double>(p.Get(StageFields::kMotCpuZ)) /
                                           static_cast<double>(p.Get(StageFields::kMotCpuN));
    return true;
}

ZR_BOOL CorvaneParameterActions::SetInvert(int axis, const CorvaneParameterRule& rule, double value,
                                           const std::string&) {
    if (Recording()) return true;
    StageParameterSet& p = c_.m_ParameterSet[axis];
    if (p.Get(StageFields::kMotInvert) == WholeValue(value)) return true;
    Store(axis, rule.set.field, ValueForm::Plain, value);
    c_.m_AxisData[axis].m_bReferenced = false;
    c_.SetRefResult(axis, 0);
    return true;
}

ZR_BOOL CorvaneParameterActions::SetFactor(int axis, const CorvaneParameterRule&, double value,
                                           const std::string&) {
    return c_.DFF(AxisName(axis).c_str(), &value);
}

// "LF" only for a stage without limit switches that has no reference switch either; the line
// follows from the value just given, so a recorded macro gets the line it asks for.
ZR_BOOL CorvaneParameterActions::SetLimitLine(int axis, const CorvaneParameterRule& rule,
                                              double value, const std::string&) {
    const StageParameterSet& p = c_.m_ParameterSet[axis];
    const bool hatRef = rule.id == 20;
    const int noLimitSwitch = hatRef ? p.Get(StageFields::kMotNoLimitSwitch) : WholeValue(value);
    const int hasReference = hatRef ? WholeValue(value) : p.Get(StageFields::kMotHatRef);
    Store(axis, rule.set.field, ValueForm::Plain, value);
    (void)c_.SendCommand(noLimitSwitch != 0 && hasReference != 1 ? "LF" : "LN");
    return true;
}

ZR_BOOL CorvaneParameterActions::SetLimitMode(int axis, const CorvaneParameterRule& rule,
                                              double value, const std::string&) {
    const bool activeHigh = WholeValue(value) == kLimitModeActiveHigh;
    Store(axis, rule.set.field, ValueForm::Plain, value);
    (void)c_.SendCommand(activeHigh ? "LH" : "LL");
    if (Recording()) return true;
    CCorvaneAxis* board = c_.m_Axes.Get(axis);
    board->m_ucLimitPolarity =
        activeHigh ? 0 : static_cast<uint8_t>(board->m_ucPosLimitMask | board->m_ucNegLimitMask);
    return true;
}

ZR_BOOL CorvaneParameterActions::SetStageName(int axis, const CorvaneParameterRule&, double,
                                              const std::string& name) {
    if (Recording()) return true;
    // the name was checked with the other items: it fits the field
    (void)c_.m_ParameterSet[axis].SetStageName(name);
    c_.m_AxisData[axis].m_strStageName = name;
    return true;
}

ZR_BOOL CorvaneParameterActions::SetVelocity(int axis, const CorvaneParameterRule&, double value,
                                             const std::string&) {
    return c_.VEL(AxisName(axis).c_str(), &value);
}

ZR_BOOL CorvaneParameterActions::SetTrackballMode(int axis, const CorvaneParameterRule&,
                                                  double value, const std::string&) {
    const CCorvaneAxis* board = c_.m_Axes.Get(axis);
    return SendNumber("JA", WholeValue(value) == 1 ? board->m_iJoystickAxis : 0);
}

ZR_BOOL CorvaneParameterActions::SetTrackballIncrement(int axis, const CorvaneParameterRule&,
                                                       double value, const std::string&) {
    if (!Recording()) c_.m_Axes.Get(axis)->m_iJoystickAxis = WholeValue(value);
    return true;
}

ZR_BOOL CorvaneParameterActions::RefuseReadOnly(int, const CorvaneParameterRule& rule, double,
                                                const std::string&) {
    ZR_LOG_ERROR("CCorvaneController::SPA() parameter %u is read-only", rule.id);
    c_.m_iLocalError = ZR_INVALID_SPA_PARAMETER_ID;
    return false;
}

// ---- SPA? ---------------------------------------------------------------------------------------

ZR_BOOL CorvaneParameterActions::Get(int axis, const CorvaneParameterRule& rule, double* value) {
    const ParameterSource& g = rule.get;
    const StageParameterSet& p = c_.m_ParameterSet[axis];
    const std::string name = AxisName(axis);
    switch (g.kind) {
        case SourceKind::Query: {
            (void)c_.m_Axes.Select(axis);  // a failed selection fails the next exchange
            int number = 0;
            if (c_.QueryValue(g.query, g.first, g.colonPosition, &number) != 0) return false;
            *value = ReportedForm(g.form, number / g.divisor, 1);
            return true;
        }
        case SourceKind::Stored:
            *value = ReportedForm(g.form, ReadField(p, g.field), p.Get(StageFields::kMotFactor));
            return true;
        case SourceKind::Factor:
            return c_.qDFF(name.c_str(), value);
        case SourceKind::HasReference: {
            ZR_BOOL has = 0;
            if (!c_.qREF(name.c_str(), &has)) return false;
            *value = has;
            return true;
        }
        case SourceKind::Velocity:
            return c_.qVEL(name.c_str(), value);
        case SourceKind::StageName:
            *value = 0;
            return true;
        case SourceKind::JoystickAxis:
            *value = c_.m_Axes.Get(axis)->m_iJoystickAxis;
            return true;
    }
    return false;
}
