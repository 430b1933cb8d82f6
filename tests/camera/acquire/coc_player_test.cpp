// The camera's reading of an operation code: geometry and times of tables the library builds,
// and no picture (never a crash) for tables a camera cannot play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "camera/board/BoardLimits.h"
#include "camera/coc/CocBuilder.h"
#include "simulators/lmvpci/SimCocPlayer.h"

namespace {

using lmvpci::CocCamera;
using lmvpci::PlayCoc;
using lmvpci::PlayedPicture;

struct Sensor {
    int ccd;
    int width;
    int height;
};

// The set-up's record defaults for the sensor, with a 10 us exposure.
lmv::board_record record_of(const Sensor& s) {
    lmv::board_record rec{};
    lmv::write_record_defaults(rec, 0);
    rec.ccd_typ = s.ccd;
    rec.ccd_width = s.width;
    rec.ccd_height = s.height;
    rec.roixmax = s.width;
    rec.roiymax = s.height;
    rec.timevalues[1] = 10;
    return rec;
}

std::vector<uint16_t> Build(lmv::board_record& rec) {
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    EXPECT_EQ(lmv::coc_build(rec, previous, table), 0);
    return table;
}

// The area-of-interest words the library writes after a load.
CocCamera CameraFor(const lmv::board_record& rec) {
    CocCamera c;
    c.ccdTyp = rec.ccd_typ;
    c.ccdWidth = static_cast<uint32_t>(rec.ccd_width);
    c.ccdHeight = static_cast<uint32_t>(rec.ccd_height);
    const uint32_t offset = lmvpci::CocAoiOffset(rec.ccd_typ);
    c.aoiStart = (static_cast<uint32_t>(rec.roixmin) & 0xFFE0) + offset + 12;
    c.aoiEnd = (static_cast<uint32_t>(rec.roixmax) & 0xFFE0) + offset + 13;
    return c;
}

PlayedPicture Play(const std::vector<uint16_t>& t, const CocCamera& c) {
    return PlayCoc(t.data(), t.size(), c);
}

struct GeometryCase {
    Sensor sensor;
    int xmin, xmax, ymin, ymax, hbin, vbin;
};

class PlayerGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(PlayerGeometry, RegionBinningAndTimesAsTheTableSays) {
    const GeometryCase g = GetParam();
    lmv::board_record rec = record_of(g.sensor);
    rec.roixmin = g.xmin;
    rec.roixmax = g.xmax;
    rec.roiymin = g.ymin;
    rec.roiymax = g.ymax;
    rec.hbin = g.hbin;
    rec.vbin = g.vbin;
    const std::vector<uint16_t> table = Build(rec);
    const PlayedPicture p = Play(table, CameraFor(rec));
    ASSERT_TRUE(p.picture);
    EXPECT_EQ(p.width, static_cast<uint32_t>((g.xmax - g.xmin) / g.hbin));
    EXPECT_EQ(p.height, static_cast<uint32_t>((g.ymax - g.ymin) / g.vbin));
    EXPECT_EQ(p.hbin, static_cast<uint32_t>(g.hbin));
    EXPECT_EQ(p.vbin, static_cast<uint32_t>(g.vbin));
    EXPECT_EQ(p.xmin, static_cast<uint32_t>(g.xmin));
    const double T = lmvpci::CocLineTimeUs(g.sensor.ccd);
    EXPECT_NEAR(p.exposureUs, rec.exptime, 2 * T);
    // The builder books some flush words at two line times; the camera clocks each word once.
    const double cycle = rec.beltime + rec.coctime;
    EXPECT_NEAR(p.CycleUs(), cycle, std::max(4 * T, 0.02 * cycle));
}

INSTANTIATE_TEST_SUITE_P(Tables, PlayerGeometry,
                         ::testing::Values(GeometryCase{{1, 640, 480}, 0, 640, 0, 480, 1, 1},
                                           GeometryCase{{1, 640, 480}, 64, 320, 40, 200, 2, 2},
                                           GeometryCase{{1, 640, 480}, 0, 640, 100, 420, 4, 4},
                                           GeometryCase{{1, 640, 480}, 32, 608, 0, 480, 8, 32},
                                           GeometryCase{{1, 640, 480}, 0, 640, 30, 480, 1, 15},
                                           GeometryCase{{3, 1280, 1024}, 160, 1120, 64, 960, 1, 16},
                                           GeometryCase{{17, 1376, 1040}, 0, 1376, 10, 1040, 2, 1},
                                           GeometryCase{{21, 1376, 1040}, 96, 1280, 7, 1031, 1, 8},
                                           GeometryCase{{21, 1376, 1040}, 0, 1376, 0, 1040, 4, 2}));

TEST(Player, LongerExposureGivesALongerCycleAndNothingElse) {
    lmv::board_record rec = record_of({1, 640, 480});
    const PlayedPicture shortExposure = Play(Build(rec), CameraFor(rec));
    rec.timevalues[1] = 500;
    const PlayedPicture longExposure = Play(Build(rec), CameraFor(rec));
    ASSERT_TRUE(shortExposure.picture && longExposure.picture);
    EXPECT_NEAR(longExposure.exposureUs - shortExposure.exposureUs, 490000.0, 200.0);
    EXPECT_EQ(longExposure.height, shortExposure.height);
    EXPECT_NEAR(longExposure.readoutUs, shortExposure.readoutUs, 1e-6);
}

TEST(Player, PowerDownExposureCountsItsWholeLength) {
    lmv::board_record rec = record_of({1, 640, 480});
    rec.timevalues[1] = 60000;  // 60 s: written in power-down form
    const std::vector<uint16_t> table = Build(rec);
    ASSERT_EQ(table.at(2), 582);  // after the trigger header
    const PlayedPicture p = Play(table, CameraFor(rec));
    ASSERT_TRUE(p.picture);
    EXPECT_NEAR(p.exposureUs, rec.exptime, 2 * lmvpci::CocLineTimeUs(1));
    EXPECT_EQ(p.hbin, 1u);
}

TEST(Player, OptionProgramExposesThroughItsWaitsAndReadsTenLines) {
    lmv::board_record rec = record_of({1, 640, 480});
    rec.status_extra = 0x10000;
    const std::vector<uint16_t> table = Build(rec);
    ASSERT_EQ(table.size(), 3u + 629u + 10u + 2u);
    const PlayedPicture p = Play(table, CameraFor(rec));
    ASSERT_TRUE(p.picture);
    EXPECT_EQ(p.height, 10u);
    EXPECT_NEAR(p.exposureUs, 629 * 63.52, 1.0);
    EXPECT_LT(p.CycleUs(), 100000.0) << "the reload clears its picture within 100 ms";
}

TEST(Player, DelayIsTheTimeBetweenTheBoundaryMarks) {
    lmv::board_record rec = record_of({1, 640, 480});
    rec.timevalues[0] = 20;
    const PlayedPicture p = Play(Build(rec), CameraFor(rec));
    ASSERT_TRUE(p.picture);
    EXPECT_NEAR(p.delayUs, 20000.0, lmvpci::CocLineTimeUs(1));
}

TEST(Player, WithoutAreaOfInterestWordsTheWholeRowIsRead) {
    lmv::board_record rec = record_of({1, 640, 480});
    rec.hbin = 2;
    CocCamera camera = CameraFor(rec);
    camera.aoiStart.reset();
    const PlayedPicture p = Play(Build(rec), camera);
    ASSERT_TRUE(p.picture);
    EXPECT_EQ(p.width, 320u);
    // Words that do not fit the sensor are ignored the same way.
    camera = CameraFor(rec);
    camera.aoiEnd = 5000;
    EXPECT_EQ(Play(Build(rec), camera).width, 320u);
}

TEST(Player, TablesACameraCannotPlayGiveNoPicture) {
    lmv::board_record rec = record_of({1, 640, 480});
    const std::vector<uint16_t> good = Build(rec);
    const CocCamera camera = CameraFor(rec);
    const std::vector<std::vector<uint16_t>> bad = {
        {},
        {4064, 4064},
        {193, 193, 201, 201},                                 // no end word
        std::vector<uint16_t>(good.begin(), good.end() - 2),  // end words cut off
        {209, 209, 576, 576, 576, 193, 207, 4064},            // exposure without read lines
        {201, 201, 201, 4064},                                // read lines without an exposure
        {598, 193, 193, 4064, 4064},                          // a set-up program
    };
    for (const auto& t : bad) EXPECT_FALSE(Play(t, camera).picture) << t.size() << " words";
    EXPECT_FALSE(PlayCoc(nullptr, 10, camera).picture);
}

TEST(Player, EveryCutOrGarbledTableIsSafe) {
    lmv::board_record rec = record_of({1, 640, 480});
    rec.roiymin = 100;
    rec.roiymax = 200;
    const std::vector<uint16_t> good = Build(rec);
    const CocCamera camera = CameraFor(rec);
    // Cut before its end word, a table runs off into the board memory.
    for (size_t n = 0; n + 2 < good.size(); n += 7)
        EXPECT_FALSE(PlayCoc(good.data(), n, camera).picture) << n;
    EXPECT_EQ(PlayCoc(good.data(), good.size() - 1, camera).height, 100u);
    std::mt19937 random(17);
    std::uniform_int_distribution<int> word(0, 0xFFFF);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint16_t> t = good;
        for (int k = 0; k < 20; ++k) {
            t[static_cast<size_t>(word(random)) % t.size()] = static_cast<uint16_t>(word(random));
        }
        const PlayedPicture p = Play(t, camera);
        if (p.picture) {
            EXPECT_GT(p.width, 0u);
            EXPECT_GT(p.height, 0u);
            EXPECT_TRUE(std::isfinite(p.CycleUs()));
        }
    }
}

TEST(Player, SensorOfEachCcdType) {
    const struct {
        int ccd;
        uint32_t width, height;
    } cases[] = {{1, 640, 480},    {2, 640, 480},    {4, 1280, 1024},  {6, 1312, 1032},
                 {12, 1280, 1024}, {18, 1376, 1040}, {22, 1376, 1040}, {7, 640, 480}};
    for (const auto& c : cases) {
        const CocCamera camera = lmvpci::CocCameraFor(c.ccd);
        EXPECT_EQ(camera.ccdTyp, c.ccd);
        EXPECT_EQ(camera.ccdWidth, c.width) << c.ccd;
        EXPECT_EQ(camera.ccdHeight, c.height) << c.ccd;
        EXPECT_FALSE(camera.aoiStart.has_value());
    }
}

TEST(Player, LineTimesAndOffsetsFollowTheSensor) {
    EXPECT_DOUBLE_EQ(lmvpci::CocLineTimeUs(1), 63.52);
    EXPECT_DOUBLE_EQ(lmvpci::CocLineTimeUs(5), 117.28);
    EXPECT_DOUBLE_EQ(lmvpci::CocLineTimeUs(10), 117.28);
    EXPECT_DOUBLE_EQ(lmvpci::CocLineTimeUs(22), 95.5);
    EXPECT_EQ(lmvpci::CocAoiOffset(1), 128u);
    EXPECT_EQ(lmvpci::CocAoiOffset(4), 160u);
    EXPECT_EQ(lmvpci::CocAoiOffset(6), 128u);
    EXPECT_EQ(lmvpci::CocAoiOffset(11), 160u);
    EXPECT_EQ(lmvpci::CocAoiOffset(19), 96u);
}

}  // namespace
