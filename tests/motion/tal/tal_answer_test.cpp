// The answers of the text queries with growing buffers, and the answers of the group queries when
// the chain has nothing to list.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "motion/controller/TalAccess.h"
#include "tests/motion/tal/TalFixture.h"

namespace taltest {
namespace {

// A text query that needs `needed` bytes; the sizes it was offered.
std::vector<int> g_offered;
int g_needed = 0;
int g_otherError = 0;

ZR_BOOL FakeQuery(CCorvaneController& k, const TalCall&, char* buffer, int size) {
    g_offered.push_back(size);
    if (g_otherError != 0) {
        TalAccess::SetError(k, g_otherError);
        return false;
    }
    if (size < g_needed) {
        TalAccess::SetError(k, COM_BUFFER_OVERFLOW);
        return false;
    }
    std::snprintf(buffer, static_cast<size_t>(size), "fits in %d\n", size);
    return true;
}

class TalTextQueryTest : public TalFixture {
  protected:
    ZR_BOOL Query(TalBuffer buffer, std::string& text) {
        g_offered.clear();
        const TalLine line;
        const TalCommandRow row{"TEST?", tal::Nothing, buffer, TalAnswer::Text};
        TalCall call{C(), line, row, {}};
        return tal::RunTextQuery(call, FakeQuery, text);
    }
    void TearDown() override {
        g_otherError = 0;
        TalFixture::TearDown();
    }
};

TEST_F(TalTextQueryTest, GrowsByItsStepUntilTheTextFits) {
    g_needed = 350;
    std::string text;
    ASSERT_TRUE(Query({TalGrowth::Add, 100, 100}, text));
    EXPECT_EQ(g_offered, (std::vector<int>{100, 200, 300, 400}));
    EXPECT_EQ(text, "fits in 400\n");
    EXPECT_EQ(C().LocalError(), 0);  // the overflows of the tries are gone
}

TEST_F(TalTextQueryTest, DoublingStopsAtItsBoundAndTheOverflowStands) {
    g_needed = 1 << 30;
    std::string text;
    EXPECT_FALSE(Query({TalGrowth::Double, 10000, 0}, text));
    EXPECT_EQ(g_offered.back(), 640000);
    EXPECT_LE(g_offered.back(), kTalMaxTextBuffer);
    EXPECT_EQ(g_offered.size(), 7u);
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
}

TEST_F(TalTextQueryTest, AFixedBufferAndOtherErrorsAreNotRetried) {
    g_needed = 200;
    std::string text;
    EXPECT_FALSE(Query({TalGrowth::Fixed, 100, 0}, text));
    EXPECT_EQ(g_offered, (std::vector<int>{100}));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    g_otherError = COM_TIMEOUT;
    EXPECT_FALSE(Query({TalGrowth::Add, 100, 100}, text));
    EXPECT_EQ(g_offered, (std::vector<int>{100}));
    EXPECT_EQ(Corvane_GetError(id), COM_TIMEOUT);
}

// One R-210 whose firmware has no trigger outputs.
class TalNoTriggerTest : public iotest::IoFixture {
  protected:
    void SetUp() override { Start("[board 0]\ntype = R-210\nchecksum = C:0106\n", 1); }
};

TEST_F(TalNoTriggerTest, NothingToListGivesASingleLineFeed) {
    for (const char* line : {"TRO?", "CTO?"}) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(Corvane_TalCommandset(id, line)) << Corvane_GetError(id);
        char buffer[64] = {};
        int size = 0;
        ASSERT_TRUE(Corvane_TalGetAnswerSize(id, &size));
        EXPECT_EQ(size, 2);
        ASSERT_TRUE(Corvane_TalGetAnswer(id, buffer, sizeof buffer));
        EXPECT_STREQ(buffer, "\n");
        ASSERT_TRUE(Corvane_TalGetAnswerSize(id, &size));
        EXPECT_EQ(size, 0);
    }
}

}  // namespace
}  // namespace taltest
