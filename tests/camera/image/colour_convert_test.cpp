// Colour conversion: the mode word, every valid mode bit-exact against the reference converter on
// random pictures of many shapes, a 4 x 4 picture whose quarter-shift samples are pinned by hand
// for every border case, the pseudo colour, and the refusals.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/ResultCodes.h"
#include "camera/image/ConvertColour.h"
#include "colour_reference.h"

namespace {

using testing_colour::Picture;
using testing_colour::Reference;
using testing_colour::Tables;

std::vector<uint8_t> Scrambled(size_t n, uint32_t salt) {
    std::vector<uint8_t> t(n);
    for (size_t v = 0; v < n; ++v)
        t[v] = static_cast<uint8_t>((v * (151 + 2 * salt)) ^ (v >> 8) ^ salt);
    return t;
}

// Tables where every index and every channel has its own value, so any wrong sample shows.
Tables ScrambledTables() {
    return Tables{Scrambled(65536, 1), Scrambled(65536, 2), Scrambled(65536, 3),
                  Scrambled(65536, 4), Scrambled(256, 5),   Scrambled(256, 6),
                  Scrambled(256, 7)};
}

lmv::colour_conversion_tables View(const Tables& t) {
    return {t.red.data(),       t.green.data(),       t.blue.data(),      t.bw.data(),
            t.pseudoRed.data(), t.pseudoGreen.data(), t.pseudoBlue.data()};
}

Picture RandomPicture(int width, int height, uint32_t seed) {
    std::mt19937 rng(seed);
    Picture p{width, height, std::vector<uint16_t>(static_cast<size_t>(width) * height)};
    for (auto& v : p.pixels) v = static_cast<uint16_t>(rng());  // above 4095 too
    return p;
}

std::vector<int> ValidModes() {
    std::vector<int> modes;
    for (int method : {0, 16, 32})
        for (int low : {0, 1, 2, 3, 8, 9, 10, 11}) modes.push_back(method + low);
    return modes;
}

std::vector<uint8_t> Convert(int mode, const Picture& p, const Tables& t, int threads = 2) {
    std::vector<uint8_t> out(static_cast<size_t>(p.width) * p.height * ((mode & 2) ? 4 : 3), 0xEE);
    EXPECT_EQ(lmv::convert_12tocol(mode, p.width, p.height, p.pixels.data(), out.data(), View(t),
                                   threads),
              lmv::kOk)
        << mode;
    return out;
}

TEST(ConvertColour, ModeWordAcceptsExactlyTheValidSet) {
    const std::vector<int> valid = ValidModes();
    const Tables t = ScrambledTables();
    const Picture p = RandomPicture(2, 2, 1);
    for (int mode = 0; mode < 64; ++mode) {
        const bool expected = std::find(valid.begin(), valid.end(), mode) != valid.end();
        EXPECT_EQ(lmv::colour_mode_valid(mode), expected) << mode;
        uint8_t out[16] = {};
        EXPECT_EQ(lmv::convert_12tocol(mode, 2, 2, p.pixels.data(), out, View(t)),
                  expected ? lmv::kOk : lmv::kWrongParameter)
            << mode;
    }
    uint8_t out[16] = {};
    for (int mode : {-1, 64, 4, 44, 48, 0x10000})
        EXPECT_EQ(lmv::convert_12tocol(mode, 2, 2, p.pixels.data(), out, View(t)),
                  lmv::kWrongParameter)
            << mode;
}

TEST(ConvertColour, EveryValidModeMatchesTheReference) {
    const Tables t = ScrambledTables();
    struct shape {
        int width, height;
    };
    const shape shapes[] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {1, 7}, {7, 1}, {2, 5},
                            {5, 2}, {3, 3}, {4, 4}, {6, 2}, {5, 7}, {9, 6}, {640, 480}};
    uint32_t seed = 10;
    for (const shape& s : shapes) {
        const Picture p = RandomPicture(s.width, s.height, seed++);
        for (int mode : ValidModes())
            ASSERT_EQ(Convert(mode, p, t), Reference(mode, p, t))
                << "mode " << mode << " size " << s.width << "x" << s.height;
    }
}

TEST(ConvertColour, LargePictureSplitBetweenThreadsMatchesOneThread) {
    const Tables t = ScrambledTables();
    const Picture p = RandomPicture(1030, 1031, 99);  // above the split size, odd row count
    for (int mode : {0, 27, 41}) ASSERT_EQ(Convert(mode, p, t, 2), Convert(mode, p, t, 1)) << mode;
}

// One term of a pinned estimate: sample (row, column) with its weight in sixteenths.
struct term {
    int row, column, weight;
};
struct pinned_pixel {
    int y, x;
    std::vector<term> red, green, blue;
};

// The quarter-shift samples of every pixel of a 4 x 4 picture, worked out from the geometry:
// output (y, x) estimates the point (y + 1/2, x - 1/2); a sample outside the picture is replaced
// by the nearest row or column of the same colour; the first column takes green along column 0
// (12 x nearer + 4 x farther, the nearer green being in row y on odd rows).
const pinned_pixel kPinned4x4[] = {
    {0, 0, {{0, 0, 12}, {2, 0, 4}}, {{1, 0, 16}}, {{1, 1, 16}}},
    {0, 1, {{0, 0, 9}, {0, 2, 3}, {2, 0, 3}, {2, 2, 1}}, {{0, 1, 8}, {1, 0, 8}}, {{1, 1, 16}}},
    {0,
     2,
     {{0, 0, 3}, {0, 2, 9}, {2, 0, 1}, {2, 2, 3}},
     {{0, 1, 8}, {1, 2, 8}},
     {{1, 1, 12}, {1, 3, 4}}},
    {0, 3, {{0, 2, 12}, {2, 2, 4}}, {{0, 3, 8}, {1, 2, 8}}, {{1, 1, 4}, {1, 3, 12}}},
    {1, 0, {{0, 0, 4}, {2, 0, 12}}, {{1, 0, 12}, {3, 0, 4}}, {{1, 1, 12}, {3, 1, 4}}},
    {1,
     1,
     {{0, 0, 3}, {0, 2, 1}, {2, 0, 9}, {2, 2, 3}},
     {{1, 0, 8}, {2, 1, 8}},
     {{1, 1, 12}, {3, 1, 4}}},
    {1,
     2,
     {{0, 0, 1}, {0, 2, 3}, {2, 0, 3}, {2, 2, 9}},
     {{1, 2, 8}, {2, 1, 8}},
     {{1, 1, 9}, {1, 3, 3}, {3, 1, 3}, {3, 3, 1}}},
    {1,
     3,
     {{0, 2, 4}, {2, 2, 12}},
     {{1, 2, 8}, {2, 3, 8}},
     {{1, 1, 3}, {1, 3, 9}, {3, 1, 1}, {3, 3, 3}}},
    {2, 0, {{2, 0, 16}}, {{1, 0, 4}, {3, 0, 12}}, {{1, 1, 4}, {3, 1, 12}}},
    {2, 1, {{2, 0, 12}, {2, 2, 4}}, {{2, 1, 8}, {3, 0, 8}}, {{1, 1, 4}, {3, 1, 12}}},
    {2,
     2,
     {{2, 0, 4}, {2, 2, 12}},
     {{2, 1, 8}, {3, 2, 8}},
     {{1, 1, 3}, {1, 3, 1}, {3, 1, 9}, {3, 3, 3}}},
    {2, 3, {{2, 2, 16}}, {{2, 3, 8}, {3, 2, 8}}, {{1, 1, 1}, {1, 3, 3}, {3, 1, 3}, {3, 3, 9}}},
    {3, 0, {{2, 0, 16}}, {{3, 0, 16}}, {{3, 1, 16}}},
    {3, 1, {{2, 0, 12}, {2, 2, 4}}, {{2, 1, 8}, {3, 0, 8}}, {{3, 1, 16}}},
    {3, 2, {{2, 0, 4}, {2, 2, 12}}, {{2, 1, 8}, {3, 2, 8}}, {{3, 1, 12}, {3, 3, 4}}},
    {3, 3, {{2, 2, 16}}, {{2, 3, 8}, {3, 2, 8}}, {{3, 1, 4}, {3, 3, 12}}},
};

TEST(ConvertColour, QuarterShiftBordersOfAFourByFourPicture) {
    Picture p{4, 4, std::vector<uint16_t>(16)};
    for (int i = 0; i < 16; ++i) p.pixels[i] = static_cast<uint16_t>(1000 + 37 * i);  // distinct
    Tables t = ScrambledTables();
    const std::vector<uint8_t> out = Convert(0, p, t);
    auto estimate = [&](const std::vector<term>& terms) {
        uint32_t sum = 0, weights = 0;
        for (const term& e : terms) {
            sum += e.weight * p.at(e.row, e.column);
            weights += e.weight;
        }
        EXPECT_EQ(weights, 16u);
        return sum / 16;
    };
    for (const pinned_pixel& px : kPinned4x4) {
        const uint8_t* d = &out[(px.y * 4 + px.x) * 3];
        EXPECT_EQ(d[0], t.blue[estimate(px.blue)]) << px.y << "," << px.x;
        EXPECT_EQ(d[1], t.green[estimate(px.green)]) << px.y << "," << px.x;
        EXPECT_EQ(d[2], t.red[estimate(px.red)]) << px.y << "," << px.x;
    }
}

TEST(ConvertColour, FlipAndMirrorReverseRowsAndPixelsOfModeZero) {
    const Tables t = ScrambledTables();
    const Picture p = RandomPicture(6, 4, 3);
    const std::vector<uint8_t> plain = Convert(0, p, t), flipped = Convert(1, p, t),
                               mirrored = Convert(8, p, t);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            for (int b = 0; b < 3; ++b) {
                const uint8_t v = plain[(y * 6 + x) * 3 + b];
                EXPECT_EQ(flipped[((3 - y) * 6 + x) * 3 + b], v);
                EXPECT_EQ(mirrored[(y * 6 + (5 - x)) * 3 + b], v);
            }
    const std::vector<uint8_t> wide = Convert(2, p, t);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(wide[i * 4 + 3], 0);
        for (int b = 0; b < 3; ++b) EXPECT_EQ(wide[i * 4 + b], plain[i * 3 + b]);
    }
}

TEST(ConvertColour, PseudoColourOfABlackPicture) {
    Tables t = ScrambledTables();
    t.bw[0] = 0;
    const Picture p{3, 2, std::vector<uint16_t>(6, 0)};
    const std::vector<uint8_t> out = Convert(16, p, t);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(out[i * 3 + 0], t.pseudoBlue[0]);
        EXPECT_EQ(out[i * 3 + 1], t.pseudoGreen[0]);
        EXPECT_EQ(out[i * 3 + 2], t.pseudoRed[0]);
    }
}

TEST(ConvertColour, RefusesNegativeSizesAndNullBuffers) {
    const Tables t = ScrambledTables();
    uint16_t src[4] = {};
    uint8_t dst[16] = {};
    EXPECT_EQ(lmv::convert_12tocol(0, -1, 2, src, dst, View(t)), lmv::kWrongParameter);
    EXPECT_EQ(lmv::convert_12tocol(0, 2, -1, src, dst, View(t)), lmv::kWrongParameter);
    EXPECT_EQ(lmv::convert_12tocol(0, 2, 2, nullptr, dst, View(t)), lmv::kNoMemory);
    EXPECT_EQ(lmv::convert_12tocol(0, 2, 2, src, nullptr, View(t)), lmv::kNoMemory);
    EXPECT_EQ(lmv::convert_12tocol(0, 0, 5, nullptr, nullptr, View(t)), lmv::kOk);
    for (uint8_t b : dst) EXPECT_EQ(b, 0);
}

}  // namespace
