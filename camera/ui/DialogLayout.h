#pragma once
// The controls of the B/W dialog ("Lumivert B W") and the colour dialog ("Lumivert Color"): their
// IDs, kinds, places in the client area and texts.
#include <cstddef>

namespace lmv::ui {

enum class control_kind { edit, updown, radio, button, check, group, combo, curve, bar, marker };

struct control {
    int id;
    control_kind kind;
    int x, y, w, h;
    const char* text;
};

// What a dialog's controls mean to it: the IDs of its roles.
struct dialog_roles {
    int max_edit, max_updown, min_edit, min_updown, shift_updown;
    int lin, log, curve, marker;
    int channel_radio[3];  // 0 when the dialog has one channel
    int bars[3];           // B/W: one bar
    int preset_first, bg39, gain_plus, gain_minus, user_combo, user_load, user_save;
};

struct dialog_layout {
    const char* template_name;
    int width, height;  // client area
    const control* controls;
    size_t count;
    dialog_roles roles;
};

const dialog_layout& bw_layout();
const dialog_layout& colour_layout();

// The control with `id`, or null.
const control* find_control(const dialog_layout& layout, int id);
// The topmost control of an input kind at (x, y), or null.
const control* control_at(const dialog_layout& layout, int x, int y);

// The curve area's drawing: 200 x 150 inside a one-pixel frame; a level v is at x = v / 24 + 20.
inline constexpr int kCurveWidth = 200;
inline constexpr int kCurveHeight = 150;
inline constexpr int kLevelsPerPixel = 24;
inline constexpr int kCurveLeft = 20;
inline constexpr int kCurveBase = 134;
inline constexpr int kBarWidth = 172;
inline constexpr int kBarHeight = 8;
inline constexpr int kMarkerSize = 16;

}  // namespace lmv::ui
