// GET_STATUS and GET_IMAGE_STATUS through their exports and the registers they read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquire_fixture.h"
#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"

namespace testing_acquire {
namespace {

std::string RegisterRead(uint32_t selector, uint32_t value) {
    return "0 ioctl 0x222018 in=" + testing_lmv::Le({selector}) +
           " out=" + testing_lmv::Le({value});
}

struct Status {
    int rc;
    int status = -1;
    int ele = -1;
    int ccd = -1;
};

Status GetStatus() {
    Status s{0};
    s.rc = GET_STATUS(&s.status, &s.ele, &s.ccd);
    return s;
}

TEST_F(AcquireTest, StatusAndTemperaturesOfTheCamera) {
    Rec().status_extra = 0x1203;  // extended camera byte 0x12
    Status s;
    const auto lines = TraceOf([&] { s = GetStatus(); });
    EXPECT_EQ(s.rc, lmv::kOk);
    EXPECT_EQ(s.status, 0x120000);
    EXPECT_EQ(s.ele, 25);
    EXPECT_EQ(s.ccd, -10);
    EXPECT_EQ(lines, (std::vector<std::string>{RegisterRead(6, 0), RegisterRead(7, 0x9976)}));
    EXPECT_EQ(Rec().ele_temp, 25);
    EXPECT_EQ(Rec().ccd_temp, -10);
}

TEST_F(AcquireTest, ACameraThatDoesNotAnswerReportsItsMarkAndNoTemperatures) {
    Reopen({{"LMVSIM_NO_CAMERA", "1"}});
    const Status s = GetStatus();
    EXPECT_EQ(s.rc, lmv::kOk);
    EXPECT_EQ(s.status, 0x795E);
    EXPECT_EQ(s.ele, 0);
    EXPECT_EQ(s.ccd, 0);
}

struct TemperatureCase {
    const char* ccd;
    const char* ele;
    int rc;
};

class Temperatures : public AcquireTest, public ::testing::WithParamInterface<TemperatureCase> {};

TEST_P(Temperatures, OutOfRangeReadingsAreReportedAsRead) {
    const TemperatureCase& c = GetParam();
    Reopen({{"LMVSIM_CCD_TEMP", c.ccd}, {"LMVSIM_ELE_TEMP", c.ele}});
    Rec().ccd_temp = 99;
    const Status s = GetStatus();
    EXPECT_EQ(s.rc, c.rc);
    EXPECT_EQ(s.ccd, std::stoi(c.ccd));
    EXPECT_EQ(s.ele, std::stoi(c.ele));
    EXPECT_EQ(Rec().ccd_temp, c.rc == lmv::kOk ? std::stoi(c.ccd) : 99) << "only good values stay";
}

INSTANTIATE_TEST_SUITE_P(Limits, Temperatures,
                         ::testing::Values(TemperatureCase{"-30", "65", lmv::kOk},
                                           TemperatureCase{"-31", "20", lmv::kTemperatureRange},
                                           TemperatureCase{"10", "66", lmv::kTemperatureRange},
                                           TemperatureCase{"40", "20", lmv::kOk},
                                           TemperatureCase{"41", "20", lmv::kTemperatureRange}));

TEST_F(AcquireTest, StatusFromTheCacheWhileTheBoardIsOwnedOrBusy) {
    Rec().status_extra = 0x0500;
    ASSERT_EQ(GetStatus().rc, lmv::kOk);  // caches 0x50000, 25, -10
    Rec().recorder_busy = 1;
    Status s;
    auto lines = TraceOf([&] { s = GetStatus(); });
    EXPECT_EQ(s.rc, lmv::kOk);
    EXPECT_EQ(s.status, 0x50000);
    EXPECT_EQ(s.ele, 25);
    EXPECT_EQ(s.ccd, -10);
    EXPECT_TRUE(lines.empty());
    Rec().recorder_busy = 0;

    lmv::library().imageTimeout = 100;
    ASSERT_TRUE(Rec().sync_event->Wait(0));
    lines = TraceOf([&] { s = GetStatus(); });
    EXPECT_EQ(s.rc, lmv::kOk);
    EXPECT_EQ(s.status, 0x50000);
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(Rec().sync_event->Wait(0)) << "set again after the timed-out wait";
    Rec().sync_event->Set();
}

TEST_F(AcquireTest, StatusRefusals) {
    int v = 0;
    EXPECT_EQ(GET_STATUS(nullptr, &v, &v), lmv::kNoMemory);
    EXPECT_EQ(GET_STATUS(&v, &v, nullptr), lmv::kNoMemory);
    lmv::set_board_state(0, lmv::kBoardNotInitialised);
    EXPECT_EQ(GET_STATUS(&v, &v, &v), lmv::kNotInitialised);
    lmv::set_board_state(0, lmv::kBoardReady);
    EXPECT_EQ(GET_IMAGE_STATUS(nullptr), lmv::kNoMemory);
}

constexpr int kCallerBits = 0x00ABCDE0;

TEST_F(AcquireTest, ImageStatusWithoutAPicture) {
    OpenLog(lmv::kLogApi);
    int status = kCallerBits | 0x1F;
    const auto lines = TraceOf([&] { EXPECT_EQ(GET_IMAGE_STATUS(&status), lmv::kOk); });
    EXPECT_EQ(status, kCallerBits | 0x2);
    EXPECT_EQ(lines, (std::vector<std::string>{StatusLine(false), RegisterRead(6, 0)}));
    EXPECT_EQ(lmv::library().lastImageStatus.load(), status);
    EXPECT_NE(LogText().find("GET_IMAGE_STATUS\r\n"), std::string::npos);
}

TEST_F(AcquireTest, ImageStatusWithAPictureCarriesTheStatusByte) {
    LoadSmallTable();
    TakePicture();
    int status = kCallerBits;
    EXPECT_EQ(GET_IMAGE_STATUS(&status), lmv::kOk);
    EXPECT_EQ(status, 0x04000000 | kCallerBits);
}

TEST_F(AcquireTest, ImageStatusClearsAPictureThatMustGo) {
    LoadSmallTable();
    TakePicture();
    Rec().clear_needed = 1;
    int status = 0;
    const auto lines = TraceOf([&] { EXPECT_EQ(GET_IMAGE_STATUS(&status), lmv::kOk); });
    EXPECT_EQ(lines, (std::vector<std::string>{StatusLine(true), BoardCommandLine(4),
                                               StatusLine(false), RegisterRead(6, 0)}));
    EXPECT_EQ(status, 0x2);
    EXPECT_EQ(Rec().clear_needed, 0);
}

TEST_F(AcquireTest, ImageStatusDuringAReadAnswersFromTheLastStatus) {
    LoadSmallTable();
    TakePicture();
    lmv::library().lastImageStatus = 0x00ABCDE6;
    lmv::library().readBusy = 1;
    int status = 0;
    const auto lines = TraceOf([&] { EXPECT_EQ(GET_IMAGE_STATUS(&status), lmv::kOk); });
    EXPECT_EQ(status, 0x04ABCDE7);
    EXPECT_EQ(lines, std::vector<std::string>{StatusLine(true)}) << "no register read";
    lmv::library().readBusy = 0;
    Rec().dma_active = 1;
    EXPECT_EQ(GET_IMAGE_STATUS(&status), lmv::kOk);
    EXPECT_EQ(status & 1, 1);
    Rec().dma_active = 0;
}

}  // namespace
}  // namespace testing_acquire
