// The rules of the LUT dialogs' controls, without a window.
#include <gtest/gtest.h>

#include "camera/ui/LutValues.h"

namespace {

using namespace lmv::ui;

TEST(LutFieldRules, FocusLossClampsAgainstTheOtherValue) {
    struct row {
        lut_channel before;
        bool max_field;
        int typed;
        lut_channel after;
    } rows[] = {
        {{100, 3000}, true, 5000, {100, 4095}}, {{100, 3000}, true, 50, {100, 101}},
        {{100, 3000}, true, 2500, {100, 2500}}, {{100, 3000}, false, 3000, {2999, 3000}},
        {{100, 3000}, false, 0, {0, 3000}},     {{100, 3000}, false, 99999, {2999, 3000}},
    };
    for (const row& r : rows) {
        const lut_channel c =
            r.max_field ? commit_max(r.before, r.typed) : commit_min(r.before, r.typed);
        EXPECT_EQ(c.min, r.after.min) << r.typed;
        EXPECT_EQ(c.max, r.after.max) << r.typed;
    }
}

TEST(LutFieldRules, ALetterLeavesTheTextAndDigitsAreLimited) {
    EXPECT_EQ(type_into("40", 'x', 5), "40");
    EXPECT_EQ(type_into("40", '9', 5), "409");
    EXPECT_EQ(type_into("12345", '6', 5), "12345");
    EXPECT_EQ(field_value(""), 0);
    EXPECT_EQ(field_value("0042"), 42);
    EXPECT_EQ(field_text(7), "0007");
}

TEST(LutFieldRules, ShiftStopsTheMinimumAtZeroAndTheMaximumAt4095) {
    EXPECT_EQ(shift({100, 200}, 50).min, 150);
    EXPECT_EQ(shift({100, 200}, 50).max, 250);
    const lut_channel low = shift({10, 200}, -50);
    EXPECT_EQ(low.min, 0);
    EXPECT_EQ(low.max, 150);
    const lut_channel high = shift({3000, 4090}, 24);
    EXPECT_EQ(high.max, 4095);
    EXPECT_EQ(high.min, 3024);
    const lut_channel squeezed = shift({4090, 4095}, 100);
    EXPECT_LT(squeezed.min, squeezed.max);
}

TEST(LutPresets, Button740WithoutBg39AndItsLabels) {
    lut_values v;
    ASSERT_TRUE(apply_preset(v, 4, false));
    EXPECT_EQ(v.ch[kRedChannel].max, 2295);
    EXPECT_EQ(v.ch[kGreenChannel].max, 1478);
    EXPECT_EQ(v.ch[kBlueChannel].max, 1045);  // 1045.464 + 0.49 truncated
    for (const auto& c : v.ch) EXPECT_EQ(c.min, 100);
    ASSERT_TRUE(apply_preset(v, 0, true));
    EXPECT_EQ(v.ch[kRedChannel].max, 2172);
    EXPECT_EQ(v.ch[kGreenChannel].max, 2279);  // 2278.770 + 0.49
    EXPECT_STREQ(preset_label(6, false), "12000");
    EXPECT_STREQ(preset_label(6, true), "5600");
    EXPECT_FALSE(apply_preset(v, 8, false));
}

TEST(LutPresets, GainStepsStayInsideTheLimits) {
    lut_values v;
    for (auto& c : v.ch) c = {100, 1000};
    ASSERT_TRUE(gain_up(v));
    EXPECT_EQ(v.ch[0].max, 794);
    ASSERT_TRUE(gain_down(v));
    EXPECT_EQ(v.ch[0].max, 999);
    v.ch[1] = {100, 3500};
    EXPECT_FALSE(gain_down(v));  // green would pass 4095: nothing changes
    EXPECT_EQ(v.ch[0].max, 999);
    v.ch[2] = {1000, 1001};
    EXPECT_FALSE(gain_up(v));  // blue would fall to its minimum
    EXPECT_EQ(v.ch[2].max, 1001);
}

}  // namespace
