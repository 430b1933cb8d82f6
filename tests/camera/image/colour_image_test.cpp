// The colour functions that read pictures: AUTO_COLOR on given pictures and on pictures of the
// simulated colour camera, READ_IMAGE_COL end to end with its refusals.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/MessageLog.h"
#include "camera/image/ColourSettings.h"
#include "camera/image/ColourTables.h"
#include "image_fixture.h"
#include "lmvntcam.h"

namespace {

std::vector<int> DialogValues() {
    int v[7] = {};
    EXPECT_EQ(GET_DIALOG_COL(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]), lmv::kOk);
    return std::vector<int>(v, v + 7);
}

// A 4 x 4 mosaic (four cells) with every red, green and blue sample at the given level; `red`,
// `green` and `blue` then overwrite the samples of the first cells in order.
std::vector<uint16_t> Mosaic(uint16_t r, uint16_t g, uint16_t b, std::vector<uint16_t> red = {},
                             std::vector<uint16_t> green = {}, std::vector<uint16_t> blue = {}) {
    std::vector<uint16_t> m(16);
    size_t ri = 0, gi = 0, bi = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            uint16_t& v = m[y * 4 + x];
            const int site = (y & 1) + (x & 1);
            if (site == 0) v = ri < red.size() ? red[ri++] : r;
            if (site == 1) v = gi < green.size() ? green[gi++] : g;
            if (site == 2) v = bi < blue.size() ? blue[bi++] : b;
        }
    return m;
}

class ColourImageTest : public testing_image::BoardFixture {
  protected:
    void TearDown() override {
        lmv::colour_build_default();
        lmv::colour_reset_tables();
        BoardFixture::TearDown();
    }
    std::string LogText() const {
        std::ifstream in(env_.Dir() + "/log.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(ColourImageTest, AutoColourScalesEveryChannelByTheBrightestChannelsFactor) {
    struct example {
        const char* what;
        std::vector<uint16_t> image;
        std::vector<int> dialog;
    };
    const example cases[] = {
        // red max 3000, average 1500: factor 2
        {"red brightest", Mosaic(1000, 2000, 500, {3000}), {100, 3000, 100, 4000, 100, 1000, 0}},
        // green and red both 2000 at most: green's factor 1
        {"tie goes to green",
         Mosaic(1000, 2000, 500, {2000, 1000, 1000, 2000}),
         {100, 1500, 100, 2000, 100, 500, 0}},
        // red and blue both 3000 at most: red's factor 2
        {"then red",
         Mosaic(1000, 2000, 500, {3000}, {}, {3000}),
         {100, 3000, 100, 4000, 100, 2250, 0}},
        // factor 4000 / 1750: green 4571 capped
        {"cap at 4095", Mosaic(1000, 2000, 500, {4000}), {100, 4000, 100, 4095, 100, 1142, 0}},
        // values above 4095 count as 4095
        {"above 4095", Mosaic(1000, 2000, 500, {65535}), {100, 4095, 100, 4095, 100, 1154, 0}},
    };
    for (const example& e : cases) {
        std::vector<uint16_t> image = e.image;
        ASSERT_EQ(AUTO_COLOR(4, 4, image.data()), lmv::kOk) << e.what;
        EXPECT_EQ(DialogValues(), e.dialog) << e.what;
    }
}

TEST_F(ColourImageTest, AutoColourLeavesDarkOrSaturatedPicturesAlone) {
    ASSERT_EQ(SET_DIALOG_COL(1, 2, 3, 4, 5, 6, 1), lmv::kOk);
    const std::vector<uint8_t> red(lmv::colour_conversion_table(lmv::kRed),
                                   lmv::colour_conversion_table(lmv::kRed) + 4096);
    const std::vector<std::vector<uint16_t>> pictures = {
        Mosaic(1000, 4060, 1000), Mosaic(100, 2000, 2000), Mosaic(2000, 2000, 4051),
        Mosaic(1000, 2000, 101, {}, {}, {0})};  // blue average (3 x 101) / 4 = 75
    for (auto image : pictures) {
        EXPECT_EQ(AUTO_COLOR(4, 4, image.data()), 100);
        EXPECT_EQ(DialogValues(), (std::vector<int>{1, 2, 3, 4, 5, 6, 1}));
        EXPECT_EQ(std::vector<uint8_t>(lmv::colour_conversion_table(lmv::kRed),
                                       lmv::colour_conversion_table(lmv::kRed) + 4096),
                  red);
    }
}

TEST_F(ColourImageTest, AutoColourRefusesPicturesWithoutAWholeCell) {
    std::vector<uint16_t> image(16, 2000);
    EXPECT_EQ(AUTO_COLOR(1, 16, image.data()), lmv::kWrongParameter);
    EXPECT_EQ(AUTO_COLOR(16, 1, image.data()), lmv::kWrongParameter);
    EXPECT_EQ(AUTO_COLOR(-4, 4, image.data()), lmv::kWrongParameter);
    EXPECT_EQ(AUTO_COLOR(0, 0, image.data()), lmv::kWrongParameter);
    lmv::set_board_state(0, lmv::kBoardOpened);
    EXPECT_EQ(AUTO_COLOR(4, 4, nullptr), lmv::kNotInitialised);
    lmv::set_board_state(0, lmv::kBoardReady);
    rec_->recorder_busy = 1;
    EXPECT_EQ(AUTO_COLOR(4, 4, nullptr), lmv::kRecorderOwnsBoard);
    rec_->recorder_busy = 0;
}

TEST_F(ColourImageTest, ReadImageColRefusesBeforeReading) {
    ASSERT_EQ(lmv::enable_message_log(lmv::kLogApi, (env_.Dir() + "/log.txt").c_str()), lmv::kOk);
    std::vector<uint8_t> dst(640 * 480 * 4);
    env_.ClearTrace();
    EXPECT_EQ(READ_IMAGE_COL(0, 0, 480, dst.data()), lmv::kWrongParameter);
    EXPECT_EQ(READ_IMAGE_COL(0, 640, -1, dst.data()), lmv::kWrongParameter);
    EXPECT_EQ(READ_IMAGE_COL(4, 640, 480, dst.data()), lmv::kWrongParameter);
    EXPECT_EQ(READ_IMAGE_COL(0, 640, 480, nullptr), lmv::kNoMemory);
    EXPECT_TRUE(env_.TraceLines().empty());  // nothing read
    const std::string log = LogText();
    EXPECT_NE(log.find("READ_IMAGE_COL() wrong value width or height is '0'\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("READ_IMAGE_COL() bad pointer 8bit buffer\r\n"), std::string::npos);
    // No picture in the board: the read's result.
    EXPECT_EQ(READ_IMAGE_COL(0, 640, 480, dst.data()), lmv::kNoPicture);
    EXPECT_NE(LogText().find("READ_IMAGE_COL() read image failed\r\n"), std::string::npos);
    (void)lmv::enable_message_log(0, nullptr);
}

// The same board with the colour variant of its CCD.
class ColourCameraTest : public ColourImageTest {
  protected:
    void SetUp() override {
        ::setenv("LMVSIM_CCD_TYP", "2", 1);
        ColourImageTest::SetUp();
        char times[] = "0,40,-1,-1";  // 40 ms: well inside the levels
        ASSERT_EQ(SET_COC(0, 0, 1, 20, 1, 15, 1, 1, times), lmv::kOk);
    }
    // Mean of one output channel (0 blue, 1 green, 2 red) over a converted picture.
    static double ChannelMean(const std::vector<uint8_t>& image, int bpp, int channel) {
        double sum = 0;
        for (size_t i = channel; i < image.size(); i += bpp) sum += image[i];
        return sum / static_cast<double>(image.size() / bpp);
    }
};

TEST_F(ColourCameraTest, ReadImageColShowsTheMosaicLevels) {
    std::vector<uint8_t> linear(4096);
    for (int v = 0; v < 4096; ++v) linear[v] = static_cast<uint8_t>(v >> 4);
    ASSERT_EQ(LOAD_COLOR_LUT(linear.data(), linear.data(), linear.data()), lmv::kOk);
    for (int mode : {0, 34}) {
        ASSERT_EQ(RUN_COC(4), lmv::kOk);
        const int bpp = mode & 2 ? 4 : 3;
        std::vector<uint8_t> dst(640 * 480 * bpp, 0xEE);
        env_.ClearTrace();
        ASSERT_EQ(READ_IMAGE_COL(mode, 640, 480, dst.data()), lmv::kOk) << mode;
        EXPECT_EQ(env_.TraceLines().back().rfind("0 read 614400", 0), 0u) << mode;
        const double blue = ChannelMean(dst, bpp, 0), green = ChannelMean(dst, bpp, 1),
                     red = ChannelMean(dst, bpp, 2);
        EXPECT_GT(green, 20.0) << mode << " " << red << " " << blue;
        EXPECT_NEAR(red / green, 0.75, 0.03) << mode;
        EXPECT_NEAR(blue / green, 0.5, 0.03) << mode;
        if (bpp == 4) {
            EXPECT_EQ(ChannelMean(dst, bpp, 3), 0.0);
        }
    }
}

TEST_F(ColourCameraTest, AutoColourBalancesThePictureItTakes) {
    rec_->run_mode = 255;
    ASSERT_EQ(AUTO_COLOR(0, 0, nullptr), lmv::kOk);
    EXPECT_EQ(rec_->run_mode, 255);
    const std::vector<int> v = DialogValues();
    EXPECT_EQ(v[0], 100);
    EXPECT_EQ(v[2], 100);
    EXPECT_EQ(v[4], 100);
    EXPECT_EQ(v[6], 0);
    // Green is brightest: its maximum stays; red and blue follow their share of the level.
    EXPECT_GT(v[3], 1000);
    EXPECT_NEAR(v[1] / static_cast<double>(v[3]), 0.75, 0.02);
    EXPECT_NEAR(v[5] / static_cast<double>(v[3]), 0.5, 0.02);
    const auto lines = env_.TraceLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "0 read 614400");
}

}  // namespace
