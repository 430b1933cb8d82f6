// Every test of this program runs on its own X server. The server outlives every window: it goes
// when the test program ends.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/XvfbServer.h"

// The font library keeps a few blocks to the end on purpose, and the toolkit's base library keeps
// one set of untranslated labels per thread that it never frees (allocated inside that library,
// so only these libraries' own blocks are let through, never objects this code created).
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libwx_baseu-3.2.so\n";
}

namespace {

zrtest::XvfbServer* g_server = nullptr;

class XvfbEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus on a private server
        g_server = new zrtest::XvfbServer;
        ASSERT_TRUE(g_server->Start()) << "Xvfb did not start";
    }
};

const auto* const g_xvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace
