// The B/W table build, the gamma curve and the conversion table with its white upper half.
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/ResultCodes.h"
#include "camera/image/OutputLut.h"

namespace {

using lmv::kLutEntries;

struct built {
    std::vector<uint8_t> table = std::vector<uint8_t>(kLutEntries);
    int midpoint = 0;
};

built Build(int min, int max, int gamma) {
    built b;
    b.midpoint = lmv::lut_build(min, max, gamma, b.table.data());
    return b;
}

TEST(LutBuild, LinearFullRange) {
    const built b = Build(0, 4095, 0);
    EXPECT_EQ(b.table[0], 0);
    EXPECT_EQ(b.table[1], 1);
    EXPECT_EQ(b.table[4095], 255);
    EXPECT_EQ(b.midpoint, 2047);
    EXPECT_EQ(b.table[2047], 128);
    EXPECT_EQ(b.table[2048], 129);
}

TEST(LutBuild, GammaFullRange) {
    const built b = Build(0, 4095, 1);
    EXPECT_EQ(b.table[0], 0);
    EXPECT_EQ(b.table[1], 4);
    EXPECT_EQ(b.table[4095], 255);
    EXPECT_EQ(b.midpoint, 1199);
}

TEST(LutBuild, OutOfRangeLimitsAreClamped) {
    const lmv::lut_range r = lmv::lut_clamp(5000, 10);
    EXPECT_EQ(r.min, 4094);
    EXPECT_EQ(r.max, 4095);
    const built b = Build(5000, 10, 0);
    EXPECT_EQ(b.table[0], 0);
    EXPECT_EQ(b.table[4093], 0);
    EXPECT_EQ(b.table[4094], 0);
    EXPECT_EQ(b.table[4095], 255);
    EXPECT_EQ(b.midpoint, (4094 + 4095) / 2);  // no entry of 128
    EXPECT_EQ(lmv::lut_clamp(-7, 0).min, 0);
    EXPECT_EQ(lmv::lut_clamp(-7, 0).max, 1);
}

TEST(LutBuild, BelowMinIsBlackFromMaxOnIsWhiteAndLevelsNeverFall) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> value(-100, 4200);
    for (int round = 0; round < 200; ++round) {
        const int min = value(rng), max = value(rng), gamma = round % 2;
        const built b = Build(min, max, gamma);
        const lmv::lut_range r = lmv::lut_clamp(min, max);
        for (int i = 0; i < r.min; ++i) ASSERT_EQ(b.table[i], 0) << min << " " << max;
        for (int i = r.max; i < kLutEntries; ++i) ASSERT_EQ(b.table[i], 255) << min << " " << max;
        for (int i = 1; i < kLutEntries; ++i) ASSERT_GE(b.table[i], b.table[i - 1]) << i;
        if (b.table[b.midpoint] != 128) {
            EXPECT_EQ(b.midpoint, (r.min + r.max) / 2);
        }
    }
}

TEST(LutBuild, NarrowRangeRisesOneLevelPerValue) {
    const built b = Build(100, 110, 0);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(b.table[i], 0);
    for (int i = 100; i < 110; ++i) EXPECT_EQ(b.table[i], i - 100) << i;
    for (int i = 110; i < kLutEntries; ++i) ASSERT_EQ(b.table[i], 255);
}

TEST(GammaCurve, EndsAndShape) {
    const uint8_t* curve = lmv::lut_gamma_curve();
    EXPECT_EQ(curve[0], 0);
    EXPECT_EQ(curve[1], 4);
    EXPECT_EQ(curve[255], 255);
    for (int k = 1; k < lmv::kGammaLevels; ++k) EXPECT_GE(curve[k], curve[k - 1]);
}

TEST(ConversionTable, HoldsTheStoredTableAndWhiteAbove4095) {
    lmv::bw_reset_table();
    const uint8_t* conv = lmv::bw_conversion_table();
    for (int v = 0; v < lmv::kConversionEntries; ++v) ASSERT_EQ(conv[v], 255) << v;
    const built b = Build(0, 4095, 0);
    lmv::bw_store_table(b.table.data());
    for (int v = 0; v < kLutEntries; ++v) ASSERT_EQ(conv[v], b.table[v]);
    for (int v = kLutEntries; v < lmv::kConversionEntries; ++v) ASSERT_EQ(conv[v], 255) << v;
    lmv::bw_reset_table();
}

TEST(LoadOutputLut, NullTableIsRefused) {
    EXPECT_EQ(lmv::load_output_lut(nullptr), lmv::kNoMemory);
}

}  // namespace
