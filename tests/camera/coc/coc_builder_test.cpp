// Dispatch, constants carried between builds, refusals and limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "camera/coc/CocBuilder.h"
#include "camera/coc/CocConstants.h"
#include "camera/coc/CocSections.h"
#include "coc_fixture.h"

namespace {

using coc_test::default_record;
using coc_test::expand_words;

lmv::board_record option_program(int ccd_typ) {
    lmv::board_record rec = default_record();
    rec.ccd_typ = ccd_typ;
    rec.status_extra = 0x10000;
    return rec;
}

size_t count_of(const std::vector<uint16_t>& table, uint16_t word) {
    return static_cast<size_t>(std::count(table.begin(), table.end(), word));
}

TEST(CocDispatch, TypeWithoutConstantsBuildsWithThoseOfThePreviousBuild) {
    lmv::coc_previous previous;
    std::vector<uint16_t> table;

    lmv::board_record unknown = option_program(7);
    EXPECT_EQ(lmv::coc_build(unknown, previous, table), -8) << "no previous build";
    EXPECT_TRUE(table.empty());

    // CCD type 17 with option bit 1: T 95.5, c 1.
    lmv::board_record rec17 = option_program(17);
    rec17.status_extra |= 0x2;
    ASSERT_EQ(lmv::coc_build(rec17, previous, table), 0);
    EXPECT_EQ(table, expand_words("3x577 418x193 10x201 2x4064"));

    // Type 7 keeps T and c, whatever its own option bits say.
    unknown.status_extra = 0x10000;
    ASSERT_EQ(lmv::coc_build(unknown, previous, table), 0);
    EXPECT_EQ(table, expand_words("3x577 418x193 10x201 2x4064"));

    // Type 1 brings its own constants again: floor(40000 / 63.52) = 629.
    lmv::board_record rec1 = option_program(1);
    ASSERT_EQ(lmv::coc_build(rec1, previous, table), 0);
    EXPECT_EQ(table, expand_words("3x576 629x193 10x201 2x4064"));
    ASSERT_EQ(lmv::coc_build(unknown, previous, table), 0);
    EXPECT_EQ(count_of(table, 193), 629u);
}

TEST(CocDispatch, Ccd19And20UseTheConstantsOfTheirSensorTwin) {
    for (int ccd : {19, 20}) {
        const lmv::ccd_constants* k = lmv::coc_constants_for(ccd);
        ASSERT_NE(k, nullptr);
        EXPECT_FLOAT_EQ(k->timing.T, 95.5f);
        EXPECT_FLOAT_EQ(k->timing.S, 16.0f);
        EXPECT_FLOAT_EQ(k->timing.E, 6.4f);
        EXPECT_EQ(k->timing.X, 0);

        lmv::board_record rec = default_record();
        rec.ccd_typ = ccd;
        rec.ccd_height = 1040;
        rec.roiymax = 1040;
        lmv::coc_previous previous;
        std::vector<uint16_t> table;
        ASSERT_EQ(lmv::coc_build(rec, previous, table), 0);
        // Pre-readout 196, 194 and the short flush lead 201, 193 of types 17 and 18.
        const auto end207 = std::find(table.begin(), table.end(), uint16_t{207});
        ASSERT_NE(end207, table.end());
        EXPECT_EQ(*(end207 + 1), 196);
        EXPECT_EQ(*(end207 + 2), 194);
        EXPECT_EQ(*(end207 + 3), 201);  // first read line
        EXPECT_EQ(table[table.size() - 5], 201);
        EXPECT_EQ(table[table.size() - 4], 193);
        EXPECT_EQ(table[table.size() - 3], 2241);
    }
}

struct refusal {
    const char* what;
    int camera_typ;
    int ccd_typ;
    int submode;
    int hbin;
    int expected;
};

TEST(CocDispatch, RefusesWhatHasNoTable) {
    const refusal cases[] = {
        {"fast-shutter submode 7 on CCD 1", 1, 1, 7, 1, -3},
        {"fast-shutter exposure below exp_min", 1, 1, 0, 1, -3},
        {"intensified submode 3", 5, 1, 3, 1, -3},
        {"intensified camera on CCD 9", 5, 9, 0, 1, -3},
        {"camera type 4", 4, 1, 0, 1, -3},
        {"CCD 9 submode 1", 1, 9, 1, 1, -3},
        {"CCD 10 with hbin 3", 1, 10, 9, 3, -3},
        {"CCD 12 on a long-exposure camera", 2, 12, 0, 1, -3},
        {"long exposure submode 7", 2, 1, 7, 1, -3},
        {"submode 16 on CCD 3", 2, 3, 16, 1, -3},
        {"submode 19 on CCD 18", 2, 18, 19, 1, -3},
        {"CCD 21 submode 4", 2, 21, 4, 1, -3},
        {"CCD 21 submode 20", 2, 21, 20, 1, -3},
        {"CCD 21 on the fast-shutter camera", 1, 21, 0, 1, -3},
        {"CCD 22 with hbin 3", 2, 22, 0, 3, -3},
        {"negative submode", 2, 1, -1, 1, -3},
    };
    for (const auto& c : cases) {
        lmv::board_record rec = default_record();
        rec.camera_typ = c.camera_typ;
        rec.ccd_typ = c.ccd_typ;
        rec.submode = c.submode;
        rec.hbin = c.hbin;
        rec.coctime = 5.0f;
        lmv::coc_previous previous;
        std::vector<uint16_t> table{1, 2, 3};
        EXPECT_EQ(lmv::coc_build(rec, previous, table), c.expected) << c.what;
        EXPECT_TRUE(table.empty()) << c.what << ": never an empty or partial table";
        EXPECT_EQ(rec.coctime, 5.0f) << c.what;
    }
}

TEST(CocDispatch, OptionBaseFollowsCcdTypeAndOptionBits) {
    EXPECT_EQ(lmv::coc_option_base(1, 0x2), 0);
    EXPECT_EQ(lmv::coc_option_base(17, 0x2), 1);
    EXPECT_EQ(lmv::coc_option_base(22, 0x2), 1);
    EXPECT_EQ(lmv::coc_option_base(19, 0x2), 0);
    EXPECT_EQ(lmv::coc_option_base(1, 0x101), 8);
    EXPECT_EQ(lmv::coc_option_base(1, 0x001), 0);
    EXPECT_EQ(lmv::coc_option_base(1, 0x100), 0);
    EXPECT_EQ(lmv::coc_option_base(18, 0x103), 9);
}

TEST(CocLimits, LineSequenceBeyondTheBoardMemoryIsRefused) {
    lmv::board_record rec = default_record();
    rec.submode = 5;
    rec.timevalues[0] = 480;  // 480 read words per repetition
    rec.timevalues[1] = 0;
    rec.timevalues[2] = 1000;
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    EXPECT_EQ(lmv::coc_build(rec, previous, table), -21);
    rec.timevalues[2] = 400;  // about 195000 words
    ASSERT_EQ(lmv::coc_build(rec, previous, table), 0);
    EXPECT_GT(table.size(), 190000u);
    EXPECT_EQ(table.back(), 4064);
}

TEST(CocLimits, FlushOfAnOversizedSensorIsRefusedWithoutOverrun) {
    lmv::board_record rec = default_record();
    rec.ccd_height = 50000000;
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    EXPECT_EQ(lmv::coc_build(rec, previous, table), -21);
    EXPECT_TRUE(table.empty());
}

TEST(CocLimits, MarkFarBeyondTheTableIsRefused) {
    lmv::board_record rec = default_record();
    rec.submode = 2;
    rec.timevalues[0] = 0;
    rec.timevalues[1] = 10;
    rec.timevalues[2] = 2000000;  // 2000 s after the start: more words than the board holds
    rec.timevalues[3] = 0;
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    EXPECT_EQ(lmv::coc_build(rec, previous, table), -21);
}

TEST(CocBuffer, CallerBufferReceivesTheTableAndItsCount) {
    lmv::board_record rec = default_record();
    lmv::coc_previous previous;
    std::vector<uint16_t> expected;
    lmv::board_record copy = rec;
    ASSERT_EQ(lmv::coc_build(copy, previous, expected), 0);

    std::vector<uint16_t> buffer(250000, 0xAAAA);
    size_t count = 0;
    ASSERT_EQ(lmv::coc_build(rec, previous, buffer.data(), buffer.size(), &count), 0);
    ASSERT_EQ(count, expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
    EXPECT_EQ(buffer[count], 0xAAAA);
    EXPECT_EQ(rec.coctime, copy.coctime);
    EXPECT_EQ(rec.exptime, copy.exptime);

    rec.coctime = 1.0f;
    std::vector<uint16_t> small(expected.size() - 1, 0xAAAA);
    EXPECT_EQ(lmv::coc_build(rec, previous, small.data(), small.size(), &count), -21);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(rec.coctime, 1.0f);
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](uint16_t w) { return w == 0xAAAA; }));

    EXPECT_EQ(lmv::coc_build(rec, previous, nullptr, 10, &count), -23);
    EXPECT_EQ(lmv::coc_build(rec, previous, buffer.data(), buffer.size(), nullptr), -23);
}

TEST(CocCcd2122, ExposureSectionNeverPowersDown) {
    lmv::board_record rec = default_record();
    rec.ccd_typ = 21;
    rec.ccd_height = 1040;
    rec.roiymax = 1040;
    rec.vbin = 2;
    rec.timevalues[1] = 60000;
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    ASSERT_EQ(lmv::coc_build(rec, previous, table), 0);
    EXPECT_EQ(count_of(table, 582), 0u);
    EXPECT_EQ(count_of(table, 455), 0u);
    // 60 s in blocks of 1024 x 95.5 us: h = 60000000 - 16 + 6.4; o = 613, r = 560.
    EXPECT_EQ(count_of(table, 449), 613u);
    EXPECT_EQ(table[0], 3010);
    EXPECT_EQ(table[1], 2498);
}

TEST(CocCcd2122, ArmWordFollowsTriggerValue) {
    struct arm {
        int trigger;
        uint16_t word;
    };
    for (const arm a : {arm{0, 2241}, arm{1, 2497}, arm{2, 2241}, arm{0x100, 2497},
                        arm{0x1FF, 2497}, arm{0x200, 2241}}) {
        lmv::board_record rec = default_record();
        rec.ccd_typ = 22;
        rec.ccd_height = 1040;
        rec.roiymax = 1040;
        rec.vbin = 2;
        rec.trigger = a.trigger;
        lmv::coc_previous previous;
        std::vector<uint16_t> table;
        ASSERT_EQ(lmv::coc_build(rec, previous, table), 0);
        EXPECT_EQ(table[table.size() - 3], a.word) << "trigger " << a.trigger;
    }
}

// The two readings of "external" agree on 0..65535; above and below they part where bits 8-15
// hold 1 but the whole value is not 256..511.
TEST(CocArmWord, EachRuleOverTheWholeRangeOfTriggerValues) {
    struct arm {
        int32_t trigger;
        uint16_t flags_byte;
        uint16_t whole_value;
    };
    const arm cases[] = {
        {0, 2241, 2241},       {1, 2497, 2497},
        {2, 2241, 2241},       {0x100, 2497, 2497},
        {0x1FF, 2497, 2497},   {0x200, 2241, 2241},
        {0xFFFF, 2241, 2241},  {65536, 2241, 2241},
        {0x10001, 2497, 2497}, {0x10100, 2497, 2241},
        {0x1FFFF, 2241, 2241}, {INT_MAX, 2241, 2241},
        {-1, 2241, 2241},      {-255, 2497, 2497},    // low byte 1
        {-256, 2241, 2241},    {-65280, 2497, 2241},  // 0xFFFF0100
        {INT_MIN, 2241, 2241}, {INT_MIN | 0x100, 2497, 2241},
    };
    for (const arm& a : cases) {
        EXPECT_EQ(lmv::coc_arm_word(a.trigger, lmv::coc_arm_rule::flags_byte), a.flags_byte)
            << "trigger " << a.trigger;
        EXPECT_EQ(lmv::coc_arm_word(a.trigger, lmv::coc_arm_rule::whole_value), a.whole_value)
            << "trigger " << a.trigger;
    }
}

TEST(CocArmWord, GeneralAndCcd2122FlushesReadTheirOwnRule) {
    struct build {
        int ccd_typ;
        uint16_t word;
    };
    for (const build b : {build{1, 2497}, build{22, 2241}}) {
        lmv::board_record rec = default_record();
        rec.ccd_typ = b.ccd_typ;
        if (b.ccd_typ == 22) {
            rec.ccd_height = 1040;
            rec.roiymax = 1040;
            rec.vbin = 2;
        }
        rec.trigger = 0x10100;
        lmv::coc_previous previous;
        std::vector<uint16_t> table;
        ASSERT_EQ(lmv::coc_build(rec, previous, table), 0);
        EXPECT_EQ(table[table.size() - 3], b.word) << "CCD type " << b.ccd_typ;
    }
}

TEST(CocCcd2122, ExposureValueBeyondSixteenBitsIsHeldAtTheLargest) {
    lmv::board_record rec = default_record();
    rec.ccd_typ = 21;
    rec.ccd_height = 1040;
    rec.roiymax = 1040;
    rec.vbin = 2;
    rec.submode = 16;
    rec.trigger = 3;
    rec.timevalues[0] = 0;
    rec.timevalues[1] = 65536;
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    ASSERT_EQ(lmv::coc_build(rec, previous, table), 0);
    EXPECT_EQ(std::vector<uint16_t>(table.begin(), table.begin() + 12),
              expand_words("3010 640 657 687 687 688 658 687 687 688 659 690"));
    EXPECT_FLOAT_EQ(rec.exptime, 65535.0f);
}

}  // namespace
