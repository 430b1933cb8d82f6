// The registry header first: Xlib's macros clash with names in it.
#include "winport/Registry.h"
// clang-format off
#include "lut_dialog_fixture.h"
// clang-format on

#include <stdlib.h>

#include <filesystem>
#include <map>
#include <thread>

namespace testing_lmv {
namespace {

constexpr auto kBound = std::chrono::seconds(20);
constexpr int kPollMs = 10;

int ignore_errors(Display*, XErrorEvent*) {
    return 0;  // a window that is gone is what some tests look for
}

std::string lut_key(int board) {
    return board == 0 ? "Software\\RVD\\Camera Settings\\LUT"
                      : "Software\\RVD\\Camera Settings " + std::to_string(board) + "\\LUT";
}

}  // namespace

void LutDialogTest::SetUp() {
    char pattern[] = "/tmp/lmv-lutdlg-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("WINPORT_REGISTRY_DIR", dir_.c_str(), 1);
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr) << "no X server";
    XSetErrorHandler(ignore_errors);
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    parent_ = MakeWindow(20, 20);
    library_ = LoadedOnce(ZR_BUILD_DIR "/lib/liblmvntcam.so");
    ASSERT_NE(library_, nullptr) << dlerror();
}

// Loaded for the whole program: the registry store keeps its cache to the end of the process on
// purpose (the library's unload object may still need it), so an unloaded library would leave it
// unreachable.
void* LutDialogTest::LoadedOnce(const std::string& path) {
    static std::map<std::string, void*> loaded;
    void*& handle = loaded[path];
    if (!handle) handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle;
}

void LutDialogTest::TearDown() {
    if (library_) {
        if (auto close = Get<none_fn>("CLOSE_DIALOG_BW")) close();
        if (auto close = Get<none_fn>("CLOSE_DIALOG_COL")) close();
    }
    if (display_) XCloseDisplay(display_);
    unsetenv("WINPORT_REGISTRY_DIR");
    std::filesystem::remove_all(dir_);
}

dialog_exports LutDialogTest::Bw() {
    return {Get<open_fn>("OPEN_DIALOG_BW"), Get<none_fn>("CLOSE_DIALOG_BW"),
            Get<lock_fn>("LOCK_DIALOG_BW"), Get<status_fn>("STATUS_DIALOG_BW")};
}

dialog_exports LutDialogTest::Colour() {
    return {Get<open_fn>("OPEN_DIALOG_COL"), Get<none_fn>("CLOSE_DIALOG_COL"),
            Get<lock_fn>("LOCK_DIALOG_COL"), Get<status_fn>("STATUS_DIALOG_COL")};
}

Window LutDialogTest::MakeWindow(int x, int y) {
    const Window w = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, y, 300, 200, 0,
                                         0, WhitePixel(display_, DefaultScreen(display_)));
    XMapWindow(display_, w);
    XSync(display_, False);
    return w;
}

Window LutDialogTest::StatusWindow(const dialog_exports& d) {
    int window = 0, changed = 0;
    EXPECT_EQ(d.status(&window, &changed), 0);
    return static_cast<Window>(window);
}

void LutDialogTest::Click(Window w, int x, int y) {
    for (int type : {ButtonPress, ButtonRelease}) {
        XEvent e{};
        e.xbutton.type = type;
        e.xbutton.window = w;
        e.xbutton.root = DefaultRootWindow(display_);
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.button = Button1;
        e.xbutton.same_screen = True;
        XSendEvent(display_, w, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask,
                   &e);
    }
    XFlush(display_);
}

void LutDialogTest::ClickControl(Window w, const lmv::ui::dialog_layout& layout, int id, int dy) {
    const lmv::ui::control* c = lmv::ui::find_control(layout, id);
    ASSERT_NE(c, nullptr) << id;
    Click(w, c->x + c->w / 2, c->y + c->h / 2 + dy);
}

void LutDialogTest::Key(Window w, KeySym sym) {
    for (int type : {KeyPress, KeyRelease}) {
        XEvent e{};
        e.xkey.type = type;
        e.xkey.window = w;
        e.xkey.root = DefaultRootWindow(display_);
        e.xkey.keycode = XKeysymToKeycode(display_, sym);
        e.xkey.same_screen = True;
        XSendEvent(display_, w, False, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
    }
    XFlush(display_);
}

void LutDialogTest::Type(Window w, const std::string& text) {
    for (char c : text) Key(w, XStringToKeysym(std::string(1, c).c_str()));
}

bool LutDialogTest::Ping(Window w) {
    const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display_, "_NET_WM_PING", False);
    static long stamp = 1;
    const long mine = ++stamp;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = protocols;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(ping);
    e.xclient.data.l[1] = mine;
    e.xclient.data.l[2] = static_cast<long>(w);
    XSendEvent(display_, w, False, NoEventMask, &e);
    XFlush(display_);
    for (;;) {
        auto m = WaitForMessage(protocols);
        if (!m) return false;
        if (m->data.l[0] == static_cast<long>(ping) && m->data.l[1] == mine) return true;
    }
}

std::optional<XClientMessageEvent> LutDialogTest::WaitForMessage(Atom type) {
    for (auto it = seen_.begin(); it != seen_.end(); ++it) {
        if (it->message_type != type) continue;
        const XClientMessageEvent m = *it;
        seen_.erase(it);
        return m;
    }
    const auto end = std::chrono::steady_clock::now() + kBound;
    while (std::chrono::steady_clock::now() < end) {
        while (XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type != ClientMessage) continue;
            if (e.xclient.message_type == type) return e.xclient;
            seen_.push_back(e.xclient);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return std::nullopt;
}

bool LutDialogTest::WaitFor(const std::function<bool()>& cond) {
    const auto end = std::chrono::steady_clock::now() + kBound;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return true;
}

std::optional<uint32_t> LutDialogTest::RegistryValue(const std::string& name, int board) const {
    auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, lut_key(board));
    return key ? key->ReadDword(name) : std::nullopt;
}

void LutDialogTest::SetRegistryValue(const std::string& name, uint32_t value, int board) const {
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser, lut_key(board));
    ASSERT_TRUE(key);
    ASSERT_EQ(key->WriteDword(name, value), winport::RegStatus::Ok);
}

}  // namespace testing_lmv
