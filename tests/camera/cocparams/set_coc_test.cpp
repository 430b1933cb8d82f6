// SET_COC through its export and the simulated board: what crosses the wire, the table loaded,
// the commit only after a successful load, the reload that board selection runs, and the read
// back of the settings.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BoardLimits.h"
#include "camera/coc/CocBuilder.h"
#include "camera/coc/CocParamCommit.h"
#include "camera/coc/CocReload.h"
#include "camera/coc/TestCoc.h"
#include "camera/cocparams/coc_values.h"
#include "camera/fixture/camera_fixture.h"

namespace testing_lmv {
namespace {

constexpr int kShortTimeout = 200;
const std::string kBusyIdle = "0 ioctl 0x222044 in=- out=00000000";
const std::string kNoPicture = "0 ioctl 0x222038 in=- out=00000000";
const std::string kClearBuffer = "0 ioctl 0x222004 in=04000000 out=-";

std::vector<uint16_t> TableOf(lmv::board_record rec) {
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    EXPECT_EQ(lmv::coc_build(rec, previous, table), 0);
    return table;
}

bool SameRecord(const lmv::board_record& a, const lmv::board_record& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The reload's requests after the table is known: stop, busy check, status, load, area of
// interest, arm.
std::vector<std::string> ReloadLines(const std::vector<uint16_t>& table, uint32_t aoi_start,
                                     uint32_t aoi_end, uint32_t arm) {
    return {RegisterWrite(0, 0, 0),
            kBusyIdle,
            kNoPicture,
            CocLoad(0, table),
            RegisterWrite(0, 0, aoi_start),
            RegisterWrite(0, 0, aoi_end),
            RegisterWrite(0, 0, arm)};
}

class SetCocTest : public ReadyBoardTest {};

TEST_F(SetCocTest, LoadsTheBuilderTableThenKeepsTheSettings) {
    Coc c;
    c.text = "0,10,-1,-1";  // delay 0, exposure 10 ms on CCD type 1
    const auto lines = TraceOf([&] { EXPECT_EQ(SetCoc(c), lmv::kOk); });
    const lmv::board_record& rec = Rec();
    const std::vector<uint16_t> table = TableOf(rec);
    EXPECT_EQ(lines, ReloadLines(table, 0 + 128 + 12, 640 + 128 + 13, 10));
    // The start of the table as the exposure section gives it.
    std::vector<uint16_t> head = {3010, 2498, 209, 209, 576, 576, 576};
    head.insert(head.end(), 157, 193);
    head.push_back(207);
    ASSERT_GT(table.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), table.begin()));

    EXPECT_EQ(rec.roixmin, 0);
    EXPECT_EQ(rec.roixmax, 640);
    EXPECT_EQ(rec.roiymin, 0);
    EXPECT_EQ(rec.roiymax, 480);
    EXPECT_EQ(rec.timevalues[0], 0);
    EXPECT_EQ(rec.timevalues[1], 10);
    EXPECT_EQ(rec.timevalues[2], -1);
    EXPECT_EQ(rec.user_coc, 0);
    lmv::board_record built = rec;
    TableOf(built);  // the times of the same build
    EXPECT_FLOAT_EQ(GET_COCTIME(), built.coctime);
    EXPECT_FLOAT_EQ(GET_BELTIME(), built.beltime);
    EXPECT_FLOAT_EQ(GET_EXPTIME(), built.exptime);
    EXPECT_FLOAT_EQ(GET_DELTIME(), built.deltime);
    EXPECT_GT(GET_EXPTIME(), 9900.0f);
    EXPECT_EQ(rec.image_ms, static_cast<int>((built.beltime + built.coctime) * 0.001));
}

TEST_F(SetCocTest, TheLastPictureOfARunningCameraIsClearedBeforeTheLoad) {
    ASSERT_EQ(lmv::driver::write_register(0, 0, 5), lmv::kOk);  // camera runs
    const auto lines = TraceOf([&] { EXPECT_EQ(SetCoc(Coc{}), lmv::kOk); });
    const std::vector<std::string> expected = {
        RegisterWrite(0, 0, 0),
        kBusyIdle,
        "0 ioctl 0x222038 in=- out=00000004",  // the stop finished a picture
        kClearBuffer,
        kNoPicture,
        CocLoad(0, TableOf(Rec())),
        RegisterWrite(0, 0, 140),
        RegisterWrite(0, 0, 781),
        RegisterWrite(0, 0, 10)};
    EXPECT_EQ(lines, expected);
}

TEST_F(SetCocTest, SettingsTheCheckWouldAdjustAreRefusedWithoutARequest) {
    const lmv::board_record before = Rec();
    Coc c;
    c.xmax = 30;
    const auto lines = TraceOf([&] { EXPECT_EQ(SetCoc(c), lmv::kWrongParameter); });
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(SameRecord(before, Rec()));
}

TEST_F(SetCocTest, WithoutATimeTextNothingIsLoaded) {
    const lmv::board_record before = Rec();
    const auto lines =
        TraceOf([&] { EXPECT_EQ(SET_COC(0, 0, 1, 20, 1, 15, 1, 1, nullptr), lmv::kNoMemory); });
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(SameRecord(before, Rec()));
}

// What TEST_COC returns, SET_COC's commit takes: the marks of the timed marks near the end of
// the int range, and a binning the CCD lists but that does not divide the region's rows. Only the
// build can tell that a mark weeks after the exposure does not fit the board memory.
TEST_F(SetCocTest, WhatTheCheckReturnsIsCommittedAsItIs) {
    struct {
        const char* what;
        int camera_typ;
        Coc in;
        Coc out;
        int test;  // TEST_COC: adjusted, or (a mark weeks away) a table the board cannot hold
        int set;
    } cases[] = {
        {"mark offset at INT_MAX", 2,
         Coc{2 << 16, 0, 1, 20, 1, 15, 1, 1, "0,10,0,0,2147483647,0,-1,-1"},
         Coc{2 << 16, 0, 1, 20, 1, 15, 1, 1, "0,10,0,0,2147483647,2147483638,-1,-1"},
         lmv::kCocTooLong, lmv::kCocTooLong},
        {"binning 384 over rows 4 to 15", 2, Coc{0, 0, 1, 20, 4, 15, 1, 384, "0,10,-1,-1"},
         Coc{0, 0, 1, 20, 4, 15, 1, 128, "0,10,-1,-1"}, lmv::kCocChanged, lmv::kOk},
        {"fast shutter, binning 384", 1, Coc{1, 0, 1, 20, 4, 15, 1, 384, "100,200,\r\n-1,-1\r\n"},
         Coc{1, 0, 1, 20, 4, 15, 1, 128, "100,200,\r\n-1,-1\r\n"}, lmv::kCocChanged, lmv::kOk},
        {"intensified, binning 384", 5,
         Coc{5, 0, 1, 20, 4, 15, 1, 384, "2,990,0,1,\n0,0,0,1000,\n-1,-1"},
         Coc{5, 0, 1, 20, 4, 15, 1, 128, "2,990,0,1,\n0,0,0,1000,\n-1,-1"}, lmv::kCocChanged,
         lmv::kOk},
    };
    for (const auto& c : cases) {
        lmv::write_record_defaults(Rec(), 0);
        Rec().camera_typ = c.camera_typ;
        const Tested first = TestCoc(c.in);
        EXPECT_EQ(first.rc, c.test) << c.what;
        EXPECT_EQ(first.out, c.out) << c.what;
        lmv::coc_check checked;
        const lmv::coc_parameters p{first.out.mode, first.out.trig, first.out.xmin,
                                    first.out.xmax, first.out.ymin, first.out.ymax,
                                    first.out.hbin, first.out.vbin, first.out.text};
        ASSERT_EQ(lmv::coc_check_parameters(Rec(), p, checked), lmv::kOk) << c.what;
        lmv::board_record copy = Rec();
        EXPECT_EQ(lmv::coc_commit_parameters(copy, checked), lmv::kOk) << c.what;
        EXPECT_EQ(SetCoc(first.out), c.set) << c.what;
    }
}

TEST_F(SetCocTest, SettingsReadBackAsTheyWereSet) {
    Coc c;
    c.xmin = 3;
    c.xmax = 10;
    c.ymin = 2;
    c.ymax = 9;
    c.hbin = 2;
    c.vbin = 4;
    c.trig = 1;
    c.text = "5, 100";
    ASSERT_EQ(SetCoc(c), lmv::kOk);
    Coc back;
    ASSERT_EQ(GetSettings(back), lmv::kOk);
    Coc expected = c;
    expected.text = "5,100,-1,-1\n";
    EXPECT_EQ(back, expected);
    EXPECT_EQ(TestCoc(back).rc, 0);
    int width = 0, height = 0;
    ASSERT_EQ(GET_IMAGE_SIZE(&width, &height), lmv::kOk);
    EXPECT_EQ(width, (320 - 64) / 2);
    EXPECT_EQ(height, (288 - 32) / 4);
    // External trigger: the arm command is 11.
    const auto lines = TraceOf([&] { ASSERT_EQ(SetCoc(c), lmv::kOk); });
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), RegisterWrite(0, 0, 11));
}

TEST_F(SetCocTest, HeaderProgramsOfCcdType21) {
    lmv::board_record& rec = Rec();
    rec.ccd_typ = 21;
    rec.ccd_width = 1376;
    rec.ccd_height = 1040;
    rec.aoi_offset = 96;
    Coc c;
    c.mode = 16 << 16;
    c.trig = 3;
    c.xmax = 43;
    c.ymax = 33;  // the partial last block
    c.text = "0,4660";
    const auto lines = TraceOf([&] { ASSERT_EQ(SetCoc(c), lmv::kOk); });
    const std::vector<uint16_t> header = {3010, 640, 657, 676, 675, 688,  658, 674, 673, 688,
                                          659,  690, 660, 689, 641, 1536, 640, 204, 204};
    const std::vector<uint16_t> table = TableOf(Rec());
    EXPECT_TRUE(std::equal(header.begin(), header.end(), table.begin()));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], CocLoad(0, table));
    EXPECT_EQ(Rec().roiymax, 1040);
    Coc back;
    ASSERT_EQ(GetSettings(back), lmv::kOk);
    EXPECT_EQ(back.ymax, 33);
    EXPECT_EQ(back.text, "0,4660,-1,-1\n");
    // Other CCD types have no header programs: the check drops the submode, SET_COC refuses it.
    rec.ccd_typ = 1;
    rec.ccd_width = 640;
    rec.ccd_height = 480;
    c.mode = 17 << 16;
    c.trig = 0;
    c.xmax = 20;
    c.ymax = 15;
    const Tested t = TestCoc(c);
    EXPECT_EQ(t.rc, lmv::kCocChanged);
    EXPECT_EQ(t.out.mode, 0);
    EXPECT_EQ(SetCoc(c), lmv::kWrongParameter);
    EXPECT_EQ(SetCoc(t.out), lmv::kOk);
}

TEST_F(SetCocTest, FastShutterAndIntensifiedCamerasLoadTheirTables) {
    struct {
        int camera_typ;
        int ccd_typ;
        Coc settings;
        uint16_t program;  // first word of the table's fine-time or gate part
    } cases[] = {
        {1, 1, Coc{1, 0, 1, 20, 1, 15, 1, 1, "100,200,\r\n-1,-1\r\n"}, 753},
        {1, 1, Coc{1 | (5 << 16), 1, 1, 20, 1, 15, 1, 1, "1,2,1000,2000,\r\n-1,-1"}, 753},
        {1, 9, Coc{1 | (9 << 16), 0, 1, 20, 1, 15, 1, 1, "0,10,-1,-1"}, 209},
        {5, 1, Coc{5, 0, 1, 20, 1, 15, 1, 1, "2,0,0,1,\n0,0,0,1000,\n-1,-1"}, 644},
    };
    for (const auto& c : cases) {
        lmv::write_record_defaults(Rec(), 0);
        Rec().camera_typ = c.camera_typ;
        Rec().ccd_typ = c.ccd_typ;
        ASSERT_EQ(TestCoc(c.settings).rc, 0) << c.camera_typ;
        const auto lines =
            TraceOf([&] { EXPECT_EQ(SetCoc(c.settings), lmv::kOk) << c.camera_typ; });
        const std::vector<uint16_t> table = TableOf(Rec());
        // The intensified camera's gain changed: a preparatory load goes before the last one.
        std::vector<std::string> loads;
        for (const auto& l : lines)
            if (l.rfind("0 ioctl 0x222028", 0) == 0) loads.push_back(l);
        ASSERT_EQ(loads.size(), c.camera_typ == 5 ? 2u : 1u) << c.camera_typ;
        EXPECT_EQ(loads.back(), CocLoad(0, table)) << c.camera_typ;
        EXPECT_NE(std::find(table.begin(), table.end(), c.program), table.end()) << c.camera_typ;
        EXPECT_EQ(table.back(), 4064);
    }
}

TEST_F(SetCocTest, AFailedReloadLeavesTheOldSettings) {
    const lmv::board_record before = Rec();
    Coc c;
    c.xmax = 10;
    Rec().recorder_busy = 1;
    auto lines = TraceOf([&] { EXPECT_EQ(SetCoc(c), lmv::kRecorderOwnsBoard); });
    EXPECT_TRUE(lines.empty());
    Rec().recorder_busy = 0;
    EXPECT_TRUE(SameRecord(before, Rec()));

    // A table load that never completes.
    (void)lmv::driver::close_channel(0);
    ::setenv("LMVSIM_HANG", "0x222028", 1);
    ASSERT_EQ(OpenReadyBoard(0), lmv::kOk);
    lmv::library().driverTimeout = kShortTimeout;
    const lmv::board_record fresh = Rec();
    EXPECT_EQ(SetCoc(c), lmv::kTimeout);
    EXPECT_TRUE(SameRecord(fresh, Rec()));
    EXPECT_TRUE(Rec().sync_event->IsSet());  // the board is free again
    Coc back;
    ASSERT_EQ(GetSettings(back), lmv::kOk);
    EXPECT_EQ(back.xmax, 20);
    ::unsetenv("LMVSIM_HANG");
    lmv::library().driverTimeout = lmv::kDefaultDriverTimeout;
}

TEST_F(SetCocTest, BoardSelectionReloadsTheCocOfAnInitialisedBoard) {
    ::setenv("LMVSIM_BOARDS", "3", 1);
    ASSERT_EQ(OpenReadyBoard(1), lmv::kOk);
    auto lines = TraceOf([] { EXPECT_EQ(SET_BOARD(1), lmv::kOk); });
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], RegisterWrite(1, 0, 0));
    EXPECT_EQ(lines[3], CocLoad(1, TableOf(Rec(1))));
    EXPECT_EQ(lines[6], RegisterWrite(1, 0, 10));
    // Selected without touching the hardware, and a board that is not initialised.
    lines = TraceOf([] {
        EXPECT_EQ(SET_BOARD(0 | 0x100), lmv::kOk);
        EXPECT_EQ(SET_BOARD(2), lmv::kOk);
    });
    EXPECT_TRUE(lines.empty());
    ::unsetenv("LMVSIM_BOARDS");
}

// The register writes after the last COC load of `lines`.
std::vector<std::string> WritesAfterLastLoad(const std::vector<std::string>& lines) {
    std::vector<std::string> writes;
    for (const auto& l : lines) {
        if (l.rfind("0 ioctl 0x222028", 0) == 0) writes.clear();
        if (l.rfind("0 ioctl 0x22201c", 0) == 0) writes.push_back(l);
    }
    return writes;
}

TEST_F(SetCocTest, ARunningCameraGoesOnWithTheNewTable) {
    Coc c;
    c.xmax = 10;
    auto lines = TraceOf([&] { ASSERT_EQ(SetCoc(c), lmv::kOk); });
    const std::string run = RegisterWrite(0, 0, 5);
    auto writes = WritesAfterLastLoad(lines);
    EXPECT_EQ(std::count(writes.begin(), writes.end(), run), 0);  // stopped camera
    Rec().run_mode = 5;
    c.xmax = 12;
    lines = TraceOf([&] { ASSERT_EQ(SetCoc(c), lmv::kOk); });
    writes = WritesAfterLastLoad(lines);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), run);  // started after the new table and its arm command
    EXPECT_EQ(Rec().roixmax, 12 * 32);
    EXPECT_EQ(Rec().run_mode, 5);
}

TEST_F(SetCocTest, ChangedOptionBitsRunTheOptionProgramFirst) {
    (void)lmv::driver::close_channel(0);
    ::setenv("LMVSIM_IMAGE_MS", "1", 1);
    ASSERT_EQ(OpenReadyBoard(0), lmv::kOk);
    Rec().status_extra = 0x100;  // option bits available
    Coc c;
    c.mode = 0x100;
    lmv::board_record program = Rec();
    program.status_extra = 0x10101;
    const std::vector<uint16_t> option_program = TableOf(program);
    ASSERT_EQ(option_program.size(), 3u + 629u + 10u + 2u);
    EXPECT_EQ(option_program[0], 584);  // 576 + 8: option bits 8 and 0
    const auto lines = TraceOf([&] { ASSERT_EQ(SetCoc(c), lmv::kOk); });
    EXPECT_EQ(Rec().status_extra, 0x101);
    // One single-picture start, for the option program; the final load leaves the camera stopped.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), RegisterWrite(0, 0, 4)), 1);
    EXPECT_EQ(Rec().run_mode, 255);
    std::vector<std::string> loads;
    for (const auto& l : lines)
        if (l.rfind("0 ioctl 0x222028", 0) == 0) loads.push_back(l);
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[0], CocLoad(0, option_program));
    EXPECT_EQ(loads[1], CocLoad(0, TableOf(Rec())));
    // The option program's picture was cleared before the final load.
    const auto clear = std::find(lines.begin(), lines.end(), kClearBuffer);
    const auto second = std::find(lines.begin(), lines.end(), loads[1]);
    EXPECT_TRUE(clear < second);
    ::unsetenv("LMVSIM_IMAGE_MS");
}

TEST_F(SetCocTest, IntensifierGainChangeWaitsForThePreparatoryRun) {
    lmv::board_record& rec = Rec();
    rec.camera_typ = 5;
    rec.exp_min = 5;
    rec.toram_wait = 300;
    const Coc c{5, 0, 1, 20, 1, 15, 1, 1, "2,990,0,1,\n0,0,0,1000,\n-1,-1"};
    ASSERT_EQ(TestCoc(c).rc, 0);
    const auto start = std::chrono::steady_clock::now();
    // The gain (second value) changes from what the record holds: a run, then toram_wait.
    const auto lines = TraceOf([&] { EXPECT_EQ(SetCoc(c), lmv::kOk); });
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    // Two loads: the preparatory table with bit 8 of the gain step (the gate program alone),
    // then the table for good.
    std::vector<std::string> loads;
    for (const auto& l : lines)
        if (l.rfind("0 ioctl 0x222028", 0) == 0) loads.push_back(l);
    ASSERT_EQ(loads.size(), 2u);
    lmv::board_record prepared = Rec();
    prepared.timevalues[2] |= 0x100;
    EXPECT_EQ(loads[0], CocLoad(0, TableOf(prepared)));
    EXPECT_EQ(loads[1], CocLoad(0, TableOf(Rec())));
    EXPECT_NE(loads[0], loads[1]);
    EXPECT_EQ(Rec().timevalues[1], 990);
    EXPECT_EQ(Rec().timevalues[2], 0);
}

TEST_F(SetCocTest, UserTablesEndAtTheFirstEndWordWithinTheBoardMemory) {
    std::vector<uint16_t> table(250000, 193);
    table[4] = 0x1F05;  // bits 8-11 set
    auto lines = TraceOf([&] { EXPECT_EQ(LOAD_USER_COC(table.data()), lmv::kOk); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], CocLoad(0, {193, 193, 193, 193, 0x1F05}));
    EXPECT_EQ(Rec().user_coc, 1);
    ASSERT_EQ(SetCoc(Coc{}), lmv::kOk);
    EXPECT_EQ(Rec().user_coc, 0);

    table[4] = 193;
    table[229999] = 4064;
    lines = TraceOf([&] { EXPECT_EQ(LOAD_USER_COC(table.data()), lmv::kOk); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), std::string("0 ioctl 0x222028 in= out=-").size() + 230000 * 4);
    table[229999] = 193;
    table[230000] = 4064;
    lines = TraceOf([&] {
        EXPECT_EQ(LOAD_USER_COC(table.data()), lmv::kCocTooLong);
        table[230000] = 193;
        EXPECT_EQ(LOAD_USER_COC(table.data()), lmv::kCocTooLong);  // no end at all
        EXPECT_EQ(LOAD_USER_COC(nullptr), lmv::kNoMemory);
        Rec().recorder_busy = 1;
        EXPECT_EQ(LOAD_USER_COC(table.data()), lmv::kRecorderOwnsBoard);
        Rec().recorder_busy = 0;
        lmv::set_board_state(0, lmv::kBoardNotInitialised);
        EXPECT_EQ(LOAD_USER_COC(table.data()), lmv::kNotInitialised);
    });
    EXPECT_TRUE(lines.empty());
}

TEST_F(SetCocTest, UserAreaOfInterestWords) {
    const auto lines = TraceOf([] { EXPECT_EQ(LOAD_USER_AOI(100, 0x12345), lmv::kOk); });
    const std::vector<std::string> expected = {RegisterWrite(0, 0, 96 | 12),
                                               RegisterWrite(0, 0, 0x2340 | 13)};
    EXPECT_EQ(lines, expected);
    (void)lmv::driver::close_channel(0);
    EXPECT_EQ(LOAD_USER_AOI(100, 200), lmv::kDriverNotOpen);
}

}  // namespace
}  // namespace testing_lmv
