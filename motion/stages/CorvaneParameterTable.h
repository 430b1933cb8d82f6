#pragma once
// The parameters the Corvane boards support, one rule per ID: which boards have it, which values
// it takes, what SPA does with a value and where SPA? takes it from. The controller carries the
// rules out; this table is the one place that says which ID does what.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "motion/stages/StageParameterSet.h"

// Which boards have the parameter (the board record's capability flags).
enum class ParameterBoards {
    All,
    NotStepper,           // not on an R-210
    StepperOnly,          // R-210 only
    R220_240,             // m_bR220_240
    Trackball,            // m_bHasTrackballMode
    TrackballWithSB,      // m_bHasTrackballModeWithSB
    JoystickTableOffset,  // m_bKnowsJoystickTableOffset
};

// Which values pass the check. Every comparison is written so that NaN fails it; a value that is
// not finite never passes (ID 60 takes no value).
enum class RangeKind {
    Between,    // low <= value <= high
    Either,     // value == low or value == high
    AsInteger,  // the value truncated towards zero lies in low..high
    AtLeast,    // value >= low
    AboveZero,  // value > 0
    Any,        // any finite value
    Text,       // the value is not used
};

struct ParameterRange {
    RangeKind kind;
    double low;
    double high;
    bool notAboveMaxVelocity;  // also not above the stored ZR_PARA_MOT_MAX_VEL_10
};

// A field of the axis's parameter set, by type and offset.
enum class FieldKind { None, Int32, Int64, Double };
struct StoredField {
    FieldKind kind;
    std::size_t offset;
};
template <typename T, std::size_t Offset>
constexpr StoredField FieldOf(StageField<T, Offset>) {
    if constexpr (std::is_same_v<T, double>) return {FieldKind::Double, Offset};
    if constexpr (std::is_same_v<T, int64_t>) return {FieldKind::Int64, Offset};
    static_assert(
        std::is_same_v<T, double> || std::is_same_v<T, int64_t> || std::is_same_v<T, int32_t>,
        "parameter fields are int32, int64 or double");
    return {FieldKind::Int32, Offset};
}
inline constexpr StoredField kNoField = {FieldKind::None, 0};

// How a value is kept in, or read back from, its field.
enum class ValueForm {
    Plain,
    TimesFactor,   // stored x ZR_PARA_MOT_FACTOR, read back / ZR_PARA_MOT_FACTOR
    NonZeroAsOne,  // 1 for any value other than 0, else 0
};

// The whole number a value becomes, when it becomes one (sent to a board or kept in an int).
enum class WholeNumber {
    None,
    Truncated,  // value x scale, truncated towards zero
    Counts,     // value x counts per unit x ZR_PARA_MOT_FACTOR, rounded half away from zero
};

// What SPA does. Plain: send the command with the whole number (when there is a command), then
// store the value (when there is a field). The others are carried out by the controller.
enum class SetAction {
    Plain,
    MaxVelocity,         // 10: lower the velocity with VEL first when needed; store
    Acceleration,        // 11: the acceleration setter
    MaxAcceleration,     // 74: lower the acceleration first when needed; store
    CountsPerUnit,       // 14, 15: store; counts per unit := numerator / denominator
    Invert,              // 17: on a change store and unreference the axis
    Factor,              // 18: DFF
    LimitLine,           // 20, 50: store; then "LF" or "LN", unchecked
    LimitMode,           // 24: "LH" or "LL", unchecked, and the board's limit polarity
    StageName,           // 60: the next text line
    Velocity,            // 73: VEL
    TrackballMode,       // 256: "JA" with the board's joystick axis, or 0
    TrackballIncrement,  // 257: the board's joystick axis, nothing sent
    ReadOnly,            // 282
};

struct ParameterSetter {
    SetAction action;
    const char* command;  // native command the whole number is appended to; nullptr: none
    WholeNumber number;
    double scale;
    StoredField field;
    ValueForm form;
};

// Where SPA? takes the value from.
enum class SourceKind {
    Query,         // native query; the number after the colon / divisor
    Stored,        // the field
    Factor,        // DFF?
    HasReference,  // REF?
    Velocity,      // VEL?
    StageName,     // the axis's stage name into the text; the value 0
    JoystickAxis,  // the board's joystick axis
};

struct ParameterSource {
    SourceKind kind;
    const char* query;
    char first;         // expected first character of the answer
    int colonPosition;  // expected position of its colon
    double divisor;
    StoredField field;
    ValueForm form;
};

struct CorvaneParameterRule {
    uint32_t id;
    ParameterBoards boards;
    ParameterRange range;
    ParameterSetter set;
    ParameterSource get;
};

// The rule of a supported ID; nullptr for any other ID.
[[nodiscard]] const CorvaneParameterRule* FindCorvaneParameter(uint32_t id);
// The Corvane predicate of the parameter map: the ID has a rule.
[[nodiscard]] bool IsCorvaneParameter(uint32_t id);
// The range check without the stored maximum velocity, which only the controller knows.
[[nodiscard]] bool IsInParameterRange(const ParameterRange& range, double value);
// The whole number a value becomes, where WholeNumber::Truncated applies; the number as a double,
// so the caller can see whether it fits an int.
[[nodiscard]] double TruncatedWholeNumber(const ParameterSetter& set, double value);
// The value as a field keeps it, and as SPA? reports a kept one.
[[nodiscard]] double StoredForm(ValueForm form, double value, double factor);
[[nodiscard]] double ReportedForm(ValueForm form, double stored, double factor);
// Field access by kind; an int field takes the value truncated towards zero (checked before).
[[nodiscard]] double ReadField(const StageParameterSet& set, StoredField field);
void WriteField(StageParameterSet& set, StoredField field, double value);
