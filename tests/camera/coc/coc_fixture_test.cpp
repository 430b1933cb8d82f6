// Whole tables against fixtures derived by hand from the table rules.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "camera/coc/CocBuilder.h"
#include "coc_fixture.h"

namespace {

using coc_test::fixture;

// Compact run-length text of words [from, to) for failure messages.
std::string runs(const std::vector<uint16_t>& w, size_t from, size_t to) {
    std::ostringstream out;
    to = std::min(to, w.size());
    for (size_t i = from; i < to;) {
        size_t j = i;
        while (j < to && w[j] == w[i]) ++j;
        if (j - i > 1) out << (j - i) << 'x';
        out << w[i] << ' ';
        i = j;
    }
    return out.str();
}

void expect_time(const char* name, float actual, const std::string& expr, const fixture& f) {
    const double expected = coc_test::eval_time(expr, f.T, f.S, f.E);
    const double tolerance = std::max(0.05, 1e-5 * std::fabs(expected));
    EXPECT_NEAR(actual, expected, tolerance) << name << " = " << expr;
}

class CocFixture : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(CocFixture, BuildsTheExpectedTable) {
    const fixture f = coc_test::load_fixture(GetParam());
    lmv::board_record rec = f.rec;
    rec.coctime = rec.beltime = rec.exptime = rec.deltime = -1.0f;
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    const int rc = lmv::coc_build(rec, previous, table);
    ASSERT_EQ(rc, f.result);
    if (f.result != 0) {
        EXPECT_TRUE(table.empty());
        EXPECT_EQ(rec.coctime, -1.0f) << "a failed build keeps the record's times";
        return;
    }
    size_t diff = 0;
    while (diff < table.size() && diff < f.words.size() && table[diff] == f.words[diff]) ++diff;
    EXPECT_EQ(table.size(), f.words.size());
    EXPECT_TRUE(diff == table.size() && diff == f.words.size())
        << "first difference at word " << diff
        << "\n  built:    " << runs(table, diff > 4 ? diff - 4 : 0, diff + 12)
        << "\n  expected: " << runs(f.words, diff > 4 ? diff - 4 : 0, diff + 12);
    if (f.has_times) {
        expect_time("coctime", rec.coctime, f.coctime, f);
        expect_time("beltime", rec.beltime, f.beltime, f);
        expect_time("exptime", rec.exptime, f.exptime, f);
        expect_time("deltime", rec.deltime, f.deltime, f);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CocFixture, ::testing::ValuesIn(coc_test::fixture_files()),
                         [](const auto& info) { return info.param.stem().string(); });

TEST(CocFixtureFormat, ExpandsRunsAndGroups) {
    EXPECT_EQ(coc_test::expand_words("3x576 207 2x(198 200)"),
              (std::vector<uint16_t>{576, 576, 576, 207, 198, 200, 198, 200}));
    EXPECT_DOUBLE_EQ(coc_test::eval_time("T - E + 2T + S", 10, 3, 1), 10 - 1 + 20 + 3);
    EXPECT_DOUBLE_EQ(coc_test::eval_time("2B + 7", 1, 0, 0), 2048 + 7);
}

}  // namespace
