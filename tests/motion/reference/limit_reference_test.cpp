// MPL and MNL through the exported functions: into the limit switch, out of it at a tenth of the
// velocity, the new home there; skipped axes.
#include "tests/motion/reference/RefFixture.h"

namespace reftest {
namespace {

class LimitReferenceTest : public RefFixture {};

struct LimitCase {
    const char* name;
    bool positive;           // MPL, else MNL
    int invert;              // ZR_PARA_MOT_INVERT
    const char* searchLine;  // the move into the switch
    const char* leaveLine;   // the move out of it
    bool boardPositiveSwitch;
    int home;  // iCorvaneHomePosition afterwards
};

const LimitCase kLimitCases[] = {
    {"MPL", true, 1, "MR40000", "MR-100000", true, -10000},
    {"MNL", false, 1, "MR-40000", "MR100000", false, 10000},
    {"MPL inverted", true, -1, "MR-40000", "MR100000", false, 10000},
    {"MNL inverted", false, -1, "MR40000", "MR-100000", true, -10000},
};

TEST_F(LimitReferenceTest, IntoTheSwitchAndBackOut) {
    for (const LimitCase& c : kLimitCases) {
        SCOPED_TRACE(c.name);
        RefStage stage;
        stage.spec.invert = c.invert;
        Connect(ServoBoard(0, 2000), {stage});
        ASSERT_TRUE(c.positive ? Corvane_MPL(id, "A") : Corvane_MNL(id, "A"))
            << Corvane_GetError(id);
        ASSERT_TRUE(WaitForEnd());
        EXPECT_TRUE(
            Sent(0, {"TY", "SV20000", c.searchLine, "AB1", "LF", "SM32000", "SV2000", c.leaveLine,
                     "AB1", "LN", "SM2000", "MN", "DH", "TP", "TT", "SV20000"}))
            << Shown(0);
        int result = -1;
        ZR_BOOL ok = -1;
        ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
        ASSERT_TRUE(Corvane_IsReferenceOK(id, "A", &ok));
        EXPECT_EQ(result, 1);
        EXPECT_EQ(ok, 1);
        EXPECT_EQ(Corvane_GetError(id), 0);
        const auto board = sim->Snapshot(0);
        // just inside the switch's edge, with the new home there
        if (c.boardPositiveSwitch) {
            EXPECT_LT(board.physical, 9000);
            EXPECT_GT(board.physical, 8800);
        } else {
            EXPECT_GT(board.physical, -9000);
            EXPECT_LT(board.physical, -8800);
        }
        EXPECT_FALSE(board.posLimit || board.negLimit);
        EXPECT_EQ(board.position, 0);
        EXPECT_EQ(board.velocity, 20000);
        const auto& a = controller->m_AxisData[0];
        EXPECT_EQ(a.iCorvaneHomePosition, c.home);
        EXPECT_EQ(a.iAktHomePosition, 0);
        EXPECT_EQ(a.iTargetAbsolute, 0);
        EXPECT_TRUE(a.m_bTargetValid);
        TearDown();
        id = -1;
    }
}

struct SkipCase {
    const char* name;
    int radial;
    int noLimitSwitch;
};

TEST_F(LimitReferenceTest, RadialAxesAndAxesWithoutSwitchesAreSkipped) {
    const SkipCase cases[] = {{"radial", 1, 0}, {"no limit switches", 0, 1}};
    for (const SkipCase& c : cases) {
        SCOPED_TRACE(c.name);
        RefStage stage;
        stage.spec.radial = c.radial;
        stage.spec.noLimitSwitch = c.noLimitSwitch;
        Connect(ServoBoard(0, 2000), {stage});
        controller->m_AxisData[0].m_bReferenced = false;
        ASSERT_TRUE(Corvane_MNL(id, "A"));
        ASSERT_TRUE(WaitForEnd());
        EXPECT_EQ(Lines(0), std::vector<std::string>{"TY"});
        int result = -1;
        ZR_BOOL ok = -1;
        ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
        ASSERT_TRUE(Corvane_IsReferenceOK(id, "A", &ok));
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ok, 0) << "kept as it was";
        TearDown();
        id = -1;
    }
}

// A velocity of 0 would never reach the switch.
TEST_F(LimitReferenceTest, NoVelocityFails) {
    RefStage stage;
    Connect(ServoBoard(0, 2000), {stage});
    controller->m_ParameterSet[0].Set(StageFields::kMotCurrentVel73, 0.0);
    ASSERT_TRUE(Corvane_MPL(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Lines(0), std::vector<std::string>{"TY"});
}

TEST_F(LimitReferenceTest, MotorOffFailsWith5) {
    Connect(ServoBoard(0, 2000), {RefStage()});
    (void)controller->m_Axes.Select(0);
    (void)controller->SendCommand("MF");
    ASSERT_TRUE(Corvane_MPL(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO);
}

}  // namespace
}  // namespace reftest
