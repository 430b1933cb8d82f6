// 12-to-8-bit conversion: every mode against the one-pixel-at-a-time reference, the orientation
// of each mode on a tiny image, and the refusals.
#include <climits>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/ResultCodes.h"
#include "camera/image/Convert12To8.h"
#include "camera/image/OutputLut.h"
#include "lmvntcam.h"

namespace {

// A table where every 16-bit word has its own value, so any wrong index shows.
std::vector<uint8_t> ScrambledTable() {
    std::vector<uint8_t> t(lmv::kConversionEntries);
    for (size_t v = 0; v < t.size(); ++v) t[v] = static_cast<uint8_t>((v * 151 + (v >> 8)) ^ 0x5A);
    return t;
}

std::vector<uint16_t> RandomImage(size_t pixels, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint16_t> image(pixels);
    for (auto& p : image) p = static_cast<uint16_t>(rng());  // above 4095 too
    return image;
}

const int kModes[] = {lmv::kConvertSameOrder, lmv::kConvertFlipVertical, lmv::kConvertMirror,
                      lmv::kConvertRotate180};

TEST(Convert12To8, TwoByTwoOrientations) {
    const std::vector<uint8_t> t = ScrambledTable();
    const uint16_t a = 1, b = 2, c = 3, d = 4000;
    const uint16_t src[4] = {a, b, c, d};
    struct expectation {
        int mode;
        uint16_t order[4];
    };
    const expectation cases[] = {
        {0, {a, b, c, d}}, {1, {c, d, a, b}}, {8, {b, a, d, c}}, {9, {d, c, b, a}}};
    for (const auto& e : cases) {
        uint8_t dst[4] = {};
        ASSERT_EQ(lmv::convert_12to8(e.mode, 2, 2, src, dst, t.data()), lmv::kOk);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(dst[i], t[e.order[i]]) << e.mode << " " << i;
    }
}

TEST(Convert12To8, EveryModeMatchesTheReference) {
    const std::vector<uint8_t> t = ScrambledTable();
    struct size {
        int width, height;
    };
    // Odd widths and heights leave tails after the unrolled blocks; the last size is split
    // between two threads.
    const size sizes[] = {{1, 1}, {7, 3}, {9, 1}, {1, 17}, {13, 11}, {640, 480}, {1031, 2049}};
    uint32_t seed = 1;
    for (const auto& s : sizes) {
        const size_t pixels = static_cast<size_t>(s.width) * s.height;
        const std::vector<uint16_t> src = RandomImage(pixels, seed++);
        for (int mode : kModes) {
            std::vector<uint8_t> fast(pixels, 0xEE), ref(pixels, 0x11);
            ASSERT_EQ(
                lmv::convert_12to8(mode, s.width, s.height, src.data(), fast.data(), t.data()),
                lmv::kOk);
            ASSERT_EQ(lmv::convert_12to8_reference(mode, s.width, s.height, src.data(), ref.data(),
                                                   t.data()),
                      lmv::kOk);
            ASSERT_EQ(fast, ref) << "mode " << mode << " " << s.width << "x" << s.height;
        }
    }
    EXPECT_GE(size_t{1031} * 2049, lmv::kConvertSplitPixels);
}

TEST(Convert12To8, ValuesAbove4095ComeOutWhiteWithTheLibraryTable) {
    lmv::bw_reset_table();
    std::vector<uint8_t> lut(lmv::kLutEntries);
    lmv::lut_build(0, 4095, 0, lut.data());
    lmv::bw_store_table(lut.data());
    const uint16_t src[4] = {0, 4095, 4096, 0xFFFF};
    uint8_t dst[4] = {};
    ASSERT_EQ(lmv::convert_12to8(0, 4, 1, src, dst, lmv::bw_conversion_table()), lmv::kOk);
    EXPECT_EQ(dst[0], 0);
    EXPECT_EQ(dst[1], 255);
    EXPECT_EQ(dst[2], 255);
    EXPECT_EQ(dst[3], 255);
    lmv::bw_reset_table();
}

TEST(Convert12To8, Refusals) {
    const std::vector<uint8_t> t = ScrambledTable();
    uint16_t src[4] = {};
    uint8_t dst[4] = {7, 7, 7, 7};
    for (int mode : {2, 3, 4, 10, -1, 32})
        EXPECT_EQ(lmv::convert_12to8(mode, 2, 2, src, dst, t.data()), lmv::kWrongParameter);
    EXPECT_EQ(lmv::convert_12to8(0, -2, 2, src, dst, t.data()), lmv::kWrongParameter);
    EXPECT_EQ(lmv::convert_12to8(0, 2, 2, nullptr, dst, t.data()), lmv::kNoMemory);
    EXPECT_EQ(lmv::convert_12to8(0, 2, 2, src, nullptr, t.data()), lmv::kNoMemory);
    EXPECT_EQ(dst[0], 7);  // nothing written on a refusal
    EXPECT_EQ(lmv::convert_12to8(0, 0, 5, nullptr, nullptr, t.data()), lmv::kOk);
    // Sizes beyond the int range are refused before a pixel is read or written.
    for (const auto& [w, h] :
         {std::pair{65536, 65536}, {46341, 46341}, {INT_MAX, 2}, {32768, 32768}})
        for (int mode : {0, 1, 8, 9})
            EXPECT_EQ(CONVERT_BUFFER_12TO8(mode, w, h, reinterpret_cast<short*>(src), dst),
                      lmv::kWrongParameter)
                << w << " x " << h << " mode " << mode;
    EXPECT_EQ(dst[0], 7);
}

}  // namespace
