// The table of CCD types: one record per known type, unknown types refused, colour variants on
// the sensor of their base type.
#include <gtest/gtest.h>

#include "camera/board/CcdTraits.h"

namespace {

constexpr int kKnown[] = {1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 17, 18, 19, 20, 21, 22};

TEST(CcdTraits, EveryKnownTypeHasItsOwnRecord) {
    for (int typ : kKnown) {
        const lmv::ccd_traits* t = lmv::ccd_lookup(typ);
        ASSERT_NE(t, nullptr) << typ;
        EXPECT_EQ(t->ccd_typ, typ);
        EXPECT_GT(t->width, 0) << typ;
        EXPECT_GT(t->height, 0) << typ;
        EXPECT_GE(t->trigger_limit, 2) << typ;
        EXPECT_EQ(&lmv::ccd_traits_or_unknown(typ), t);
    }
}

TEST(CcdTraits, UnknownTypesAreRefused) {
    for (int typ : {-1, 0, 7, 8, 13, 14, 15, 16, 23, 255}) {
        EXPECT_EQ(lmv::ccd_lookup(typ), nullptr) << typ;
        const lmv::ccd_traits& none = lmv::ccd_traits_or_unknown(typ);
        EXPECT_EQ(none.ccd_typ, 0);
        EXPECT_EQ(none.settle_ms, 0u);
        EXPECT_EQ(none.row_shortfall, 0);
        EXPECT_EQ(none.vbin.count, 0);  // any vertical binning
    }
}

TEST(CcdTraits, ColourVariantsShareTheSensorOfTheirBaseType) {
    for (int colour : {2, 4, 6, 12, 18, 20, 22}) {
        const lmv::ccd_traits& c = *lmv::ccd_lookup(colour);
        const lmv::ccd_traits& base = *lmv::ccd_lookup(colour - 1);
        EXPECT_TRUE(c.colour) << colour;
        EXPECT_FALSE(base.colour) << colour - 1;
        EXPECT_EQ(c.width, base.width) << colour;
        EXPECT_EQ(c.height, base.height) << colour;
        EXPECT_EQ(c.aoi_offset, base.aoi_offset) << colour;
        EXPECT_EQ(c.constants.builder, base.constants.builder) << colour;
    }
    // Types 10 and 11 are black-and-white types of their own (identification bytes 2 and 3).
    EXPECT_FALSE(lmv::ccd_lookup(10)->colour);
    EXPECT_FALSE(lmv::ccd_lookup(11)->colour);
}

TEST(CcdTraits, OnlyTypeTwentyOneFitsABoardOfTypeThree) {
    for (int typ : kKnown) EXPECT_EQ(lmv::ccd_lookup(typ)->board_type_three, typ == 21) << typ;
}

}  // namespace
