#include "camera/ui/LutValues.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace lmv::ui {
namespace {

constexpr int kPresetMin = 100;
constexpr double kGainUp = 0.7943282;
constexpr double kGainDown = 1.2589254;
constexpr double kPresetRounding = 0.49;

struct preset {
    const char* label;
    double red, green, blue;
};

constexpr preset kPresets[kPresetCount] = {
    {"3300", 3089.479, 1214.002, 510.549},   {"3600", 2938.772, 1275.023, 596.483},
    {"4000", 2769.877, 1342.503, 703.589},   {"4600", 2563.610, 1409.236, 848.519},
    {"5600", 2295.041, 1478.401, 1045.464},  {"7700", 1975.240, 1530.027, 1313.239},
    {"12000", 1673.468, 1544.739, 1601.192}, {"15000", 1554.705, 1544.739, 1721.281},
};

constexpr preset kPresetsBg39[kPresetCount] = {
    {"2200", 2172.104, 2278.770, 651.077},  {"2300", 2074.978, 2320.202, 710.925},
    {"2500", 1904.644, 2374.160, 825.962},  {"2800", 1695.829, 2419.168, 985.414},
    {"3300", 1433.833, 2454.060, 1218.245}, {"4200", 1141.934, 2419.168, 1542.128},
    {"5600", 901.845, 2330.797, 1869.760},  {"9000", 676.085, 2172.104, 2258.604},
};

int truncated(double v) {
    return static_cast<int>(v + kPresetRounding);
}

// Every maximum times `factor`, when `fits` accepts each result.
template <typename Fits>
bool scale_maxima(lut_values& v, double factor, Fits fits) {
    int scaled[kChannelCount];
    for (int c = 0; c < kChannelCount; ++c) {
        scaled[c] = static_cast<int>(v.ch[c].max * factor);
        if (!fits(v.ch[c], scaled[c])) return false;
    }
    for (int c = 0; c < kChannelCount; ++c) v.ch[c].max = scaled[c];
    return true;
}

}  // namespace

bool lut_values::operator==(const lut_values& o) const {
    for (int c = 0; c < kChannelCount; ++c)
        if (ch[c].min != o.ch[c].min || ch[c].max != o.ch[c].max) return false;
    return lin == o.lin;
}

lut_channel commit_max(lut_channel c, int typed) {
    c.max = std::clamp(typed, c.min + 1, kLevelMax);
    return c;
}

lut_channel commit_min(lut_channel c, int typed) {
    c.min = std::clamp(typed, 0, c.max - 1);
    return c;
}

lut_channel step_max(lut_channel c, int delta) {
    return commit_max(c, c.max + delta);
}

lut_channel step_min(lut_channel c, int delta) {
    return commit_min(c, c.min + delta);
}

lut_channel shift(lut_channel c, int delta) {
    const int width = c.max - c.min;
    c.max = std::clamp(c.max + delta, 1, kLevelMax);
    c.min = std::clamp(c.min + delta, 0, kLevelMax - 1);
    if (c.min >= c.max) {  // squeezed at an end: keep them apart
        if (delta > 0)
            c.min = std::max(0, c.max - std::max(width, 1));
        else
            c.max = std::min(kLevelMax, c.min + std::max(width, 1));
    }
    return c;
}

bool apply_preset(lut_values& v, int index, bool bg39) {
    if (index < 0 || index >= kPresetCount) return false;
    const preset& p = (bg39 ? kPresetsBg39 : kPresets)[index];
    const double maxima[kChannelCount] = {p.red, p.green, p.blue};
    for (int c = 0; c < kChannelCount; ++c) v.ch[c] = lut_channel{kPresetMin, truncated(maxima[c])};
    return true;
}

const char* preset_label(int index, bool bg39) {
    if (index < 0 || index >= kPresetCount) return "";
    return (bg39 ? kPresetsBg39 : kPresets)[index].label;
}

bool gain_up(lut_values& v) {
    return scale_maxima(v, kGainUp, [](const lut_channel& c, int m) { return m >= c.min + 1; });
}

bool gain_down(lut_values& v) {
    return scale_maxima(v, kGainDown, [](const lut_channel&, int m) { return m <= kLevelMax; });
}

std::string type_into(const std::string& text, char c, size_t limit) {
    if (c < '0' || c > '9' || text.size() >= limit) return text;
    return text + c;
}

int field_value(const std::string& text) {
    return text.empty() ? 0 : std::atoi(text.c_str());
}

std::string field_text(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", value);
    return text;
}

}  // namespace lmv::ui
