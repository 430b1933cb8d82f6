// Every fine-time builder over a grid of settings, valid and not: a table ends with the end
// words and fits the board memory, or the build is refused with -3, -21 or -23; the times are
// finite and not negative.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "camera/coc/CocBuilder.h"
#include "coc_fixture.h"

namespace {

struct camera {
    int camera_typ;
    int ccd;
    int height;
    std::vector<int> submodes;
};

const camera kCameras[] = {
    {1, 1, 480, {0, 1, 2, 3, 4, 5, 6, 7}},
    {1, 3, 1024, {0, 4, 5, 6}},
    {1, 9, 1024, {0, 5, 7, 8, 9, 3}},
    {1, 10, 1024, {0, 7, 8}},
    {1, 11, 1024, {0, 5, 9}},
    {1, 12, 1024, {0, 9}},
    {5, 1, 480, {0, 1, 2, 3}},
    {5, 9, 1024, {0}},
};

// Time lists of every shape: pairs, groups, intensified heads with gates, huge and odd values.
const std::vector<std::vector<int32_t>> kLists = {
    {1000, 5000, -1, -1},
    {100, 300, -1, -1},
    {100, 50, 100, 50, -1, -1},
    {0, 50, -1, -1},
    {300, 0, 0, 700, 100, 20000, 0, 0, 1900, 1999, -1, -1},
    {1000000, 1000000, 999900, 45100, -1, -1},
    {1, 1000, 40000, 40000, 1, 3, 300, 900, -1, -1},
    {2, 0, 0, 1, 0, 0, 0, 8, -1, -1},
    {300, 1000, 256, 3, 0, 140, 0, 50, 0, 2000, 0, 1000, -1, -1},
    {2, 500, 2, 1, 0, 400, 0, 100, 0, 500, 0, 100, -1, -1},
    {1000, 0, 1, 256, 1, 0, 25, 40, 0, 100, 0, 20, -1, -1},
    {2147483647, 2147483647, 2147483647, 2147483647, -1, -1},
    {-5, 10, -1, -1},
    {},
};

bool refused_as_allowed(int rc) {
    return rc == lmv::kWrongParameter || rc == lmv::kCocTooLong || rc == lmv::kNoMemory;
}

TEST(CocFastProperties, GridOfSettings) {
    std::vector<uint16_t> t;
    int built = 0;
    for (const camera& cam : kCameras) {
        for (int submode : cam.submodes) {
            for (size_t li = 0; li < kLists.size(); ++li) {
                for (int variant = 0; variant < 4; ++variant) {
                    lmv::board_record rec = coc_test::default_record();
                    rec.camera_typ = cam.camera_typ;
                    rec.ccd_typ = cam.ccd;
                    rec.ccd_height = cam.height;
                    rec.roiymax = variant == 3 ? cam.height : 64;
                    rec.vbin = variant == 3 ? 2 : 1;
                    rec.hbin = variant == 2 ? 3 : 1 << variant;
                    rec.submode = submode;
                    rec.trigger = variant == 1 ? 0x181 : variant;
                    rec.exp_min = variant == 0 ? 50 : 100;
                    rec.gain_index = variant == 2 ? 10 : 0;
                    rec.line_count = variant == 0 ? 1024 : 32 << variant;
                    rec.blacklines = variant * 4;
                    rec.powerdown_lo = 1500;
                    rec.powerdown_hi = 3071;
                    std::fill(std::begin(rec.timevalues), std::end(rec.timevalues), -1);
                    std::copy(kLists[li].begin(), kLists[li].end(), rec.timevalues);
                    const std::string where =
                        " [camera " + std::to_string(cam.camera_typ) + " ccd " +
                        std::to_string(cam.ccd) + " submode " + std::to_string(submode) + " list " +
                        std::to_string(li) + " variant " + std::to_string(variant) + "]";
                    lmv::coc_previous previous;
                    const int rc = lmv::coc_build(rec, previous, t);
                    if (rc != 0) {
                        EXPECT_TRUE(refused_as_allowed(rc)) << rc << where;
                        EXPECT_TRUE(t.empty()) << where;
                        continue;
                    }
                    ++built;
                    ASSERT_GE(t.size(), 2u) << where;
                    EXPECT_LE(t.size(), lmv::kCocSectionLimitWords + 2) << where;
                    EXPECT_EQ(t[t.size() - 1], 4064) << where;
                    EXPECT_EQ(t[t.size() - 2], 4064) << where;
                    for (size_t i = 0; i + 2 < t.size(); ++i)
                        ASSERT_NE((t[i] >> 8) & 0xF, 0xF) << "end inside at " << i << where;
                    for (float v : {rec.coctime, rec.beltime, rec.exptime, rec.deltime})
                        EXPECT_TRUE(std::isfinite(v) && v >= 0.0f) << v << where;
                }
            }
        }
    }
    EXPECT_GT(built, 100);
}

// A full list of 200 pairs whose last exposure is the 50-ns one: the closing pair the builder
// appends lies behind the 400 stored values, in its own copy; the record stays as it was.
TEST(CocFastProperties, AFullListEndingInTheFiftyNsExposureKeepsTheRecord) {
    for (int ccd : {1, 9}) {
        lmv::board_record rec = coc_test::default_record();
        rec.camera_typ = 1;
        rec.ccd_typ = ccd;
        rec.ccd_height = ccd == 1 ? 480 : 1024;
        rec.roiymax = 64;
        rec.submode = 0;
        rec.exp_min = 50;
        for (int i = 0; i < 200; ++i) {
            rec.timevalues[2 * i] = i == 0 ? 500 : 600;
            rec.timevalues[2 * i + 1] = 50;
        }
        const lmv::board_record before = rec;
        lmv::coc_previous previous;
        std::vector<uint16_t> t;
        ASSERT_EQ(lmv::coc_build(rec, previous, t), 0) << ccd;
        EXPECT_TRUE(std::equal(std::begin(before.timevalues), std::end(before.timevalues),
                               std::begin(rec.timevalues)))
            << ccd;
        // 100 pairs are written: each 50-ns exposure starts with 757 (the odd 100 ns of the first
        // delay; of the others, what is left after the 759 and the two near-units) and ends with
        // 759.
        EXPECT_EQ(std::count(t.begin(), t.end(), 757), 100) << ccd;
        EXPECT_EQ(std::count(t.begin(), t.end(), 759), 100) << ccd;
        EXPECT_NEAR(rec.exptime, 5.0, 1e-3) << ccd;
    }
}

}  // namespace
