// A board that plays its table: the picture's geometry, time and brightness come from the words
// loaded and the area of interest written. Skipped while the simulated board delivers a fixed
// test pattern instead.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "acquire_fixture.h"
#include "camera/api/ResultCodes.h"
#include "simulators/lmvpci/SimCocPlayer.h"
#include "winport/Clock.h"

namespace testing_acquire {
namespace {

class PlayedTableTest : public AcquireTest {
  protected:
    void SetUp() override {
        AcquireTest::SetUp();
        if (!lmvpci::TablePlayerPresent())
            GTEST_SKIP() << "the simulated board does not play its table yet";
    }

    double MeanOfSinglePicture(int exposure_ms) {
        LoadSmallTable(exposure_ms);
        TakePicture();
        int rc = -1;
        const std::vector<uint16_t> p = Read12(0, rc);
        EXPECT_EQ(rc, lmv::kOk);
        return std::accumulate(p.begin(), p.end(), 0.0) / static_cast<double>(p.size());
    }
};

TEST_F(PlayedTableTest, PictureHasTheRegionAndBinningOfTheTable) {
    testing_lmv::Coc c;
    c.xmin = 3;  // columns 64..320
    c.xmax = 10;
    c.ymin = 2;  // rows 32..192
    c.ymax = 6;
    c.hbin = 2;
    c.vbin = 4;
    c.text = "0,1,-1,-1";
    ASSERT_EQ(testing_lmv::SetCoc(c), lmv::kOk);
    int w = 0, h = 0;
    ASSERT_EQ(GET_IMAGE_SIZE(&w, &h), lmv::kOk);
    ASSERT_EQ(w, 128);
    ASSERT_EQ(h, 40);
    TakePicture();
    std::vector<uint16_t> p(static_cast<size_t>(w * h));
    ASSERT_EQ(READ_IMAGE_12BIT(0, w, h, p.data()), lmv::kOk);
    // The pattern moves 7 levels per sensor column and 5 per sensor row.
    EXPECT_EQ(StepsOf(p, w, 1024), (Steps{7 * 2, 5 * 4}));
}

TEST_F(PlayedTableTest, LongerExposureGivesABrighterPicture) {
    const double dim = MeanOfSinglePicture(1);
    const double bright = MeanOfSinglePicture(200);
    EXPECT_GT(bright, dim + 200);
}

TEST_F(PlayedTableTest, ThePictureComesAfterTheExposureOfTheTable) {
    LoadSmallTable(400);
    const uint32_t start = winport::TickCount();
    ASSERT_EQ(RUN_COC(4), lmv::kOk);
    ASSERT_TRUE(WaitPicture(10000));
    EXPECT_GE(winport::TicksSince(start), 400u);
}

TEST_F(PlayedTableTest, ATableWithoutReadLinesGivesNoPicture) {
    std::vector<uint16_t> table = {209, 209, 576, 576, 576, 193, 193, 207, 2241, 4064, 4064};
    ASSERT_EQ(LOAD_USER_COC(table.data()), lmv::kOk);
    ASSERT_EQ(RUN_COC(4), lmv::kOk);
    EXPECT_FALSE(WaitPicture(300));
    int rc = -1;
    Read12(0, rc);
    EXPECT_EQ(rc, lmv::kNoPicture);
}

}  // namespace
}  // namespace testing_acquire
