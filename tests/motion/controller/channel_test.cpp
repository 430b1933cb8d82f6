// The native channel over a pseudo-terminal: selection, command lines, queries with their retries,
// status bytes and the errors they carry.
#include <algorithm>
#include <cstring>
#include <thread>

#include "tests/motion/controller/ControllerFixture.h"

namespace {

class ChannelTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        if (IsSkipped()) return;
        Connect(std::string(kServoAt0) + "[board 1]\ntype = R-210\n", 2);
        ASSERT_EQ(controller->LocalError(), 0);
        sim->ClearTranscript();
    }
    // Waits until the board has sent an answer starting with the letter.
    bool WaitAnswer(int address, char letter) {
        for (int i = 0; i < 500; ++i) {
            for (const auto& a : sim->Sent(address))
                if (!a.text.empty() && a.text[0] == letter) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
};

TEST_F(ChannelTest, SelectSendsOnlyWhenTheBoardChanges) {
    auto& axes = controller->m_Axes;
    EXPECT_EQ(0, axes.Select(0));
    EXPECT_EQ(0, axes.Select(1));
    EXPECT_EQ(axes.GetCurrentIndex(), 1);
    EXPECT_EQ(0, axes.Select(1));  // current: nothing on the wire
    EXPECT_EQ(0, axes.Select(1, true));
    EXPECT_EQ(0, controller->SendCommand("SV100"));
    ASSERT_TRUE(sim->WaitForLine(1, "SV100", 5s));
    EXPECT_EQ(sim->ReceivedText(1), std::string("\x01"
                                                "1\x01"
                                                "1SV100\r"));
    EXPECT_EQ(sim->ReceivedText(0), std::string("\x01"
                                                "0"));

    EXPECT_EQ(0, axes.Select(&controller->Board(0)));
    EXPECT_EQ(axes.GetCurrent(), &controller->Board(0));
    CCorvaneAxis stranger(0);
    EXPECT_EQ(COM_ERROR, axes.Select(&stranger));
    EXPECT_EQ(COM_ERROR, axes.Select(16));
    EXPECT_EQ(axes.GetCurrentIndex(), 0);
}

TEST_F(ChannelTest, CommandLinesGoToTheSelectedBoard) {
    (void)controller->m_Axes.Select(0);
    EXPECT_EQ(0, controller->SendCommand("SV1,ST,SV0"));
    EXPECT_EQ(0, controller->SendCommand(controller->MakeAccelerationCommand(50)));
    EXPECT_EQ(0, controller->SendCommand(controller->MakeAccelerationCommand(20000000)));
    ASSERT_TRUE(sim->WaitForLine(0, "SA9999999", 5s));
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"SV1,ST,SV0", "SA200", "SA9999999"}));
}

TEST_F(ChannelTest, QueryReturnsTheTrimmedAnswer) {
    (void)controller->m_Axes.Select(0);
    const char* answer = controller->ReadCorvane("TP", 0, 'P', 1);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "P:2000");
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"TP"}));
}

TEST_F(ChannelTest, StatusOfBothBoardTypes) {
    uint8_t s[kMaxStatusBytes];
    (void)controller->m_Axes.Select(0);
    ASSERT_TRUE(controller->ReadCorvaneStatus(s));
    EXPECT_EQ(s[0], 0x84);  // motor off, trajectory complete
    (void)controller->m_Axes.Select(1);
    ASSERT_TRUE(controller->ReadCorvaneStatus(s));
    EXPECT_EQ(s[0], 0x22);
    EXPECT_EQ(s[3] | s[4] | s[5], 0);
    // both boards take the single status byte
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"%"}));
    EXPECT_EQ(Lines(1), (std::vector<std::string>{"%"}));
    EXPECT_EQ(controller->LocalError(), 0);
    EXPECT_EQ(controller->ControllerError(), 0);
}

TEST_F(ChannelTest, BoardErrorCodesBecomeTheControllerError) {
    struct Case {
        int code;
        int error;
    };
    const Case cases[] = {{7, ZR_MOTION_ERROR},
                          {4, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
                          {11, ZR_CNTR_JOYSTICK_IS_ACTIVE},
                          {1, COM_ERROR}};
    uint8_t s[kMaxStatusBytes];
    for (const Case& c : cases) {
        sim->SetErrorCode(1, c.code);
        (void)controller->m_Axes.Select(1);
        ASSERT_TRUE(controller->ReadCorvaneStatus(s)) << c.code;
        EXPECT_EQ(s[2], c.code);
        EXPECT_EQ(controller->m_iControllerError.exchange(0), c.error) << c.code;
        EXPECT_EQ(controller->LocalError(), 0);
    }
    // ignored codes leave the controller error alone; a clean read does not clear it
    controller->m_iControllerError = 17;
    sim->SetErrorCode(1, 6);
    ASSERT_TRUE(controller->ReadCorvaneStatus(s));
    sim->SetErrorCode(1, 0);
    ASSERT_TRUE(controller->ReadCorvaneStatus(s));
    EXPECT_EQ(controller->ControllerError(), 17);
}

TEST_F(ChannelTest, R220MotionErrorGoesToTheLocalErrorBeforeTheCode) {
    sim->SetErrorCode(0, 4);
    sim->InjectMotionError(0);
    uint8_t s[kMaxStatusBytes];
    (void)controller->m_Axes.Select(0);
    ASSERT_TRUE(controller->ReadCorvaneStatus(s));
    EXPECT_TRUE(s[2] & 0x08);
    EXPECT_EQ(controller->LocalError(), ZR_MOTION_ERROR);
    EXPECT_EQ(controller->ControllerError(), 0);  // byte 5 not looked at
}

TEST_F(ChannelTest, ShortStatusAnswerIsAParseFailure) {
    // The R-210 answers three bytes; a record expecting six finds the text too short.
    controller->Board(1).m_iNrStatusBytes = 6;
    (void)controller->m_Axes.Select(1);
    uint8_t s[kMaxStatusBytes];
    EXPECT_FALSE(controller->ReadCorvaneStatus(s));
    EXPECT_EQ(controller->LocalError(), COM_ERROR);
    for (uint8_t b : s) EXPECT_EQ(b, 0);
}

TEST_F(ChannelTest, WrongFirstLetterIsFollowedByOneMoreReceive) {
    (void)controller->m_Axes.Select(0);
    (void)controller->SendCommand("TP");  // its answer is left waiting on the line
    ASSERT_TRUE(WaitAnswer(0, 'P'));
    sim->SetAnswerDelay(0, 300ms);  // the status answer comes after the clear
    uint8_t s[kMaxStatusBytes];
    ASSERT_TRUE(controller->ReadCorvaneStatus(s)) << controller->LocalError();
    EXPECT_EQ(s[0], 0x84);
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"TP", "%"}));  // not sent again
}

TEST_F(ChannelTest, GarbledAnswerIsAskedForAgain) {
    SetTimeout(300);
    (void)controller->m_Axes.Select(0);
    sim->GarbleAnswers(0, 1);
    const char* answer = controller->ReadCorvane("TT", 0, 'T', 1);
    ASSERT_NE(answer, nullptr) << controller->LocalError();
    EXPECT_STREQ(answer, "T:2000");
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"TT", "TT"}));
}

TEST_F(ChannelTest, ThreeTimeOutsGiveComTimeoutWithTheSelectionResent) {
    SetTimeout(300);
    (void)controller->m_Axes.Select(0);
    sim->DropAnswers(0, 3);
    EXPECT_EQ(controller->ReadCorvane("TP", 0, 'P', 1), nullptr);
    EXPECT_EQ(controller->LocalError(), COM_TIMEOUT);
    // the selection, then each attempt followed by the selection sent again
    const std::string select = std::string(1, '\x01') + "0";
    EXPECT_EQ(sim->ReceivedText(0), select + "TP\r" + select + "TP\r" + select + "TP\r" + select);
    // the line works again afterwards
    EXPECT_NE(controller->ReadCorvane("TP", 0, 'P', 1), nullptr);
}

TEST_F(ChannelTest, AnswerThatNeverFitsEndsWithTheLastTimeOut) {
    SetTimeout(300);
    (void)controller->m_Axes.Select(0);
    // "TY" answers "Y:": an answer starting with "X" never comes
    EXPECT_EQ(controller->ReadCorvane("TY", 0, 'X', 1), nullptr);
    EXPECT_EQ(controller->LocalError(), COM_TIMEOUT);
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"TY", "TY", "TY"}));
}

TEST_F(ChannelTest, ExtraLineInTheWrongFormIsComError) {
    SetTimeout(2000);
    (void)controller->m_Axes.Select(0);
    (void)controller->SendCommand("TY");
    ASSERT_TRUE(WaitAnswer(0, 'Y'));
    sim->SetAnswerDelay(0, 300ms);
    (void)controller->SendCommand("TY");  // its answer arrives after the clear
    EXPECT_EQ(controller->ReadCorvane("TP", 0, 'P', 1), nullptr);
    EXPECT_EQ(controller->LocalError(), COM_ERROR);
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"TY", "TY", "TP"}));
}

TEST_F(ChannelTest, TrajectoryCompleteOnBothBoardTypes) {
    uint8_t s[kMaxStatusBytes] = {0x04};
    (void)controller->m_Axes.Select(0);
    EXPECT_TRUE(controller->IsTrajectoryComplete(s));
    s[0] = 0;
    EXPECT_FALSE(controller->IsTrajectoryComplete(s));
    EXPECT_EQ(Lines(0).size(), 0u);  // the R-220 needs no second read

    (void)controller->m_Axes.Select(1);
    s[0] = 0;
    EXPECT_FALSE(controller->IsTrajectoryComplete(s));
    EXPECT_EQ(Lines(1).size(), 0u);
    s[0] = 0x02;
    EXPECT_TRUE(controller->IsTrajectoryComplete(s));  // the board confirms it
    EXPECT_EQ(Lines(1), (std::vector<std::string>{"%"}));
}

TEST_F(ChannelTest, R210TrajectoryNeedsTheSecondRead) {
    // a move in progress: the first status still shows the end of the last move
    (void)controller->m_Axes.Select(1);
    (void)controller->SendCommand("MN");
    (void)controller->SendCommand("SV200");
    (void)controller->SendCommand("MR100000");
    ASSERT_TRUE(sim->WaitFor(
        1, [](const auto& b) { return b.moving; }, 5s));
    uint8_t s[kMaxStatusBytes] = {0x02};
    EXPECT_FALSE(controller->IsTrajectoryComplete(s));
    (void)controller->SendCommand("AB");
}

TEST_F(ChannelTest, BusyWhileReferencing) {
    EXPECT_TRUE(controller->CheckController(1));
    controller->m_IsReferencing = 1;
    EXPECT_TRUE(controller->CheckController(0));
    EXPECT_FALSE(controller->CheckController(1));
    EXPECT_EQ(controller->LocalError(), ZR_CONTROLLER_BUSY);
    controller->m_IsReferencing = 0;
}

TEST_F(ChannelTest, CountsWithAndWithoutFactor) {
    StageRecipe spec;
    spec.cpuZ = 1024;
    Apply(0, spec);
    controller->m_ParameterSet[0].Set(StageFields::kMotFactor, 2.0);
    EXPECT_EQ(controller->ToCounts(0, 1.25), 2560);
    EXPECT_EQ(controller->ToCounts(0, -1.0 / 4096), -1);  // -0.5 rounds away from zero
    EXPECT_EQ(controller->ToCountsNoFactor(0, 1.0 / 2048), 1);
    EXPECT_EQ(controller->ToCountsNoFactor(0, -1.0 / 2048), -1);
    EXPECT_EQ(controller->ToCountsNoFactor(0, 0.0), 0);
    EXPECT_EQ(controller->ToCounts(16, 1.0), 0);
}

TEST_F(ChannelTest, WritesFailWithTheInterfaceErrorAfterThePortVanishes) {
    (void)controller->m_Axes.Select(0);
    sim->HangUp();
    const int rc = controller->SendCommand("MN");
    EXPECT_NE(rc, 0);
    EXPECT_EQ(controller->LocalError(), rc);
}

TEST_F(ChannelTest, GetErrorTakesLocalThenControllerThenPolls) {
    controller->m_iLocalError = 5;
    controller->m_iControllerError = 17;
    EXPECT_EQ(controller->GetError(), 5);
    EXPECT_EQ(controller->GetError(), 17);
    EXPECT_EQ(controller->GetError(), 0);
    EXPECT_TRUE(Lines(0).empty());  // no initialised axis with a stage: nothing asked

    StageRecipe spec;
    spec.noLimitSwitch = 1;
    spec.hatRef = 0;
    Apply(0, spec);
    controller->m_AxisData[0].m_bInitialised = true;
    sim->SetErrorCode(0, 7);
    EXPECT_EQ(controller->GetError(), ZR_MOTION_ERROR);
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"%"}));
    int e = 1;
    controller->m_iMacroRecording = 1;
    EXPECT_FALSE(controller->qERR(&e));
    EXPECT_EQ(controller->GetError(), ZR_IN_MACRO_MODE);
    controller->m_iMacroRecording = 0;
}

TEST_F(ChannelTest, CommandLineWaitsForAQueryInProgress) {
    (void)controller->m_Axes.Select(0);
    sim->SetAnswerDelay(0, 300ms);
    std::thread query([this] { EXPECT_NE(controller->ReadCorvane("TP", 0, 'P', 1), nullptr); });
    ASSERT_TRUE(sim->WaitForLine(0, "TP", 5s));
    EXPECT_EQ(0, controller->SendCommand("MN"));  // must not fall between "TP" and its answer
    query.join();
    ASSERT_TRUE(sim->WaitForLine(0, "MN", 5s));
    const auto sent = sim->Sent(0);
    ASSERT_EQ(sent.size(), 1u);
    const auto received = sim->Received(0);
    const auto mn = std::find_if(received.begin(), received.end(),
                                 [](const corvane_sim::ReceivedByte& b) { return b.byte == 'M'; });
    ASSERT_NE(mn, received.end());
    EXPECT_GE(mn->time, sent[0].time);
}

TEST_F(ChannelTest, AnswersOfTwoThreadsStayApart) {
    // a reference thread and a caller query the same controller at the same time
    (void)controller->m_Axes.Select(0);
    auto ask = [this](const char* query, char first, int* wrong) {
        for (int i = 0; i < 200; ++i) {
            const char* answer = controller->ReadCorvane(query, 0, first, 1);
            if (!answer) continue;
            std::this_thread::yield();
            if (answer[0] != first) ++*wrong;
        }
    };
    int wrongP = 0, wrongT = 0;
    std::thread a(ask, "TP", 'P', &wrongP);
    std::thread b(ask, "TT", 'T', &wrongT);
    a.join();
    b.join();
    EXPECT_EQ(wrongP, 0);
    EXPECT_EQ(wrongT, 0);
}

}  // namespace
