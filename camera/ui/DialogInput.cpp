// Mouse and keys: the fields, up-downs, radio buttons, buttons and dragging in the curve area. A
// locked dialog drops them and beeps.
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "camera/ui/DialogView.h"

namespace lmv::ui {
namespace {

constexpr size_t kFieldDigits = 5;

int field_of(const dialog_view& v, int id) {
    if (id == v.layout->roles.max_edit) return kMaxField;
    if (id == v.layout->roles.min_edit) return kMinField;
    return kNoField;
}

// Focus leaves the field: its value clamped, both fields rewritten, the table rebuilt if changed.
void commit_field(dialog_view& v) {
    if (v.focus == kNoField) return;
    lut_values next = v.values;
    lut_channel& c = next.ch[v.colour() ? v.channel : 0];
    const int typed = field_value(v.field[v.focus]);
    c = v.focus == kMaxField ? commit_max(c, typed) : commit_min(c, typed);
    v.focus = kNoField;
    change_values(v, next);
    refresh_fields(v);
}

void change_current(dialog_view& v, lut_channel c) {
    lut_values next = v.values;
    next.ch[v.colour() ? v.channel : 0] = c;
    change_values(v, next);
    refresh_fields(v);
}

void press_updown(dialog_view& v, const control& c, int y) {
    const dialog_roles& r = v.layout->roles;
    const int delta = y < c.y + c.h / 2 ? 1 : -1;
    if (c.id == r.max_updown && v.focus != kMaxField)
        change_current(v, step_max(v.current(), delta));
    if (c.id == r.min_updown && v.focus != kMinField)
        change_current(v, step_min(v.current(), delta));
    if (c.id == r.shift_updown) change_current(v, shift(v.current(), delta));
}

void press_radio(dialog_view& v, int id) {
    const dialog_roles& r = v.layout->roles;
    for (int i = 0; i < kChannelCount; ++i)
        if (r.channel_radio[i] && r.channel_radio[i] == id) {
            v.channel = i;
            refresh_fields(v);
            return;
        }
    lut_values next = v.values;
    next.lin = id == r.log ? 1 : 0;
    change_values(v, next);
}

void press_button(dialog_view& v, int id) {
    const dialog_roles& r = v.layout->roles;
    lut_values next = v.values;
    bool changed = false;
    if (r.preset_first && id >= r.preset_first && id < r.preset_first + kPresetCount)
        changed = apply_preset(next, id - r.preset_first, v.bg39 != 0);
    else if (id == r.gain_plus)
        changed = gain_up(next);
    else if (id == r.gain_minus)
        changed = gain_down(next);
    else if (id == r.user_load)
        load_user_preset(v);
    else if (id == r.user_save)
        save_user_preset(v);
    if (changed) change_values(v, next);
    refresh_fields(v);
}

void press_combo(dialog_view& v, const control& c) {
    if (v.list)
        close_list(v);
    else
        open_list(v, c);
}

void press_curve(dialog_view& v, const control& c, int x, int y) {
    v.drag = curve_hit(v, x - c.x - 1, y - c.y - 1);
    v.drag_x = x;
    v.drag_start = v.current();
}

void press(dialog_view& v, int x, int y) {
    const control* c = control_at(*v.layout, x, y);
    if (v.list && (!c || c->kind != control_kind::combo)) close_list(v);
    if (v.focus != kNoField && (!c || field_of(v, c->id) != v.focus)) commit_field(v);
    if (!c) return;
    switch (c->kind) {
        case control_kind::edit:
            v.focus = field_of(v, c->id);
            v.replace_on_type = true;
            break;
        case control_kind::updown:
            press_updown(v, *c, y);
            break;
        case control_kind::radio:
            press_radio(v, c->id);
            break;
        case control_kind::button:
            press_button(v, c->id);
            break;
        case control_kind::check:
            v.bg39 = !v.bg39;
            store_values(v);
            break;
        case control_kind::combo:
            press_combo(v, *c);
            break;
        case control_kind::curve:
            press_curve(v, *c, x, y);
            break;
        default:
            break;
    }
}

// Dragging changes the values at once; the update is marked when the button is released.
void drag_to(dialog_view& v, int x) {
    const int delta = (x - v.drag_x) * kLevelsPerPixel;
    lut_channel c = v.drag_start;
    if (v.drag == kDragMin) c = step_min(c, delta);
    if (v.drag == kDragMax) c = step_max(c, delta);
    if (v.drag == kDragBoth) c = shift(c, delta);
    if (c.min == v.current().min && c.max == v.current().max) return;
    v.current() = c;
    store_values(v);
    refresh_fields(v);
}

void type_key(dialog_view& v, XKeyEvent& key) {
    char text[8] = {};
    KeySym sym = NoSymbol;
    const int n = XLookupString(&key, text, sizeof text - 1, &sym, nullptr);
    if (sym == XK_Tab || sym == XK_ISO_Left_Tab) {
        const int next = v.focus == kMaxField ? kMinField : kMaxField;
        commit_field(v);
        v.focus = next;
        v.replace_on_type = true;
        return;
    }
    if (v.focus == kNoField) return;
    if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_Escape) return commit_field(v);
    std::string& f = v.field[v.focus];
    if (sym == XK_BackSpace) {
        if (v.replace_on_type)
            f.clear();
        else if (!f.empty())
            f.pop_back();
        v.replace_on_type = false;
        return;
    }
    if (n != 1) return;
    const std::string typed =
        type_into(v.replace_on_type ? std::string() : f, text[0], kFieldDigits);
    if (typed.empty() || (!v.replace_on_type && typed == f)) return;  // not a digit: text stays
    f = typed;
    v.replace_on_type = false;
}

bool is_input(int type) {
    return type == ButtonPress || type == ButtonRelease || type == KeyPress || type == KeyRelease;
}

void answer_ping(dialog_view& v, XClientMessageEvent& m) {
    XEvent reply{};
    reply.xclient = m;
    reply.xclient.window = DefaultRootWindow(v.display);
    XSendEvent(v.display, reply.xclient.window, False,
               SubstructureNotifyMask | SubstructureRedirectMask, &reply);
}

void client_message(dialog_view& v, XClientMessageEvent& m) {
    if (m.message_type != v.wm_protocols || m.format != 32) return;
    const Atom what = static_cast<Atom>(m.data.l[0]);
    if (what == v.wm_delete)
        v.shared->close_requested = true;
    else if (what == XInternAtom(v.display, "_NET_WM_PING", True))
        answer_ping(v, m);
}

void user_input(dialog_view& v, XEvent& e) {
    if (e.type == ButtonPress && e.xbutton.button == Button1) press(v, e.xbutton.x, e.xbutton.y);
    if (e.type == ButtonRelease && e.xbutton.button == Button1 && v.drag != kNoDrag) {
        v.drag = kNoDrag;
        v.pending = true;
    }
    if (e.type == KeyPress) type_key(v, e.xkey);
    paint(v);
}

}  // namespace

void handle_event(dialog_view& v, XEvent& e) {
    if (e.xany.window == v.request.parent && v.request.parent) {
        if (e.type == ConfigureNotify) follow_parent(v);
        return;
    }
    if (is_input(e.type) && v.shared->locked) {
        if ((e.type == ButtonPress && e.xbutton.button == Button1) || e.type == KeyPress)
            XBell(v.display, 0);
        return;
    }
    if (v.list && e.xany.window == v.list) return list_event(v, e);
    switch (e.type) {
        case Expose:
            if (e.xexpose.count == 0) paint(v);
            break;
        case MotionNotify:
            if (v.drag != kNoDrag) {
                drag_to(v, e.xmotion.x);
                paint(v);
            }
            break;
        case ClientMessage:
            client_message(v, e.xclient);
            break;
        default:
            if (is_input(e.type)) user_input(v, e);
            break;
    }
}

}  // namespace lmv::ui
