// Every test of this program runs on its own X server, started once for the program. One
// connection stays open throughout: the server resets when its last client leaves, and would
// refuse the next test's connection for a moment.
#include <gtest/gtest.h>
// After gtest: Xlib's macros clash with names in it.
#include <X11/Xlib.h>

#include <memory>

#include "common/XvfbServer.h"

namespace {

class XvfbEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        server_ = std::make_unique<zrtest::XvfbServer>();
        ASSERT_TRUE(server_->Start()) << "Xvfb did not start";
        keep_ = XOpenDisplay(nullptr);
        ASSERT_NE(keep_, nullptr);
    }
    void TearDown() override {
        if (keep_) XCloseDisplay(keep_);
        keep_ = nullptr;
        server_.reset();
    }

  private:
    std::unique_ptr<zrtest::XvfbServer> server_;
    Display* keep_ = nullptr;
};

const auto* const g_xvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace
