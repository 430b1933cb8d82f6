// The dialog's registry values: the B/W or colour values with the dialog position, and the
// twenty user presets of the colour dialog.
#include <cstdio>

#include "camera/ui/DialogView.h"

namespace lmv::ui {
namespace {

constexpr int kMinDefault = 0;
constexpr int kMaxDefault = kLevelMax;

const char* const kChannelNames[kChannelCount] = {"RED", "GREEN", "BLUE"};

std::string user_name(int preset, const char* what) {
    char name[48];
    std::snprintf(name, sizeof name, "USER%d%s", preset + 1, what);
    return name;
}

// A user-preset value with its repair: invalid or missing values become the default, written back.
template <typename Valid>
int read_repaired(dialog_view& v, const std::string& name, int fallback, Valid valid) {
    uint32_t raw = 0;
    if (v.host->lut_value_read(v.request.board, name.c_str(), &raw) == 0 &&
        valid(static_cast<int32_t>(raw)))
        return static_cast<int32_t>(raw);
    (void)v.host->lut_value_write(v.request.board, name.c_str(), static_cast<uint32_t>(fallback));
    return fallback;
}

bw_dialog_geometry geometry(const dialog_view& v) {
    return bw_dialog_geometry{
        0, 0, v.screen_width, v.screen_height, v.layout->width, v.layout->height};
}

// The window's client origin on the screen, when it is mapped (not minimised).
bool window_position(dialog_view& v, int* x, int* y) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(v.display, v.window, &a) || a.map_state != IsViewable) return false;
    Window child = 0;
    return XTranslateCoordinates(v.display, v.window, DefaultRootWindow(v.display), 0, 0, x, y,
                                 &child);
}

template <typename Read>
int read_or_create(dialog_view& v, Read read) {
    int rc = read();
    if (rc != 0) {  // a missing key is made with the defaults, then read again
        (void)v.host->lut_value_write(v.request.board, v.colour() ? "LutCOLOR lin" : "LutBW lin",
                                      0);
        rc = read();
    }
    return rc;
}

}  // namespace

void load_settings(dialog_view& v, int* x, int* y) {
    const bw_dialog_geometry g = geometry(v);
    if (v.colour()) {
        colour_settings s;
        if (read_or_create(
                v, [&] { return v.host->colour_registry_read(v.request.board, &g, &s); }) == 0) {
            const colour_parameters& p = s.lut;
            v.host->colour_store(&p, s.bg39_installed, nullptr, nullptr, nullptr);
            v.update_command = s.update_command;
            *x = s.xpos;
            *y = s.ypos;
        }
    } else {
        bw_settings s;
        if (read_or_create(v, [&] { return v.host->bw_registry_read(v.request.board, &g, &s); }) ==
            0) {
            v.host->bw_store(&s.lut, nullptr);
            v.update_command = s.update_command;
            *x = s.xpos;
            *y = s.ypos;
        }
    }
    take_library_values(v);
}

void save_settings(dialog_view& v, bool with_position) {
    int x = 0, y = 0;
    const bool placed = with_position && v.window && window_position(v, &x, &y);
    const int* px = placed ? &x : nullptr;
    const int* py = placed ? &y : nullptr;
    if (v.colour()) {
        colour_parameters p;
        int bg39 = 0;
        v.host->colour_read(&p, &bg39);
        (void)v.host->colour_registry_write(v.request.board, &p, bg39, px, py);
    } else {
        bw_parameters p;
        v.host->bw_read(&p);
        (void)v.host->bw_registry_write(v.request.board, &p, px, py);
    }
}

void load_user_preset(dialog_view& v) {
    lut_values next = v.values;
    for (int c = 0; c < kChannelCount; ++c) {
        const std::string name = kChannelNames[c];
        lut_channel& ch = next.ch[c];
        ch.min = read_repaired(v, user_name(v.user_preset, (name + " min").c_str()), kMinDefault,
                               [](int m) { return m >= 0 && m <= kLevelMax - 1; });
        const int min = ch.min;
        ch.max = read_repaired(v, user_name(v.user_preset, (name + " max").c_str()), kMaxDefault,
                               [min](int m) { return m >= 1 && m <= kLevelMax && m > min; });
    }
    next.lin = read_repaired(v, user_name(v.user_preset, "COLOR lin"), 0,
                             [](int l) { return l == 0 || l == 1; });
    change_values(v, next);
    refresh_fields(v);
}

void save_user_preset(dialog_view& v) {
    auto write = [&](const std::string& what, int value) {
        (void)v.host->lut_value_write(v.request.board,
                                      user_name(v.user_preset, what.c_str()).c_str(),
                                      static_cast<uint32_t>(value));
    };
    for (int c = 0; c < kChannelCount; ++c) {
        write(std::string(kChannelNames[c]) + " min", v.values.ch[c].min);
        write(std::string(kChannelNames[c]) + " max", v.values.ch[c].max);
    }
    write("COLOR lin", v.values.lin);
}

}  // namespace lmv::ui
