// An application that runs the toolkit itself: the library uses the application's toolkit in
// the application's GUI thread and never starts a second one.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <thread>

#include "motion/ui/DialogTestSupport.h"
#include "motion/ui/GuiToolkit.h"
#include "motion/ui/SetupRS232Dlg.h"

namespace {

using namespace zrtest;

class HostToolkitTest : public DialogMachine {
  protected:
    void SetUp() override {
        DialogMachine::SetUp();
        static char name[] = "host";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        wxApp::SetInstance(new wxApp);
        ASSERT_TRUE(wxEntryStart(argc, argv));
    }
    void TearDown() override {
        wxEntryCleanup();
        DialogMachine::TearDown();
    }
};

TEST_F(HostToolkitTest, DialogsRunInTheApplicationsGuiThread) {
    AddPort(1, "/dev/zr-test-com1");
    wxApp* host = wxTheApp;
    Drive([&](CDialogContainer& dialog) {
        EXPECT_EQ(wxTheApp, host);
        EXPECT_TRUE(wxThread::IsMain());
        Press(dialog, wxID_CANCEL);
    });
    EXPECT_EQ(setupRS232Dlg("ZRTest/Host", false), -1);
    EXPECT_EQ(hookRuns_, 1);
    EXPECT_FALSE(CGuiToolkit::Instance().IsStarted());

    // Another thread cannot use the application's toolkit: refused, nothing shown.
    int other = 0;
    std::vector<std::string> log = CaptureLog(
        [&] { std::thread([&] { other = setupRS232Dlg("ZRTest/Host", false); }).join(); });
    EXPECT_EQ(other, -1);
    EXPECT_EQ(hookRuns_, 1);
    EXPECT_TRUE(HasLine(log, "ERROR CGuiToolkit::Run() NOT_GUI_THREAD"));
    EXPECT_FALSE(CGuiToolkit::Instance().IsStarted());
}

}  // namespace
