// READ_IMAGE_12BIT, READ_IMAGE_12BIT_EXT and READ_IMAGE_8BIT through their exports: the checks in
// their order, the picture retry, the transfer on the wire, the orientations and the stop after a
// single picture; and an acquisition loop without lost or repeated pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "acquire_fixture.h"
#include "camera/acquire/Acquire.h"
#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "winport/Clock.h"

namespace testing_acquire {
namespace {

constexpr int kPixels = kSize * kSize;

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string ReadLine(int bytes) {
    return "0 read " + std::to_string(bytes);
}

std::string ReadPicLine(uint32_t mode) {
    return "0 ioctl 0x222054 in=" + testing_lmv::Le({mode}) + " out=-";
}

TEST_F(AcquireTest, TwelveBitReadOnTheWire) {
    LoadSmallTable();
    TakePicture();
    int rc = -1;
    std::vector<uint16_t> p;
    const auto lines = TraceOf([&] { p = Read12(0, rc); });
    EXPECT_EQ(rc, lmv::kOk);
    // The read's picture check, the transfer's own check, the announcement, the read.
    EXPECT_EQ(lines, (std::vector<std::string>{StatusLine(true), StatusLine(true), ReadPicLine(0),
                                               ReadLine(kPixels * 2)}));
    EXPECT_TRUE(std::all_of(p.begin(), p.end(), [](uint16_t v) { return v <= 0xFFF; }));
    EXPECT_EQ(lmv::library().readBusy.load(), 0);
}

TEST_F(AcquireTest, HeightZeroIsRefusedAndTheNextReadWorks) {
    OpenLog(lmv::kLogApi | lmv::kLogErrors);
    LoadSmallTable();
    TakePicture();
    std::vector<uint16_t> p(kPixels);
    const auto lines =
        TraceOf([&] { EXPECT_EQ(READ_IMAGE_12BIT(0, kSize, 0, p.data()), lmv::kWrongParameter); });
    EXPECT_TRUE(lines.empty());
    EXPECT_NE(LogText().find("READ_IMAGE_12BIT() wrong value width or height is zero\r\n"),
              std::string::npos);
    EXPECT_EQ(READ_IMAGE_12BIT(0, -kSize, -kSize, p.data()), lmv::kWrongParameter);
    EXPECT_EQ(READ_IMAGE_12BIT(0, kSize, kSize, p.data()), lmv::kOk);
}

TEST_F(AcquireTest, NullEightBitBufferIsRefusedWithoutLeavingTheReadBusy) {
    OpenLog(lmv::kLogApi | lmv::kLogErrors);
    LoadSmallTable();
    TakePicture();
    const auto lines =
        TraceOf([&] { EXPECT_EQ(READ_IMAGE_8BIT(0, kSize, kSize, nullptr), lmv::kNoMemory); });
    EXPECT_TRUE(lines.empty()) << "checked before the wait";
    EXPECT_EQ(lmv::library().readBusy.load(), 0);
    EXPECT_NE(LogText().find("READ_IMAGE_8BIT() bad pointer 8Bit buffer\r\n"), std::string::npos);
    int rc = -1;
    Read8(0, rc);
    EXPECT_EQ(rc, lmv::kOk);
    // The 12-bit read checks its buffer once a picture is known to wait.
    TakePicture();
    EXPECT_EQ(READ_IMAGE_12BIT(0, kSize, kSize, nullptr), lmv::kNoMemory);
    EXPECT_EQ(lmv::library().readBusy.load(), 0);
}

TEST_F(AcquireTest, NoPictureWaitsOneImageTimeAndReturns100) {
    OpenLog(lmv::kLogApi);
    Rec().image_ms = 20;
    int rc = -1;
    const uint32_t start = winport::TickCount();
    const auto lines = TraceOf([&] { Read12(0, rc); });
    EXPECT_GE(winport::TicksSince(start), 25u);
    EXPECT_EQ(rc, lmv::kNoPicture);
    EXPECT_EQ(lines, (std::vector<std::string>{StatusLine(false), StatusLine(false)}));
    EXPECT_NE(LogText().find("READ_IMAGE_12BIT() no picture in board buffer\r\n"),
              std::string::npos);
    EXPECT_EQ(lmv::library().readBusy.load(), 0);
    Read8(1, rc);
    EXPECT_EQ(rc, lmv::kNoPicture);
}

TEST_F(AcquireTest, ModeFourNeedsNoPicture) {
    int rc = -1;
    std::vector<uint16_t> p;
    const auto lines = TraceOf([&] { p = Read12(4, rc); });
    EXPECT_EQ(rc, lmv::kOk);
    EXPECT_EQ(lines, std::vector<std::string>{StatusLine(false)});
    EXPECT_TRUE(std::all_of(p.begin(), p.end(), [](uint16_t v) { return v == 0; }));
}

TEST_F(AcquireTest, EightBitTestPicture) {
    std::vector<uint8_t> p(12, 0xEE);
    const auto lines = TraceOf([&] { EXPECT_EQ(READ_IMAGE_8BIT(4, 4, 3, p.data()), lmv::kOk); });
    const std::vector<uint8_t> expected = {255, 255, 255, 255, 255, 64,
                                           64,  255, 200, 200, 200, 200};
    EXPECT_EQ(p, expected);
    EXPECT_EQ(lines, std::vector<std::string>{StatusLine(false)});
}

TEST_F(AcquireTest, TwelveBitOrientations) {
    LoadSmallTable();
    int rc = -1;
    TakePicture();
    const Steps plain = StepsOf(Read12(0, rc), kSize, 1024);
    ASSERT_EQ(rc, lmv::kOk);
    ASSERT_NE(plain.along, 0);
    ASSERT_NE(plain.down, 0);
    const struct {
        int mode;
        Steps steps;
    } cases[] = {{1, {plain.along, Negated(plain, 1024).down}},
                 {8, {Negated(plain, 1024).along, plain.down}},
                 {9, Negated(plain, 1024)}};
    for (const auto& c : cases) {
        TakePicture();
        const auto p = Read12(c.mode, rc);
        ASSERT_EQ(rc, lmv::kOk) << c.mode;
        EXPECT_EQ(StepsOf(p, kSize, 1024), c.steps) << "mode " << c.mode;
    }
}

TEST_F(AcquireTest, EightBitReadsGoThroughTheBoardTable) {
    LoadSmallTable();
    LoadLowByteLut();
    int rc = -1;
    TakePicture();
    std::vector<uint8_t> p;
    const auto lines = TraceOf([&] { p = Read8(0, rc); });
    ASSERT_EQ(rc, lmv::kOk);
    EXPECT_TRUE(Contains(lines, ReadPicLine(1)));
    EXPECT_TRUE(Contains(lines, ReadLine(kPixels)));
    const Steps plain = StepsOf(p, kSize, 256);
    const struct {
        int mode;
        Steps steps;
    } cases[] = {{1, {plain.along, Negated(plain, 256).down}},
                 {8, {Negated(plain, 256).along, plain.down}},
                 {9, Negated(plain, 256)}};
    for (const auto& c : cases) {
        TakePicture();
        const auto q = Read8(c.mode, rc);
        ASSERT_EQ(rc, lmv::kOk) << c.mode;
        EXPECT_EQ(StepsOf(q, kSize, 256), c.steps) << "mode " << c.mode;
    }
    // A table that maps everything to one value.
    uint8_t flat[lmv::ioctl::kLutBytes];
    std::fill(std::begin(flat), std::end(flat), 77);
    ASSERT_EQ(lmv::driver::load_lut(0, flat), lmv::kOk);
    TakePicture();
    p = Read8(0, rc);
    ASSERT_EQ(rc, lmv::kOk);
    EXPECT_TRUE(std::all_of(p.begin(), p.end(), [](uint8_t v) { return v == 77; }));
}

TEST_F(AcquireTest, UnknownModesAreRefusedAfterThePictureCheck) {
    OpenLog(lmv::kLogErrors);
    LoadSmallTable();
    TakePicture();
    int rc = -1;
    for (int mode : {2, 5, 16, 33}) {
        Read12(mode, rc);
        EXPECT_EQ(rc, lmv::kWrongParameter) << mode;
    }
    for (int mode : {32, 3}) {
        Read8(mode, rc);
        EXPECT_EQ(rc, lmv::kWrongParameter) << mode;
    }
    EXPECT_NE(LogText().find("READ_IMAGE_12BIT() error in transfer \r\n"), std::string::npos);
    EXPECT_NE(LogText().find("READ_IMAGE_8BIT() error in transfer \r\n"), std::string::npos);
    EXPECT_TRUE(WaitPicture(0)) << "the picture is still there";
}

TEST_F(AcquireTest, DirectRead) {
    LoadSmallTable();
    TakePicture();
    int rc = -1;
    std::vector<uint16_t> p;
    const auto lines = TraceOf([&] { p = Read12(32, rc); });
    EXPECT_EQ(rc, lmv::kOk);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], StatusLine(true));
    EXPECT_EQ(lines[2], BoardCommandLine(8));
    EXPECT_EQ(lines[3], BoardCommandLine(3));
    EXPECT_EQ(lines[4].rfind("0 ioctl 0x222050 in=" + testing_lmv::Le({kPixels}) + " out=", 0), 0u);
    EXPECT_EQ(lines[5], BoardCommandLine(4));
    EXPECT_TRUE(std::all_of(p.begin(), p.end(), [](uint16_t v) { return v <= 0xFFF; }));
}

TEST_F(AcquireTest, ExtendedReadFillsItsSlotOnly) {
    LoadSmallTable();
    TakePicture();
    std::vector<uint16_t> slots(3 * kPixels, 0xEEEE);
    EXPECT_EQ(READ_IMAGE_12BIT_EXT(0, kSize, kSize, 1, slots.data()), lmv::kOk);
    auto is = [](uint16_t want) { return [want](uint16_t v) { return v == want; }; };
    EXPECT_TRUE(std::all_of(slots.begin(), slots.begin() + kPixels, is(0xEEEE)));
    EXPECT_TRUE(std::none_of(slots.begin() + kPixels, slots.begin() + 2 * kPixels, is(0xEEEE)));
    EXPECT_TRUE(std::all_of(slots.begin() + 2 * kPixels, slots.end(), is(0xEEEE)));
    EXPECT_EQ(READ_IMAGE_12BIT_EXT(4, kSize, kSize, 2, slots.data()), lmv::kOk);
    EXPECT_TRUE(std::all_of(slots.begin() + 2 * kPixels, slots.end(), is(0)));
    TakePicture();
    EXPECT_EQ(READ_IMAGE_12BIT_EXT(8, kSize, kSize, 0, slots.data()), lmv::kWrongParameter);
    EXPECT_EQ(READ_IMAGE_12BIT_EXT(9, kSize, kSize, 0, slots.data()), lmv::kWrongParameter);
    EXPECT_EQ(READ_IMAGE_12BIT_EXT(0, kSize, kSize, -1, slots.data()), lmv::kWrongParameter);
    EXPECT_EQ(READ_IMAGE_12BIT_EXT(0, kSize, 0, 0, slots.data()), lmv::kWrongParameter);
}

// Sizes whose byte count leaves the int range are refused before the board is asked and before
// the buffer is touched: the buffer here holds one small picture.
TEST_F(AcquireTest, ImpossibleSizesAreRefusedBeforeAnything) {
    LoadSmallTable();
    TakePicture();
    struct {
        int width, height, picnr;
    } sizes[] = {{65536, 65536, 0},
                 {46341, 46341, 0},
                 {INT_MAX, 2, 0},
                 {2, INT_MAX, 0},
                 {32768, 32768, 0},
                 {kSize, kSize, INT_MAX},
                 {kSize, kSize, (INT_MAX / (2 * kPixels))}};
    std::vector<uint16_t> p12(kPixels, 0xEEEE);
    std::vector<uint8_t> p8(kPixels, 0xEE);
    const auto lines = TraceOf([&] {
        for (const auto& s : sizes) {
            if (s.picnr == 0) {
                EXPECT_EQ(READ_IMAGE_12BIT(0, s.width, s.height, p12.data()), lmv::kWrongParameter)
                    << s.width << " x " << s.height;
                if (int64_t{s.width} * s.height > INT_MAX) {
                    EXPECT_EQ(READ_IMAGE_8BIT(0, s.width, s.height, p8.data()),
                              lmv::kWrongParameter)
                        << s.width << " x " << s.height;
                }
            }
            EXPECT_EQ(READ_IMAGE_12BIT_EXT(0, s.width, s.height, s.picnr, p12.data()),
                      lmv::kWrongParameter)
                << s.width << " x " << s.height << " slot " << s.picnr;
        }
    });
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(std::all_of(p12.begin(), p12.end(), [](uint16_t v) { return v == 0xEEEE; }));
    EXPECT_TRUE(std::all_of(p8.begin(), p8.end(), [](uint8_t v) { return v == 0xEE; }));
    EXPECT_EQ(READ_IMAGE_12BIT(0, kSize, kSize, p12.data()), lmv::kOk);  // the picture waits
}

TEST_F(AcquireTest, ExtendedReadWithoutAPictureLooksOnceMore) {
    Rec().image_ms = 10;
    std::vector<uint16_t> p(kPixels);
    const auto lines = TraceOf(
        [&] { EXPECT_EQ(READ_IMAGE_12BIT_EXT(0, kSize, kSize, 0, p.data()), lmv::kNoPicture); });
    EXPECT_EQ(lines, (std::vector<std::string>{StatusLine(false), StatusLine(false)}));
}

TEST_F(AcquireTest, APictureThatMustGoIsClearedBeforeTheRead) {
    Reopen({{"LMVSIM_IMAGE_MS", "0"}});
    LoadSmallTable();
    ASSERT_EQ(RUN_COC(0), lmv::kOk);
    ASSERT_TRUE(WaitPicture());
    Rec().clear_needed = 1;
    int rc = -1;
    const auto lines = TraceOf([&] { Read12(0, rc); });
    EXPECT_EQ(rc, lmv::kOk);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], StatusLine(true));
    EXPECT_EQ(lines[1], BoardCommandLine(4));
    EXPECT_EQ(Rec().clear_needed, 0);
    EXPECT_EQ(lines.back(), ReadLine(kPixels * 2));
}

TEST_F(AcquireTest, ASinglePictureStartStopsTheCameraAfterTheRead) {
    OpenLog(lmv::kLogApi);
    LoadSmallTable();
    Rec().pics_per_start = 2;
    ASSERT_EQ(RUN_COC(4), lmv::kOk);
    EXPECT_EQ(Rec().firstread, 1);
    ASSERT_TRUE(WaitPicture());
    int rc = -1;
    const auto lines = TraceOf([&] { Read12(0, rc); });
    EXPECT_EQ(rc, lmv::kOk);
    EXPECT_TRUE(Contains(lines, Write(0))) << "stopped";
    EXPECT_EQ(lines.back(), StatusLine(false)) << "board buffer emptied";
    EXPECT_EQ(Rec().firstread, 0);
    EXPECT_EQ(Rec().run_mode, 255);
    EXPECT_NE(LogText().find("firstread TRUE\r\n"), std::string::npos);
}

TEST_F(AcquireTest, ReadRefusals) {
    lmv::library().readBusy = 1;
    int rc = -1;
    Read12(0, rc);
    EXPECT_EQ(rc, lmv::kReadInProgress);
    Read8(0, rc);
    EXPECT_EQ(rc, lmv::kReadInProgress);
    lmv::library().readBusy = 0;
    Rec().recorder_busy = 1;
    Read12(0, rc);
    EXPECT_EQ(rc, lmv::kRecorderOwnsBoard);
    Read8(0, rc);
    EXPECT_EQ(rc, lmv::kRecorderOwnsBoard);
    Rec().recorder_busy = 0;
}

TEST_F(AcquireTest, ReadWaitsForTheSyncEvent) {
    OpenLog(lmv::kLogErrors);
    lmv::library().imageTimeout = 100;
    ASSERT_TRUE(Rec().sync_event->Wait(0));
    int rc = -1;
    const auto lines = TraceOf([&] { Read12(0, rc); });
    EXPECT_EQ(rc, lmv::kTimeout);
    EXPECT_TRUE(lines.empty());
    EXPECT_NE(LogText().find("READ_IMAGE_12BIT() sync_event timeout\r\n"), std::string::npos);
    EXPECT_TRUE(Rec().sync_event->Wait(0));
    Rec().sync_event->Set();
}

struct TransferFault {
    const char* name;
    const char* value;
    int rc;
    const char* log;
};

class TransferFaults : public AcquireTest, public ::testing::WithParamInterface<TransferFault> {};

TEST_P(TransferFaults, AreReportedAndLeaveNoReadBusy) {
    const TransferFault& f = GetParam();
    Reopen({{f.name, f.value}});
    OpenLog(lmv::kLogErrors);
    LoadSmallTable();
    TakePicture();
    int rc = -1;
    Read12(0, rc);
    EXPECT_EQ(rc, f.rc);
    EXPECT_EQ(lmv::library().readBusy.load(), 0);
    EXPECT_NE(LogText().find(f.log), std::string::npos) << LogText();
    EXPECT_NE(LogText().find("READ_IMAGE_12BIT() error in transfer \r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TransferFaults,
    ::testing::Values(
        TransferFault{"LMVSIM_SHORT_READ", "2", lmv::kTransferIncomplete, ""},
        TransferFault{"LMVSIM_FAIL", "0x222054", lmv::kTransferIncomplete, ""},
        TransferFault{"LMVSIM_HANG", "read", lmv::kTimeout, "GETPIC12 ReadFile Timeout"},
        TransferFault{"LMVSIM_HANG", "0x222054", lmv::kTimeout, "GETPIC12 SET_READPIC failed\r\n"}),
    [](const ::testing::TestParamInfo<TransferFault>& i) { return std::to_string(i.index); });

TEST_F(AcquireTest, ReadsFromTwoThreadsAreSerialisedOrRefused) {
    Reopen({{"LMVSIM_IMAGE_MS", "1"}});
    LoadSmallTable();
    ASSERT_EQ(RUN_COC(0), lmv::kOk);
    std::atomic<int> read{0}, other{0};
    auto reader = [&] {
        std::vector<uint16_t> p(kPixels);
        for (int i = 0; i < 30; ++i) {
            const int rc = READ_IMAGE_12BIT(0, kSize, kSize, p.data());
            if (rc == lmv::kOk)
                ++read;
            else if (rc != lmv::kReadInProgress && rc != lmv::kNoPicture)
                ++other;
            int status = 0;
            if (GET_IMAGE_STATUS(&status) != lmv::kOk) ++other;
        }
    };
    std::thread a(reader), b(reader);
    a.join();
    b.join();
    EXPECT_EQ(other.load(), 0);
    EXPECT_GT(read.load(), 0);
    EXPECT_EQ(lmv::library().readBusy.load(), 0);
    EXPECT_TRUE(Rec().sync_event->Wait(0)) << "the board is free again";
    Rec().sync_event->Set();
    EXPECT_EQ(STOP_COC(0), lmv::kOk);
}

TEST_F(AcquireTest, HundredPicturesWithoutALostOrRepeatedFrame) {
    Reopen({{"LMVSIM_IMAGE_MS", "2"}});
    LoadSmallTable();
    ASSERT_EQ(RUN_COC(0), lmv::kOk);
    std::vector<int> first;
    env_.ClearTrace();
    for (int n = 0; n < 100; ++n) {
        std::vector<uint16_t> p;
        int rc = lmv::kNoPicture;
        for (int tries = 0; tries < 200 && rc == lmv::kNoPicture; ++tries) p = Read12(0, rc);
        ASSERT_EQ(rc, lmv::kOk) << "picture " << n;
        first.push_back(p[0]);
    }
    ASSERT_EQ(STOP_COC(1), lmv::kOk);
    // Each picture of the simulated camera moves its pattern on by 13 levels.
    for (size_t n = 1; n < first.size(); ++n)
        EXPECT_EQ(((first[n] - first[n - 1]) % 1024 + 1024) % 1024, 13) << "picture " << n;
    const auto lines = env_.TraceLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ReadLine(kPixels * 2)), 100);
}

}  // namespace
}  // namespace testing_acquire
