// The conversions between TAL units and board counts, on their own.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "motion/controller/CorvaneUnits.h"

namespace {

CorvaneAxisUnits Axis(double cpu, double factor, int sign, int home, int offset) {
    CorvaneAxisUnits u;
    u.cpu = cpu;
    u.factor = factor;
    u.sign = sign;
    u.home = home;
    u.offset = offset;
    u.minTravel = -10;
    u.maxTravel = 10;
    return u;
}

TEST(UnitsTest, TargetsAndPositions) {
    const struct {
        CorvaneAxisUnits u;
        double position;
        int target;  // H + counts + C
        int board;   // S x target
    } cases[] = {
        {Axis(1000, 1, 1, 0, 0), 2.5, 2500, 2500},
        {Axis(1000, 1, 1, 0, 0), -0.0005, -1, -1},  // half away from zero
        {Axis(1000, 1, 1, 0, 0), 0.0004, 0, 0},
        {Axis(1000, 1, -1, 0, 0), 2.5, 2500, -2500},
        {Axis(1000, 2, 1, 100, 50), 1, 2150, 2150},
        {Axis(16000, 1, 1, 0, 500), 0.5, 8500, 8500},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PositionToTarget(c.u, c.position), c.target) << c.position;
        EXPECT_EQ(SignedForBoard(c.u, c.target), c.board) << c.position;
    }
}

TEST(UnitsTest, CounterReadsBackWhatWasCommandedWhileTheOffsetIsZero) {
    for (int sign : {1, -1}) {
        const CorvaneAxisUnits u = Axis(1000, 1, sign, 300, 0);
        const int board = SignedForBoard(u, PositionToTarget(u, 2.5));
        EXPECT_DOUBLE_EQ(CounterToPosition(u, board), 2.5) << sign;
    }
    // with an offset, a reversed stage reads 2 x offset away: the formulas as they stand
    const CorvaneAxisUnits reversed = Axis(1000, 1, -1, 0, 500);
    const int board = SignedForBoard(reversed, PositionToTarget(reversed, 2.5));
    EXPECT_DOUBLE_EQ(CounterToPosition(reversed, board), 3.5);
    const CorvaneAxisUnits normal = Axis(1000, 1, 1, 0, 500);
    EXPECT_DOUBLE_EQ(
        CounterToPosition(normal, SignedForBoard(normal, PositionToTarget(normal, 2.5))), 2.5);
}

TEST(UnitsTest, TravelRangeAndReportedLimits) {
    const CorvaneAxisUnits u = Axis(1000, 2, 1, 2000, 0);  // home at 2 stage units
    // H / cpu + x x F within -10..10
    EXPECT_TRUE(IsInTravelRange(u, 4));
    EXPECT_FALSE(IsInTravelRange(u, 4.0001));
    EXPECT_TRUE(IsInTravelRange(u, -6));
    EXPECT_FALSE(IsInTravelRange(u, -6.0001));
    EXPECT_FALSE(IsInTravelRange(u, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_DOUBLE_EQ(ReportedMinTravel(u), -6);
    EXPECT_DOUBLE_EQ(ReportedMaxTravel(u), 4);
    EXPECT_DOUBLE_EQ(HomeInUnits(u), 1);
    EXPECT_DOUBLE_EQ(CountsToUnits(u, 5000), 2.5);
}

TEST(UnitsTest, RelativeBaseAndTargetAnswer) {
    const CorvaneAxisUnits u = Axis(1000, 1, -1, 0, 200);
    EXPECT_EQ(TargetBase(u, 1500), -1700);     // S x t - C
    EXPECT_EQ(CounterToBase(u, -1300), 1500);  // (k - C) x S
    EXPECT_DOUBLE_EQ(BaseToPosition(u, 1500), 1.5);
}

TEST(UnitsTest, CountsStayInsideTheirRange) {
    const CorvaneAxisUnits u = Axis(1000, 1, -1, INT_MAX, INT_MAX);
    EXPECT_EQ(PositionToTarget(u, 1e12), INT_MAX);
    EXPECT_EQ(SignedForBoard(u, INT_MIN), INT_MAX);
    EXPECT_EQ(AddCounts(INT_MIN, -1), INT_MIN);
    EXPECT_EQ(UnitsToCounts(u, std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
