// INI: the native lines for each board type, its refusals, an axis standing in its limit switch,
// and recording into a macro.
#include <algorithm>

#include "tests/motion/controller/ControllerFixture.h"

namespace {

class IniTest : public ControllerFixture {
  protected:
    // R-220 at 0 and 1 (limits at +-9000), R-210 at 2 with active-low limit switches.
    void SetUp() override {
        ControllerFixture::SetUp();
        if (IsSkipped()) return;
        Connect(std::string(kServoAt0) +
                    "[board 1]\ntype = R-220\n"
                    "[board 2]\ntype = R-210\nlimit-level = low\nvelocity = 20000\n",
                3);
        ASSERT_EQ(controller->LocalError(), 0);
        sim->ClearTranscript();
    }
    StageRecipe Stepper() {
        StageRecipe s;
        s.stepper = true;
        s.cpuZ = 100;
        s.limitMode = 3;
        return s;
    }
};

TEST_F(IniTest, LinesOfAnR220Axis) {
    Apply(0, StageRecipe());
    ASSERT_TRUE(controller->INI("A")) << controller->LocalError();
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"JF", "JC", "LN", "LH", "BF", "DP200", "DI10",
                                                  "%", "DD500", "SM2000", "DL2000", "MN", "SV10000",
                                                  "SA100000", "AB1", "%", "SV10000", "%"}));
    const auto& a = controller->m_AxisData[0];
    EXPECT_TRUE(a.m_bInitialised);
    EXPECT_FALSE(a.m_bReferenced);
    EXPECT_TRUE(a.m_bReferenceModeOn);
    EXPECT_EQ(a.m_iServoState, 1);
    EXPECT_FALSE(controller->Board(0).m_bJoystickActive);
    EXPECT_EQ(controller->Board(0).m_ucLimitPolarity, 0);
    auto b = sim->Snapshot(0);
    EXPECT_TRUE(b.servoOn);
    EXPECT_EQ(b.velocity, 10000);
    EXPECT_EQ(b.acceleration, 100000);
}

TEST_F(IniTest, LinesOfAnR210Axis) {
    Apply(2, Stepper());
    ASSERT_TRUE(controller->INI("c")) << controller->LocalError();
    EXPECT_EQ(Lines(2), (std::vector<std::string>{"JF", "JC", "LL", "BF", "DC5", "HC3", "HT7", "MN",
                                                  "SV16000", "SA160000", "%", "SV16000", "%"}));
    EXPECT_EQ(controller->Board(2).m_ucLimitPolarity, 0x05);
    EXPECT_TRUE(controller->m_AxisData[2].m_bInitialised);
}

TEST_F(IniTest, StageWithoutSwitchesAndRotaryStage) {
    StageRecipe s;
    s.noLimitSwitch = 1;
    s.hatRef = 0;
    s.radial = 1;
    s.invert = -1;
    s.acceleration = 0.01;  // 10 counts: clamped to the board's minimum
    controller->m_AxisData[1].m_iBrakeEngaged = 1;
    Apply(1, s);  // releases the brake
    ASSERT_TRUE(controller->INI("B")) << controller->LocalError();
    EXPECT_EQ(Lines(1), (std::vector<std::string>{"JF", "JC", "LF", "BF", "DP200", "DI10", "%",
                                                  "DD500", "SM2000", "DL2000", "MN", "SV10000",
                                                  "SA200", "TP", "AB1", "%"}));
    const auto& a = controller->m_AxisData[1];
    EXPECT_TRUE(a.m_bReferenced);  // rotary without reference switch
    EXPECT_EQ(a.iAktHomePosition, -sim->Snapshot(1).position);
    EXPECT_FALSE(a.m_bReferenceModeOn);
    EXPECT_TRUE(a.m_bInitialised);
}

TEST_F(IniTest, BrakeEngagedSendsBN) {
    StageRecipe s;
    s.noLimitSwitch = 1;
    Apply(0, s);
    controller->m_AxisData[0].m_iBrakeEngaged = 1;
    ASSERT_TRUE(controller->INI("A"));
    auto lines = Lines(0);
    EXPECT_TRUE(ContainsInOrder(lines, {"JC", "LN", "BN", "DP200"})) << JoinLines(lines);
}

TEST_F(IniTest, ClearsHomeTargetAndReferenceResult) {
    Apply(0, StageRecipe());
    auto& a = controller->m_AxisData[0];
    a.iAktHomePosition = 5;
    a.iCorvaneHomePosition = 6;
    a.m_bTargetValid = true;
    a.m_bReferenced = true;
    controller->m_iRefResult[0] = 1;
    ASSERT_TRUE(controller->INI("A"));
    EXPECT_EQ(a.iAktHomePosition, 0);
    EXPECT_EQ(a.iCorvaneHomePosition, 0);
    EXPECT_FALSE(a.m_bTargetValid);
    EXPECT_FALSE(a.m_bReferenced);
    EXPECT_EQ(controller->m_iRefResult[0], 0);
}

TEST_F(IniTest, Refusals) {
    Apply(0, StageRecipe());
    EXPECT_FALSE(controller->INI("B"));  // no stage
    EXPECT_EQ(controller->GetError(), ZR_CNTR_INVALID_STAGE_NAME);
    EXPECT_FALSE(controller->INI("Z"));
    EXPECT_EQ(controller->GetError(), ZR_UNKNOWN_AXIS_IDENTIFIER);
    controller->m_IsReferencing = 1;
    EXPECT_FALSE(controller->INI("A"));
    EXPECT_EQ(controller->GetError(), ZR_CONTROLLER_BUSY);
    controller->m_IsReferencing = 0;
    EXPECT_TRUE(Lines(0).empty());
    EXPECT_TRUE(Lines(1).empty());
}

// A repeated identifier costs nothing more; a list longer than the chain is refused before any
// board hears of it, so a long string cannot keep the caller for minutes.
TEST_F(IniTest, EachAxisOnceAndAtMostSixteen) {
    Apply(0, StageRecipe());
    ASSERT_TRUE(controller->INI("A")) << controller->LocalError();
    const std::vector<std::string> once = Lines(0);
    sim->ClearTranscript();
    ASSERT_TRUE(controller->INI("AaA")) << controller->LocalError();
    EXPECT_EQ(Lines(0), once);
    sim->ClearTranscript();

    EXPECT_FALSE(controller->INI(std::string(17, 'A').c_str()));
    EXPECT_EQ(controller->GetError(), ZR_INVALID_ARGUMENT);
    EXPECT_FALSE(controller->INI(std::string(100000, 'A').c_str()));
    EXPECT_EQ(controller->GetError(), ZR_INVALID_ARGUMENT);
    EXPECT_TRUE(Lines(0).empty());
}

TEST_F(IniTest, EmptyStringTakesTheAxesWithAStage) {
    EXPECT_FALSE(controller->INI(""));
    EXPECT_EQ(controller->GetError(), ZR_CNTR_NO_STAGE_CONNECTED);
    StageRecipe s;
    s.noLimitSwitch = 1;
    Apply(0, s);
    Apply(2, Stepper());
    ASSERT_TRUE(controller->INI(nullptr)) << controller->LocalError();
    EXPECT_TRUE(controller->m_AxisData[0].m_bInitialised);
    EXPECT_FALSE(controller->m_AxisData[1].m_bInitialised);
    EXPECT_TRUE(controller->m_AxisData[2].m_bInitialised);
    EXPECT_TRUE(Lines(1).empty());
}

TEST_F(IniTest, FailingLineStopsTheRemainingAxes) {
    SetTimeout(300);
    StageRecipe s;
    s.noLimitSwitch = 1;
    Apply(0, s);
    Apply(1, s);
    Apply(2, Stepper());
    sim->DropAnswers(1, 3);  // board 1 does not answer its status
    EXPECT_FALSE(controller->INI("ABC"));
    EXPECT_EQ(controller->GetError(), COM_TIMEOUT);
    EXPECT_TRUE(controller->m_AxisData[0].m_bInitialised);
    EXPECT_FALSE(controller->m_AxisData[1].m_bInitialised);
    EXPECT_FALSE(controller->m_AxisData[2].m_bInitialised);
    EXPECT_EQ(Lines(1),
              (std::vector<std::string>{"JF", "JC", "LN", "BF", "DP200", "DI10", "%", "%", "%"}));
    EXPECT_TRUE(Lines(2).empty());
}

TEST_F(IniTest, AxisStandingInItsPositiveLimitSwitch) {
    sim->PlaceCarriage(0, 9500);
    ASSERT_TRUE(sim->Snapshot(0).posLimit);
    Apply(0, StageRecipe());
    ASSERT_TRUE(controller->INI("A")) << controller->LocalError();
    auto lines = Lines(0);
    EXPECT_TRUE(ContainsInOrder(
        lines,
        {"AB1", "%",  "LF", "SM32000", "SV1000", "TT", "MR-100000", "TT",     "TP",      "TT", "%",
         "AB1", "TP", "TT", "%",       "TP",     "TT", "LN",        "SM2000", "SV10000", "%"}))
        << JoinLines(lines);
    auto b = sim->Snapshot(0);
    EXPECT_FALSE(b.posLimit);
    EXPECT_FALSE(b.moving);
    EXPECT_LT(b.physical, 9000);
    EXPECT_GT(b.physical, 8000);  // stopped soon after the switch let go
    EXPECT_TRUE(b.limitsEnabled);
    EXPECT_EQ(b.velocity, 10000);
    EXPECT_TRUE(controller->m_AxisData[0].m_bInitialised);
}

TEST_F(IniTest, R210StandingInItsNegativeLimitSwitch) {
    sim->PlaceCarriage(2, -96000);
    ASSERT_TRUE(sim->Snapshot(2).negLimit == false);  // active low: the line drops
    StageRecipe s = Stepper();
    s.velocity = 100;  // 160000 counts per second, a tenth of it to leave the switch
    Apply(2, s);
    ASSERT_TRUE(controller->INI("C")) << controller->LocalError();
    auto lines = Lines(2);
    EXPECT_TRUE(ContainsInOrder(lines, {"SV16000", "TT", "MR100000", "TT", "AB1", "SV160000"}))
        << JoinLines(lines);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "LF"), 0);  // no limit commands
    EXPECT_GT(sim->Snapshot(2).physical, -95000);
}

TEST_F(IniTest, RecordingAMacroKeepsTheLinesOffTheWire) {
    Apply(0, StageRecipe());
    Apply(1, StageRecipe());
    ASSERT_TRUE(controller->MAC_BEG("AMC1"));
    EXPECT_FALSE(controller->INI("B"));
    EXPECT_EQ(controller->GetError(), ZR_CNTR_MACRO_RECORD_ERROR);
    EXPECT_FALSE(controller->INI("AB"));
    EXPECT_EQ(controller->GetError(), ZR_CNTR_MACRO_RECORD_ERROR);

    ASSERT_TRUE(controller->INI("A"));
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"%", "%"}));  // only the status queries
    EXPECT_EQ(controller->m_strMacroLine,
              "MD1,JF,JC,LN,LH,BF,DP200,DI10,DD500,SM2000,DL2000,MN,SV10000,SA100000,AB1");
    EXPECT_EQ(controller->m_iMacroCommandCount, 14);
    EXPECT_FALSE(controller->m_AxisData[0].m_bInitialised);  // nothing happened yet

    // the board keeps at most 16 commands per macro
    EXPECT_EQ(0, controller->SendCommand("WS,WA5"));
    EXPECT_EQ(controller->m_iMacroCommandCount, 16);
    EXPECT_EQ(0, controller->SendCommand("MN"));
    EXPECT_EQ(controller->GetError(), ZR_CNTR_MACRO_MEMORY_FULL);
    EXPECT_EQ(controller->m_iMacroCommandCount, 16);
    // the full macro is stored as it stands
    ASSERT_TRUE(controller->MAC_END()) << controller->GetError();
    const std::string stored =
        "MD1,JF,JC,LN,LH,BF,DP200,DI10,DD500,SM2000,DL2000,MN,SV10000,SA100000,AB1,WS,WA5";
    EXPECT_TRUE(sim->WaitForLine(0, stored, std::chrono::seconds(5))) << JoinLines(Lines(0));
    EXPECT_FALSE(controller->MacroRecordingActive());
}

TEST_F(IniTest, LeavingTheSwitchFailsWhenTheBoardDoesNotMove) {
    // the motor is still off: the board refuses the move and its target stays
    sim->PlaceCarriage(0, 9500);
    Apply(0, StageRecipe());
    (void)controller->m_Axes.Select(0);
    EXPECT_FALSE(controller->MoveOutOfLimitCondition(0, nullptr, nullptr));
    EXPECT_EQ(controller->LocalError(), COM_ERROR);
    auto lines = Lines(0);
    EXPECT_TRUE(ContainsInOrder(lines, {"%", "LF", "SM32000", "SV1000", "TT", "MR-100000", "TT"}))
        << JoinLines(lines);
    EXPECT_EQ(lines.back(), "TT");
}

TEST_F(IniTest, LeavingTheSwitchStopsOnAMotionError) {
    sim->PlaceCarriage(0, 9500);
    StageRecipe s;
    s.velocity = 1000;  // a tenth of it, 100000 counts per second, soon exceeds the error limit
    Apply(0, s);
    (void)controller->m_Axes.Select(0);
    (void)controller->SendCommand("MN");
    sim->SetStalled(0, true);
    winport::Event started(true, false);
    bool startedFlag = false;
    EXPECT_FALSE(controller->MoveOutOfLimitCondition(0, &started, &startedFlag));
    EXPECT_EQ(controller->LocalError(), ZR_MOTION_ERROR);
    EXPECT_TRUE(started.IsSet());  // the move had begun
    EXPECT_TRUE(startedFlag);
    EXPECT_TRUE(sim->Snapshot(0).motionError);
}

TEST_F(IniTest, NoSwitchActiveLeavesTheAxisAlone) {
    Apply(0, StageRecipe());
    (void)controller->m_Axes.Select(0);
    winport::Event started(true, false);
    bool startedFlag = false;
    EXPECT_TRUE(controller->MoveOutOfLimitCondition(0, &started, &startedFlag));
    EXPECT_FALSE(started.IsSet());
    EXPECT_FALSE(startedFlag);
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"%"}));
    // both switches at once (a wiring fault) count as none
    controller->Board(0).m_ucLimitPolarity = 0x0C;
    EXPECT_TRUE(controller->MoveOutOfLimitCondition(0, nullptr, nullptr));
    // a controller error found by the status read ends it at once
    controller->Board(0).m_ucLimitPolarity = 0;
    sim->SetErrorCode(0, 4);
    EXPECT_FALSE(controller->MoveOutOfLimitCondition(0, nullptr, nullptr));
    EXPECT_EQ(controller->ControllerError(), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
}

}  // namespace
