// Digital lines ("TC", "#", "CN", "CF"), analog lines ("TA"), joystick tables ("JT") and the
// fault that answers some queries and then drops, as a client on the line sees them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/simulators/corvane/SimFixture.h"

namespace {

class SimIoTest : public SimFixture {};

TEST_F(SimIoTest, InputLinesAnswerAsHexadecimalByLineAndBySingleByte) {
    StartChain("[board 0]\ntype = R-220\ndigital-inputs = 5\n[board 1]\ntype = R-210\n");
    client->Select(0);
    EXPECT_EQ(Ask("TC"), "HIN:05");
    sim->SetDigitalInputs(0, 0xA);
    EXPECT_EQ(Ask("TC"), "HIN:0A");
    client->SendRaw("#");
    EXPECT_EQ(client->ReadAnswer(), "HIN:0A");
    client->Select(1);
    EXPECT_EQ(Ask("TC"), "HIN:00");
    // the single bytes are entries of their own in the transcript
    const auto lines = sim->ReceivedLines(0);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "#");
}

TEST_F(SimIoTest, SingleByteInputsOnlyOnSingleCharacterBoards) {
    StartChain("[board 0]\ntype = R-220\nsingle-char = no\ndigital-inputs = 3\n");
    client->Select(0);
    client->SendRaw("#");
    ASSERT_TRUE(sim->WaitForLine(0, "#", 5s));
    EXPECT_TRUE(sim->Sent(0).empty()) << "the byte has no answer";
    EXPECT_EQ(Ask("TC"), "HIN:03");
}

TEST_F(SimIoTest, OutputLinesFollowOnAndOff) {
    StartChain("[board 0]\ntype = R-220\n");
    client->Select(0);
    SendTaken(0, "CN1");
    SendTaken(0, "CN4");
    EXPECT_EQ(sim->DigitalOutputs(0), 0x9);
    SendTaken(0, "CF1");
    SendTaken(0, "CN9");  // no such line
    EXPECT_EQ(sim->DigitalOutputs(0), 0x8);
}

TEST_F(SimIoTest, AnalogLinesInEitherAnswerForm) {
    StartChain("[board 0]\ntype = R-220\n[board 1]\ntype = R-210\nta-answer = T\n");
    const struct {
        int line;
        int value;
    } cases[] = {{1, 0}, {4, 255}, {5, 17}, {6, 101}};
    for (const auto& c : cases) {
        sim->SetAnalogLine(0, c.line, c.value);
        sim->SetAnalogLine(1, c.line, c.value);
        const std::string n = std::to_string(c.line), v = std::to_string(c.value);
        client->Select(0);
        EXPECT_EQ(Ask("TA" + n), "A" + n + ":" + v);
        client->Select(1);
        EXPECT_EQ(Ask("TA" + n), "TA" + n + ":" + v);
    }
    client->Select(0);
    const size_t answers = sim->Sent(0).size();
    SendTaken(0, "TA7");
    EXPECT_EQ(sim->Sent(0).size(), answers) << "no line 7";
}

TEST_F(SimIoTest, JoystickTableLoadAnswersOneLineAndFillsTheTable) {
    StartChain("[board 0]\ntype = R-220\n");
    client->Select(0);
    EXPECT_EQ(Ask("JT0"), "JT:0");
    EXPECT_EQ(sim->JoystickTableEntry(0, 0), -1024);
    EXPECT_EQ(sim->JoystickTableEntry(0, 255), 1024);
    EXPECT_EQ(Ask("JT1"), "JT:1");
    EXPECT_EQ(sim->JoystickTableEntry(0, 255), 1024);
    EXPECT_LT(std::abs(sim->JoystickTableEntry(0, 160)), 170) << "flatter near the middle";
    EXPECT_EQ(Ask("SI3,SJ?"), "SJ:" + std::to_string(sim->JoystickTableEntry(0, 3)));
}

TEST_F(SimIoTest, AnswersSomeQueriesThenDrops) {
    StartChain("[board 0]\ntype = R-220\n");
    client->Select(0);
    sim->DropAnswersAfter(0, 2, 2);
    EXPECT_EQ(Ask("TB"), "B:0");
    EXPECT_EQ(Ask("TB"), "B:0");
    client->Send("TP");
    client->Send("TT");
    EXPECT_EQ(Ask("TB"), "B:0") << "the two answers between were dropped";
    const auto sent = sim->Sent(0);
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_TRUE(sent[2].dropped && sent[3].dropped);
    EXPECT_FALSE(sent[4].dropped);
    // dropping at once still works as before
    sim->DropAnswers(0, 1);
    client->Send("TP");
    EXPECT_EQ(Ask("TB"), "B:0");
    EXPECT_TRUE(sim->Sent(0)[5].dropped);
}

}  // namespace
