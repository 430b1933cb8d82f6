// Stored macros on the boards: reading them back as TAL, the listing, running them, deleting
// them, and a board whose macro memory is full.
#include <atomic>
#include <cstring>
#include <thread>

#include "tests/motion/macros/MacroFixture.h"
#include "winport/Clock.h"

namespace macrotest {
namespace {

// Store waits and the answers that never come on a faster clock.
class MacroRunTest : public MacroFixture {
    winport::ScopedScaledClock fasterClock_{10};
};

TEST_F(MacroRunTest, StoredMacroReadsBackAsTalLines) {
    Ready(0, 100);
    const double one = 1.0;
    EXPECT_EQ(Store("AMC3", 0,
                    [&] {
                        ASSERT_TRUE(Corvane_MVR(id, "A", &one));
                        ASSERT_TRUE(Corvane_HLT(id, "A"));
                    }),
              "MD3,MR100,ST");
    sim->ClearTranscript();
    char text[64] = {};
    ASSERT_TRUE(Corvane_qMAC(id, "AMC3", text, sizeof text)) << Corvane_GetError(id);
    EXPECT_STREQ(text, "MVR A1 \nHLT A\n");
    // the board tells its numbers signed and zero-padded
    ASSERT_FALSE(sim->Sent(0).empty());
    EXPECT_EQ(sim->Sent(0).back().text, "MC3 MR+00100,ST");
    EXPECT_EQ(Sent(0), (Lines{"TM3"}));

    // too small for the translation: the native text stands in while it fits
    char small[24] = {};
    EXPECT_FALSE(Corvane_qMAC(id, "AMC3", small, 14));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_STREQ(small, "");
    EXPECT_FALSE(Corvane_qMAC(id, "AMC3", nullptr, 64));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_FALSE(Corvane_qMAC(id, "AMC3", text, 0));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
}

TEST_F(MacroRunTest, ReadingAMacroKeepsItsAnswerFromOtherThreads) {
    Ready(0, 100);
    const double one = 1.0;
    Store("AMC3", 0, [&] { ASSERT_TRUE(Corvane_MVR(id, "A", &one)); });
    sim->SetAnswerDelay(0, 10ms);  // wide windows between a request and its answer
    std::atomic<bool> stop{false};
    std::atomic<int> positionsRead{0}, positionFailures{0};
    std::thread other([&] {
        while (!stop) {
            double position = 0;
            if (Corvane_qPOS(id, "A", &position))
                ++positionsRead;
            else
                ++positionFailures;
        }
    });
    int wrong = 0;
    for (int k = 0; k < 10; ++k) {
        char text[64] = {};
        if (!Corvane_qMAC(id, "AMC3", text, sizeof text) || std::strcmp(text, "MVR A1\n") != 0)
            ++wrong;
    }
    stop = true;
    other.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(positionFailures, 0);
    EXPECT_GT(positionsRead, 0);
}

TEST_F(MacroRunTest, OverflowLeavesTheNativeTextWhenItFits) {
    Ready(0);
    EXPECT_EQ(Store("AMC1", 0, [&] { ASSERT_TRUE(Corvane_WAC(id, "ONT? A = 1")); }), "MD1,WS");
    char text[32] = {};
    ASSERT_TRUE(Corvane_qMAC(id, "AMC1", text, 16));
    EXPECT_STREQ(text, "WAC ONT? A = 1\n");
    std::memset(text, 'x', sizeof text);
    EXPECT_FALSE(Corvane_qMAC(id, "AMC1", text, 15));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_STREQ(text, "<non TAL: WS>\n");
}

TEST_F(MacroRunTest, RecordedReferenceReadsBackAsRef) {
    Ready(0);
    const std::string line = Store("AMC4", 0, [&] {
        ASSERT_TRUE(Corvane_REF(id, "A")) << Corvane_GetError(id);
        ASSERT_TRUE(Corvane_HLT(id, "A"));
    });
    EXPECT_EQ(line.rfind("MD4,SV5000,FE", 0), 0u) << line;
    char text[128] = {};
    ASSERT_TRUE(Corvane_qMAC(id, "AMC4", text, sizeof text)) << Corvane_GetError(id);
    EXPECT_STREQ(text, "REF A \nHLT A\n");
}

TEST_F(MacroRunTest, StartedMacroMovesAndHoldsForItsInput) {
    Ready(0);
    const double one = 1.0;
    Store("AMC6", 0, [&] {
        ASSERT_TRUE(Corvane_MVR(id, "A", &one));
        ASSERT_TRUE(Corvane_WAC(id, "ONT? A = 1"));
        ASSERT_TRUE(Corvane_WAC(id, "DIO? A = 1"));
        ASSERT_TRUE(Corvane_MVR(id, "A", &one));
    });
    ZR_BOOL running = -1;
    ASSERT_TRUE(Corvane_IsRunningMacro(id, &running));
    EXPECT_EQ(running, 0);
    ASSERT_TRUE(Corvane_MAC_START(id, "AMC6")) << Corvane_GetError(id);
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& s) { return !s.moving && s.position == 1000; }, 10s));
    ASSERT_TRUE(Corvane_IsRunningMacro(id, &running));
    EXPECT_EQ(running, 1);  // held by its wait for input line 1
    EXPECT_TRUE(sim->Snapshot(0).macroRunning);
    double position = 0;
    ASSERT_TRUE(Corvane_qPOS(id, "A", &position));  // the board answers while the macro runs
    EXPECT_DOUBLE_EQ(position, 1.0);
    sim->SetDigitalInputs(0, 1);
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& s) { return !s.macroRunning && !s.moving && s.position == 2000; }, 10s))
        << sim->Snapshot(0).position;
    ASSERT_TRUE(Corvane_IsRunningMacro(id, &running));
    EXPECT_EQ(running, 0);
    EXPECT_FALSE(Corvane_IsRunningMacro(id, nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
    EXPECT_FALSE(Corvane_IsRecordingMacro(id, nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
}

TEST_F(MacroRunTest, RepeatedMacroRunsItsCount) {
    Ready(0);
    const double one = 0.5;
    Store("AMC2", 0, [&] {
        ASSERT_TRUE(Corvane_MVR(id, "A", &one));
        ASSERT_TRUE(Corvane_WAC(id, "ONT? A = 1"));
    });
    ASSERT_TRUE(Corvane_MAC_NSTART(id, "AMC2", 3));
    ASSERT_TRUE(sim->WaitForLine(0, "EM2,RP2", 5s));
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& s) { return !s.macroRunning && !s.moving && s.position == 1500; }, 10s))
        << sim->Snapshot(0).position;
}

TEST_F(MacroRunTest, ListingNamesTheMacrosOfEveryBoardAndDeletes) {
    Ready(0);
    Ready(1);
    const double one = 1.0;
    Store("AMC", 0, [&] { ASSERT_TRUE(Corvane_DEL(id, 1)); });
    Store("AMC5", 0, [&] { ASSERT_TRUE(Corvane_MVR(id, "A", &one)); });
    Store("BMC2", 1, [&] { ASSERT_TRUE(Corvane_DEL(id, 2)); });
    char text[64] = {};
    ASSERT_TRUE(Corvane_qMAC(id, nullptr, text, sizeof text)) << Corvane_GetError(id);
    EXPECT_STREQ(text, "AMC0 \nAMC5 \nBMC2\n");
    EXPECT_EQ(Timeout(), 5000);
    // an entry without room for itself, "\n" and the NUL; the time-out is given back all the same
    std::memset(text, 'x', sizeof text);
    EXPECT_FALSE(Corvane_qMAC(id, "", text, 13));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(Timeout(), 5000);

    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_MAC_DEL(id, "AMC5")) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_MAC_DEL(id, "AMC")) << Corvane_GetError(id);
    EXPECT_EQ(Sent(0), (Lines{"RM5", "%", "RZ", "%"}));
    ASSERT_TRUE(Corvane_qMAC(id, nullptr, text, sizeof text)) << Corvane_GetError(id);
    EXPECT_STREQ(text, "BMC2\n");
}

class FullMacroMemoryTest : public MacroFixture {
    winport::ScopedScaledClock fasterClock_{10};

  protected:
    void SetUp() override {
        Start(
            "[board 0]\ntype = R-220\nposition = 0\nmacro-memory = 2\n"
            "[board 1]\ntype = R-210\n");
        Ready(0);
    }
};

TEST_F(FullMacroMemoryTest, EndReportsTheMacroTheBoardRefused) {
    ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC1"));
    for (int k = 1; k <= 3; ++k) ASSERT_TRUE(Corvane_DEL(id, k));
    EXPECT_FALSE(Corvane_MAC_END(id));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MACRO_MEMORY_FULL);
    EXPECT_FALSE(Recording());
    EXPECT_EQ(Timeout(), 5000);
    char text[64] = {};
    ASSERT_TRUE(Corvane_qMAC(id, nullptr, text, sizeof text)) << Corvane_GetError(id);
    EXPECT_STREQ(text, "\n");
    // two commands fit
    EXPECT_EQ(Store("AMC1", 0,
                    [&] {
                        ASSERT_TRUE(Corvane_DEL(id, 1));
                        ASSERT_TRUE(Corvane_DEL(id, 2));
                    }),
              "MD1,WA1,WA2");
}

TEST_F(MacroRunTest, LostLineFailsEndAndListing) {
    Ready(0);
    ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC1"));
    ASSERT_TRUE(Corvane_DEL(id, 1));
    sim->HangUp();
    EXPECT_FALSE(Corvane_MAC_END(id));  // no stored macro is reported
    EXPECT_NE(Corvane_GetError(id), 0);
    EXPECT_FALSE(Recording());
    char text[64] = {};
    EXPECT_FALSE(Corvane_qMAC(id, nullptr, text, sizeof text));
    EXPECT_NE(Corvane_GetError(id), 0);
}

}  // namespace
}  // namespace macrotest
