// The B/W and colour LUT dialogs driven as a user drives them, on a private X server.
#include <stdlib.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "camera/ui/DialogLayout.h"
#include "lmvntcam.h"
#include "lut_dialog_fixture.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/keysym.h>
// clang-format on

namespace testing_lmv {
namespace {

using lmv::ui::bw_layout;
using lmv::ui::colour_layout;
using set_bw_fn = int (*)(int, int, int);
using get_bw_fn = int (*)(int*, int*, int*);
using get_col_fn = int (*)(int*, int*, int*, int*, int*, int*, int*);
using convert_fn = int (*)(int, int, int, short*, unsigned char*);
using init_fn = int (*)(int);

constexpr int kMaxEdit = 700, kMinEdit = 705, kLogRadio = 708;

void* as_parent(Window w) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(w));
}

struct bw_values {
    int min = -1, max = -1, lin = -1;
};

class BwDialogTest : public LutDialogTest {
  protected:
    bw_values Values() {
        bw_values v;
        EXPECT_EQ(Get<get_bw_fn>("GET_DIALOG_BW")(&v.min, &v.max, &v.lin), 0);
        return v;
    }
    // Opens the B/W dialog on the test's parent; its window.
    Window Open(int param = 0) {
        dialog_exports d = Bw();
        EXPECT_EQ(d.open(as_parent(parent_), param, nullptr), 0);
        return StatusWindow(d);
    }
    // Types into a field and leaves it with Tab.
    void Enter(Window w, int field, const std::string& text) {
        ClickControl(w, bw_layout(), field);
        Type(w, text);
        Key(w, XK_Tab);
        ASSERT_TRUE(Ping(w));
    }
};

TEST_F(BwDialogTest, WithoutAnOpenDialogStatusIsEmptyAndLockFails) {
    int window = 7, changed = 7;
    EXPECT_EQ(Bw().status(&window, &changed), 0);
    EXPECT_EQ(window, 0);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(Bw().lock(1), -31);
    EXPECT_EQ(Colour().lock(1), -31);
    EXPECT_EQ(Bw().status(nullptr, nullptr), 0);
    EXPECT_EQ(Bw().close(), 0);
}

TEST_F(BwDialogTest, OpensOnTheParentWithItsTitleAndOnceOnly) {
    const Window w = Open();
    ASSERT_NE(w, 0u);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(display_, w, &a));
    EXPECT_EQ(a.width, 274);
    EXPECT_EQ(a.height, 180);
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display_, w, &name));
    EXPECT_STREQ(name, "B&W-Dialog 0");
    XFree(name);
    Window transient = 0;
    ASSERT_TRUE(XGetTransientForHint(display_, w, &transient));
    EXPECT_EQ(transient, parent_);
    EXPECT_EQ(Bw().open(as_parent(parent_), 0, nullptr), 0);
    EXPECT_EQ(StatusWindow(Bw()), w);
    EXPECT_EQ(Bw().lock(0), 0);
    EXPECT_EQ(Bw().close(), 0);
    EXPECT_EQ(StatusWindow(Bw()), 0u);
    EXPECT_FALSE(XGetWindowAttributes(display_, w, &a));  // destroyed
}

TEST_F(BwDialogTest, TheTitleGivenIsUsed) {
    char title[] = "Grey levels";
    ASSERT_EQ(Bw().open(nullptr, 0, title), 0);
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display_, StatusWindow(Bw()), &name));
    EXPECT_STREQ(name, "Grey levels");
    XFree(name);
}

TEST_F(BwDialogTest, TheMaximumFieldTakesDigitsOnlyAndIsClampedWhenLeft) {
    ASSERT_EQ(Get<set_bw_fn>("SET_DIALOG_BW")(100, 3000, 0), 0);
    const Window w = Open();
    ASSERT_NE(w, 0u);
    Enter(w, kMaxEdit, "2x5z00");
    EXPECT_EQ(Values().max, 2500);  // the letters were taken out again
    Enter(w, kMaxEdit, "5000");
    EXPECT_EQ(Values().max, 4095);
    Enter(w, kMinEdit, "4095");
    EXPECT_EQ(Values().min, 4094);  // below the maximum
    EXPECT_EQ(Values().max, 4095);
}

TEST_F(BwDialogTest, AChangeIsPostedToTheParentAndReportedOnce) {
    const Window w = Open(1);
    ASSERT_NE(w, 0u);
    const Atom update = XInternAtom(display_, LMVNTCAM_LUT_ATOM, False);
    ClickControl(w, bw_layout(), kLogRadio);
    const auto message = WaitForMessage(update);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->window, parent_);
    EXPECT_EQ(message->format, 32);
    EXPECT_EQ(message->data.l[0], 1001);
    EXPECT_EQ(message->data.l[1], 0);
    EXPECT_EQ(static_cast<Window>(message->data.l[2]), w);
    EXPECT_EQ(Values().lin, 1);
    int window = 0, changed = 0;
    ASSERT_EQ(Bw().status(&window, &changed), 0);
    EXPECT_EQ(changed, 1);
    ASSERT_EQ(Bw().status(&window, &changed), 0);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(static_cast<Window>(window), w);
}

TEST_F(BwDialogTest, TheUpdateCommandComesFromTheRegistry) {
    SetRegistryValue("Update_Comand_BW", 4711);
    const Window w = Open(1);
    ClickControl(w, bw_layout(), 701, 4);  // maximum up-down, lower half: one down
    const auto message = WaitForMessage(XInternAtom(display_, LMVNTCAM_LUT_ATOM, False));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->data.l[0], 4711);
    EXPECT_EQ(Values().max, 4094);
}

// The table the library converts with, seen through CONVERT_BUFFER_12TO8.
int converted(LutDialogTest& t, short pixel) {
    unsigned char out = 0;
    EXPECT_EQ(t.Get<convert_fn>("CONVERT_BUFFER_12TO8")(0, 1, 1, &pixel, &out), 0);
    return out;
}

TEST_F(BwDialogTest, Bit1LeavesLoadingTheTableToTheApplication) {
    ASSERT_EQ(Get<set_bw_fn>("SET_DIALOG_BW")(0, 4095, 0), 0);
    const int before = converted(*this, 2000);
    Window w = Open(2);
    Enter(w, kMaxEdit, "2000");
    ASSERT_EQ(Values().max, 2000);
    EXPECT_EQ(converted(*this, 2000), before);  // the library's table is the old one
    ASSERT_EQ(Bw().close(), 0);
    w = Open(0);
    Enter(w, kMaxEdit, "1000");
    EXPECT_EQ(converted(*this, 2000), 255);  // loaded by the dialog
}

TEST_F(BwDialogTest, ALockedDialogIgnoresInput) {
    const Window w = Open();
    ASSERT_EQ(Bw().lock(1), 0);
    ClickControl(w, bw_layout(), kLogRadio);
    Enter(w, kMaxEdit, "1234");
    ASSERT_EQ(Bw().lock(0), 0);
    int window = 0, changed = 0;
    ASSERT_EQ(Bw().status(&window, &changed), 0);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(Values().lin, 0);
    EXPECT_EQ(Values().max, 4095);
    ClickControl(w, bw_layout(), kLogRadio);
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(Values().lin, 1);
}

TEST_F(BwDialogTest, ValuesSetByAProgramAreShownAndStoredAtClose) {
    const Window w = Open();
    ASSERT_EQ(Get<set_bw_fn>("SET_DIALOG_BW")(10, 2000, 1), 0);
    EXPECT_FALSE(RegistryValue("LutBW max") == std::optional<uint32_t>(2000));  // dialog open
    ASSERT_TRUE(WaitFor([&] { return converted(*this, 2000) == 255; }));  // it loaded the table
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(display_, w, &a));
    ASSERT_EQ(Bw().close(), 0);
    EXPECT_EQ(RegistryValue("LutBW min"), 10u);
    EXPECT_EQ(RegistryValue("LutBW max"), 2000u);
    EXPECT_EQ(RegistryValue("LutBW lin"), 1u);
    // The first position is the top right corner of the screen, 10 pixels in.
    EXPECT_EQ(RegistryValue("LutBW xpos"),
              static_cast<uint32_t>(WidthOfScreen(a.screen) - 274 - 10));
    EXPECT_EQ(RegistryValue("LutBW ypos"), 10u);
}

TEST_F(BwDialogTest, AStoredPositionIsUsedWhenTheDialogFitsOnTheScreen) {
    SetRegistryValue("LutBW xpos", 100);
    SetRegistryValue("LutBW ypos", 50);
    Window w = Open();
    int x = -1, y = -1;
    Window child = 0;
    ASSERT_TRUE(
        XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 0, 0, &x, &y, &child));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    ASSERT_EQ(Bw().close(), 0);
    SetRegistryValue("LutBW xpos", 5000);  // off the screen: repaired and written back
    w = Open();
    ASSERT_TRUE(
        XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 0, 0, &x, &y, &child));
    EXPECT_EQ(x, DisplayWidth(display_, DefaultScreen(display_)) - 274 - 10);
    EXPECT_EQ(y, 50);
}

TEST_F(BwDialogTest, DraggingTheMaximumMarkerMovesTheMaximum) {
    const Window w = Open();
    const lmv::ui::control* curve = lmv::ui::find_control(bw_layout(), 710);
    const int x = curve->x + 1 + 4095 / 24 + 20, y = curve->y + 1 + 4;
    XEvent e{};
    e.xbutton.type = ButtonPress;
    e.xbutton.window = w;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.button = Button1;
    e.xbutton.same_screen = True;
    XSendEvent(display_, w, False, ButtonPressMask, &e);
    XEvent m{};
    m.xmotion.type = MotionNotify;
    m.xmotion.window = w;
    m.xmotion.x = x - 10;
    m.xmotion.y = y;
    m.xmotion.state = Button1Mask;
    XSendEvent(display_, w, False, ButtonMotionMask, &m);
    e.xbutton.type = ButtonRelease;
    e.xbutton.x = x - 10;
    XSendEvent(display_, w, False, ButtonReleaseMask, &e);
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(Values().max, 4095 - 240);
    int window = 0, changed = 0;
    ASSERT_EQ(Bw().status(&window, &changed), 0);
    EXPECT_EQ(changed, 1);
}

// Where a window is in the stacking order, from the bottom.
int StackPlace(Display* d, Window which) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned n = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &up, &children, &n);
    int at = -1;
    for (unsigned i = 0; i < n; ++i)
        if (children[i] == which) at = static_cast<int>(i);
    XFree(children);
    return at;
}

TEST_F(BwDialogTest, TheDialogStaysDirectlyAboveItsParent) {
    const Window w = Open();
    const Window other = MakeWindow(40, 40);  // now on top
    ASSERT_GT(StackPlace(display_, other), StackPlace(display_, w));
    XRaiseWindow(display_, parent_);
    XSync(display_, False);
    EXPECT_TRUE(
        WaitFor([&] { return StackPlace(display_, w) == StackPlace(display_, parent_) + 1; }));
    EXPECT_GT(StackPlace(display_, w), StackPlace(display_, other));
}

TEST_F(BwDialogTest, WithParameter8TheDialogDoesNotFollow) {
    const Window w = Open(8);
    const Window other = MakeWindow(40, 40);
    XRaiseWindow(display_, parent_);
    XSync(display_, False);
    ASSERT_TRUE(Ping(w));  // it has seen everything the raise could have told it
    EXPECT_LT(StackPlace(display_, w), StackPlace(display_, other));
    EXPECT_LT(StackPlace(display_, w), StackPlace(display_, parent_));
}

TEST_F(BwDialogTest, SetInitZeroClosesBothDialogs) {
    const Window bw = Open();
    ASSERT_EQ(Colour().open(as_parent(parent_), 0, nullptr), 0);
    const Window colour = StatusWindow(Colour());
    ASSERT_NE(colour, 0u);
    EXPECT_NE(colour, bw);
    ASSERT_EQ(Get<init_fn>("SET_INIT")(0), 0);
    EXPECT_EQ(StatusWindow(Bw()), 0u);
    EXPECT_EQ(StatusWindow(Colour()), 0u);
    XWindowAttributes a;
    EXPECT_FALSE(XGetWindowAttributes(display_, bw, &a));
    EXPECT_FALSE(XGetWindowAttributes(display_, colour, &a));
}

TEST_F(BwDialogTest, FiftyOpenAndCloseCycles) {
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(Bw().open(as_parent(parent_), i & 1, nullptr), 0) << i;
        ASSERT_NE(StatusWindow(Bw()), 0u) << i;
        ASSERT_EQ(Bw().close(), 0) << i;
    }
    EXPECT_EQ(StatusWindow(Bw()), 0u);
}

TEST_F(BwDialogTest, ClosingTheWindowEndsTheDialog) {
    const Window w = Open();
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    XSendEvent(display_, w, False, NoEventMask, &e);
    XFlush(display_);
    EXPECT_TRUE(WaitFor([&] { return StatusWindow(Bw()) == 0; }));
    EXPECT_EQ(RegistryValue("LutBW max"), 4095u);
    EXPECT_EQ(Bw().lock(1), -31);
    EXPECT_NE(Open(), 0u);  // opens again
}

class ColourDialogTest : public LutDialogTest {
  protected:
    Window TopWindow() {
        Window root = 0, up = 0, *children = nullptr;
        unsigned n = 0;
        XQueryTree(display_, DefaultRootWindow(display_), &root, &up, &children, &n);
        const Window top = n ? children[n - 1] : 0;
        XFree(children);
        return top;
    }
    std::array<int, 7> Values() {
        std::array<int, 7> v{};
        EXPECT_EQ(
            Get<get_col_fn>("GET_DIALOG_COL")(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]), 0);
        return v;
    }
    Window Open() {
        EXPECT_EQ(Colour().open(as_parent(parent_), 0, nullptr), 0);
        return StatusWindow(Colour());
    }
};

TEST_F(ColourDialogTest, OpensWithItsTitleAndSize) {
    const Window w = Open();
    ASSERT_NE(w, 0u);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(display_, w, &a));
    EXPECT_EQ(a.width, 356);
    EXPECT_EQ(a.height, 192);
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display_, w, &name));
    EXPECT_STREQ(name, "Color-Dialog 0");
    XFree(name);
}

TEST_F(ColourDialogTest, Preset5600WithoutBg39) {
    const Window w = Open();
    ClickControl(w, colour_layout(), 740);
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(Values(), (std::array<int, 7>{100, 2295, 100, 1478, 100, 1045, 0}));
    ClickControl(w, colour_layout(), 744);  // BG39: the same button is "3300" with the filter
    ClickControl(w, colour_layout(), 740);
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(Values(), (std::array<int, 7>{100, 1434, 100, 2454, 100, 1218, 0}));
    ASSERT_EQ(Colour().close(), 0);
    EXPECT_EQ(RegistryValue("LutBG39 installed"), 1u);
    EXPECT_EQ(RegistryValue("LutRED max"), 1434u);
}

TEST_F(ColourDialogTest, TheFieldsEditTheChosenChannel) {
    const Window w = Open();
    ClickControl(w, colour_layout(), 729);  // red
    ClickControl(w, colour_layout(), 721);
    Type(w, "3000");
    Key(w, XK_Return);
    ClickControl(w, colour_layout(), 731);  // blue
    ClickControl(w, colour_layout(), 725);
    Type(w, "200");
    Key(w, XK_Return);
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(Values(), (std::array<int, 7>{0, 3000, 0, 4095, 200, 4095, 0}));
}

TEST_F(ColourDialogTest, SaveAndLoadUserPreset3) {
    SetRegistryValue("USER3GREEN max", 0);  // invalid: repaired when read
    const Window w = Open();
    ClickControl(w, colour_layout(), 740);
    ClickControl(w, colour_layout(), 753);  // the list opens on top
    ASSERT_TRUE(Ping(w));
    const Window list = TopWindow();
    ASSERT_NE(list, w);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(display_, list, &a));
    EXPECT_TRUE(a.override_redirect);
    EXPECT_EQ(a.height, 20 * 14);           // LUT1 ... LUT20
    Click(list, 10, 2 * 14 + 7);            // LUT3
    ClickControl(w, colour_layout(), 752);  // SAVE
    ASSERT_TRUE(Ping(w));
    EXPECT_FALSE(XGetWindowAttributes(display_, list, &a));  // the list went with the choice
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(RegistryValue("USER3RED max"), 2295u);
    EXPECT_EQ(RegistryValue("USER3GREEN max"), 1478u);
    EXPECT_EQ(RegistryValue("USER3BLUE min"), 100u);
    EXPECT_EQ(RegistryValue("USER3COLOR lin"), 0u);
    ClickControl(w, colour_layout(), 736);  // other values
    ASSERT_TRUE(Ping(w));
    ASSERT_NE(Values()[1], 2295);
    ClickControl(w, colour_layout(), 751);  // LOAD
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(Values(), (std::array<int, 7>{100, 2295, 100, 1478, 100, 1045, 0}));
}

TEST_F(ColourDialogTest, AUserPresetWithBadValuesIsRepaired) {
    SetRegistryValue("USER1RED min", 5000);
    SetRegistryValue("USER1RED max", 3000);
    SetRegistryValue("USER1GREEN min", 300);
    SetRegistryValue("USER1GREEN max", 200);  // not above the minimum
    SetRegistryValue("USER1COLOR lin", 7);
    const Window w = Open();
    ClickControl(w, colour_layout(), 751);  // LOAD preset 1
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(Values(), (std::array<int, 7>{0, 3000, 300, 4095, 0, 4095, 0}));
    EXPECT_EQ(RegistryValue("USER1RED min"), 0u);
    EXPECT_EQ(RegistryValue("USER1GREEN max"), 4095u);
    EXPECT_EQ(RegistryValue("USER1BLUE max"), 4095u);
    EXPECT_EQ(RegistryValue("USER1COLOR lin"), 0u);
}

TEST_F(ColourDialogTest, GainStepsAllMaxima) {
    const Window w = Open();
    ClickControl(w, colour_layout(), 740);
    ClickControl(w, colour_layout(), 746);  // "+"
    ASSERT_TRUE(Ping(w));
    EXPECT_EQ(Values(), (std::array<int, 7>{100, 1822, 100, 1174, 100, 830, 0}));
}

TEST_F(ColourDialogTest, ALockedColourDialogIgnoresInput) {
    const Window w = Open();
    ASSERT_EQ(Colour().lock(1), 0);
    ClickControl(w, colour_layout(), 740);
    ASSERT_TRUE(Ping(w));
    ASSERT_EQ(Colour().lock(0), 0);
    EXPECT_EQ(Values()[1], 4095);
}

using LibraryFileTest = LutDialogTest;

TEST_F(LibraryFileTest, TheLibraryNamesNoXLibrary) {
    std::unique_ptr<FILE, int (*)(FILE*)> p(
        popen("readelf -d " ZR_BUILD_DIR "/lib/liblmvntcam.so", "r"), pclose);
    ASSERT_TRUE(p);
    std::string out;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, p.get())) out += buffer;
    EXPECT_NE(out.find("NEEDED"), std::string::npos);
    EXPECT_EQ(out.find("libX"), std::string::npos) << out;
    EXPECT_EQ(out.find("libxcb"), std::string::npos) << out;
}

TEST_F(LibraryFileTest, WithoutADisplayOpenFailsAtOnce) {
    const std::string display = getenv("DISPLAY");
    unsetenv("DISPLAY");
    const auto start = std::chrono::steady_clock::now();
    const int bw = Bw().open(nullptr, 0, nullptr);
    const int colour = Colour().open(nullptr, 0, nullptr);
    const auto took = std::chrono::steady_clock::now() - start;
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(bw, -31);
    EXPECT_EQ(colour, -31);
    EXPECT_LT(took, std::chrono::milliseconds(5000));  // never the wait for a window
    EXPECT_EQ(StatusWindow(Bw()), 0u);
}

TEST_F(LibraryFileTest, WithoutTheModuleOpenFailsAtOnce) {
    // A copy with no dialog module beside it; it stays loaded when its file goes with the folder.
    const std::string copy = dir_ + "/liblmvntcam.so";
    std::filesystem::copy_file(ZR_BUILD_DIR "/lib/liblmvntcam.so", copy);
    library_ = LoadedOnce(copy);
    ASSERT_NE(library_, nullptr) << dlerror();
    int window = 7, changed = 7;
    EXPECT_EQ(Bw().status(&window, &changed), 0);  // before any module
    EXPECT_EQ(window, 0);
    EXPECT_EQ(changed, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Bw().open(as_parent(parent_), 0, nullptr), -31);
    EXPECT_EQ(Colour().open(nullptr, 0, nullptr), -31);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5000));
    EXPECT_EQ(Bw().lock(1), -31);
    EXPECT_EQ(StatusWindow(Colour()), 0u);
}

}  // namespace
}  // namespace testing_lmv
