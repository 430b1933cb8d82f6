// The curve area (the table of the channel shown, with its minimum, maximum and midpoint markers),
// the bars and the edit marker.
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>

#include "camera/ui/DialogView.h"

namespace lmv::ui {
namespace {

constexpr int kMinMarkerTop = 135, kMinMarkerBottom = 141;
constexpr int kMaxMarkerTop = 1, kMaxMarkerBottom = 7;
constexpr int kMidTop = 67, kMidBottom = 75;
constexpr int kGrab = 4;  // pixels either side of a marker that still take it
constexpr int kMarkerHalfWidth = 3;

int level_x(int level) {
    return level / kLevelsPerPixel + kCurveLeft;
}

int shift_of(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

unsigned long scaled(unsigned long mask, int value) {
    const unsigned long top = mask >> shift_of(mask);
    return ((static_cast<unsigned long>(value) * top / 255) << shift_of(mask)) & mask;
}

unsigned long rgb_pixel(dialog_view& v, int r, int g, int b) {
    Visual* visual = DefaultVisual(v.display, DefaultScreen(v.display));
    if (visual->c_class == TrueColor || visual->c_class == DirectColor)
        return scaled(visual->red_mask, r) | scaled(visual->green_mask, g) |
               scaled(visual->blue_mask, b);
    XColor c{};
    c.red = static_cast<unsigned short>(r * 257);
    c.green = static_cast<unsigned short>(g * 257);
    c.blue = static_cast<unsigned short>(b * 257);
    return XAllocColor(v.display, DefaultColormap(v.display, DefaultScreen(v.display)), &c)
               ? c.pixel
               : v.colours.text;
}

const uint8_t* shown_table(const dialog_view& v) {
    return v.tables[v.colour() ? v.channel : 0];
}

unsigned long curve_pixel(const dialog_view& v) {
    if (!v.colour() || v.channel == kRedChannel) return v.colours.red;
    return v.channel == kGreenChannel ? v.colours.green : v.colours.blue;
}

void triangle(dialog_view& v, Drawable to, int cx, int top, int bottom, bool point_down) {
    const short tip = static_cast<short>(point_down ? bottom : top);
    const short base = static_cast<short>(point_down ? top : bottom);
    XPoint pts[3] = {{static_cast<short>(cx - kMarkerHalfWidth), base},
                     {static_cast<short>(cx + kMarkerHalfWidth), base},
                     {static_cast<short>(cx), tip}};
    XFillPolygon(v.display, to, v.gc, pts, 3, Convex, CoordModeOrigin);
}

}  // namespace

int curve_midpoint(const dialog_view& v) {
    const uint8_t* t = shown_table(v);
    for (int i = kLevelMax; i >= 0; --i)
        if (t[i] == 128) return i;
    const lut_channel& c = v.values.ch[v.colour() ? v.channel : 0];
    return (c.min + c.max) / 2;
}

drag_target curve_hit(const dialog_view& v, int px, int py) {
    const lut_channel& c = v.values.ch[v.colour() ? v.channel : 0];
    auto near = [&](int level) { return std::abs(px - level_x(level)) <= kGrab; };
    if (py >= kMinMarkerTop - 2 && py <= kMinMarkerBottom + 2 && near(c.min)) return kDragMin;
    if (py >= kMaxMarkerTop - 1 && py <= kMaxMarkerBottom + 2 && near(c.max)) return kDragMax;
    if (py >= kMidTop - 2 && py <= kMidBottom + 2 && near(curve_midpoint(v))) return kDragBoth;
    return kNoDrag;
}

void draw_curve(dialog_view& v, Drawable to, const control& c) {
    Display* d = v.display;
    XSetForeground(d, v.gc, v.colours.shadow);
    XDrawRectangle(d, to, v.gc, c.x, c.y, c.w - 1, c.h - 1);
    const int ox = c.x + 1, oy = c.y + 1;
    XCopyArea(d, v.curve_back, to, v.gc, 0, 0, kCurveWidth, kCurveHeight, ox, oy);
    const uint8_t* t = shown_table(v);
    XPoint pts[kLevelMax / kLevelsPerPixel + 3];
    int n = 0;
    pts[n++] = {static_cast<short>(ox + kCurveLeft), static_cast<short>(oy + kCurveBase)};
    for (int level = 0; level <= kLevelMax; level += kLevelsPerPixel)
        pts[n++] = {static_cast<short>(ox + level_x(level)),
                    static_cast<short>(oy + kCurveBase - t[level] / 2)};
    pts[n++] = {static_cast<short>(ox + level_x(kLevelMax)),
                static_cast<short>(oy + kCurveBase - t[kLevelMax] / 2)};
    XSetForeground(d, v.gc, curve_pixel(v));
    XDrawLines(d, to, v.gc, pts, n, CoordModeOrigin);
    const lut_channel& ch = v.values.ch[v.colour() ? v.channel : 0];
    XSetForeground(d, v.gc, v.colours.text);
    triangle(v, to, ox + level_x(ch.min), oy + kMinMarkerTop, oy + kMinMarkerBottom, false);
    triangle(v, to, ox + level_x(ch.max), oy + kMaxMarkerTop, oy + kMaxMarkerBottom, true);
    const int mx = ox + level_x(curve_midpoint(v));
    XFillRectangle(d, to, v.gc, mx - kMarkerHalfWidth, oy + kMidTop, 2 * kMarkerHalfWidth + 1,
                   kMidBottom - kMidTop);
}

void draw_bar(dialog_view& v, Drawable to, const control& c, int channel) {
    const uint8_t* t = v.tables[std::max(channel, 0)];
    for (int col = 0; col < c.w; ++col) {
        const int e = t[std::min(col * kLevelsPerPixel, kLevelMax)];
        const int r = !v.colour() || channel == kRedChannel ? e : 0;
        const int g = !v.colour() || channel == kGreenChannel ? e : 0;
        const int b = !v.colour() || channel == kBlueChannel ? e : 0;
        XSetForeground(v.display, v.gc, rgb_pixel(v, r, g, b));
        XDrawLine(v.display, to, v.gc, c.x + col, c.y, c.x + col, c.y + c.h - 1);
    }
}

// Our own marker: a red arrow pointing at the field being edited.
void draw_marker(dialog_view& v, Drawable to, const control& c) {
    if (v.focus == kNoField) return;
    const control* field = find_control(
        *v.layout, v.focus == kMaxField ? v.layout->roles.max_edit : v.layout->roles.min_edit);
    if (!field) return;
    const short y = static_cast<short>(field->y + (field->h - kMarkerSize) / 2);
    const short x = static_cast<short>(c.x);
    XPoint pts[7] = {{x, static_cast<short>(y + 5)},
                     {static_cast<short>(x + 8), static_cast<short>(y + 5)},
                     {static_cast<short>(x + 8), y},
                     {static_cast<short>(x + 15), static_cast<short>(y + 8)},
                     {static_cast<short>(x + 8), static_cast<short>(y + 15)},
                     {static_cast<short>(x + 8), static_cast<short>(y + 10)},
                     {x, static_cast<short>(y + 10)}};
    XSetForeground(v.display, v.gc, v.colours.red);
    XFillPolygon(v.display, to, v.gc, pts, 7, Nonconvex, CoordModeOrigin);
}

}  // namespace lmv::ui
