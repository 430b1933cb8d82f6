// RUN_COC and STOP_COC through their exports: the run and stop command sequences on the wire,
// the flags they leave, the sync_event and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquire_fixture.h"
#include "camera/acquire/Acquire.h"
#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "winport/Clock.h"

namespace testing_acquire {
namespace {

struct RunCase {
    const char* name;
    int mode;
    int trigger;
    int camera_flags;
    int pics_per_start;
    int submode;
    int rc;
    std::vector<std::string> wire;
    int firstread;
    int clear_needed;
};

class RunCocCases : public AcquireTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunCocCases, SendsTheRunSequence) {
    const RunCase& c = GetParam();
    Rec().trigger = c.trigger;
    Rec().camera_flags = c.camera_flags;
    Rec().pics_per_start = c.pics_per_start;
    Rec().submode = c.submode;
    const auto lines = TraceOf([&] { EXPECT_EQ(RUN_COC(c.mode), c.rc); });
    EXPECT_EQ(lines, c.wire);
    EXPECT_EQ(Rec().run_mode, c.mode & 0xF);
    EXPECT_EQ(Rec().firstread, c.firstread);
    EXPECT_EQ(Rec().clear_needed, c.clear_needed);
}

const std::string kIdle = BusyLine(false);

INSTANTIATE_TEST_SUITE_P(
    Modes, RunCocCases,
    ::testing::Values(
        RunCase{"continuous", 0, 0, 0, 1, 0, 0, {Write(5)}, 0, 0},
        RunCase{"alternate", 0, 0, 1, 1, 0, 0, {Write(6)}, 0, 0},
        RunCase{"alternate_flags1", 0, 0x100, 1, 1, 0, 0, {kIdle, Write(10), Write(14)}, 0, 0},
        RunCase{"alternate_flags2", 0, 0x200, 1, 1, 0, 0, {kIdle, Write(11), Write(15)}, 0, 0},
        RunCase{"single", 4, 0, 0, 1, 0, 0, {Write(4)}, 0, 0},
        RunCase{"single_flags1", 4, 0x100, 0, 1, 0, 0, {kIdle, Write(10), Write(8)}, 0, 0},
        RunCase{"single_flags2", 4, 0x201, 0, 1, 0, 0, {kIdle, Write(11), Write(9)}, 0, 0},
        RunCase{"several_per_start", 4, 0, 0, 3, 0, 0, {Write(5)}, 1, 0},
        RunCase{"double_shutter", 4, 0, 0, 1, 1, 0, {Write(5)}, 1, 1},
        RunCase{"upper_bits_ignored", 0x54, 0, 0, 1, 0, 0, {Write(4)}, 0, 0},
        RunCase{"arm_internal", 10, 0, 0, 1, 0, 0, {kIdle, Write(10)}, 0, 0},
        RunCase{"arm_external", 11, 0, 0, 1, 0, 0, {kIdle, Write(11)}, 0, 0},
        RunCase{"no_command_1", 1, 0, 0, 1, 0, lmv::kWrongParameter, {}, 0, 0},
        RunCase{"no_command_7", 7, 0, 0, 1, 0, lmv::kWrongParameter, {}, 0, 0},
        RunCase{"no_command_13", 13, 0, 0, 1, 0, lmv::kWrongParameter, {}, 0, 0}),
    [](const ::testing::TestParamInfo<RunCase>& i) { return std::string(i.param.name); });

TEST_F(AcquireTest, DirectRunCommandDoesNotWaitForTheSyncEvent) {
    ASSERT_TRUE(Rec().sync_event->Wait(0));  // another operation holds the board
    const uint32_t start = winport::TickCount();
    const auto lines = TraceOf([&] { EXPECT_EQ(RUN_COC(0x104), lmv::kOk); });
    EXPECT_LT(winport::TicksSince(start), 2000u);
    EXPECT_EQ(lines, std::vector<std::string>{Write(4)});
    EXPECT_EQ(Rec().run_mode, 255) << "the direct command leaves the record alone";
    Rec().sync_event->Set();
}

TEST_F(AcquireTest, StartWaitsForTheSyncEventAndReleasesItAfterATimeout) {
    lmv::library().imageTimeout = 100;
    ASSERT_TRUE(Rec().sync_event->Wait(0));
    const auto lines = TraceOf([&] { EXPECT_EQ(RUN_COC(0), lmv::kTimeout); });
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(Rec().sync_event->Wait(0)) << "a timed-out wait sets the event again";
    Rec().sync_event->Set();
}

TEST_F(AcquireTest, StartOfABusyCameraIsRefused) {
    ASSERT_EQ(RUN_COC(0), lmv::kOk);  // continuous
    const auto lines = TraceOf([&] { EXPECT_EQ(RUN_COC(10), lmv::kCameraBusy); });
    EXPECT_EQ(lines, std::vector<std::string>{BusyLine(true)});
}

TEST_F(AcquireTest, DoubleShutterStartStopsARunningCameraFirst) {
    LoadSmallTable();
    ASSERT_EQ(RUN_COC(0), lmv::kOk);
    Rec().submode = 1;
    const auto lines = TraceOf([&] { EXPECT_EQ(RUN_COC(0), lmv::kOk); });
    const std::vector<std::string> expected = {
        BusyLine(true),      Write(0),          BusyLine(false), Write(10), StatusLine(true),
        BoardCommandLine(4), StatusLine(false), Write(5)};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(Rec().clear_needed, 1);
}

TEST_F(AcquireTest, RefusalsBeforeAnythingIsSent) {
    Rec().recorder_busy = 1;
    auto lines = TraceOf([&] {
        EXPECT_EQ(RUN_COC(0), lmv::kRecorderOwnsBoard);
        EXPECT_EQ(STOP_COC(0), lmv::kRecorderOwnsBoard);
        EXPECT_EQ(RUN_COC(0x104), lmv::kRecorderOwnsBoard);
    });
    EXPECT_TRUE(lines.empty());
    Rec().recorder_busy = 0;
    lmv::set_board_state(0, lmv::kBoardNotInitialised);
    lines = TraceOf([&] {
        EXPECT_EQ(RUN_COC(0), lmv::kNotInitialised);
        EXPECT_EQ(STOP_COC(0), lmv::kNotInitialised);
    });
    EXPECT_TRUE(lines.empty());
    lmv::set_board_state(0, lmv::kBoardReady);
    EXPECT_EQ(STOP_COC(-1), lmv::kWrongParameter);
}

struct ArmCase {
    int trigger;
    std::vector<std::string> wire;
};

class StopMode6 : public AcquireTest, public ::testing::WithParamInterface<ArmCase> {};

TEST_P(StopMode6, OnlyResetsTheFlagsAndWritesTheArmCommand) {
    Rec().trigger = GetParam().trigger;
    ASSERT_EQ(RUN_COC(5), lmv::kOk);
    Rec().firstread = 1;
    Rec().clear_needed = 1;
    const auto lines = TraceOf([&] { EXPECT_EQ(STOP_COC(6), lmv::kOk); });
    EXPECT_EQ(lines, GetParam().wire);
    EXPECT_EQ(Rec().firstread, 0);
    EXPECT_EQ(Rec().clear_needed, 0);
    EXPECT_EQ(Rec().run_mode, 5) << "the camera is not stopped";
}

INSTANTIATE_TEST_SUITE_P(Triggers, StopMode6,
                         ::testing::Values(ArmCase{0, {}}, ArmCase{1, {Write(11)}},
                                           ArmCase{2, {Write(10)}}, ArmCase{0x103, {}}));

struct StopCase {
    int mode;
    uint32_t command;
    bool empties;
    bool settles;
};

class StopModes : public AcquireTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopModes, StopCommandSettleArmAndEmptying) {
    const StopCase& c = GetParam();
    LoadSmallTable();
    ASSERT_EQ(RUN_COC(0), lmv::kOk);
    const uint32_t start = winport::TickCount();
    const auto lines = TraceOf([&] { EXPECT_EQ(STOP_COC(c.mode), lmv::kOk); });
    const uint32_t took = winport::TicksSince(start);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], BusyLine(true));
    EXPECT_EQ(lines[1], Write(c.command));
    if (c.settles) {
        EXPECT_GE(took, 50u) << "CCD type 1 settles for 50 ms";
    }
    if (c.empties) {
        const std::vector<std::string> tail(lines.end() - 3, lines.end());
        EXPECT_EQ(tail, (std::vector<std::string>{StatusLine(true), BoardCommandLine(4),
                                                  StatusLine(false)}));
        EXPECT_EQ(lines[lines.size() - 4], Write(10));
    } else {
        EXPECT_EQ(lines.back(), Write(10));
    }
    EXPECT_EQ(Rec().run_mode, 255);
}

INSTANTIATE_TEST_SUITE_P(Modes, StopModes,
                         ::testing::Values(StopCase{0, 0, true, true}, StopCase{1, 0, false, true},
                                           StopCase{2, 4, true, true}, StopCase{3, 4, false, true},
                                           StopCase{4, 0, true, false},
                                           StopCase{5, 0, false, false}));

TEST_F(AcquireTest, StopOfAStoppedCameraOnlyEmptiesTheBoardBuffer) {
    const auto lines = TraceOf([&] { EXPECT_EQ(STOP_COC(0), lmv::kOk); });
    EXPECT_EQ(lines, std::vector<std::string>{StatusLine(false)});
}

TEST_F(AcquireTest, ACameraThatStaysBusyEndsTheStopWithATimeoutAndNoArmCommand) {
    Reopen({{"LMVSIM_IMAGE_MS", "3000"}});
    LoadSmallTable(3000);
    ASSERT_EQ(RUN_COC(0), lmv::kOk);
    const uint32_t start = winport::TickCount();
    const auto lines = TraceOf([&] { EXPECT_EQ(STOP_COC(3), lmv::kTimeout); });
    EXPECT_GE(winport::TicksSince(start), 600u);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), BusyLine(true));
    for (const auto& l : lines) EXPECT_NE(l, Write(10));
}

TEST_F(AcquireTest, ReloadRunsARunningCameraOnWithTheNewTable) {
    LoadSmallTable();
    ASSERT_EQ(RUN_COC(0), lmv::kOk);
    testing_lmv::Coc c;
    c.text = "0,2,-1,-1";
    const auto lines = TraceOf([&] { EXPECT_EQ(testing_lmv::SetCoc(c), lmv::kOk); });
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), Write(5)) << "the start procedure restarted the camera";
    EXPECT_EQ(Rec().run_mode, 0);
}

}  // namespace
}  // namespace testing_acquire
