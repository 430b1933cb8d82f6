// The tables of the parameter map: names and detail entries.
#include <cstdio>
#include <string>

#include "motion/stages/CZRParameterMap.h"

namespace {

struct DescribedParameter {
    uint32_t id;
    const char* name;        // the name table's name
    const char* detailName;  // nullptr: the same as name
    const char* shortDescription;
    int dataType;
};

constexpr int F = kParameterTypeFloat;

// The parameters the Corvane boards support, with their texts word for word.
constexpr DescribedParameter kSupported[] = {
    {1, "ZR_PARA_MOT_P", nullptr, "P-Term", F},
    {2, "ZR_PARA_MOT_I", nullptr, "I-Term", F},
    {3, "ZR_PARA_MOT_D", nullptr, "D-Term", F},
    {4, "ZR_PARA_MOT_I_LIM", nullptr, "I-Limit", F},
    {8, "ZR_PARA_MOT_MAX_POS_ERROR", nullptr, "Maximum position error", F},
    {10, "ZR_PARA_MOT_MAX_VEL_10", "ZR_PARA_MOT_MAX_VEL", "Maximum allowed velocity", F},
    {11, "ZR_PARA_MOT_CURR_ACCEL_11", "ZR_PARA_MOT_MAX_ACCEL", "Current acceleration", F},
    {14, "ZR_PARA_MOT_CPU_Z", nullptr, "Counts per unit ratio numerator", F},
    {15, "ZR_PARA_MOT_CPU_N", nullptr, "Counts per unit ration denominator", F},
    {17, "ZR_PARA_MOT_INVERT", nullptr, "Invert direction (-1 = invert, 1 = do not invert)", F},
    {18, "ZR_PARA_MOT_FACTOR", nullptr, "Scaling factor", F},
    {19, "ZR_PARA_MOT_RADIAL", nullptr, "Is rotary stage", F},
    {20, "ZR_PARA_MOT_HAT_REF", nullptr, "Stage has reference switch", F},
    {21, "ZR_PARA_MOT_MAX_TRAVEL", nullptr, "Maximum travel in positive direction", F},
    {22, "ZR_PARA_MOT_WERT_BEI_REF", nullptr, "Position value at reference switch position", F},
    {23, "ZR_PARA_MOT_ABS_NEG_REF", nullptr,
     "Distance between reference switch and negative limit switch", F},
    {24, "ZR_PARA_MOT_ACHS_LIM_MODE", nullptr, "Limit switch polarity mode", F},
    {25, "ZR_PARA_MOT_TYPE", nullptr, "Stage type (0 = DC, 2 = voicecoil)", F},
    {26, "ZR_PARA_MOT_HAT_BREMSE", nullptr, "Stage has brakes", F},
    {47, "ZR_PARA_MOT_ABS_POS_REF", nullptr,
     "Distance between reference switch and positive limit switch", F},
    {48, "ZR_PARA_MOT_MIN_TRAVEL", nullptr, "Maximum travel in negative direction", F},
    {49, "ZR_PARA_MOT_REF_INVERT", nullptr, "Invert reference switch signal", F},
    {50, "ZR_PARA_MOT_NO_LIMITSWITCH", nullptr,
     "Stage has no limit switches (0 = has L.S., 1 = has no L.S.)", F},
    {54, "ZR_PARA_MOT_SETTLE_WINDOW", nullptr, "Settle Window", F},
    {60, "ZR_PARA_MOT_STAGE_NAME", nullptr, "Stage name", kParameterTypeChar},
    {63, "ZR_PARA_MOT_SETTLE_TIME_SEC", nullptr, "Settle time (sec)", F},
    {64, "ZR_PARA_MOT_STEPPER_HC", nullptr, "Stepper hold current", F},
    {65, "ZR_PARA_MOT_STEPPER_DC", nullptr, "Stepper drive current", F},
    {66, "ZR_PARA_MOT_STEPPER_HT", nullptr, "Stepper hold time", F},
    {67, "ZR_PARA_MOT_STEPPER_MAX_CURRENT", nullptr, "Stepper max current", F},
    {73, "ZR_PARA_MOT_CURRENT_VEL_73", nullptr, "Current velocity", F},
    {74, "ZR_PARA_MOT_MAX_ACCEL_74", nullptr, "Maximum allowed acceleration", F},
    {80, "ZR_PARA_MOT_REF_VEL_80", nullptr, "Reference/Limit Switch Search Velocity", F},
    {148, "ZR_PARA_NOTCH_FILTER_FREQUENCY", nullptr, "Notch filter frequency", F},
    {149, "ZR_PARA_NOTCH_FILTER_EDGE", nullptr, "Notch filter edge", F},
    {256, "ZR_PARA_MOT_TRACKBALL_CTRL_MODE", nullptr, "Trackball control mode", F},
    {257, "ZR_PARA_MOT_TRACKBALL_CTRL_INCR", nullptr, "Trackball control increment", F},
    {258, "ZR_PARA_MOT_TRACKBALL_CTRL_FILTER", nullptr, "Trackball control filter", F},
    {272, "ZR_PARA_MOT_F_CTRL_MODE", nullptr, "Force control mode", F},
    {273, "ZR_PARA_MOT_F_CTRL_TARGET", nullptr, "Force control target", F},
    {274, "ZR_PARA_MOT_F_CTRL_SERVO_P", nullptr, "Force control servo P-term", F},
    {275, "ZR_PARA_MOT_F_CTRL_SERVO_I", nullptr, "Force control servo I-term", F},
    {276, "ZR_PARA_MOT_F_CTRL_FORCE_I_LIMIT", nullptr, "Force control servo I-limit", F},
    {277, "ZR_PARA_MOT_F_CTRL_FORCE_D", nullptr, "Force control servo D-term", F},
    {278, "ZR_PARA_MOT_F_CTRL_FORCE_OFFSET", nullptr, "Force control force offset", F},
    {279, "ZR_PARA_MOT_F_CTRL_LOW_PASS_FILTER", nullptr, "Force control low pass filter", F},
    {282, "ZR_PARA_MOT_F_CTRL_CURRENT_FORCE", nullptr, "Current force", F},
    {288, "ZR_PARA_MOT_JOYSTICK_TABLE_OFFSET", nullptr, "Joystick table offset", F},
};

// ID 12 has texts of its own; the other entries of this list get generic ones (below). No output
// ever shows them: the boards support none of these IDs.
constexpr DescribedParameter kDeceleration = {12, "ZR_PARA_MOT_CURR_DECEL_12",
                                              "ZR_PARA_MOT_MAX_DECEL", "Current deceleration", F};
constexpr uint32_t kOtherDescribed[] = {5,  6,  7,  9,  13, 16, 27,         28,        30, 32,
                                        34, 36, 38, 42, 51, 52, 53,         55,        56, 57,
                                        58, 59, 68, 69, 70, 75, 0x16000000, 0x16000200};

DescribedParameter Generic(uint32_t id, std::string& name, std::string& description) {
    char text[64];
    if ((id >> 24) == 0) {
        std::snprintf(text, sizeof text, "ZR_PARA_MOT_%u", id);
        name = text;
        std::snprintf(text, sizeof text, "Motor parameter %u", id);
    } else {
        std::snprintf(text, sizeof text, "ZR_PARA_0x%08X", id);
        name = text;
        std::snprintf(text, sizeof text, "Parameter 0x%08X", id);
    }
    description = text;
    return {id, name.c_str(), nullptr, description.c_str(), kParameterTypeInt};
}

template <typename Visit>
void ForEachDescribed(Visit visit) {
    for (const DescribedParameter& p : kSupported) visit(p);
    visit(kDeceleration);
    for (uint32_t id : kOtherDescribed) {
        std::string name, description;
        visit(Generic(id, name, description));
    }
}

}  // namespace

void CZRParameterMap::FillNameTable() {
    m_Names.clear();
    ForEachDescribed([this](const DescribedParameter& p) { m_Names[p.id] = p.name; });
}

void CZRParameterMap::FillDetailTable() {
    m_Details.clear();
    ForEachDescribed([this](const DescribedParameter& p) {
        ZRParameterDetail& d = m_Details[p.id];
        d.name = p.detailName ? p.detailName : p.name;
        d.shortDescription = p.shortDescription;
        d.level = 0;
        d.dataType = p.dataType;
    });
}
