// AUTO_MINMAX and AUTO_MINMAX_OFF on given images and on pictures taken from the board.
#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "camera/image/AutoMinMax.h"
#include "camera/image/BwSettings.h"
#include "fake_camera.h"
#include "image_fixture.h"
#include "lmvntcam.h"
#include "winport/Clock.h"

namespace {

using testing_image::AutoMinMax;
using testing_image::AutoMinMaxOff;
using testing_image::AutoRange;
using testing_image::FakeCamera;

class AutoMinMaxTest : public testing_image::BoardFixture {
    winport::ScopedScaledClock fasterClock_{20};

  protected:
    void SetUp() override {
        BoardFixture::SetUp();
        lmv::bw_store_parameters({0, 4095, 1});
    }
    void TearDown() override {
        FakeCamera::Uninstall();
        lmv::bw_store_parameters({});
        lmv::bw_reset_table();
        BoardFixture::TearDown();
    }
};

TEST_F(AutoMinMaxTest, ExtremesOfAGivenImage) {
    std::vector<uint16_t> image = {300, 17, 2000, 4000, 18};
    int min = 0, max = 0;
    ASSERT_EQ(AutoMinMax(0, &min, &max, 5, 1, image.data()), lmv::kOk);
    EXPECT_EQ(min, 17);
    EXPECT_EQ(max, 4000);
    // The start values bound the result: a black image gives max 1, a white one min 4095.
    std::vector<uint16_t> black(6, 0), white(6, 0xFFFF);
    ASSERT_EQ(AutoMinMax(0, &min, &max, 3, 2, black.data()), lmv::kOk);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 1);
    ASSERT_EQ(AutoMinMax(0, &min, &max, 3, 2, white.data()), lmv::kOk);
    EXPECT_EQ(min, 4095);
    EXPECT_EQ(max, 4095);
    EXPECT_TRUE(env_.TraceLines().empty());
}

TEST_F(AutoMinMaxTest, OffsetsOnAConstantImage) {
    std::vector<uint16_t> image(64, 100);
    int min = 0, max = 0;
    ASSERT_EQ(AutoMinMaxOff(0, &min, &max, 0, 0, 8, 8, image.data()), lmv::kOk);
    EXPECT_EQ(min, 99);
    EXPECT_EQ(max, 100);
}

TEST_F(AutoMinMaxTest, OffsetsCutTheGivenShares) {
    // 1000 pixels with the values 0 .. 999.
    std::vector<uint16_t> image(1000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint16_t>(i);
    struct row {
        int low, high, min, max;
    };
    const row rows[] = {
        {0, 0, 0, 999},     {1, 1, 10, 989},
        {10, 20, 100, 799}, {50, 50, 498, 499},  // the limits cross: min is kept one below max
        {100, 100, 0, 1},  // nothing exceeds the limits: min walks to 4095, max to 1
    };
    for (const auto& r : rows) {
        int min = 0, max = 0;
        ASSERT_EQ(AutoMinMaxOff(0, &min, &max, r.low, r.high, 1000, 1, image.data()), lmv::kOk);
        EXPECT_EQ(min, r.min) << r.low << " " << r.high;
        EXPECT_EQ(max, r.max) << r.low << " " << r.high;
    }
}

TEST_F(AutoMinMaxTest, ValuesAbove4095CountAsWhite) {
    std::vector<uint16_t> image = {5000, 5000, 0xFFFF, 4095, 10, 10};
    int min = 0, max = 0;
    ASSERT_EQ(AutoMinMaxOff(0, &min, &max, 0, 0, 6, 1, image.data()), lmv::kOk);
    EXPECT_EQ(min, 10);
    EXPECT_EQ(max, 4095);
    ASSERT_EQ(AutoMinMax(0, &min, &max, 6, 1, image.data()), lmv::kOk);
    EXPECT_EQ(max, 4095);
}

TEST_F(AutoMinMaxTest, ModeOneSetsTheBwTableKeepingItsCurve) {
    std::vector<uint16_t> image = {200, 900, 500};
    int min = 0, max = 0;
    ASSERT_EQ(AutoMinMax(1, &min, &max, 3, 1, image.data()), lmv::kOk);
    int dmin = 0, dmax = 0, lin = 0;
    GET_DIALOG_BW(&dmin, &dmax, &lin);
    EXPECT_EQ(dmin, 200);
    EXPECT_EQ(dmax, 900);
    EXPECT_EQ(lin, 1);
    std::vector<uint8_t> expected(4096);
    lmv::lut_build(200, 900, 1, expected.data());
    EXPECT_EQ(std::vector<uint8_t>(lmv::bw_conversion_table(), lmv::bw_conversion_table() + 4096),
              expected);
    ASSERT_EQ(AutoMinMaxOff(1, &min, &max, 0, 0, 3, 1, image.data()), lmv::kOk);
    GET_DIALOG_BW(&dmin, &dmax, &lin);
    EXPECT_EQ(dmin, 200);
    EXPECT_EQ(dmax, 900);
}

TEST_F(AutoMinMaxTest, Refusals) {
    std::vector<uint16_t> image(4, 1);
    int v = 0;
    EXPECT_EQ(AutoMinMax(0, nullptr, &v, 2, 2, image.data()), lmv::kNoMemory);
    EXPECT_EQ(AutoMinMaxOff(0, &v, nullptr, 0, 0, 2, 2, image.data()), lmv::kNoMemory);
    EXPECT_EQ(AutoMinMax(0, &v, &v, -2, 2, image.data()), lmv::kWrongParameter);
    // Sizes beyond the int range: refused before the image is read.
    for (const auto& [w, h] :
         {std::pair{65536, 65536}, {46341, 46341}, {2, INT_MAX}, {32768, 32768}}) {
        EXPECT_EQ(AUTO_MINMAX(0, &v, &v, w, h, image.data()), lmv::kWrongParameter)
            << w << "x" << h;
        EXPECT_EQ(AUTO_MINMAX_OFF(0, &v, &v, 1, 1, w, h, image.data()), lmv::kWrongParameter)
            << w << "x" << h;
    }
}

// Taking the picture when none is given.

TEST_F(AutoMinMaxTest, WithoutCaptureProceduresNoPictureIsTaken) {
    FakeCamera::Uninstall();  // no capture procedures
    int min = 0, max = 0;
    EXPECT_EQ(AutoMinMax(0, &min, &max, 0, 0, nullptr), lmv::kFunctionMissing);
    EXPECT_TRUE(env_.TraceLines().empty());
}

TEST_F(AutoMinMaxTest, BoardNotReadyOrOwnedByTheRecorder) {
    FakeCamera::Install();
    int min = 0, max = 0;
    lmv::set_board_state(0, lmv::kBoardOpened);
    EXPECT_EQ(AutoMinMax(0, &min, &max, 0, 0, nullptr), lmv::kNotInitialised);
    lmv::set_board_state(0, lmv::kBoardReady);
    rec_->recorder_busy = 1;
    EXPECT_EQ(AutoMinMaxOff(0, &min, &max, 1, 1, 0, 0, nullptr), lmv::kRecorderOwnsBoard);
    EXPECT_TRUE(FakeCamera::Get().starts.empty());
}

TEST_F(AutoMinMaxTest, TakesASinglePictureAtTheCocSize) {
    FakeCamera::Install();
    FakeCamera& cam = FakeCamera::Get();
    cam.fixed.assign(640 * 480, 700);
    cam.fixed[5] = 33;
    cam.fixed[640 * 480 - 1] = 3333;
    rec_->run_mode = 255;
    int min = 0, max = 0;
    ASSERT_EQ(AutoMinMax(0, &min, &max, 1, 1, nullptr), lmv::kOk);
    EXPECT_EQ(min, 33);
    EXPECT_EQ(max, 3333);
    EXPECT_EQ(cam.starts, std::vector<int>{4});
    EXPECT_EQ(rec_->run_mode, 255);  // set back after the single picture
    const auto lines = env_.TraceLines();
    ASSERT_FALSE(lines.empty());
    // No picture waits, so the camera is started with a single picture, then the read.
    EXPECT_EQ(lines[0].rfind("0 ioctl 0x222038 ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("0 ioctl 0x22201c in=0000000004000000 ", 0), 0u) << lines[1];
    EXPECT_EQ(lines.back(), "0 read 614400");
    EXPECT_TRUE(rec_->sync_event->Wait(0));  // given back
}

TEST_F(AutoMinMaxTest, AWaitingPictureIsReadWithoutAStart) {
    FakeCamera::Install();
    FakeCamera& cam = FakeCamera::Get();
    cam.fixed.assign(640 * 480, 100);
    ASSERT_EQ(lmv::driver::write_register(0, 0, 4), lmv::kOk);
    ASSERT_EQ(lmv::image_wait_picture(0, 5000), lmv::kOk);
    int min = 0, max = 0;
    ASSERT_EQ(AutoMinMaxOff(0, &min, &max, 0, 0, 0, 0, nullptr), lmv::kOk);
    EXPECT_EQ(min, 99);
    EXPECT_EQ(max, 100);
    EXPECT_TRUE(cam.starts.empty());
}

TEST_F(AutoMinMaxTest, NoPictureComesInTime) {
    FakeCamera::Install();
    FakeCamera::Get().start_camera = false;
    rec_->image_ms = 0;  // the wait is image_ms + 5000 ms
    rec_->run_mode = 5;
    int min = -7, max = -7;
    EXPECT_EQ(AutoMinMax(0, &min, &max, 0, 0, nullptr), lmv::kTimeout);
    EXPECT_EQ(min, -7);
    EXPECT_EQ(rec_->run_mode, 5);
    EXPECT_EQ(FakeCamera::Get().reads, 0);
}

TEST_F(AutoMinMaxTest, ReadErrorsAreReturned) {
    FakeCamera::Install();
    FakeCamera::Get().fail_read_at = 0;
    int min = 0, max = 0;
    EXPECT_EQ(AutoMinMax(0, &min, &max, 0, 0, nullptr), lmv::kTransferIncomplete);
}

}  // namespace
