// The parameter map and the rule table of the supported parameters, without a controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "motion/stages/CZRParameterMap.h"
#include "motion/stages/CorvaneParameterTable.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const std::vector<uint32_t> kSupported = {
    1,  2,   3,   4,   8,   10,  11,  14,  15,  17,  18,  19,  20,  21,  22,  23,
    24, 25,  26,  47,  48,  49,  50,  54,  60,  63,  64,  65,  66,  67,  73,  74,
    80, 148, 149, 256, 257, 258, 272, 273, 274, 275, 276, 277, 278, 279, 282, 288};

TEST(ParameterMapTest, HoldsSeventySevenDetailEntriesAndTheirNames) {
    CZRParameterMap map;
    EXPECT_EQ(map.DetailCount(), 77u);
    EXPECT_EQ(map.ListIDs().size(), 77u);
    EXPECT_EQ(map.Name(10), "ZR_PARA_MOT_MAX_VEL_10");
    EXPECT_EQ(map.DetailName(10), "ZR_PARA_MOT_MAX_VEL");
    EXPECT_EQ(map.Name(11), "ZR_PARA_MOT_CURR_ACCEL_11");
    EXPECT_EQ(map.DetailName(11), "ZR_PARA_MOT_MAX_ACCEL");
    EXPECT_EQ(map.Name(12), "ZR_PARA_MOT_CURR_DECEL_12");
    EXPECT_EQ(map.DetailName(12), "ZR_PARA_MOT_MAX_DECEL");
    EXPECT_EQ(map.Name(288), "ZR_PARA_MOT_JOYSTICK_TABLE_OFFSET");
    EXPECT_EQ(map.ShortDescription(15), "Counts per unit ration denominator");
    EXPECT_EQ(map.DataType(60), kParameterTypeChar);
    EXPECT_EQ(map.DataType(1), kParameterTypeFloat);
    EXPECT_EQ(map.Level(0x16000200), 0);
    // an ID without entry
    EXPECT_EQ(map.Level(0x16000100), -1);
    EXPECT_EQ(map.DataType(0x16000100), -1);
    EXPECT_EQ(map.ShortDescription(0x16000100), "");
}

TEST(ParameterMapTest, TheCorvaneFilterLeavesTheSupportedIdsInOrder) {
    CZRParameterMap map;
    map.Filter(IsCorvaneParameter);
    EXPECT_EQ(map.ListIDs(), kSupported);
    EXPECT_EQ(map.DetailCount(), kSupported.size());
    for (uint32_t id : kSupported) {
        EXPECT_EQ(map.Level(id), 0) << id;
        EXPECT_EQ(map.DataType(id), id == 60 ? kParameterTypeChar : kParameterTypeFloat) << id;
        EXPECT_FALSE(map.ShortDescription(id).empty()) << id;
    }
    EXPECT_EQ(map.Name(12), "");
    EXPECT_EQ(map.Level(12), -1);
}

TEST(ParameterMapTest, EveryRuleBelongsToOneSupportedId) {
    for (uint32_t id = 0; id < 1000; ++id) {
        const CorvaneParameterRule* rule = FindCorvaneParameter(id);
        const bool supported =
            std::find(kSupported.begin(), kSupported.end(), id) != kSupported.end();
        EXPECT_EQ(rule != nullptr, supported) << id;
        if (rule) {
            EXPECT_EQ(rule->id, id);
        }
    }
    EXPECT_EQ(FindCorvaneParameter(0xFFFFFFFFu), nullptr);
}

TEST(ParameterMapTest, RangesAreInclusiveAndRefuseWhatIsNoNumber) {
    const struct {
        uint32_t id;
        double value;
        bool allowed;
    } cases[] = {
        {1, 0, true},
        {1, 32767, true},
        {1, 32767.5, false},
        {1, -0.1, false},
        {1, kNaN, false},
        {17, 1, true},
        {17, -1, true},
        {17, 0, false},
        {24, 3, true},
        {24, 1, false},
        {25, 0, true},
        {25, 2, false},
        {149, 0.4, true},
        {149, 0.39, false},
        {149, 10, true},
        {256, 1.9, true},
        {256, -0.5, true},
        {256, 2, false},
        {257, 1, true},
        {257, 0.99, false},
        {257, kInf, false},
        {258, -5e9, true},
        {258, kNaN, false},
        {258, -kInf, false},
        {18, 0, false},
        {18, 1e-9, true},
        {18, kNaN, false},
        {288, 129, false},
        {288, -128, true},
        {21, -2147483647, true},
        {21, -2147483648.0, false},
        {60, kNaN, true},
    };
    for (const auto& c : cases) {
        const CorvaneParameterRule* rule = FindCorvaneParameter(c.id);
        ASSERT_NE(rule, nullptr) << c.id;
        EXPECT_EQ(IsInParameterRange(rule->range, c.value), c.allowed)
            << "ID " << c.id << " value " << c.value;
    }
}

TEST(ParameterMapTest, FieldsKeepValuesAsTheirTypeDoes) {
    StageParameterSet set;
    const struct {
        uint32_t id;
        double value;
        double factor;
        double kept;
        double reported;
    } cases[] = {
        {64, 120.9, 1, 120, 120},  // an int field truncates
        {21, 100, 2, 200, 100},    // kept x factor, reported / factor
        {26, 0.5, 1, 1, 1},        // any non-zero value is 1
        {14, 4096, 1, 4096, 4096}, {8, 2.5, 1, 2.5, 2.5},
    };
    for (const auto& c : cases) {
        const CorvaneParameterRule& rule = *FindCorvaneParameter(c.id);
        ASSERT_EQ(rule.get.kind, SourceKind::Stored) << c.id;
        WriteField(set, rule.set.field, StoredForm(rule.set.form, c.value, c.factor));
        EXPECT_DOUBLE_EQ(ReadField(set, rule.set.field), c.kept) << c.id;
        EXPECT_DOUBLE_EQ(ReportedForm(rule.get.form, ReadField(set, rule.get.field), c.factor),
                         c.reported)
            << c.id;
    }
    EXPECT_EQ(set.Get(StageFields::kMotStepperHc), 120);
    EXPECT_EQ(set.Get(StageFields::kMotCpuZ), 4096);
}

}  // namespace
