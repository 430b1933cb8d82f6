// Drawing the dialog with the server's core font: frames, fields, up-downs, radio buttons,
// buttons, the curve with its markers and the bars.
#include <cstdio>
#include <cstring>

#include "camera/ui/DialogView.h"

namespace lmv::ui {
namespace {

struct painter {
    dialog_view& v;
    Drawable to;
    Display* d() const { return v.display; }
    void colour(unsigned long pixel) const { XSetForeground(d(), v.gc, pixel); }
    void fill(int x, int y, int w, int h, unsigned long pixel) const {
        colour(pixel);
        XFillRectangle(d(), to, v.gc, x, y, w, h);
    }
    void text(int x, int y, const char* s, unsigned long pixel = 0) const {
        colour(pixel ? pixel : v.colours.text);
        XDrawString(d(), to, v.gc, x, y, s, static_cast<int>(std::strlen(s)));
    }
    int text_width(const char* s) const {
        return v.font ? XTextWidth(v.font, s, static_cast<int>(std::strlen(s)))
                      : 6 * static_cast<int>(std::strlen(s));
    }
    // Raised (or sunken) frame.
    void frame(int x, int y, int w, int h, bool sunken) const {
        colour(sunken ? v.colours.shadow : v.colours.light);
        XDrawLine(d(), to, v.gc, x, y, x + w - 1, y);
        XDrawLine(d(), to, v.gc, x, y, x, y + h - 1);
        colour(sunken ? v.colours.light : v.colours.shadow);
        XDrawLine(d(), to, v.gc, x + w - 1, y, x + w - 1, y + h - 1);
        XDrawLine(d(), to, v.gc, x, y + h - 1, x + w - 1, y + h - 1);
    }
};

int baseline(const control& c) {
    return c.y + c.h / 2 + 4;
}

void arrow(const painter& p, int cx, int cy, bool up, unsigned long pixel) {
    XPoint pts[3] = {{static_cast<short>(cx - 3), static_cast<short>(cy + (up ? 2 : -2))},
                     {static_cast<short>(cx + 3), static_cast<short>(cy + (up ? 2 : -2))},
                     {static_cast<short>(cx), static_cast<short>(cy + (up ? -2 : 2))}};
    p.colour(pixel);
    XFillPolygon(p.d(), p.to, p.v.gc, pts, 3, Convex, CoordModeOrigin);
}

void draw_edit(const painter& p, const control& c, int field) {
    p.fill(c.x, c.y, c.w, c.h, p.v.colours.white);
    p.frame(c.x, c.y, c.w, c.h, true);
    const std::string& t = p.v.field[field];
    p.text(c.x + 3, baseline(c), t.c_str());
    if (p.v.focus == field) {
        const int x = c.x + 3 + p.text_width(t.c_str());
        p.colour(p.v.colours.text);
        XDrawLine(p.d(), p.to, p.v.gc, x, c.y + 3, x, c.y + c.h - 4);
    }
}

void draw_updown(const painter& p, const control& c, bool enabled) {
    const int half = c.h / 2;
    p.frame(c.x, c.y, c.w, half, false);
    p.frame(c.x, c.y + half, c.w, c.h - half, false);
    const unsigned long pixel = enabled ? p.v.colours.text : p.v.colours.shadow;
    arrow(p, c.x + c.w / 2, c.y + half / 2, true, pixel);
    arrow(p, c.x + c.w / 2, c.y + half + half / 2, false, pixel);
}

void draw_choice(const painter& p, const control& c, bool on, bool round) {
    const int y = c.y + (c.h - 10) / 2;
    p.colour(p.v.colours.white);
    if (round)
        XFillArc(p.d(), p.to, p.v.gc, c.x, y, 10, 10, 0, 360 * 64);
    else
        XFillRectangle(p.d(), p.to, p.v.gc, c.x, y, 10, 10);
    p.colour(p.v.colours.shadow);
    if (round)
        XDrawArc(p.d(), p.to, p.v.gc, c.x, y, 10, 10, 0, 360 * 64);
    else
        XDrawRectangle(p.d(), p.to, p.v.gc, c.x, y, 10, 10);
    p.colour(p.v.colours.text);
    if (on && round) XFillArc(p.d(), p.to, p.v.gc, c.x + 3, y + 3, 5, 5, 0, 360 * 64);
    if (on && !round) {
        XDrawLine(p.d(), p.to, p.v.gc, c.x + 2, y + 2, c.x + 8, y + 8);
        XDrawLine(p.d(), p.to, p.v.gc, c.x + 8, y + 2, c.x + 2, y + 8);
    }
    p.text(c.x + 14, baseline(c), c.text);
}

void draw_button(const painter& p, const control& c, const char* label) {
    p.frame(c.x, c.y, c.w, c.h, false);
    p.text(c.x + (c.w - p.text_width(label)) / 2, baseline(c), label);
}

void draw_group(const painter& p, const control& c) {
    p.frame(c.x, c.y + 5, c.w, c.h - 5, true);
    p.fill(c.x + 2, c.y, p.text_width(c.text) + 2, 10, p.v.colours.face);
    p.text(c.x + 3, c.y + 9, c.text);
}

void draw_combo(const painter& p, const control& c) {
    p.fill(c.x, c.y, c.w, c.h, p.v.colours.white);
    p.frame(c.x, c.y, c.w, c.h, true);
    char label[16];
    std::snprintf(label, sizeof label, "LUT%d", p.v.user_preset + 1);
    p.text(c.x + 3, baseline(c), label);
    p.frame(c.x + c.w - 14, c.y + 1, 13, c.h - 2, false);
    arrow(p, c.x + c.w - 8, c.y + c.h / 2, false, p.v.colours.text);
}

}  // namespace

// Implemented with the curve, bars and marker.
void draw_curve(dialog_view& v, Drawable to, const control& c);
void draw_bar(dialog_view& v, Drawable to, const control& c, int channel);
void draw_marker(dialog_view& v, Drawable to, const control& c);

namespace {

int channel_of(const dialog_roles& r, int id, const int (&ids)[3]) {
    (void)r;
    for (int i = 0; i < 3; ++i)
        if (ids[i] == id) return i;
    return -1;
}

void draw_control(dialog_view& v, const painter& p, const control& c) {
    const dialog_roles& r = v.layout->roles;
    const int channel_radio = channel_of(r, c.id, r.channel_radio);
    switch (c.kind) {
        case control_kind::edit:
            draw_edit(p, c, c.id == r.max_edit ? kMaxField : kMinField);
            break;
        case control_kind::updown:
            draw_updown(p, c,
                        !((c.id == r.max_updown && v.focus == kMaxField) ||
                          (c.id == r.min_updown && v.focus == kMinField)));
            break;
        case control_kind::radio:
            draw_choice(p, c,
                        channel_radio >= 0 ? v.channel == channel_radio
                                           : (c.id == r.log) == (v.values.lin == 1),
                        true);
            break;
        case control_kind::check:
            draw_choice(p, c, v.bg39 != 0, false);
            break;
        case control_kind::button:
            draw_button(
                p, c,
                c.id >= r.preset_first && c.id < r.preset_first + kPresetCount && r.preset_first
                    ? preset_label(c.id - r.preset_first, v.bg39 != 0)
                    : c.text);
            break;
        case control_kind::group:
            draw_group(p, c);
            break;
        case control_kind::combo:
            draw_combo(p, c);
            break;
        case control_kind::curve:
            draw_curve(v, p.to, c);
            break;
        case control_kind::bar:
            draw_bar(v, p.to, c, channel_of(r, c.id, r.bars));
            break;
        case control_kind::marker:
            draw_marker(v, p.to, c);
            break;
    }
}

}  // namespace

void paint(dialog_view& v) {
    if (!v.window || !v.back) return;
    const painter p{v, v.back};
    p.fill(0, 0, v.layout->width, v.layout->height, v.colours.face);
    for (size_t i = 0; i < v.layout->count; ++i) draw_control(v, p, v.layout->controls[i]);
    XCopyArea(v.display, v.back, v.window, v.gc, 0, 0, v.layout->width, v.layout->height, 0, 0);
    XFlush(v.display);
}

}  // namespace lmv::ui
