// The fine-time tables on the simulated camera: SET_COC builds and loads them, RUN_COC takes a
// picture and the read gets it, for the fast-shutter camera on the CCD types of the general
// builder and on types 9 to 12, and for the intensified camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "camera/api/DriverChannel.h"
#include "camera/api/DriverRequests.h"
#include "camera/api/ResultCodes.h"
#include "camera/cocparams/coc_values.h"
#include "camera/fixture/camera_fixture.h"
#include "lmvntcam.h"
#include "simulators/lmvpci/SimCocPlayer.h"
#include "winport/Clock.h"

namespace testing_lmv {
namespace {

struct picture_case {
    const char* what;
    const char* camera_typ;
    const char* ccd_typ;
    Coc settings;
};

// Regions of two 32-pixel blocks each way, no binning.
Coc small(int mode, int trig, const char* text) {
    return Coc{mode, trig, 1, 2, 1, 2, 1, 1, text};
}

class FastPicture : public BoardTest, public ::testing::WithParamInterface<picture_case> {
  protected:
    bool WaitPicture(uint32_t ms) {
        const uint32_t start = winport::TickCount();
        do {
            uint32_t status = 0;
            if (lmv::driver::read_status(0, &status) == lmv::kOk &&
                (status & lmv::ioctl::kStatusPicture))
                return true;
            winport::SleepMs(1);
        } while (winport::TicksSince(start) < ms);
        return false;
    }
};

TEST_P(FastPicture, SetRunAndRead) {
    const picture_case& c = GetParam();
    Sim("CAMERA_TYP", c.camera_typ);
    Sim("CCD_TYP", c.ccd_typ);
    ASSERT_EQ(SET_INIT(1), 0);
    if (!lmvpci::TablePlayerPresent()) GTEST_SKIP() << "the simulated board plays no tables";
    const Tested tested = TestCoc(c.settings);
    ASSERT_EQ(tested.rc, 0) << tested.out.text;
    ASSERT_EQ(SetCoc(c.settings), lmv::kOk);
    int w = 0, h = 0;
    ASSERT_EQ(GET_IMAGE_SIZE(&w, &h), lmv::kOk);
    ASSERT_GT(w * h, 0);
    ASSERT_EQ(RUN_COC(4), lmv::kOk);
    ASSERT_TRUE(WaitPicture(20000));
    std::vector<uint16_t> picture(static_cast<size_t>(w * h), 0xEEEE);
    ASSERT_EQ(READ_IMAGE_12BIT(0, w, h, picture.data()), lmv::kOk);
    EXPECT_EQ(std::count(picture.begin(), picture.end(), 0xEEEE), 0);
}

// clang-format off
const picture_case kCases[] = {
    {"fast_list", "1", "1", small(1, 0, "1000,5000,\r\n-1,-1\r\n")},
    {"fast_groups", "1", "3", small(1 | (5 << 16), 2, "1,3,1000,2000,\r\n-1,-1")},
    {"fast_counted", "1", "1", small(1 | (3 << 16), 0, "5,0,-1,-1")},
    {"ccd9_list", "1", "9", small(1, 0, "1000,5000,\r\n-1,-1\r\n")},
    {"ccd10_five_gates", "1", "10", small(1 | (7 << 16), 0, "1000,400,1000,400,1000,400,1000,400,1000,0,-1,-1")},
    {"ccd11_delay_and_time", "1", "11", small(1 | (9 << 16), 1, "0,2,-1,-1")},
    {"ccd12_groups", "1", "12", small(1 | (5 << 16), 2, "1,2,1000,2000,\r\n-1,-1")},
    {"intensified_one_gate", "5", "1", small(5, 0, "2,0,0,1,\n0,0,0,1000,\n-1,-1")},
    {"intensified_gate_list", "5", "1", small(5 | (1 << 16), 0, "2,0,0,2,\r\n0,100,0,1000,\r\n0,2000,0,1000,\r\n-1,-1\r\n")},
    {"intensified_two_gates", "5", "1", small(5 | (2 << 16), 0, "2,0,0,1,\n0,400,0,100,\n0,500,0,100,\n-1,-1")},
    {"fast_double_gate", "1", "1", small(1 | (4 << 16), 0, "1000,400,1200,1000,2000,0,-1,-1")},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Cameras, FastPicture, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace testing_lmv
