// The drop-down list of the user-preset box: "LUT1" ... "LUT20" in a window of its own under the
// box; a click picks an entry, a click anywhere else in the dialog closes it.
#include <cstdio>
#include <cstring>

#include "camera/ui/DialogView.h"

namespace lmv::ui {
namespace {

constexpr int kRowHeight = 14;

void draw_list(dialog_view& v) {
    Display* d = v.display;
    const control* c = find_control(*v.layout, v.layout->roles.user_combo);
    if (!c) return;
    XSetForeground(d, v.gc, v.colours.white);
    XFillRectangle(d, v.list, v.gc, 0, 0, c->w, kUserPresets * kRowHeight);
    for (int i = 0; i < kUserPresets; ++i) {
        if (i == v.user_preset) {
            XSetForeground(d, v.gc, v.colours.blue);
            XFillRectangle(d, v.list, v.gc, 0, i * kRowHeight, c->w, kRowHeight);
        }
        char label[16];
        std::snprintf(label, sizeof label, "LUT%d", i + 1);
        XSetForeground(d, v.gc, i == v.user_preset ? v.colours.white : v.colours.text);
        XDrawString(d, v.list, v.gc, 3, i * kRowHeight + 11, label,
                    static_cast<int>(std::strlen(label)));
    }
    XSetForeground(d, v.gc, v.colours.text);
    XDrawRectangle(d, v.list, v.gc, 0, 0, c->w - 1, kUserPresets * kRowHeight - 1);
}

}  // namespace

void open_list(dialog_view& v, const control& box) {
    Display* d = v.display;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(d, v.window, DefaultRootWindow(d), box.x, box.y + box.h, &x, &y, &child);
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = v.colours.white;
    a.event_mask = ExposureMask | ButtonPressMask;
    v.list = XCreateWindow(d, DefaultRootWindow(d), x, y, box.w, kUserPresets * kRowHeight, 0,
                           CopyFromParent, InputOutput, CopyFromParent,
                           CWOverrideRedirect | CWBackPixel | CWEventMask, &a);
    XMapRaised(d, v.list);
}

void close_list(dialog_view& v) {
    if (!v.list) return;
    XDestroyWindow(v.display, v.list);
    v.list = 0;
}

void list_event(dialog_view& v, XEvent& e) {
    if (e.type == Expose && e.xexpose.count == 0) draw_list(v);
    if (e.type != ButtonPress || e.xbutton.button != Button1) return;
    const int row = e.xbutton.y / kRowHeight;
    if (row >= 0 && row < kUserPresets) v.user_preset = row;
    close_list(v);
    paint(v);
}

}  // namespace lmv::ui
