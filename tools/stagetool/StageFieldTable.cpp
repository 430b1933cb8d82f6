#include "StageFieldTable.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

template <typename T, std::size_t Offset>
constexpr StageFieldKind KindOf(StageField<T, Offset>) {
    if constexpr (std::is_same_v<T, double>)
        return StageFieldKind::Double;
    else if constexpr (sizeof(T) == 8)
        return StageFieldKind::Int64;
    else
        return StageFieldKind::Int32;
}

#define STAGE_FIELD(key, field, meaning)                      \
    StageFieldInfo {                                          \
        key, decltype(field)::kOffset, KindOf(field), meaning \
    }

}  // namespace

const std::vector<StageFieldInfo>& StageFieldTable() {
    using namespace StageFields;
    static const std::vector<StageFieldInfo> table = {
        STAGE_FIELD("type", kMotType, "0 DC motor, 2 voice coil, 6 stepper motor"),
        STAGE_FIELD("min-travel", kMotMinTravel, "travel limit, negative side (x factor)"),
        STAGE_FIELD("max-travel", kMotMaxTravel, "travel limit, positive side (x factor)"),
        STAGE_FIELD("reference-value", kMotWertBeiRef, "position at the reference switch"),
        STAGE_FIELD("neg-limit-distance", kMotAbsNegRef, "reference switch to negative limit"),
        STAGE_FIELD("pos-limit-distance", kMotAbsPosRef, "reference switch to positive limit"),
        STAGE_FIELD("factor", kMotFactor, "unit factor"),
        STAGE_FIELD("counts-numerator", kMotCpuZ, "counts per unit, numerator (full steps)"),
        STAGE_FIELD("counts-denominator", kMotCpuN, "counts per unit, denominator"),
        STAGE_FIELD("invert", kMotInvert, "direction: 1 or -1"),
        STAGE_FIELD("rotary", kMotRadial, "1 = rotary stage"),
        STAGE_FIELD("has-reference", kMotHatRef, "1 = reference switch"),
        STAGE_FIELD("reference-inverted", kMotRefInvert, "1 = reference signal inverted"),
        STAGE_FIELD("no-limit-switches", kMotNoLimitSwitch, "1 = no limit switches"),
        STAGE_FIELD("has-brake", kMotHatBremse, "1 = brake"),
        STAGE_FIELD("limit-mode", kMotAchsLimMode, "limit switch polarity: 0 high, 3 low"),
        STAGE_FIELD("settle-time", kMotSettleTimeSec, "settle time in seconds"),
        STAGE_FIELD("settle-window", kMotSettleWindow, "settle window"),
        STAGE_FIELD("p-term", kMotP, "control loop P term"),
        STAGE_FIELD("i-term", kMotI, "control loop I term"),
        STAGE_FIELD("d-term", kMotD, "control loop D term"),
        STAGE_FIELD("i-limit", kMotILim, "control loop I limit"),
        STAGE_FIELD("hold-current", kMotStepperHc, "stepper hold current"),
        STAGE_FIELD("drive-current", kMotStepperDc, "stepper drive current"),
        STAGE_FIELD("hold-time", kMotStepperHt, "stepper hold time"),
        STAGE_FIELD("max-current", kMotStepperMaxCurrent, "stepper maximum current"),
        STAGE_FIELD("max-velocity", kMotMaxVel10, "maximum velocity"),
        STAGE_FIELD("velocity", kMotCurrentVel73, "velocity"),
        STAGE_FIELD("reference-velocity", kMotRefVel80, "reference and limit search velocity"),
        STAGE_FIELD("max-acceleration", kMotMaxAccel74, "maximum acceleration"),
        STAGE_FIELD("acceleration", kMotCurrAccel11, "acceleration"),
        STAGE_FIELD("max-position-error", kMotMaxPosError, "maximum position error"),
        STAGE_FIELD("reference-result", kReferenceResult, "reference result when applied"),
    };
    return table;
}

const StageFieldInfo* FindStageField(const std::string& key) {
    for (const StageFieldInfo& field : StageFieldTable())
        if (key == field.key) return &field;
    return nullptr;
}

std::string FieldText(const StageParameterSet& set, const StageFieldInfo& field) {
    char text[64];
    switch (field.kind) {
        case StageFieldKind::Int32:
            std::snprintf(text, sizeof text, "%d", set.GetAt<int32_t>(field.offset));
            break;
        case StageFieldKind::Int64:
            std::snprintf(text, sizeof text, "%lld",
                          static_cast<long long>(set.GetAt<int64_t>(field.offset)));
            break;
        case StageFieldKind::Double:
            std::snprintf(text, sizeof text, "%.15g", set.GetAt<double>(field.offset));
            break;
    }
    return text;
}

bool SetFieldText(StageParameterSet& set, const StageFieldInfo& field, const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    if (field.kind == StageFieldKind::Double) {
        const double value = std::strtod(text.c_str(), &end);
        if (*end != '\0' || errno != 0) return false;
        set.SetAt<double>(field.offset, value);
        return true;
    }
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (*end != '\0' || errno != 0) return false;
    if (field.kind == StageFieldKind::Int32) {
        if (value < std::numeric_limits<int32_t>::min() ||
            value > std::numeric_limits<int32_t>::max())
            return false;
        set.SetAt<int32_t>(field.offset, static_cast<int32_t>(value));
    } else {
        set.SetAt<int64_t>(field.offset, value);
    }
    return true;
}
