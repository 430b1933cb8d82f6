// REF through the exported functions: the native lines of the search from either side of the
// reference switch and from inside a limit switch, the new home, the results and the refusals.
#include <cmath>

#include "tests/motion/reference/RefFixture.h"

namespace reftest {
namespace {

class ReferenceTest : public RefFixture {};

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(ReferenceTest, FromTheRightSideGoesLeftThenSearchesTheEdge) {
    RefStage stage;
    stage.valueAtReference = 12.5;
    Connect(ServoBoard(0, 2000), {stage});
    ASSERT_TRUE(Corvane_REF(id, "A")) << Corvane_GetError(id);
    ASSERT_TRUE(WaitForEnd());

    // reference velocity, left of the edge with FE1, the edge with FE0, new home, velocity again
    EXPECT_TRUE(Sent(0, {"TY", "SV20000", "FE1", "FE0", "DH,GH", "TP", "TT", "SV20000"}))
        << Shown(0);
    int result = -1;
    ZR_BOOL ok = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    ASSERT_TRUE(Corvane_IsReferenceOK(id, "A", &ok));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Corvane_GetError(id), 0);

    // the board's home is at the edge; the library's offset makes that point 12.5 units
    const auto board = sim->Snapshot(0);
    EXPECT_NEAR(board.physical, 0, 2);
    EXPECT_EQ(board.position, 0);
    EXPECT_EQ(board.target, 0);
    EXPECT_EQ(board.velocity, 20000);
    const auto& a = controller->m_AxisData[0];
    EXPECT_EQ(a.iCorvaneHomePosition, -12500);
    EXPECT_EQ(a.iAktHomePosition, 0);
    EXPECT_EQ(a.iTargetAbsolute, 0);
    EXPECT_TRUE(a.m_bTargetValid);
    const double position =
        (1 * board.position - a.iCorvaneHomePosition - a.iAktHomePosition) / a.m_dCountsPerUnit;
    EXPECT_DOUBLE_EQ(position, 12.5);
    double reported = 0;
    ASSERT_TRUE(Corvane_qPOS(id, "A", &reported)) << Corvane_GetError(id);
    EXPECT_DOUBLE_EQ(reported, 12.5);
}

TEST_F(ReferenceTest, FromTheLeftSideSearchesTheEdgeAtOnce) {
    Connect(ServoBoard(0, -2000), {RefStage()});
    ASSERT_TRUE(Corvane_REF(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_FALSE(Contains(Lines(0), "FE1")) << Shown(0);
    EXPECT_TRUE(Sent(0, {"SV20000", "FE0", "DH,GH"})) << Shown(0);
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 1);
    EXPECT_NEAR(sim->Snapshot(0).physical, 0, 2);
}

// With an inverted reference signal the left side is where the signal is high.
TEST_F(ReferenceTest, InvertedSignalTakesTheOtherSideAsLeft) {
    RefStage stage;
    stage.refInvert = 1;
    Connect(ServoBoard(0, 2000), {stage});
    ASSERT_TRUE(Corvane_REF(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_FALSE(Contains(Lines(0), "FE1")) << Shown(0);
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    // FE0 from the high side searches upwards and never meets the edge: the limit stops it
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_ON_LIMIT_SWITCH);
}

TEST_F(ReferenceTest, FromInsideThePositiveLimitMovesOutFirst) {
    Connect(ServoBoard(0, 2000), {RefStage()});
    sim->PlaceCarriage(0, 9500);
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_REF(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    // out against the switch at a tenth of the velocity, stopped once released, then the search
    EXPECT_TRUE(Sent(0, {"LF", "SM32000", "SV2000", "TT", "MR-100000", "TT", "AB1", "LN", "SM2000",
                         "SV20000", "FE1", "FE0", "DH,GH"}))
        << Shown(0);
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 1);
    EXPECT_NEAR(sim->Snapshot(0).physical, 0, 2);
}

TEST_F(ReferenceTest, ALimitReachedDuringTheSearchFailsWith216) {
    // the edge lies beyond the positive limit switch: the search runs into the switch
    Connect(ServoBoard(0, -2000, 9500), {RefStage()});
    ASSERT_TRUE(Corvane_REF(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(Sent(0, {"FE0"}));
    EXPECT_FALSE(Contains(Lines(0), "DH,GH")) << Shown(0);
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 0);
    ZR_BOOL ok = -1;
    ASSERT_TRUE(Corvane_IsReferenceOK(id, "A", &ok));
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_ON_LIMIT_SWITCH);
}

TEST_F(ReferenceTest, AnAxisWithoutReferenceSwitchIsSkipped) {
    RefStage stage;
    stage.spec.hatRef = 0;
    Connect(ServoBoard(0, 2000), {stage});
    controller->m_AxisData[0].m_bReferenced = true;  // kept as it is by a skip
    ASSERT_TRUE(Corvane_REF(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    int result = -1;
    ZR_BOOL ok = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    ASSERT_TRUE(Corvane_IsReferenceOK(id, "A", &ok));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Lines(0), std::vector<std::string>{"TY"});
    ZR_BOOL has = -1;
    ASSERT_TRUE(Corvane_qREF(id, "A", &has));
    EXPECT_EQ(has, 0);
}

TEST_F(ReferenceTest, TwoAxesOneAfterTheOther) {
    RefStage slow;
    slow.refVelocity = 4;  // 4000 counts per second: the first search lasts about a second
    Connect(ServoBoard(0, 4000) + ServoBoard(1, 3000), {slow, slow});
    ASSERT_TRUE(Corvane_REF(id, "AB"));
    ZR_BOOL each[2] = {-1, -1};
    ASSERT_TRUE(Corvane_IsReferencing(id, "AB", each));
    EXPECT_EQ(each[0], 1);
    EXPECT_EQ(each[1], 0);
    EXPECT_TRUE(Referencing());

    int results[2] = {-1, -1};
    ZR_BOOL ok[2] = {-1, -1};
    EXPECT_FALSE(Corvane_GetRefResult(id, "AB", results));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    EXPECT_FALSE(Corvane_IsReferenceOK(id, "AB", ok));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    EXPECT_FALSE(Corvane_INI(id, "A"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    ZR_BOOL has[2] = {-1, -1};
    EXPECT_TRUE(Corvane_qREF(id, "AB", has)) << "no busy check";

    ASSERT_TRUE(WaitUntil([&] {
        Corvane_IsReferencing(id, "AB", each);
        return each[1] == 1;
    }));
    EXPECT_EQ(each[0], 0);
    ASSERT_TRUE(WaitForEnd());
    ASSERT_TRUE(Corvane_GetRefResult(id, "AB", results));
    ASSERT_TRUE(Corvane_IsReferenceOK(id, "AB", ok));
    EXPECT_EQ(results[0], 1);
    EXPECT_EQ(results[1], 1);
    EXPECT_EQ(ok[0], 1);
    EXPECT_EQ(ok[1], 1);
    EXPECT_TRUE(Sent(1, {"TY", "SV4000", "FE1", "FE0", "DH,GH"})) << Shown(1);
}

// A second start while a procedure runs is refused and must not touch the running one's list:
// stopping it afterwards still reaches its axis.
TEST_F(ReferenceTest, ARefusedStartLeavesTheRunningProcedureAlone) {
    RefStage slow;
    slow.refVelocity = 2;
    Connect(ServoBoard(0, 4000) + ServoBoard(1, 3000), {slow, slow});
    ASSERT_TRUE(Corvane_REF(id, "A"));
    EXPECT_FALSE(Corvane_REF(id, "B"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    EXPECT_FALSE(Corvane_MPL(id, "AB"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    EXPECT_EQ(controller->m_iReferenceList[0], 0);
    EXPECT_EQ(controller->m_iReferenceList[1], -1);
    EXPECT_TRUE(controller->TerminateReferenceMove(0));
    ASSERT_TRUE(WaitForEnd());
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Lines(1).empty()) << Shown(1);
}

struct RefusalCase {
    const char* name;
    const char* axes;
    bool initialise;
    int error;
};

TEST_F(ReferenceTest, RefusalsBeforeAnyThread) {
    RefStage stage;
    Connect(ServoBoard(0, 2000) + ServoBoard(1, 2000), {stage, stage});
    controller->m_AxisData[1].m_bInitialised = false;
    const RefusalCase cases[] = {
        {"unknown axis", "Z", true, ZR_UNKNOWN_AXIS_IDENTIFIER},
        {"not initialised", "B", true, ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO},
        {"more than 16 axes", "AAAAAAAAAAAAAAAAA", true, ZR_INVALID_ARGUMENT},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Corvane_REF(id, c.axes));
        EXPECT_EQ(Corvane_GetError(id), c.error);
        EXPECT_FALSE(Referencing());
    }
    EXPECT_TRUE(Lines(0).empty()) << Shown(0);
    EXPECT_FALSE(Corvane_REF(-1, "A"));
}

TEST_F(ReferenceTest, ClosingDuringAReferenceMoveEndsTheThread) {
    RefStage slow;
    slow.refVelocity = 2;
    Connect(ServoBoard(0, 4000) + ServoBoard(1, 3000), {slow, slow});
    ASSERT_TRUE(Corvane_REF(id, "AB"));
    ASSERT_TRUE(Referencing());
    Corvane_CloseConnection(id);
    EXPECT_FALSE(Corvane_IsConnected(id));
    EXPECT_FALSE(Contains(Lines(1), "FE1")) << "the second axis never started: " << Shown(1);
    EXPECT_FALSE(Contains(Lines(1), "FE0")) << Shown(1);
    id = -1;
}

// The first procedure needs more than 3 s to get under way: the start gives up, tells the
// procedure to stop, and the thread winds up its list on its own.
TEST_F(ReferenceTest, AStartThatTimesOut) {
    RefStage stage;
    stage.refVelocity = 10;
    Connect(ServoBoard(0, 2000), {stage});
    sim->SetAnswerDelay(0, 1300ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Corvane_REF(id, "A"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2900ms);
    EXPECT_EQ(controller->LocalError(), 0) << "no error number for the time-out";
    EXPECT_TRUE(Referencing());
    sim->SetAnswerDelay(0, 0ms);
    ASSERT_TRUE(WaitForEnd());
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(controller->m_AxisData[0].m_bReferenced);
    EXPECT_FALSE(Contains(Lines(0), "DH,GH")) << Shown(0);
    // the velocity read at the start of the entry is set again, after the reference velocity
    EXPECT_TRUE(Sent(0, {"TY", "SV10000", "SV20000"})) << Shown(0);
}

TEST_F(ReferenceTest, AnswerLinesForTheCommandString) {
    RefStage none;
    none.spec.hatRef = 0;
    Connect(ServoBoard(0, -2000) + ServoBoard(1, 2000), {RefStage(), none});
    controller->RequestReferenceAnswers();
    ASSERT_TRUE(Corvane_REF(id, "AB"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(controller->Answers(), (std::vector<std::string>{"1\n", "0\n"}));
    // the flag is cleared at the end: the next start adds nothing
    ASSERT_TRUE(Corvane_REF(id, "B"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(controller->Answers().size(), 2u);
}

// The same search on a stepper board (R-210: three status bytes, its own bits).
TEST_F(ReferenceTest, OnAStepperBoard) {
    RefStage stage;
    stage.spec.stepper = true;
    stage.spec.cpuZ = 100;  // 1600 counts per unit on an R-210
    stage.refVelocity = 5;
    stage.valueAtReference = -2;
    Connect(
        "[board 0]\ntype = R-210\ntravel = -10000..10000\nneg-limit = -9000\npos-limit = 9000\n"
        "reference = 0\nposition = 3000\nvelocity = 40000\nacceleration = 800000\n",
        {stage});
    ASSERT_TRUE(Corvane_REF(id, "A")) << Corvane_GetError(id);
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(Sent(0, {"SV8000", "FE1", "FE0", "DH,GH", "SV32000"})) << Shown(0);
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(controller->m_AxisData[0].iCorvaneHomePosition, 3200);
    EXPECT_NEAR(sim->Snapshot(0).physical, 0, 2);
    EXPECT_EQ(sim->Snapshot(0).position, 0);
}

// A failing axis does not end the thread: its result is 0, the reason stays for GetError, and the
// next axis is referenced all the same.
TEST_F(ReferenceTest, AMotionErrorFailsOnlyItsAxis) {
    RefStage slow;
    slow.refVelocity = 2;
    Connect(ServoBoard(0, 4000) + ServoBoard(1, -2000), {slow, RefStage()});
    ASSERT_TRUE(Corvane_REF(id, "AB"));
    ASSERT_TRUE(sim->WaitForLine(0, "FE1", 10s));
    sim->InjectMotionError(0);
    ASSERT_TRUE(WaitForEnd());
    int results[2] = {-1, -1};
    ZR_BOOL ok[2] = {-1, -1};
    ASSERT_TRUE(Corvane_GetRefResult(id, "AB", results));
    ASSERT_TRUE(Corvane_IsReferenceOK(id, "AB", ok));
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(ok[0], 0);
    EXPECT_EQ(results[1], 1);
    EXPECT_EQ(ok[1], 1);
    EXPECT_EQ(Corvane_GetError(id), ZR_MOTION_ERROR);
    EXPECT_FALSE(ContainsInOrder(Lines(0), {"FE0"})) << Shown(0);
    EXPECT_TRUE(Sent(1, {"FE0", "DH,GH"})) << Shown(1);
}

}  // namespace
}  // namespace reftest
