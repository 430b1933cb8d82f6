#include "camera/ui/DialogLayout.h"

namespace lmv::ui {
namespace {

using k = control_kind;

// The hidden buddies of the up-downs (717, 718, 702; 719, 720, 723) carry no picture here: the
// up-downs act on the values directly.
constexpr control kBwControls[] = {
    {710, k::curve, 4, 4, 203, 153, ""},
    {711, k::bar, 25, 163, kBarWidth, kBarHeight, ""},
    {715, k::marker, 210, 8, kMarkerSize, kMarkerSize, ""},
    {700, k::edit, 228, 8, 30, 16, ""},
    {701, k::updown, 258, 8, 12, 16, ""},
    {703, k::updown, 258, 64, 12, 24, ""},
    {705, k::edit, 228, 136, 30, 16, ""},
    {706, k::updown, 258, 136, 12, 16, ""},
    {707, k::radio, 214, 34, 50, 14, "Lin"},
    {708, k::radio, 214, 100, 50, 14, "Log"},
};

constexpr control kColourControls[] = {
    {755, k::curve, 4, 4, 203, 153, ""},
    {756, k::bar, 25, 161, kBarWidth, kBarHeight, ""},
    {757, k::bar, 25, 171, kBarWidth, kBarHeight, ""},
    {758, k::bar, 25, 181, kBarWidth, kBarHeight, ""},
    {716, k::marker, 210, 4, kMarkerSize, kMarkerSize, ""},
    {721, k::edit, 228, 4, 30, 16, ""},
    {722, k::updown, 258, 4, 12, 16, ""},
    {724, k::updown, 258, 24, 12, 24, ""},
    {725, k::edit, 228, 52, 30, 16, ""},
    {726, k::updown, 258, 52, 12, 16, ""},
    {727, k::radio, 214, 74, 50, 14, "Lin"},
    {728, k::radio, 214, 88, 50, 14, "Log"},
    {729, k::radio, 214, 106, 56, 14, "Red"},
    {730, k::radio, 214, 120, 56, 14, "Green"},
    {731, k::radio, 214, 134, 56, 14, "Blue"},
    {745, k::group, 212, 150, 60, 40, "Gain"},
    {746, k::button, 218, 166, 22, 18, "+"},
    {747, k::button, 244, 166, 22, 18, "-"},
    {735, k::group, 272, 2, 82, 104, "Default LUT's"},
    {736, k::button, 276, 16, 36, 19, ""},
    {737, k::button, 314, 16, 36, 19, ""},
    {738, k::button, 276, 38, 36, 19, ""},
    {739, k::button, 314, 38, 36, 19, ""},
    {740, k::button, 276, 60, 36, 19, ""},
    {741, k::button, 314, 60, 36, 19, ""},
    {742, k::button, 276, 82, 36, 19, ""},
    {743, k::button, 314, 82, 36, 19, ""},
    {744, k::check, 276, 108, 70, 14, "BG39"},
    {750, k::group, 272, 124, 82, 66, "User LUT's"},
    {753, k::combo, 276, 140, 74, 16, ""},
    {751, k::button, 276, 164, 36, 19, "LOAD"},
    {752, k::button, 314, 164, 36, 19, "SAVE"},
};

constexpr dialog_layout kBw = {
    "Lumivert B W",
    274,
    180,
    kBwControls,
    sizeof kBwControls / sizeof kBwControls[0],
    {700, 701, 705, 706, 703, 707, 708, 710, 715, {0, 0, 0}, {711, 0, 0}, 0, 0, 0, 0, 0, 0, 0},
};

constexpr dialog_layout kColour = {
    "Lumivert Color",
    356,
    192,
    kColourControls,
    sizeof kColourControls / sizeof kColourControls[0],
    {721,
     722,
     725,
     726,
     724,
     727,
     728,
     755,
     716,
     {729, 730, 731},
     {756, 757, 758},
     736,
     744,
     746,
     747,
     753,
     751,
     752},
};

bool takes_input(control_kind kind) {
    return kind != k::group && kind != k::bar && kind != k::marker;
}

}  // namespace

const dialog_layout& bw_layout() {
    return kBw;
}

const dialog_layout& colour_layout() {
    return kColour;
}

const control* find_control(const dialog_layout& layout, int id) {
    for (size_t i = 0; i < layout.count; ++i)
        if (layout.controls[i].id == id) return &layout.controls[i];
    return nullptr;
}

const control* control_at(const dialog_layout& layout, int x, int y) {
    for (size_t i = layout.count; i-- > 0;) {
        const control& c = layout.controls[i];
        if (takes_input(c.kind) && x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h)
            return &c;
    }
    return nullptr;
}

}  // namespace lmv::ui
