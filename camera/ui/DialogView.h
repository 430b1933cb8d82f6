#pragma once
// One LUT dialog as its thread sees it: the X connection and window, the values shown, the edit
// fields and the mouse state; and what it shares with the exports (flags only).
#include <X11/Xlib.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "camera/session/LutDialogSeam.h"
#include "camera/ui/DialogLayout.h"
#include "camera/ui/LutValues.h"

namespace lmv::ui {

// Between the exports and the dialog thread. Requests are flags followed by a write to wake_fd.
struct dialog_shared {
    std::atomic<unsigned long> window{0};  // the X window while it is up
    std::atomic<bool> locked{false};
    std::atomic<bool> changed{false};
    std::atomic<bool> close_requested{false};
    std::atomic<bool> show_requested{false};
    std::atomic<bool> values_requested{false};  // a program set new values
    std::atomic<bool> ended{false};
    std::atomic<int> thread_id{0};
    int wake_fd = -1;
    void wake() const;
};

// What OPEN hands the thread.
struct dialog_request {
    int kind = kLutDialogBw;
    int board = 0;
    unsigned long parent = 0;
    int param = 0;
    std::string title;
};

enum edit_field : int { kNoField = -1, kMaxField = 0, kMinField = 1 };
enum drag_target : int { kNoDrag, kDragMin, kDragMax, kDragBoth };

struct dialog_colours {
    unsigned long face, light, shadow, text, white, red, green, blue, grey;
};

struct dialog_view {
    const lut_dialog_host* host = nullptr;
    dialog_shared* shared = nullptr;
    dialog_request request;
    const dialog_layout* layout = nullptr;

    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    XFontStruct* font = nullptr;
    Pixmap back = 0;        // the client area, drawn off screen
    Pixmap curve_back = 0;  // background of the curve area
    Window list = 0;        // the user-preset list while it is open
    Atom wm_protocols = 0, wm_delete = 0, update_atom = 0;
    dialog_colours colours{};
    int screen_width = 0, screen_height = 0;

    lut_values values;
    int bg39 = 0;
    uint32_t update_command = 0;
    int channel = kGreenChannel;  // the channel the fields and curve show
    uint8_t tables[kChannelCount][kLutEntries] = {};

    std::string field[2];
    int focus = kNoField;
    bool replace_on_type = false;  // a field just focused: typing replaces its text
    drag_target drag = kNoDrag;
    int drag_x = 0;
    lut_channel drag_start;
    int user_preset = 0;  // 0 .. 19
    bool pending = false;

    bool colour() const { return request.kind == kLutDialogColour; }
    lut_channel& current() { return values.ch[colour() ? channel : 0]; }
};

// Values and tables.
void store_values(dialog_view& v);  // to the library; rebuilds the tables shown
void change_values(dialog_view& v, const lut_values& next);  // store when different, mark update
void refresh_fields(dialog_view& v);
void take_library_values(dialog_view& v);  // the library's current values (a program set them)
void load_tables(dialog_view& v);

// Registry.
void load_settings(dialog_view& v, int* x, int* y);
// Values, and the position when asked and the window is shown.
void save_settings(dialog_view& v, bool with_position = true);
void load_user_preset(dialog_view& v);
void save_user_preset(dialog_view& v);

// Window.
bool create_window(dialog_view& v);
void destroy_window(dialog_view& v);
void paint(dialog_view& v);
int curve_midpoint(const dialog_view& v);
drag_target curve_hit(const dialog_view& v, int px, int py);
void follow_parent(dialog_view& v);
bool follows_parent(const dialog_view& v);
void handle_event(dialog_view& v, XEvent& e);
// The user-preset box's list.
void open_list(dialog_view& v, const control& box);
void close_list(dialog_view& v);
void list_event(dialog_view& v, XEvent& e);

}  // namespace lmv::ui
