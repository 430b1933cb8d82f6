// The motion profile in simulated time: exact and independent of the machine's load.
#include <gtest/gtest.h>

#include <cmath>

#include "simulators/corvane/Drive.h"

namespace {

using corvane_sim::BoardConfig;
using corvane_sim::BoardType;
using corvane_sim::Drive;

BoardConfig Servo() {
    BoardConfig c;
    c.type = BoardType::R220;
    c.travelMin = -100000;
    c.travelMax = 100000;
    c.negLimit = -95000;
    c.posLimit = 95000;
    c.reference = 0;
    c.position = 0;
    c.velocity = 20000;
    c.acceleration = 100000;
    c.maxPositionError = 0;
    c.servoOn = true;
    return c;
}

struct Travel {
    double seconds = 0;
    double fastest = 0;
};

Travel RunToEnd(Drive& d, double limit = 10) {
    Travel r;
    while (d.Moving() && r.seconds < limit) {
        d.Step(0.001);
        r.seconds += 0.001;
        r.fastest = std::max(r.fastest, std::fabs(d.CurrentSpeed()));
    }
    return r;
}

TEST(CorvaneSimDriveTest, TrapezoidalProfile) {
    Drive d(Servo());
    ASSERT_TRUE(d.MoveBy(8000));
    Travel r = RunToEnd(d);
    // 0.2 s up to 20000 counts/s, 4000 counts at full speed, 0.2 s down
    EXPECT_NEAR(r.seconds, 0.6, 0.01);
    EXPECT_NEAR(r.fastest, 20000, 1);
    EXPECT_LE(r.fastest, 20000);
    EXPECT_EQ(d.Counter(), 8000);
    EXPECT_EQ(d.Target(), 8000);
}

TEST(CorvaneSimDriveTest, ShortMoveIsATriangle) {
    Drive d(Servo());
    ASSERT_TRUE(d.MoveTo(-1000));
    Travel r = RunToEnd(d);
    EXPECT_NEAR(r.seconds, 2 * std::sqrt(1000.0 / 100000), 0.01);
    EXPECT_LT(r.fastest, 20000);
    EXPECT_EQ(d.Counter(), -1000);
}

TEST(CorvaneSimDriveTest, NewTargetWhileMovingTurnsBack) {
    Drive d(Servo());
    d.MoveTo(50000);
    for (int i = 0; i < 300; ++i) d.Step(0.001);
    d.MoveTo(0);
    RunToEnd(d);
    EXPECT_EQ(d.Counter(), 0);
    EXPECT_GT(d.Physical(), -0.5);
}

TEST(CorvaneSimDriveTest, EdgeSearchComesBackToTheEdge) {
    BoardConfig c = Servo();
    c.position = -5000;
    Drive d(c);
    ASSERT_TRUE(d.FindEdge(+1));
    EXPECT_TRUE(d.FindingEdge());
    RunToEnd(d);
    EXPECT_FALSE(d.FindingEdge());
    EXPECT_EQ(d.Counter(), 0);
    EXPECT_TRUE(d.ReferenceLine());
}

TEST(CorvaneSimDriveTest, StepperCountsStepsEvenWhenBlocked) {
    BoardConfig c = Servo();
    c.type = BoardType::R210;
    Drive d(c);
    d.SetStalled(true);
    d.MoveBy(3000);
    RunToEnd(d);
    EXPECT_EQ(d.Counter(), 3000);
    EXPECT_DOUBLE_EQ(d.Physical(), 0);
    EXPECT_FALSE(d.MotionError()) << "a stepper cannot tell";
}

TEST(CorvaneSimDriveTest, ZeroVelocityNeverArrives) {
    BoardConfig c = Servo();
    c.velocity = 0;
    Drive d(c);
    d.MoveBy(100);
    RunToEnd(d, 0.5);
    EXPECT_TRUE(d.Moving());
    EXPECT_EQ(d.Counter(), 0);
    d.Stop();
    EXPECT_FALSE(d.Moving());
}

TEST(CorvaneSimDriveTest, DefineHomeShiftsCounterAndTarget) {
    BoardConfig c = Servo();
    c.position = 4321;
    Drive d(c);
    d.DefineHome();
    EXPECT_EQ(d.Counter(), 0);
    EXPECT_EQ(d.Target(), 0);
    d.MoveTo(-21);
    RunToEnd(d);
    EXPECT_DOUBLE_EQ(d.Physical(), 4300);
}

}  // namespace
