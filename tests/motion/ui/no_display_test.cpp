// Without a display the setup dialog fails at once and cleanly: the toolkit is never started,
// so it cannot end the process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>

#include "motion/comm/InterfaceCollection.h"
#include "motion/ui/DialogTestSupport.h"
#include "motion/ui/GuiToolkit.h"
#include "motion/ui/SetupRS232Dlg.h"

namespace {

using namespace zrtest;

struct DisplayCase {
    const char* name;
    const char* display;  // nullptr: unset
    const char* wayland;
    const char* reason;  // in the log line
};

class NoDisplay : public DialogMachine, public ::testing::WithParamInterface<DisplayCase> {
  protected:
    void SetUp() override {
        DialogMachine::SetUp();
        Keep("DISPLAY", GetParam().display);
        Keep("WAYLAND_DISPLAY", GetParam().wayland);
        Keep("XDG_RUNTIME_DIR", root_.c_str());
    }
    void TearDown() override {
        for (auto& [name, value] : kept_) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        DialogMachine::TearDown();
    }
    void Keep(const char* name, const char* value) {
        const char* old = getenv(name);
        kept_.emplace_back(name, old ? old : "");
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<std::string, std::string>> kept_;
};

TEST_P(NoDisplay, FailsPromptlyWithALogLine) {
    AddPort(1, "/dev/zr-test-com1");
    Drive([](CDialogContainer& dialog) { Press(dialog, wxID_OK); });
    const int interfaces = CInterfaceCollection::Instance().Size();
    SetLastConnectError(-7);
    int id = 0;
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> log =
        CaptureLog([&] { id = setupRS232Dlg("ZRTest/NoDisplay", false); });
    auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(id, -1);
    EXPECT_LT(took, std::chrono::seconds(20));  // a remote display gets 3 s, never minutes
    EXPECT_EQ(hookRuns_, 0);
    EXPECT_FALSE(CGuiToolkit::Instance().IsStarted());
    EXPECT_TRUE(HasLine(log, "ERROR CGuiToolkit::Start() NO_DISPLAY: ")) << log.size();
    EXPECT_TRUE(HasLine(log, GetParam().reason));
    EXPECT_TRUE(HasLine(log, "LIBRARY: setupRS232Dlg()  returned: -1"));
    EXPECT_EQ(IFgetLastConnectError(), -7);
    EXPECT_EQ(RegistryText(), "");
    EXPECT_EQ(CInterfaceCollection::Instance().Size(), interfaces);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoDisplay,
    ::testing::Values(
        DisplayCase{"Unset", nullptr, nullptr, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
        DisplayCase{"NoServer", ":59999", nullptr, "DISPLAY \":59999\" does not answer"},
        DisplayCase{"NoCompositor", nullptr, "zr-no-compositor",
                    "WAYLAND_DISPLAY \"zr-no-compositor\" does not answer"},
        DisplayCase{"UnreachableHost", "192.0.2.1:0", nullptr,
                    "DISPLAY \"192.0.2.1:0\" does not answer"}),
    [](const ::testing::TestParamInfo<DisplayCase>& info) { return std::string(info.param.name); });

}  // namespace
