// Faults switched on at run time, the transcript and line pacing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/simulators/corvane/SimFixture.h"

namespace {

class CorvaneSimFaultTest : public SimFixture {};

const char* kChain = "[board 0]\n[board 1]\ntype=R-210\n";

TEST_F(CorvaneSimFaultTest, DroppedAnswers) {
    StartChain(kChain);
    client->Select(0);
    sim->DropAnswers(0, 2);
    client->Send("TB,TP");
    EXPECT_EQ(client->ReadRawFor(300ms), "");
    EXPECT_EQ(Ask("TB"), "B:0");
    auto sent = sim->Sent(0);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_TRUE(sent[0].dropped);
    EXPECT_TRUE(sent[1].dropped);
    EXPECT_FALSE(sent[2].dropped);
    // a fault for any board hits whichever answers next
    sim->DropAnswers(corvane_sim::CorvaneSim::kAnyBoard, 1);
    client->Select(1);
    client->Send("TB");
    EXPECT_EQ(client->ReadRawFor(300ms), "");
    EXPECT_EQ(Ask("TB"), "B:1");
}

TEST_F(CorvaneSimFaultTest, GarbledFirstLetter) {
    StartChain(kChain);
    client->Select(0);
    sim->GarbleAnswers(0, 1);
    EXPECT_EQ(Ask("TP"), "Q:10000");
    EXPECT_EQ(Ask("TP"), "P:10000");
    sim->GarbleAnswers(0, 1);
    EXPECT_EQ(Ask("TS"), "T:84 00 00 00 02 00");
}

TEST_F(CorvaneSimFaultTest, DelayedAnswers) {
    StartChain(kChain);
    client->Select(0);
    sim->SetAnswerDelay(0, 300ms);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask("TB"), "B:0");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 290ms);
    // the other board is not delayed, and answers keep their order
    sim->SetAnswerDelay(0, 0ms);
    client->Send("TB,TY");
    EXPECT_EQ(client->ReadAnswer(), "B:0");
    EXPECT_EQ(client->ReadAnswer(), "Y:20000");
}

TEST_F(CorvaneSimFaultTest, ErrorCodeInTheStatusBytes) {
    StartChain(kChain);
    client->Select(0);
    sim->SetErrorCode(0, 7);
    EXPECT_EQ(ParseStatus(Ask("TS"))[5], 7);
    client->Select(1);
    sim->SetErrorCode(1, 11);
    EXPECT_EQ(ParseStatus(Ask("TS"))[2], 11);
    sim->SetErrorCode(1, 0);
    EXPECT_EQ(ParseStatus(Ask("TS"))[2], 0);
}

TEST_F(CorvaneSimFaultTest, InjectedMotionError) {
    StartChain(kChain);
    client->Select(0);
    SendTaken(0, "MN");
    sim->InjectMotionError(0);
    auto s = ParseStatus(Ask("TS"));
    EXPECT_EQ(s[0], 0xA4);
    EXPECT_EQ(s[2], 0x08);
}

TEST_F(CorvaneSimFaultTest, HangUpMakesThePortVanish) {
    StartChain(kChain);
    client->Select(0);
    EXPECT_EQ(Ask("TB"), "B:0");
    sim->HangUp();
    struct stat st {};
    EXPECT_NE(::stat(port.c_str(), &st), 0) << port << " still exists";
    // the open end sees the line go away
    client->ReadRawFor(500ms);
    EXPECT_TRUE(client->Closed());
}

TEST_F(CorvaneSimFaultTest, TranscriptKeepsEveryByteWithItsTime) {
    StartChain(kChain);
    client->Select(1);
    client->Send("MN,MA2500");
    ASSERT_TRUE(sim->WaitForLine(1, "MN,MA2500", 5s));
    client->Select(0);
    EXPECT_EQ(Ask("TB"), "B:0");
    EXPECT_EQ(sim->ReceivedText(1), std::string("\x01") + "1MN,MA2500\r");
    EXPECT_EQ(sim->ReceivedText(0), std::string("\x01") + "0TB\r");
    auto bytes = sim->Received(1);
    for (size_t i = 1; i < bytes.size(); ++i) EXPECT_LE(bytes[i - 1].time, bytes[i].time);
    sim->ClearTranscript();
    EXPECT_TRUE(sim->Received(1).empty());
    EXPECT_FALSE(sim->WaitForLine(1, "MN,MA2500", 50ms));
}

TEST_F(CorvaneSimFaultTest, PacingToTheBaudRate) {
    StartChain(kChain);
    client->Select(0);
    EXPECT_EQ(Ask("TB"), "B:0");
    sim->SetBaudRate(1200);  // 120 bytes per second
    auto start = std::chrono::steady_clock::now();
    // 3 bytes out, 21 bytes back: at least 200 ms on a 1200 baud line
    EXPECT_EQ(Ask("VE"), "R-220 Version 2.40");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 195ms);
    sim->SetBaudRate(0);
    EXPECT_EQ(Ask("TB"), "B:0");
}

}  // namespace
