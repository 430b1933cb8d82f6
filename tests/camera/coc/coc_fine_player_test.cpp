// The simulated camera's reading of the fine-time programs: the exposure and delay of a
// fast-shutter table are the program's 200-ns units and 20-us blocks, and the words after the
// program are read out.
#include <gtest/gtest.h>

#include <vector>

#include "camera/coc/CocBuilder.h"
#include "coc_fixture.h"
#include "simulators/lmvpci/SimCocPlayer.h"

namespace {

lmv::board_record fast_record(int submode, std::initializer_list<int32_t> times) {
    lmv::board_record rec = coc_test::default_record();
    rec.camera_typ = 1;
    rec.submode = submode;
    rec.roiymin = 0;
    rec.roiymax = 64;
    int i = 0;
    for (int32_t v : times) rec.timevalues[i++] = v;
    return rec;
}

lmvpci::PlayedPicture play(lmv::board_record rec) {
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    EXPECT_EQ(lmv::coc_build(rec, previous, table), 0);
    return lmvpci::PlayCoc(table.data(), table.size(), lmvpci::CocCameraFor(rec.ccd_typ));
}

TEST(FinePlayer, ExposureListTimesAreTheProgramsUnits) {
    // 753, two opening 763, five 763, twenty 761, five 765, two 767, five 763.
    const lmvpci::PlayedPicture p = play(fast_record(0, {1000, 5000, -1, -1}));
    ASSERT_TRUE(p.picture);
    EXPECT_NEAR(p.exposureUs, 5.0, 1e-9);
    EXPECT_NEAR(p.delayUs, 2.8, 1e-9);
    EXPECT_EQ(p.height, 64u);
}

TEST(FinePlayer, BlocksAndCountedExposures) {
    // 45 us: two 20-us blocks and 25 units.
    EXPECT_NEAR(play(fast_record(0, {0, 45000, -1, -1})).exposureUs, 45.0, 1e-9);
    // Counted exposure: five 765 and 3 x 5 blocks of 20 us, as its exposure time says.
    EXPECT_NEAR(play(fast_record(3, {3, 0, -1, -1})).exposureUs, 301.0, 1e-9);
}

TEST(FinePlayer, GatedProgramsReadTheFirstImageAfterTheProgram) {
    const lmvpci::PlayedPicture p = play(fast_record(4, {1000, 400, 1200, 1000, 2000, 0, -1, -1}));
    ASSERT_TRUE(p.picture);
    EXPECT_EQ(p.height, 64u);  // the second image follows the interlude's 207
    EXPECT_GT(p.exposureUs, 1.4);
}

}  // namespace
