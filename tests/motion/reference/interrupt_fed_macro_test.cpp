// Interrupting a reference procedure (the way HLT and STP do it), FED, and REF while a macro is
// being recorded.
#include "tests/motion/reference/RefFixture.h"

namespace reftest {
namespace {

class InterruptTest : public RefFixture {
  protected:
    // Two axes whose searches take a while, the second one under way.
    void StartSecondAxis() {
        RefStage slow;
        slow.refVelocity = 2;  // 2000 counts per second against 20000 for the axis velocity
        slow.spec.velocity = 20;
        Connect(ServoBoard(0, -200) + ServoBoard(1, 4000), {slow, slow});
        ASSERT_TRUE(Corvane_REF(id, "AB"));
        ZR_BOOL each[2] = {0, 0};
        ASSERT_TRUE(WaitUntil([&] {
            Corvane_IsReferencing(id, "AB", each);
            return each[1] == 1;
        }));
        ASSERT_TRUE(sim->WaitForLine(1, "FE1", 10s)) << Shown(1);
    }
    void ExpectSecondAxisInterrupted() {
        ASSERT_TRUE(WaitForEnd());
        int results[2] = {-1, -1};
        ZR_BOOL ok[2] = {-1, -1};
        ASSERT_TRUE(Corvane_GetRefResult(id, "AB", results));
        ASSERT_TRUE(Corvane_IsReferenceOK(id, "AB", ok));
        EXPECT_EQ(results[0], 1);
        EXPECT_EQ(ok[0], 1);
        EXPECT_EQ(results[1], 0);
        EXPECT_EQ(ok[1], 0);
        // the velocity read at the start of the entry replaces the reference velocity
        EXPECT_TRUE(Sent(1, {"TY", "SV2000", "FE1", "SV20000"})) << Shown(1);
        EXPECT_FALSE(ContainsInOrder(Lines(1), {"FE0"})) << Shown(1);
        EXPECT_EQ(sim->Snapshot(1).velocity, 20000);
    }
};

TEST_F(InterruptTest, StpDuringTheSecondAxis) {
    StartSecondAxis();
    EXPECT_TRUE(Corvane_STP(id));
    ExpectSecondAxisInterrupted();
    EXPECT_TRUE(Sent(1, {"FE1", "AB"})) << Shown(1);
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_STOPPED_BY_COMMAND);
}

TEST_F(InterruptTest, HltOfTheSecondAxis) {
    StartSecondAxis();
    EXPECT_TRUE(Corvane_HLT(id, "B"));
    ExpectSecondAxisInterrupted();
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_STOPPED_BY_COMMAND);
}

// What HLT and STP call: only the list positions of the procedure are signalled.
TEST_F(InterruptTest, TheStopSeamSignalsListedAxesOnly) {
    StartSecondAxis();
    EXPECT_FALSE(controller->TerminateReferenceMove(5)) << "not in the list";
    EXPECT_FALSE(controller->TerminateReferenceMove(-1));
    EXPECT_TRUE(Referencing());
    EXPECT_TRUE(controller->TerminateReferenceMove(1));
    ExpectSecondAxisInterrupted();
}

// The list stays after the thread has ended; a late signal is harmless, because the next start
// resets every terminate event.
TEST_F(InterruptTest, AStaleSignalDoesNotStopTheNextStart) {
    Connect(ServoBoard(0, -2000), {RefStage()});
    EXPECT_FALSE(controller->TerminateReferenceMoves()) << "no thread was ever started";
    ASSERT_TRUE(Corvane_REF(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(controller->TerminateReferenceMoves());
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_REF(id, "A"));
    ASSERT_TRUE(WaitForEnd());
    int result = -1;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Sent(0, {"FE0", "DH,GH"})) << Shown(0);
}

// A controller deleted outright, not through the controller table, while its procedure runs:
// the thread is ended and waited for before the controller's parts go.
TEST_F(InterruptTest, DeletingAControllerEndsItsThreadFirst) {
    RefStage slow;
    slow.refVelocity = 2;
    Connect(ServoBoard(0, 4000) + ServoBoard(1, 3000), {slow, slow}, false);
    ASSERT_TRUE(controller->REF("AB"));
    ZR_BOOL flag = 0;
    ASSERT_TRUE(controller->IsReferencing("", &flag));
    EXPECT_EQ(flag, 1);
    owned.reset();
    controller = nullptr;
    EXPECT_FALSE(ContainsInOrder(Lines(1), {"FE1"})) << Shown(1);
}

class FedTest : public RefFixture {};

TEST_F(FedTest, EdgeIdThreeStartsTheBoardsSearchAndReturns) {
    RefStage slow;
    slow.spec.velocity = 2;  // the boards search at 2000 counts per second
    Connect(ServoBoard(0, 4000) + ServoBoard(1, -4000), {slow, slow});
    const int ids[2] = {3, 3};
    const int params[2] = {0, 0};
    ASSERT_TRUE(Corvane_FED(id, "AB", ids, params));
    ASSERT_TRUE(sim->WaitForLine(1, "FE2", 10s));
    EXPECT_TRUE(sim->Snapshot(1).findingEdge) << "returned while the search runs";
    EXPECT_EQ(Lines(0), std::vector<std::string>{"FE2"});
    EXPECT_EQ(Lines(1), std::vector<std::string>{"FE2"});
    EXPECT_FALSE(Referencing());
    // the search ends at the edge from either side
    for (int b : {0, 1})
        EXPECT_TRUE(sim->WaitFor(
            b, [](const auto& s) { return !s.findingEdge && !s.moving; }, 10s));
    EXPECT_NEAR(sim->Snapshot(0).physical, 0, 2);
    EXPECT_NEAR(sim->Snapshot(1).physical, 0, 2);
}

TEST_F(FedTest, OtherEdgeIdsAreRefused) {
    Connect(ServoBoard(0, 4000) + ServoBoard(1, -4000), {RefStage(), RefStage()});
    const int ids[2] = {3, 2};
    EXPECT_FALSE(Corvane_FED(id, "AB", ids, nullptr));
    EXPECT_EQ(controller->ControllerError(), ZR_INVALID_ARGUMENT);
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
    EXPECT_TRUE(Lines(0).empty()) << Shown(0);
    EXPECT_TRUE(Lines(1).empty()) << Shown(1);
    EXPECT_FALSE(Corvane_FED(id, "A", nullptr, nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
}

class MacroTest : public RefFixture {};

TEST_F(MacroTest, TheRecordedLineOfAReference) {
    RefStage stage;
    stage.refVelocity = 2.5;
    stage.maxTravel = 100;
    stage.absNegRef = 4;
    stage.spec.velocity = 10;
    RefStage inverted = stage;
    inverted.refInvert = 1;
    inverted.absNegRef = 20;  // a tenth of the travel is less
    Connect(ServoBoard(0, 2000) + ServoBoard(1, 2000), {stage, inverted});
    EXPECT_EQ(controller->MakeRefMacroLine(0), "SV2500,FE2,WS,MR-4000,WS,FE,WS,SV10000");
    EXPECT_EQ(controller->MakeRefMacroLine(1), "SV2500,FE3,WS,MR-10000,WS,FE,WS,SV10000");
    controller->m_AxisData[1].m_bInitialised = false;
    EXPECT_EQ(controller->MakeRefMacroLine(1), "");
    EXPECT_EQ(controller->MakeRefMacroLine(99), "");
}

TEST_F(MacroTest, RefWhileRecordingStoresTheLine) {
    RefStage stage;
    stage.refVelocity = 2.5;
    stage.maxTravel = 100;
    stage.spec.velocity = 10;
    RefStage none = stage;
    none.spec.hatRef = 0;
    Connect(ServoBoard(0, 2000) + ServoBoard(1, 2000), {stage, none});
    ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC7"));
    ASSERT_TRUE(Corvane_REF(id, "a"));
    EXPECT_EQ(controller->m_strMacroLine, "MD7,SV2500,FE2,WS,MR-4000,WS,FE,WS,SV10000");
    EXPECT_FALSE(Referencing());
    EXPECT_TRUE(Lines(0).empty()) << Shown(0);

    EXPECT_FALSE(Corvane_REF(id, "AB"));
    EXPECT_EQ(controller->LocalError(), ZR_CNTR_MACRO_RECORD_ERROR);
    EXPECT_FALSE(Corvane_MAC_END(id));  // the refused REF keeps the macro from the board
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MACRO_RECORD_ERROR);
    ASSERT_TRUE(Corvane_MAC_BEG(id, "BMC1"));
    EXPECT_FALSE(Corvane_REF(id, "B")) << "no reference switch";
    EXPECT_EQ(controller->LocalError(), ZR_CNTR_MACRO_RECORD_ERROR);

    for (auto start : {&Corvane_MPL, &Corvane_MNL}) {
        EXPECT_FALSE(start(id, "B"));
        EXPECT_EQ(controller->LocalError(), ZR_IN_MACRO_MODE);
    }
    const int ids[1] = {3};
    EXPECT_FALSE(Corvane_FED(id, "B", ids, nullptr));
    EXPECT_EQ(controller->LocalError(), ZR_IN_MACRO_MODE);
    ZR_BOOL has = -1;
    EXPECT_FALSE(Corvane_qREF(id, "A", &has));
    EXPECT_EQ(controller->LocalError(), ZR_IN_MACRO_MODE);
    EXPECT_FALSE(Corvane_MAC_END(id));
    EXPECT_EQ(Corvane_GetError(id), ZR_IN_MACRO_MODE);
    EXPECT_TRUE(Lines(0).empty()) << Shown(0);
    EXPECT_TRUE(Lines(1).empty()) << Shown(1);
}

}  // namespace
}  // namespace reftest
