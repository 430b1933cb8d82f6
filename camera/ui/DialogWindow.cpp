// The dialog window: made from the layout at the stored position, given to the parent, destroyed
// after its values and position are written.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include "camera/ui/DialogView.h"
#include "lmvntcam.h"

namespace lmv::ui {
namespace {

constexpr long kInputMask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | ButtonMotionMask | StructureNotifyMask;
constexpr int kStayBehind8 = 8;
constexpr int kStayBehind9 = 9;

unsigned long named_colour(Display* d, const char* name, unsigned long fallback) {
    XColor screen{}, exact{};
    const Colormap map = DefaultColormap(d, DefaultScreen(d));
    return XAllocNamedColor(d, map, name, &screen, &exact) ? screen.pixel : fallback;
}

void allocate_colours(dialog_view& v) {
    Display* d = v.display;
    const unsigned long black = BlackPixel(d, DefaultScreen(d));
    const unsigned long white = WhitePixel(d, DefaultScreen(d));
    v.colours = dialog_colours{named_colour(d, "gray83", white),
                               named_colour(d, "gray97", white),
                               named_colour(d, "gray50", black),
                               black,
                               white,
                               named_colour(d, "red", black),
                               named_colour(d, "green3", black),
                               named_colour(d, "blue", black),
                               named_colour(d, "gray88", white)};
}

// Our own curve background: a light grid of quarter levels and halves of the output.
Pixmap curve_background(dialog_view& v) {
    Display* d = v.display;
    const Pixmap p =
        XCreatePixmap(d, v.window, kCurveWidth, kCurveHeight, DefaultDepth(d, DefaultScreen(d)));
    XSetForeground(d, v.gc, v.colours.white);
    XFillRectangle(d, p, v.gc, 0, 0, kCurveWidth, kCurveHeight);
    XSetForeground(d, v.gc, v.colours.grey);
    for (int q = 1; q <= 4; ++q) {
        const int x = kCurveLeft + q * 1024 / kLevelsPerPixel;
        XDrawLine(d, p, v.gc, x, 6, x, kCurveBase);
        XDrawLine(d, p, v.gc, kCurveLeft, kCurveBase - q * 32, kCurveLeft + 171,
                  kCurveBase - q * 32);
    }
    XSetForeground(d, v.gc, v.colours.shadow);
    XDrawLine(d, p, v.gc, kCurveLeft, kCurveBase, kCurveLeft + 171, kCurveBase);
    XDrawLine(d, p, v.gc, kCurveLeft, 6, kCurveLeft, kCurveBase);
    return p;
}

void set_hints(dialog_view& v, int x, int y) {
    Display* d = v.display;
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = USPosition | PPosition | PMinSize | PMaxSize;
        hints->x = x;
        hints->y = y;
        hints->min_width = hints->max_width = v.layout->width;
        hints->min_height = hints->max_height = v.layout->height;
        XSetWMNormalHints(d, v.window, hints);
        XFree(hints);
    }
    XStoreName(d, v.window, v.request.title.c_str());
    Atom protocols[] = {v.wm_delete, XInternAtom(d, "_NET_WM_PING", False)};
    XSetWMProtocols(d, v.window, protocols, 2);
    const long pid = ::getpid();
    XChangeProperty(d, v.window, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    if (v.request.parent) XSetTransientForHint(d, v.window, v.request.parent);
}

}  // namespace

bool follows_parent(const dialog_view& v) {
    return v.request.parent && v.request.param != kStayBehind8 && v.request.param != kStayBehind9;
}

bool create_window(dialog_view& v) {
    Display* d = v.display;
    const int screen = DefaultScreen(d);
    v.screen_width = DisplayWidth(d, screen);
    v.screen_height = DisplayHeight(d, screen);
    int x = 0, y = 0;
    load_settings(v, &x, &y);
    allocate_colours(v);
    v.wm_protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    v.wm_delete = XInternAtom(d, "WM_DELETE_WINDOW", False);
    v.update_atom = XInternAtom(d, LMVNTCAM_LUT_ATOM, False);
    XSetWindowAttributes a{};
    a.background_pixel = v.colours.face;
    a.event_mask = kInputMask;
    v.window =
        XCreateWindow(d, RootWindow(d, screen), x, y, v.layout->width, v.layout->height, 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &a);
    if (!v.window) return false;
    v.gc = XCreateGC(d, v.window, 0, nullptr);
    v.font = XLoadQueryFont(d, "fixed");
    if (v.font) XSetFont(d, v.gc, v.font->fid);
    v.back = XCreatePixmap(d, v.window, v.layout->width, v.layout->height, DefaultDepth(d, screen));
    v.curve_back = curve_background(v);
    set_hints(v, x, y);
    if (follows_parent(v)) XSelectInput(d, v.request.parent, StructureNotifyMask);
    XMapRaised(d, v.window);
    XFlush(d);
    return true;
}

void destroy_window(dialog_view& v) {
    if (!v.window) return;
    save_settings(v);
    close_list(v);
    Display* d = v.display;
    if (v.curve_back) XFreePixmap(d, v.curve_back);
    if (v.back) XFreePixmap(d, v.back);
    if (v.font) XFreeFont(d, v.font);
    if (v.gc) XFreeGC(d, v.gc);
    XDestroyWindow(d, v.window);
    XSync(d, False);
    v.window = 0;
    v.shared->window = 0;
}

void follow_parent(dialog_view& v) {
    if (!follows_parent(v) || !v.window) return;
    XWindowChanges changes{};
    changes.sibling = v.request.parent;
    changes.stack_mode = Above;
    XReconfigureWMWindow(v.display, v.window, DefaultScreen(v.display), CWSibling | CWStackMode,
                         &changes);
}

}  // namespace lmv::ui
