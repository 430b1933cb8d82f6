#pragma once
// The values a LUT dialog edits and the rules of its controls, without any window: minimum and
// maximum per channel (one channel for the B/W dialog), the linear/gamma flag, colour presets,
// gain steps and the edit fields' text rules.
#include <string>

namespace lmv::ui {

inline constexpr int kLevelMax = 4095;
inline constexpr int kChannelCount = 3;
inline constexpr int kPresetCount = 8;
inline constexpr int kUserPresets = 20;
enum channel_index : int { kRedChannel = 0, kGreenChannel = 1, kBlueChannel = 2 };

struct lut_channel {
    int min = 0;
    int max = kLevelMax;
};

struct lut_values {
    lut_channel ch[kChannelCount];
    int lin = 0;
    bool operator==(const lut_values& o) const;
};

// Focus loss of the maximum field: maximum <= 4095 and >= minimum + 1.
lut_channel commit_max(lut_channel c, int typed);
// Focus loss of the minimum field: 0 <= minimum <= maximum - 1.
lut_channel commit_min(lut_channel c, int typed);
// The up-downs, one step of `delta`, with the same limits.
lut_channel step_max(lut_channel c, int delta);
lut_channel step_min(lut_channel c, int delta);
// Minimum and maximum moved together; the minimum stops at 0, the maximum at 4095.
lut_channel shift(lut_channel c, int delta);

// Button 0..7 of the preset group: maxima from the table (with or without the BG39 filter), every
// minimum 100. False for another index.
bool apply_preset(lut_values& v, int index, bool bg39);
// The preset button's label.
const char* preset_label(int index, bool bg39);
// "+": maxima times 0.7943282 when each stays above its minimum; "-": times 1.2589254 when each
// stays at most 4095. False when nothing changed.
bool gain_up(lut_values& v);
bool gain_down(lut_values& v);

// A field's text after a typed character: digits are taken (at most `limit` of them), anything
// else leaves the text as it was.
std::string type_into(const std::string& text, char c, size_t limit);
// The field's number, 0 for an empty field.
int field_value(const std::string& text);
// "%04d".
std::string field_text(int value);

}  // namespace lmv::ui
