#pragma once
// The LUT dialogs as an application sees them: the built library loaded by path, once for the
// program (it finds its
// dialog module beside it), a private registry, a private X server and a parent window made by
// the test; input arrives as synthetic X events, and a _NET_WM_PING answered by a dialog shows
// that it has handled every event sent before.
#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Status, Bool) clash with names in it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "camera/ui/DialogLayout.h"

namespace testing_lmv {

using open_fn = int (*)(void*, int, char*);
using none_fn = int (*)();
using lock_fn = int (*)(int);
using status_fn = int (*)(int*, int*);

// One dialog's exports.
struct dialog_exports {
    open_fn open = nullptr;
    none_fn close = nullptr;
    lock_fn lock = nullptr;
    status_fn status = nullptr;
};

class LutDialogTest : public ::testing::Test {
  public:
    template <typename Fn>
    Fn Get(const char* name) {
        auto fn = reinterpret_cast<Fn>(dlsym(library_, name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

  protected:
    void SetUp() override;
    void TearDown() override;

    static void* LoadedOnce(const std::string& path);
    dialog_exports Bw();
    dialog_exports Colour();

    // A mapped top-level window of the test.
    Window MakeWindow(int x, int y);
    // The dialog's window from STATUS (the changed flag is cleared by it).
    Window StatusWindow(const dialog_exports& d);

    void Click(Window w, int x, int y);
    void ClickControl(Window w, const lmv::ui::dialog_layout& layout, int id, int dy = 0);
    void Key(Window w, KeySym sym);
    void Type(Window w, const std::string& text);
    // True when the dialog answered a ping, that is, handled everything sent before it.
    bool Ping(Window w);
    // The next ClientMessage of `type` the test's windows get, within 20 s.
    std::optional<XClientMessageEvent> WaitForMessage(Atom type);
    // Waits up to 20 s for `cond`.
    static bool WaitFor(const std::function<bool()>& cond);

    std::optional<uint32_t> RegistryValue(const std::string& name, int board = 0) const;
    void SetRegistryValue(const std::string& name, uint32_t value, int board = 0) const;

    Display* display_ = nullptr;
    Window parent_ = 0;
    void* library_ = nullptr;
    std::string dir_;
    std::deque<XClientMessageEvent> seen_;  // messages a wait passed over
};

}  // namespace testing_lmv
