// Runs the builder over a grid of valid settings and checks what every table must satisfy:
// the end mark, the board-memory limit, and times that agree with the line times written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "camera/coc/CocBuilder.h"
#include "coc_fixture.h"

namespace {

struct sensor {
    int ccd;
    int width, height;
    std::vector<int> vbins;
    std::vector<int> hbins;
    std::vector<int> submodes;
};

const std::vector<sensor>& sensors() {
    static const std::vector<int> general_submodes{0, 1, 2, 3, 4, 5, 6};
    static const std::vector<int> ccd2122_submodes{0, 1, 2, 3, 16, 17, 18, 19};
    static const std::vector<sensor> list = {
        {1, 640, 480, {1, 2, 4, 32, 60, 480}, {1, 8}, general_submodes},
        {2, 640, 480, {8, 16, 120, 240}, {2, 4}, general_submodes},
        {3, 1280, 1024, {1, 2, 64, 1024}, {1, 8}, general_submodes},
        {4, 1280, 1024, {8, 128, 512}, {4}, general_submodes},
        {5, 1280, 1024, {1, 4}, {1, 2}, general_submodes},
        {6, 1280, 1024, {2, 8}, {8}, general_submodes},
        {17, 1376, 1040, {1, 16}, {1, 8}, general_submodes},
        {18, 1376, 1040, {2, 4}, {2}, general_submodes},
        {19, 1376, 1040, {1, 8}, {4}, general_submodes},
        {20, 1376, 1040, {2}, {1}, general_submodes},
        {21, 1376, 1040, {1, 2}, {1, 2}, ccd2122_submodes},
        {22, 1376, 1040, {1, 2, 4}, {2}, ccd2122_submodes},
    };
    return list;
}

struct timing {
    int delay, exposure, p1, p2;
};
const timing kTimings[] = {
    {0, 1, 0, 0}, {7, 10, 2, -3}, {120, 333, 40, 0}, {3, 5000, 0, -4999}, {0, 70000, 1, 0}};

int slots(uint16_t w) {
    if (w == 449 || w == 455) return 1024;
    if (w >= 576 && w < 592) return 0;   // start words
    if (w >= 1024) return 0;             // header, mark, arm and end words
    if (w == 204 || w == 512) return 0;  // header programs
    if (w >= 640 && w <= 694) return 0;
    return 1;
}

long long slots_of(const std::vector<uint16_t>& t, size_t from, size_t to) {
    long long s = 0;
    for (size_t i = from; i < to; ++i) s += slots(t[i]);
    return s;
}

size_t index_of(const std::vector<uint16_t>& t, uint16_t word, size_t from = 0) {
    const auto it = std::find(t.begin() + static_cast<long>(from), t.end(), word);
    return static_cast<size_t>(it - t.begin());
}

// The times add one line time per word in 32-bit floats: every word may round by half a float
// spacing of the running total.
double tolerance(double value, size_t words = 0) {
    const float v = static_cast<float>(std::fabs(value));
    const double spacing = std::nextafter(v, 2 * v + 1) - v;
    return 0.5 + 1e-5 * std::fabs(value) + static_cast<double>(words) * spacing / 2;
}

struct checker {
    const lmv::board_record& rec;
    const std::vector<uint16_t>& t;
    double T, S;
    std::string where;

    void near(double actual, double expected, const char* what) const {
        EXPECT_NEAR(actual, expected, tolerance(expected, t.size())) << what << " " << where;
    }

    void common() const {
        ASSERT_GE(t.size(), 2u) << where;
        EXPECT_LE(t.size(), 240002u) << where;
        EXPECT_EQ(t[t.size() - 1], 4064) << where;
        EXPECT_EQ(t[t.size() - 2], 4064) << where;
        for (size_t i = 0; i + 2 < t.size(); ++i) {
            ASSERT_NE((t[i] >> 8) & 0xF, 0xF) << "end mark inside the table at " << i << where;
        }
        for (float v : {rec.coctime, rec.beltime, rec.exptime, rec.deltime}) {
            EXPECT_TRUE(std::isfinite(v) && v >= 0.0f) << v << where;
        }
    }

    // Exposure section: 209 ... 207 holds beltime; delay and exposure share it.
    void exposure_section(size_t first209, double marks) const {
        const size_t end = index_of(t, 207, first209);
        ASSERT_LT(end, t.size()) << where;
        near(rec.beltime, T * static_cast<double>(slots_of(t, first209, end + 1)), "beltime");
        near(rec.beltime, rec.deltime + rec.exptime + marks * (T - S), "beltime = del + exp");
    }

    // Exactly one readout word carries the start of an overlapped exposure.
    void overlap_start(size_t after) const {
        const bool overlaps = std::floor((rec.coctime - rec.timevalues[1] * 1000.0) / T) >= 1;
        const auto marked = std::count_if(t.begin() + static_cast<long>(after), t.end(),
                                          [](uint16_t w) { return w >= 208 && w <= 222; });
        EXPECT_EQ(marked, overlaps ? 1 : 0) << where;
    }
};

TEST(CocProperties, GridOfSettings) {
    std::vector<uint16_t> t;
    int built = 0;
    for (const sensor& s : sensors()) {
        for (int submode : s.submodes) {
            for (int vbin : s.vbins) {
                for (int hbin : s.hbins) {
                    for (int region = 0; region < 2; ++region) {
                        for (size_t ti = 0; ti < std::size(kTimings); ++ti) {
                            const timing& tm = kTimings[ti];
                            lmv::board_record rec = coc_test::default_record();
                            rec.ccd_typ = s.ccd;
                            rec.ccd_width = s.width;
                            rec.ccd_height = s.height;
                            rec.roixmax = s.width;
                            rec.roiymin = region == 0 ? 0 : 96;
                            rec.roiymax =
                                region == 0 ? s.height : 96 + vbin * (s.height / 2 / vbin);
                            if (rec.roiymax <= rec.roiymin) rec.roiymax = s.height;
                            rec.vbin = vbin;
                            rec.hbin = hbin;
                            rec.submode = submode;
                            rec.trigger = static_cast<int>((ti + static_cast<size_t>(vbin)) % 4);
                            if (rec.trigger == 3) rec.trigger = 0x100;
                            if (submode >= 16) rec.trigger = static_cast<int>(ti % 5);
                            rec.status_extra = region == 1 ? 0x103 : 0;
                            const int v[] = {tm.delay, tm.exposure, tm.p1, tm.p2};
                            std::copy(std::begin(v), std::end(v), rec.timevalues);
                            if (submode == 5) {
                                rec.timevalues[0] = vbin * (1 + static_cast<int>(ti));
                                rec.timevalues[1] = static_cast<int>(ti) * 25;
                                rec.timevalues[2] = 1 + static_cast<int>(ti % 3);
                            }
                            if (submode == 6) {
                                rec.timevalues[2] = static_cast<int>(ti) * 3;
                                rec.timevalues[3] = 1 + static_cast<int>(ti) * 900;
                            }
                            if (submode >= 16) rec.timevalues[1] = 5 + static_cast<int>(ti) * 999;

                            lmv::coc_previous previous;
                            const int rc = lmv::coc_build(rec, previous, t);
                            const std::string where =
                                " [ccd " + std::to_string(s.ccd) + " submode " +
                                std::to_string(submode) + " vbin " + std::to_string(vbin) +
                                " hbin " + std::to_string(hbin) + " region " +
                                std::to_string(region) + " timing " + std::to_string(ti) + "]";
                            ASSERT_EQ(rc, 0) << where;
                            ++built;
                            const double T = lmv::coc_constants_for(s.ccd)->timing.T;
                            const double S = lmv::coc_constants_for(s.ccd)->timing.S;
                            const checker c{rec, t, T, S, where};
                            c.common();
                            const bool ccd2122 = s.ccd >= 21;
                            switch (submode) {
                                case 0: {
                                    c.exposure_section(index_of(t, 209), 1);
                                    if (!ccd2122) {
                                        // Readout words take a line time each, the arm 3.
                                        const size_t end = index_of(t, 207);
                                        const double readout =
                                            T *
                                            static_cast<double>(slots_of(t, end + 1, t.size()) + 3);
                                        EXPECT_NEAR(rec.coctime, readout, T + tolerance(readout))
                                            << where;
                                    }
                                    break;
                                }
                                case 1:
                                case 3: {
                                    const size_t end = index_of(t, 207);
                                    ASSERT_LT(end, t.size()) << where;
                                    // The flush words of CCD types 21 and 22 shift two rows.
                                    const int below = rec.ccd_height - rec.roiymax - 2;
                                    const long long flush2122 =
                                        ccd2122 && below > 0 ? (below + 1) / 2 : 0;
                                    c.near(rec.beltime,
                                           T * static_cast<double>(slots_of(t, 0, t.size()) + 2 +
                                                                   flush2122),
                                           "beltime of an overlapped table");
                                    EXPECT_LE(rec.exptime, rec.beltime + 1.0) << where;
                                    c.overlap_start(end + 1);
                                    break;
                                }
                                case 2:
                                    c.exposure_section(index_of(t, 209), 1);
                                    EXPECT_GE(std::count(t.begin(), t.end(), uint16_t{2498}), 1)
                                        << where;
                                    EXPECT_GE(std::count(t.begin(), t.end(), uint16_t{2242}), 1)
                                        << where;
                                    if (!ccd2122) {
                                        const double all =
                                            T * static_cast<double>(slots_of(t, 0, t.size()) + 3);
                                        EXPECT_NEAR(rec.beltime + rec.coctime, all,
                                                    T + tolerance(all))
                                            << where;
                                    }
                                    break;
                                case 4:
                                    c.near(rec.beltime, 36 * T, "beltime");
                                    c.near(rec.coctime, 3 * T, "coctime");
                                    break;
                                case 5:
                                    EXPECT_EQ(rec.beltime, rec.exptime) << where;
                                    EXPECT_LE(rec.coctime, rec.beltime) << where;
                                    break;
                                case 6: {
                                    const size_t first = index_of(t, 209);
                                    const size_t second = index_of(t, 207, index_of(t, 207) + 1);
                                    ASSERT_LT(second, t.size()) << where;
                                    c.near(rec.beltime,
                                           T * static_cast<double>(slots_of(t, first, second + 1)),
                                           "beltime of both exposures");
                                    c.near(rec.beltime, rec.deltime + rec.exptime + 2 * (T - S),
                                           "beltime = del + exp");
                                    break;
                                }
                                case 16:
                                case 17:
                                    c.near(rec.beltime, rec.deltime + rec.exptime, "beltime");
                                    c.near(rec.exptime, rec.timevalues[1], "exptime");
                                    break;
                                default:
                                    break;
                            }
                            if (::testing::Test::HasFatalFailure()) return;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(built, 1000);
}

}  // namespace
