// The board scan at connection and both ways of detecting a board's features.
#include <algorithm>
#include <cstring>

#include "tests/motion/controller/ControllerFixture.h"
#include "winport/Clock.h"

namespace {

// The scan's 500 ms time-outs pass on a faster clock: the simulator vouches for every probe that
// no board answers.
class DetectionTest : public ControllerFixture {
    winport::ScopedScaledClock fasterClock_{20};
};

// An R-220 whose firmware is unknown by its checksum, so its features are found by probing.
std::string ProbedServo(int address, const std::string& probes, const std::string& extra = "") {
    return "[board " + std::to_string(address) +
           "]\ntype = R-220\nchecksum = C:9999-99\nprobes = " + probes + "\n" + extra;
}

TEST_F(DetectionTest, ChainWithBoardsAtZeroAndTwo) {
    const std::string probes = "JA? SB? ZM? JB? JL? JN? GP WT?";  // no "SJ?": no joystick port
    Connect(ProbedServo(0, probes) + ProbedServo(2, probes), 3);
    auto& c = *controller;
    ASSERT_EQ(c.LocalError(), 0);
    EXPECT_EQ(c.m_iNrPresentBoards, 2);
    EXPECT_TRUE(c.Board(0).m_bPresent);
    EXPECT_FALSE(c.Board(1).m_bPresent);
    EXPECT_TRUE(c.Board(2).m_bPresent);

    char buffer[8];
    ASSERT_TRUE(c.qSAI_ALL(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "AC");
    EXPECT_FALSE(c.qSAI_ALL(buffer, 2));  // room for one identifier only
    EXPECT_EQ(c.GetError(), COM_BUFFER_OVERFLOW);

    EXPECT_STREQ(c.m_szIOChannelNames, "ABCDIJKL");
    const int ioBoard[] = {0, 0, 0, 0, 2, 2, 2, 2};
    const int ioLine[] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(c.m_iIOChannelBoard[i], ioBoard[i]) << i;
        EXPECT_EQ(c.m_iIOChannelLine[i], ioLine[i]) << i;
    }
    EXPECT_EQ(c.m_iIOChannelBoard[8], -1);
    ASSERT_EQ(c.m_iNrAnalogChannels, 6);
    const int analog[] = {1, 2, 3, 9, 10, 11};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(c.m_iAnalogChannel[i], analog[i]);
        EXPECT_EQ(c.m_iAnalogBoard[i], i < 3 ? 0 : 2);
        EXPECT_EQ(c.m_iAnalogLine[i], i % 3 + 1);
    }
    EXPECT_EQ(c.m_iNrJoysticks, 0);
    EXPECT_EQ(c.m_iNrTriggerOutputs, 2);
    EXPECT_EQ(c.m_iTriggerBoard[0], 0);
    EXPECT_EQ(c.m_iTriggerBoard[1], -1);
    EXPECT_EQ(c.m_iTriggerBoard[2], 2);

    // each board saw the wake-up lines and the address query first
    for (int a : {0, 2}) {
        auto lines = Lines(a);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
                  (std::vector<std::string>{"xx", "EF", "EF", "TB"}));
    }
    // the absent address got the same, and nobody answered
    EXPECT_EQ(sim->ReceivedText(corvane_sim::Transcript::kUnselected),
              std::string("\x01"
                          "1xx\rEF\rEF\rTB\r"));
    EXPECT_EQ(c.m_strZrStagesBasePath, CorvaneHostDirectory() + "/zrstages");
    EXPECT_EQ(c.m_strUserStagesBasePath, CorvaneHostDirectory() + "/corvaneuserstages");
}

TEST_F(DetectionTest, JoystickPortsAddTheFourthAnalogChannel) {
    Connect("[board 0]\ntype = R-220\n[board 1]\ntype = R-210\n", 2);
    auto& c = *controller;
    ASSERT_EQ(c.LocalError(), 0);
    ASSERT_EQ(c.m_iNrAnalogChannels, 8);
    const int analog[] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(c.m_iAnalogChannel[i], analog[i]);
    EXPECT_EQ(c.m_iNrJoysticks, 2);
    EXPECT_EQ(c.m_iJoystickBoard[0], 0);
    EXPECT_EQ(c.m_iJoystickBoard[1], 1);
    EXPECT_EQ(c.m_iJoystickBoard[2], -1);
    EXPECT_STREQ(c.m_szIOChannelNames, "ABCDEFGH");
}

TEST_F(DetectionTest, NoBoardIsNotConnected) {
    Connect("[board 3]\ntype = R-220\n", 2);  // the board lies beyond the scan
    EXPECT_EQ(controller->LocalError(), NOT_CONNECTED_ERROR);
    EXPECT_EQ(controller->m_iNrPresentBoards, 0);
    EXPECT_TRUE(controller->IsInitialised());
    EXPECT_EQ(controller->m_strZrStagesBasePath, "");
    EXPECT_TRUE(sim->ReceivedText(3).empty());
}

TEST_F(DetectionTest, AnswerWithAnotherAddressIsIgnored) {
    // Board 0 answers so late that its "B:0" arrives while address 1 is asked: board 1 is
    // present, but the answer it gets carries the wrong address.
    // Which answer meets which question depends on the library's own pace: real time here.
    winport::ScopedScaledClock realTime(1);
    StartChain("[board 0]\ntype = R-220\n[board 1]\ntype = R-220\n");
    sim->SetAnswerDelay(0, 750ms);
    ConnectController(2);
    EXPECT_EQ(controller->LocalError(), NOT_CONNECTED_ERROR);
    EXPECT_FALSE(controller->Board(0).m_bPresent);
    EXPECT_FALSE(controller->Board(1).m_bPresent);
    auto lines1 = Lines(1);
    EXPECT_EQ(lines1, (std::vector<std::string>{"xx", "EF", "EF", "TB"}));  // no detection
}

TEST_F(DetectionTest, ByVersionR220) {
    Connect("[board 0]\ntype = R-220\nchecksum = C:0241-04\n", 1);
    ASSERT_EQ(controller->LocalError(), 0);
    const CCorvaneAxis& b = controller->Board(0);
    EXPECT_FALSE(b.m_bStepper);
    EXPECT_EQ(b.m_iNrStatusBytes, 6);
    EXPECT_EQ(b.m_iStatusByteSignalLinesInput, 4);
    EXPECT_EQ(b.m_iStatusByteSignalLinesStatus, 3);
    EXPECT_EQ(b.m_iStatusByteMacro, 1);
    EXPECT_EQ(b.m_ucNegLimitMask, 0x08);
    EXPECT_TRUE(b.m_bHasJoystickPort);
    EXPECT_EQ(b.m_iStatusByteJoystick, 3);
    EXPECT_EQ(b.m_ucJoystickMask, 0x10);
    EXPECT_TRUE(b.m_bHasTrackballMode && b.m_bHasTrackballModeWithSB &&
                b.m_bKnowsJoystickTableOffset && b.m_bHasJoystickLimits &&
                b.m_bCanReadJoystickMode && b.m_bR220_240 && b.m_bCanTrigger && b.m_bSingleChar);
    EXPECT_EQ(b.m_cSJAnswer, 'S');
    EXPECT_EQ(b.m_cTAAnswer, 'A');
    EXPECT_FALSE(b.m_bJoystickActive);
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"xx", "EF", "EF", "TB", "VE", "CS", "%"}));
}

TEST_F(DetectionTest, ByVersionR210Firmwares) {
    struct Case {
        const char* checksum;
        bool features;
        char sj;
        char ta;
    };
    const Case cases[] = {{"C:0120-01", true, 'S', 0}, {"C:0109-06", false, 'J', 'T'}};
    for (const Case& k : cases) {
        Connect(std::string("[board 0]\ntype = R-210\nchecksum = ") + k.checksum + "\n", 1);
        ASSERT_EQ(controller->LocalError(), 0);
        const CCorvaneAxis& b = controller->Board(0);
        EXPECT_TRUE(b.m_bStepper);
        EXPECT_EQ(b.m_iNrStatusBytes, 3);
        EXPECT_EQ(b.m_ucNegLimitMask, 0x01);
        EXPECT_TRUE(b.m_bHasJoystickPort);
        EXPECT_EQ(b.m_ucJoystickMask, 0x08);
        EXPECT_FALSE(b.m_bR220_240);
        EXPECT_EQ(b.m_bCanTrigger, k.features) << k.checksum;
        EXPECT_EQ(b.m_bHasJoystickLimits, k.features) << k.checksum;
        EXPECT_FALSE(b.m_bHasTrackballModeWithSB);
        EXPECT_EQ(b.m_cSJAnswer, k.sj);
        EXPECT_EQ(b.m_cTAAnswer, k.ta);
        EXPECT_TRUE(b.m_bSingleChar);
        EXPECT_EQ(Lines(0), (std::vector<std::string>{"xx", "EF", "EF", "TB", "VE", "CS", "%"}));
        TearDown();
    }
}

TEST_F(DetectionTest, ChecksumWithOneMoreCharacterFallsBackToProbing) {
    Connect("[board 0]\ntype = R-220\nchecksum = C:0240-00X\n", 1);
    ASSERT_EQ(controller->LocalError(), 0);
    const CCorvaneAxis& b = controller->Board(0);
    EXPECT_EQ(Lines(0),
              (std::vector<std::string>{"xx", "EF", "EF", "TB", "VE", "CS", "JA?", "SB?", "ZM?",
                                        "JB?", "JL?", "JN?", "SJ?", "GP", "WT?", "%", "%"}));
    EXPECT_TRUE(b.m_bHasTrackballMode && b.m_bHasTrackballModeWithSB && b.m_bCanTrigger &&
                b.m_bKnowsJoystickTableOffset && b.m_bHasJoystickLimits &&
                b.m_bCanReadJoystickMode && b.m_bR220_240 && b.m_bSingleChar);
    EXPECT_EQ(b.m_cSJAnswer, 'S');
    EXPECT_TRUE(b.m_bHasJoystickPort);
    EXPECT_EQ(b.m_cTAAnswer, 0);  // probing does not learn it
}

TEST_F(DetectionTest, ProbingWithVersionDetectionOff) {
    // Each probe sets its own flag only; unanswered probes cost their retries.
    Connect(ProbedServo(0, "ZM? JL? GP", "sj-answer = J\nsingle-char = no\n") +
                "[board 1]\ntype = R-220\nprobes = JA? SB? ZM? JB? JL? JN? SJ? GP WT?\n"
                "sj-answer = J\n",
            2, false);
    ASSERT_EQ(controller->LocalError(), 0);
    const CCorvaneAxis& b = controller->Board(0);
    EXPECT_FALSE(b.m_bHasTrackballMode);
    EXPECT_FALSE(b.m_bHasTrackballModeWithSB);
    EXPECT_TRUE(b.m_bCanTrigger);
    EXPECT_FALSE(b.m_bKnowsJoystickTableOffset);
    EXPECT_TRUE(b.m_bHasJoystickLimits);
    EXPECT_FALSE(b.m_bCanReadJoystickMode);
    EXPECT_EQ(b.m_cSJAnswer, 0);
    EXPECT_FALSE(b.m_bHasJoystickPort);
    EXPECT_FALSE(b.m_bStepper);
    EXPECT_FALSE(b.m_bR220_240);
    EXPECT_FALSE(b.m_bSingleChar);  // "%" went unanswered, "TS" worked
    auto lines = Lines(0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "JA?"), 3);  // three attempts
    EXPECT_TRUE(ContainsInOrder(lines, {"TB", "JA?", "SB?", "ZM?", "JB?", "JL?", "JN?", "JF", "SJ?",
                                        "SJ?", "GP", "WT?", "%", "%", "%", "TS"}))
        << JoinLines(lines);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "VE"), 0);

    const CCorvaneAxis& j = controller->Board(1);
    EXPECT_EQ(j.m_cSJAnswer, 'J');
    EXPECT_TRUE(j.m_bHasJoystickPort);
    EXPECT_EQ(j.m_iStatusByteJoystick, 3);
    EXPECT_EQ(j.m_ucJoystickMask, 0x10);
}

TEST_F(DetectionTest, ProbingFindsAnR210WithoutGP) {
    Connect("[board 0]\ntype = R-210\nchecksum = C:0000\nprobes = JA? ZM? JB? JL? JN? SJ?\n", 1);
    ASSERT_EQ(controller->LocalError(), 0);
    const CCorvaneAxis& b = controller->Board(0);
    EXPECT_TRUE(b.m_bStepper);
    EXPECT_EQ(b.m_iNrStatusBytes, 3);
    EXPECT_TRUE(b.m_bHasJoystickPort);
    EXPECT_FALSE(b.m_bR220_240);
    EXPECT_TRUE(b.m_bCanReadJoystickMode);
    auto lines = Lines(0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "JF"), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "WT?"), 0);
}

TEST_F(DetectionTest, JoystickActiveAtDetection) {
    // a joystick left on by a previous session shows in the status at detection
    StartChain("[board 0]\ntype = R-210\n");
    ConnectController(1);
    ASSERT_FALSE(controller->Board(0).m_bJoystickActive);
    (void)controller->m_Axes.Select(0);
    (void)controller->SendCommand("JN");
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& b) { return b.joystickActive; }, 5s));
    controller.reset();
    ConnectController(1);
    EXPECT_TRUE(controller->Board(0).m_bJoystickActive);
}

TEST_F(DetectionTest, BoardErrorAtTheScanFailsTheConnection) {
    Connect("[board 0]\ntype = R-220\nerror-code = 4\n", 1);
    EXPECT_EQ(controller->LocalError(), 0);
    EXPECT_EQ(controller->GetError(), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
}

TEST_F(DetectionTest, FailedStatusReadOfAnAnsweringBoardStays) {
    // Board 0 is known by its version but ignores the single status byte: its status read fails
    // and it counts as absent. Board 1 is fine and must not wipe out that failure.
    Connect("[board 0]\ntype = R-220\nsingle-char = no\n[board 1]\ntype = R-220\n", 2);
    EXPECT_FALSE(controller->Board(0).m_bPresent);
    EXPECT_TRUE(controller->Board(1).m_bPresent);
    EXPECT_EQ(controller->LocalError(), COM_TIMEOUT);
    EXPECT_EQ(Lines(0),
              (std::vector<std::string>{"xx", "EF", "EF", "TB", "VE", "CS", "%", "%", "%"}));
}

TEST_F(DetectionTest, VersionTextsWithTheirTerminatorStillMatch) {
    // A connection that keeps the receive terminator on its lines (the setup-dialog path) must
    // still know the firmware by its checksum text, without probing.
    Connect("[board 0]\ntype = R-210\nchecksum = C:0106\n", 1);
    ASSERT_EQ(controller->LocalError(), 0);
    ASSERT_EQ(IFsetStripTerminator(controller->InterfaceID(), false), 1);
    CCorvaneAxis& b = controller->Board(0);
    b.m_cSJAnswer = 0;
    sim->ClearTranscript();
    EXPECT_TRUE(controller->FindFeaturesByVersion(&b));
    EXPECT_EQ(b.m_cSJAnswer, 'J');
    EXPECT_EQ(Lines(0), (std::vector<std::string>{"VE", "CS"}));
}

// Connecting needs no working board scan: these run whatever the transport does.
TEST(ControllerConnect, PortThatDoesNotExist) {
    ::setenv("WINPORT_COM201", "/nonexistent/tty", 1);
    CCorvaneController c(201, 57600);
    EXPECT_EQ(c.InterfaceID(), -1);
    EXPECT_NE(c.LocalError(), 0);
    EXPECT_EQ(c.LocalError(), IFgetLastConnectError());
    EXPECT_FALSE(c.IsInitialised());
    ::unsetenv("WINPORT_COM201");
}

TEST(ControllerConnect, ClosingTheControllerClosesItsInterface) {
    corvane_sim::SimConfig config;
    config.Finish();  // one board at 0, beyond a scan of no address
    corvane_sim::CorvaneSim sim(config);
    // the port number the other tests use: the transport keeps a list of the ports it found
    const int com = ControllerFixture::kCom;
    ::setenv(("WINPORT_COM" + std::to_string(com)).c_str(), sim.Start().c_str(), 1);
    m_iMaxNumberOfAxesForControllerSearch = 0;
    int id = -1;
    {
        CCorvaneController c(com, 57600);
        id = c.InterfaceID();
        ASSERT_GE(id, 0) << IFgetLastConnectError();
        EXPECT_EQ(c.LocalError(), NOT_CONNECTED_ERROR);
        EXPECT_TRUE(c.IsInitialised());
        int ms = 0;
        EXPECT_EQ(IFgetTimeout(id, &ms), 0);
        EXPECT_EQ(ms, 5000);  // the scan over, the long time-out is in force
    }
    int ms = 0;
    EXPECT_EQ(IFgetTimeout(id, &ms), NOT_CONNECTED_ERROR);
    m_iMaxNumberOfAxesForControllerSearch = 16;
}

}  // namespace
