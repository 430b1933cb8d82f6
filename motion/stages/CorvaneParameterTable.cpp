#include "motion/stages/CorvaneParameterTable.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

namespace {

namespace SF = StageFields;
using B = ParameterBoards;
constexpr double kIntMax = INT_MAX;
constexpr double kIntMaxNeg = -kIntMax;

// ---- ranges -----------------------------------------------------------------------------------
constexpr ParameterRange Between(double low, double high) {
    return {RangeKind::Between, low, high, false};
}
constexpr ParameterRange Either(double a, double b) {
    return {RangeKind::Either, a, b, false};
}
constexpr ParameterRange AsInteger(double low, double high) {
    return {RangeKind::AsInteger, low, high, false};
}
constexpr ParameterRange AtLeast(double low) {
    return {RangeKind::AtLeast, low, 0, false};
}
constexpr ParameterRange NotAboveMaxVelocity() {
    return {RangeKind::Between, 0, kIntMax, true};
}
// A factor must be above 0, as DFF demands; checking it here refuses it before anything is sent.
constexpr ParameterRange AboveZero() {
    return {RangeKind::AboveZero, 0, 0, false};
}
constexpr ParameterRange AnyNumber() {
    return {RangeKind::Any, 0, 0, false};
}
constexpr ParameterRange TextValue() {
    return {RangeKind::Text, 0, 0, false};
}
constexpr ParameterRange k16Bit = Between(0, 32767);
constexpr ParameterRange kPositive = Between(0, kIntMax);
constexpr ParameterRange kSigned = Between(kIntMaxNeg, kIntMax);
constexpr ParameterRange kFlag = Between(0, 1);

// ---- SPA ----------------------------------------------------------------------------------------
constexpr ParameterSetter Send(const char* command, double scale = 1) {
    return {SetAction::Plain, command, WholeNumber::Truncated, scale, kNoField, ValueForm::Plain};
}
constexpr ParameterSetter SendStore(const char* command, StoredField field, double scale = 1) {
    return {SetAction::Plain, command, WholeNumber::Truncated, scale, field, ValueForm::Plain};
}
constexpr ParameterSetter SendCountsStore(const char* command, StoredField field) {
    return {SetAction::Plain, command, WholeNumber::Counts, 1, field, ValueForm::Plain};
}
constexpr ParameterSetter Store(StoredField field, ValueForm form = ValueForm::Plain) {
    const WholeNumber number =
        field.kind == FieldKind::Int32 ? WholeNumber::Truncated : WholeNumber::None;
    return {SetAction::Plain, nullptr, number, 1, field, form};
}
constexpr ParameterSetter Act(SetAction action, StoredField field = kNoField,
                              WholeNumber number = WholeNumber::None) {
    return {action, nullptr, number, 1, field, ValueForm::Plain};
}

// ---- SPA? ---------------------------------------------------------------------------------------
constexpr ParameterSource Query(const char* query, char first, int colon, double divisor = 1,
                                ValueForm form = ValueForm::Plain) {
    return {SourceKind::Query, query, first, colon, divisor, kNoField, form};
}
constexpr ParameterSource Stored(StoredField field, ValueForm form = ValueForm::Plain) {
    return {SourceKind::Stored, nullptr, 0, 0, 1, field, form};
}
constexpr ParameterSource From(SourceKind kind) {
    return {kind, nullptr, 0, 0, 1, kNoField, ValueForm::Plain};
}

// Fields by parameter.
constexpr StoredField kP = FieldOf(SF::kMotP), kI = FieldOf(SF::kMotI), kD = FieldOf(SF::kMotD);
constexpr StoredField kILim = FieldOf(SF::kMotILim);
constexpr StoredField kMaxPosError = FieldOf(SF::kMotMaxPosError);
constexpr StoredField kMaxVel = FieldOf(SF::kMotMaxVel10);
constexpr StoredField kCurrAccel = FieldOf(SF::kMotCurrAccel11);
constexpr StoredField kCpuZ = FieldOf(SF::kMotCpuZ), kCpuN = FieldOf(SF::kMotCpuN);
constexpr StoredField kInvert = FieldOf(SF::kMotInvert);
constexpr StoredField kRadial = FieldOf(SF::kMotRadial);
constexpr StoredField kHatRef = FieldOf(SF::kMotHatRef);
constexpr StoredField kMaxTravel = FieldOf(SF::kMotMaxTravel);
constexpr StoredField kMinTravel = FieldOf(SF::kMotMinTravel);
constexpr StoredField kWertBeiRef = FieldOf(SF::kMotWertBeiRef);
constexpr StoredField kAbsNegRef = FieldOf(SF::kMotAbsNegRef);
constexpr StoredField kAbsPosRef = FieldOf(SF::kMotAbsPosRef);
constexpr StoredField kLimMode = FieldOf(SF::kMotAchsLimMode);
constexpr StoredField kType = FieldOf(SF::kMotType);
constexpr StoredField kBrake = FieldOf(SF::kMotHatBremse);
constexpr StoredField kRefInvert = FieldOf(SF::kMotRefInvert);
constexpr StoredField kNoLimit = FieldOf(SF::kMotNoLimitSwitch);
constexpr StoredField kSettleWindow = FieldOf(SF::kMotSettleWindow);
constexpr StoredField kSettleTime = FieldOf(SF::kMotSettleTimeSec);
constexpr StoredField kHc = FieldOf(SF::kMotStepperHc), kDc = FieldOf(SF::kMotStepperDc);
constexpr StoredField kHt = FieldOf(SF::kMotStepperHt);
constexpr StoredField kMaxCurrent = FieldOf(SF::kMotStepperMaxCurrent);
constexpr StoredField kCurrVel = FieldOf(SF::kMotCurrentVel73);
constexpr StoredField kMaxAccel = FieldOf(SF::kMotMaxAccel74);
constexpr StoredField kRefVel = FieldOf(SF::kMotRefVel80);

constexpr ValueForm kTimesFactor = ValueForm::TimesFactor;
constexpr ValueForm kNonZero = ValueForm::NonZeroAsOne;

// Ordered by ID. The notch filter edge is set with "FQ", the command its query "FQ?" belongs to.
constexpr CorvaneParameterRule kRules[] = {
    {1, B::NotStepper, k16Bit, SendStore("DP", kP), Query("GP", 'G', 1)},
    {2, B::NotStepper, k16Bit, SendStore("DI", kI), Query("GI", 'I', 1)},
    {3, B::NotStepper, k16Bit, SendStore("DD", kD), Query("GD", 'D', 1)},
    {4, B::NotStepper, k16Bit, SendStore("DL", kILim), Query("GL", 'M', 1)},
    {8, B::NotStepper, k16Bit, SendCountsStore("SM", kMaxPosError), Stored(kMaxPosError)},
    {10, B::All, kPositive, Act(SetAction::MaxVelocity, kMaxVel), Stored(kMaxVel)},
    {11, B::All, kPositive, Act(SetAction::Acceleration, kCurrAccel), Stored(kCurrAccel)},
    {14, B::All, Between(1, kIntMax), Act(SetAction::CountsPerUnit, kCpuZ), Stored(kCpuZ)},
    {15, B::All, Between(1, kIntMax), Act(SetAction::CountsPerUnit, kCpuN), Stored(kCpuN)},
    {17, B::All, Either(-1, 1), Act(SetAction::Invert, kInvert), Stored(kInvert)},
    {18, B::All, AboveZero(), Act(SetAction::Factor), From(SourceKind::Factor)},
    {19, B::All, kFlag, Store(kRadial), Stored(kRadial)},
    {20, B::All, kFlag, Act(SetAction::LimitLine, kHatRef), From(SourceKind::HasReference)},
    {21, B::All, kSigned, Store(kMaxTravel, kTimesFactor), Stored(kMaxTravel, kTimesFactor)},
    {22, B::All, kSigned, Store(kWertBeiRef), Stored(kWertBeiRef)},
    {23, B::All, kPositive, Store(kAbsNegRef), Stored(kAbsNegRef)},
    {24, B::All, Either(0, 3), Act(SetAction::LimitMode, kLimMode), Stored(kLimMode)},
    {25, B::All, Between(0, 0), Store(kType), Stored(kType)},
    {26, B::All, kFlag, Store(kBrake, kNonZero), Stored(kBrake, kNonZero)},
    {47, B::All, kPositive, Store(kAbsPosRef), Stored(kAbsPosRef)},
    {48, B::All, kSigned, Store(kMinTravel, kTimesFactor), Stored(kMinTravel, kTimesFactor)},
    {49, B::All, kFlag, Store(kRefInvert), Stored(kRefInvert)},
    {50, B::All, kFlag, Act(SetAction::LimitLine, kNoLimit), Stored(kNoLimit)},
    {54, B::R220_240, kPositive, SendStore("WW", kSettleWindow), Query("WW?", 'W', 2)},
    {60, B::All, TextValue(), Act(SetAction::StageName), From(SourceKind::StageName)},
    {63, B::R220_240, kPositive, SendStore("WT", kSettleTime, 1000), Query("WT?", 'W', 2, 1000)},
    {64, B::StepperOnly, k16Bit, SendStore("HC", kHc), Stored(kHc)},
    {65, B::StepperOnly, k16Bit, SendStore("DC", kDc), Stored(kDc)},
    {66, B::StepperOnly, k16Bit, SendStore("HT", kHt), Stored(kHt)},
    {67, B::StepperOnly, k16Bit, SendStore("DC", kMaxCurrent), Stored(kMaxCurrent)},
    {73, B::All, kPositive, Act(SetAction::Velocity, kCurrVel), From(SourceKind::Velocity)},
    {74, B::All, kPositive, Act(SetAction::MaxAcceleration, kMaxAccel), Stored(kMaxAccel)},
    {80, B::All, NotAboveMaxVelocity(), Store(kRefVel), Stored(kRefVel)},
    {148, B::R220_240, Between(40, 10000), Send("FN"), Query("FN?", 'F', 2)},
    {149, B::R220_240, Between(0.4, 10), Send("FQ", 100), Query("FQ?", 'F', 2, 100)},
    {256, B::Trackball, AsInteger(0, 1), Act(SetAction::TrackballMode),
     Query("JA?", 'J', 2, 1, kNonZero)},
    {257, B::Trackball, AtLeast(1),
     Act(SetAction::TrackballIncrement, kNoField, WholeNumber::Truncated),
     From(SourceKind::JoystickAxis)},
    {258, B::TrackballWithSB, AnyNumber(), Send("SB"), Query("SB?", 'S', 2)},
    {272, B::R220_240, Between(0, 2), Send("FM"), Query("FM?", 'F', 2)},
    {273, B::R220_240, Between(-1000, 1000), Send("FA"), Query("FA?", 'F', 2)},
    {274, B::R220_240, Between(0, 65535), Send("FP"), Query("FP?", 'F', 2)},
    {275, B::R220_240, Between(0, 65535), Send("FI"), Query("FI?", 'F', 2)},
    {276, B::R220_240, AnyNumber(), Send("FL"), Query("FL?", 'F', 2)},
    {277, B::R220_240, Between(0, 65535), Send("FD"), Query("FD?", 'F', 2)},
    {278, B::R220_240, Between(-65535, 65535), Send("FO"), Query("FO?", 'F', 2)},
    {279, B::R220_240, Between(40, 10000), Send("FT"), Query("FT?", 'F', 2)},
    {282, B::R220_240, AnyNumber(), Act(SetAction::ReadOnly), Query("TR", 'R', 1)},
    {288, B::JoystickTableOffset, Between(-128, 128), Send("JB"), Query("JB?", 'J', 2)},
};
static_assert(std::size(kRules) == 48, "the boards support 48 parameters");

}  // namespace

const CorvaneParameterRule* FindCorvaneParameter(uint32_t id) {
    const auto* it =
        std::lower_bound(std::begin(kRules), std::end(kRules), id,
                         [](const CorvaneParameterRule& r, uint32_t v) { return r.id < v; });
    return it != std::end(kRules) && it->id == id ? it : nullptr;
}

bool IsCorvaneParameter(uint32_t id) {
    return FindCorvaneParameter(id) != nullptr;
}

bool IsInParameterRange(const ParameterRange& range, double value) {
    if (range.kind == RangeKind::Text) return true;
    if (!std::isfinite(value)) return false;
    switch (range.kind) {
        case RangeKind::Between:
            return value >= range.low && value <= range.high;
        case RangeKind::Either:
            return value == range.low || value == range.high;
        case RangeKind::AsInteger: {
            const double whole = std::trunc(value);
            return whole >= range.low && whole <= range.high;
        }
        case RangeKind::AtLeast:
            return value >= range.low;
        case RangeKind::AboveZero:
            return value > 0;
        case RangeKind::Any:
        case RangeKind::Text:
            return true;
    }
    return false;
}

double TruncatedWholeNumber(const ParameterSetter& set, double value) {
    return std::trunc(value * set.scale);
}

double StoredForm(ValueForm form, double value, double factor) {
    switch (form) {
        case ValueForm::TimesFactor:
            return value * factor;
        case ValueForm::NonZeroAsOne:
            return value != 0 ? 1 : 0;
        case ValueForm::Plain:
            break;
    }
    return value;
}

double ReportedForm(ValueForm form, double stored, double factor) {
    switch (form) {
        case ValueForm::TimesFactor:
            return stored / factor;
        case ValueForm::NonZeroAsOne:
            return stored != 0 ? 1 : 0;
        case ValueForm::Plain:
            break;
    }
    return stored;
}

double ReadField(const StageParameterSet& set, StoredField field) {
    switch (field.kind) {
        case FieldKind::Int32:
            return set.GetAt<int32_t>(field.offset);
        case FieldKind::Int64:
            return static_cast<double>(set.GetAt<int64_t>(field.offset));
        case FieldKind::Double:
            return set.GetAt<double>(field.offset);
        case FieldKind::None:
            break;
    }
    return 0;
}

void WriteField(StageParameterSet& set, StoredField field, double value) {
    // The check keeps values inside the field's range; the clamp only guards the conversion.
    const double whole = std::isnan(value) ? 0 : std::trunc(value);
    switch (field.kind) {
        case FieldKind::Int32:
            set.SetAt<int32_t>(field.offset,
                               static_cast<int32_t>(std::clamp(whole, -kIntMax - 1, kIntMax)));
            break;
        case FieldKind::Int64:
            set.SetAt<int64_t>(field.offset,
                               static_cast<int64_t>(std::clamp(whole, -9.0e18, 9.0e18)));
            break;
        case FieldKind::Double:
            set.SetAt<double>(field.offset, value);
            break;
        case FieldKind::None:
            break;
    }
}
