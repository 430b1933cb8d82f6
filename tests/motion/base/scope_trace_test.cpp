#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

#include "LogCapture.h"
#include "motion/base/ZRLog.h"
#include "motion/base/ZRScopeTrace.h"

namespace {

uint32_t g_ticks[2];
int g_tickReads = 0;
uint32_t FakeTicks() {
    return g_ticks[g_tickReads++ % 2];
}

class ScopeTraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ZRLogger::SetLoggerName("ZR_Corvane_TAL_DLL");
        ZRLogger::FetchLibraryLogger().setPriority(log4cpp::Priority::DEBUG);
        g_tickReads = 0;
        capture_.emplace(ZRLogger::LibraryLogger());
    }
    void TearDown() override {
        capture_.reset();
        ZRLogger::LibraryLogger().setPriority(log4cpp::Priority::EMERG);
    }
    std::optional<zrtest::QueueCapture> capture_;
};

TEST_F(ScopeTraceTest, ElapsedTimeAcrossTickWrap) {
    g_ticks[0] = 0xFFFFFFF0u;
    g_ticks[1] = 0x10u;
    { ZRScopeTrace trace("C_RS232::EnumerateCOMPorts", &FakeTicks); }
    EXPECT_EQ(capture_->Lines(),
              (std::vector<std::string>{"DEBUG C_RS232::EnumerateCOMPorts - start 4294967280",
                                        "DEBUG C_RS232::EnumerateCOMPorts - end 16 (32)"}));
}

TEST_F(ScopeTraceTest, ScopeLeftByExceptionWritesItsEndLine) {
    g_ticks[0] = 100;
    g_ticks[1] = 350;
    EXPECT_THROW(
        {
            ZRScopeTrace trace("CCorvaneController::Init", &FakeTicks);
            throw std::runtime_error("fault");
        },
        std::runtime_error);
    EXPECT_EQ(capture_->Lines(),
              (std::vector<std::string>{"DEBUG CCorvaneController::Init - start 100",
                                        "DEBUG CCorvaneController::Init - end 350 (250)"}));
}

TEST_F(ScopeTraceTest, RealClockAndMacro) {
    { ZR_SCOPE_TRACE("CInterface::addMessageToStringFIFO"); }
    auto lines = capture_->Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("DEBUG CInterface::addMessageToStringFIFO - start "));
    EXPECT_TRUE(lines[1].starts_with("DEBUG CInterface::addMessageToStringFIFO - end "));
}

TEST_F(ScopeTraceTest, SilentBelowDebug) {
    ZRLogger::LibraryLogger().setPriority(log4cpp::Priority::INFO);
    { ZRScopeTrace trace("CInterface::SendString", &FakeTicks); }
    EXPECT_TRUE(capture_->Lines().empty());
    EXPECT_EQ(g_tickReads, 2);
}

}  // namespace
