// Motion in real time: moves, stops, edge searches, limit switches, motion errors.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/simulators/corvane/SimFixture.h"

namespace {

constexpr int kServoComplete = 0x04;
constexpr int kStepperComplete = 0x02;

class CorvaneSimMotionTest : public SimFixture {};

TEST_F(CorvaneSimMotionTest, MovesEndOnTheirTargets) {
    StartChain(kFastServo);
    client->Select(0);
    client->Send("MN,MA-3000");
    auto s = Status();
    EXPECT_EQ(s[0] & kServoComplete, 0) << "moving right after the command";
    ASSERT_TRUE(WaitComplete(kServoComplete));
    EXPECT_EQ(AskNumber("TP"), -3000);
    EXPECT_EQ(AskNumber("TT"), -3000);
    client->Send("MR1500");
    EXPECT_EQ(AskNumber("TT"), -1500);
    ASSERT_TRUE(WaitComplete(kServoComplete));
    EXPECT_EQ(AskNumber("TP"), -1500);
    EXPECT_DOUBLE_EQ(sim->Snapshot(0).physical, -1500);
    auto lines = sim->ReceivedLines(0);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "MN,MA-3000");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "MR1500"), lines.end());
}

TEST_F(CorvaneSimMotionTest, WaitForStopHoldsTheLine) {
    StartChain(kFastServo);
    client->Select(0);
    client->Send("MN,MR3000,WS,TP,TS");
    EXPECT_EQ(client->ReadAnswer(), "P:5000");
    auto s = ParseStatus(client->ReadAnswer().value_or(""));
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0] & kServoComplete, kServoComplete);
    // "WS<n>" adds a pause after the stop
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask("WS200,TB"), "B:0");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 190ms);
}

TEST_F(CorvaneSimMotionTest, StopDeceleratesAndAbortStopsAtOnce) {
    StartChain(kFastServo);
    client->Select(0);
    client->Send("MN,SV5000,SA20000,MA8000");
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& s) { return s.physical > 3000; }, 10s));
    client->Send("ST");
    ASSERT_TRUE(WaitComplete(kServoComplete));
    long stopped = AskNumber("TP");
    EXPECT_LT(stopped, 8000);
    EXPECT_EQ(AskNumber("TT"), stopped);

    client->Send("MA-6000");
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& s) { return s.physical < 0; }, 10s));
    client->Send("AB1");
    auto s = Status();
    EXPECT_EQ(s[0] & kServoComplete, kServoComplete);
    EXPECT_EQ(s[0] & 0x80, 0) << "AB1 keeps the motor on";
    EXPECT_EQ(AskNumber("TT"), AskNumber("TP"));
}

TEST_F(CorvaneSimMotionTest, DefineHomeAndGoHome) {
    StartChain(kFastServo);
    client->Select(0);
    client->Send("MN,DH");
    EXPECT_EQ(AskNumber("TP"), 0);
    EXPECT_EQ(AskNumber("TT"), 0);
    client->Send("MR2500,WS,GH,WS");
    EXPECT_EQ(AskNumber("TP"), 0);
    EXPECT_DOUBLE_EQ(sim->Snapshot(0).physical, 2000);
}

TEST_F(CorvaneSimMotionTest, MovesAreRefusedWithTheMotorOff) {
    StartChain(kFastServo);
    client->Select(0);
    client->Send("MA5000");
    auto s = Status();
    EXPECT_EQ(s[0], 0x84);
    EXPECT_EQ(s[5], 10);
    EXPECT_EQ(AskNumber("TP"), 2000);
    client->Send("MN");
    EXPECT_EQ(Status()[5], 0);
}

TEST_F(CorvaneSimMotionTest, StepperTrajectoryBitNeedsTwoReads) {
    StartChain("[board 3]\ntype=R-210\nposition=0\nvelocity=40000\nacceleration=800000\n");
    client->Select(3);
    SendTaken(3, "MN,MR2000");
    // wait without reading the status, so the end of the move stays latched
    ASSERT_TRUE(sim->WaitFor(
        3, [](const auto& s) { return !s.moving; }, 10s));
    client->Send("SV500,MR2000");
    auto first = ParseStatus(Ask("TS"));
    auto second = ParseStatus(Ask("TS"));
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(first[0] & kStepperComplete, kStepperComplete) << "the stale end of the first move";
    EXPECT_EQ(second[0] & kStepperComplete, 0) << "the second move is under way";
    client->Send("SV40000");
    ASSERT_TRUE(WaitComplete(kStepperComplete));
    EXPECT_EQ(ParseStatus(Ask("TS"))[0] & kStepperComplete, kStepperComplete);
    EXPECT_EQ(AskNumber("TP"), 4000);
}

struct EdgeCase {
    const char* name;
    const char* extra;   // config lines
    const char* search;  // command
    long endPhysical;    // where the search ends
    bool endLevel;       // reference line there
};

void PrintTo(const EdgeCase& c, std::ostream* os) {
    *os << c.name;
}

class CorvaneSimEdgeSearchTest : public SimFixture,
                                 public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(CorvaneSimEdgeSearchTest, EndsOnTheReferenceEdge) {
    const EdgeCase& c = GetParam();
    StartChain(std::string(kFastServo) + "reference = 1000\n" + c.extra);
    client->Select(0);
    client->Send(std::string("MN,SV20000,") + c.search);
    auto s = Status();
    EXPECT_EQ(s[3] & 0x04, 0x04) << "find-edge active";
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& b) { return !b.findingEdge; }, 10s));
    s = Status();
    EXPECT_EQ(s[3] & 0x04, 0);
    EXPECT_EQ(s[0] & kServoComplete, kServoComplete);
    EXPECT_EQ((s[4] & 0x02) != 0, c.endLevel);
    EXPECT_DOUBLE_EQ(sim->Snapshot(0).physical, c.endPhysical);
    EXPECT_EQ(AskNumber("TP"), c.endPhysical);
    EXPECT_EQ(AskNumber("TT"), c.endPhysical);
}

INSTANTIATE_TEST_SUITE_P(
    Searches, CorvaneSimEdgeSearchTest,
    ::testing::Values(EdgeCase{"UpFromBelow", "position = -2000\n", "FE0", 1000, true},
                      EdgeCase{"BareFeSearchesUp", "position = -2000\n", "FE", 1000, true},
                      EdgeCase{"DownFromAbove", "position = 4000\n", "FE1", 999, false},
                      EdgeCase{"SignalLowGoesUp", "position = -2000\n", "FE2", 1000, true},
                      EdgeCase{"SignalHighGoesDown", "position = 4000\n", "FE2", 999, false},
                      EdgeCase{"InvertedSignalHighGoesUp",
                               "position = -2000\nreference-high = below\n", "FE3", 1000, false},
                      EdgeCase{"InvertedSignalLowGoesDown",
                               "position = 4000\nreference-high = below\n", "FE3", 999, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CorvaneSimMotionTest, EdgeSearchAwayFromTheEdgeStopsAtTheLimit) {
    StartChain(std::string(kFastServo) + "reference = 1000\nposition = 4000\n");
    client->Select(0);
    SendTaken(0, "MN,FE0");
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& b) { return !b.moving; }, 10s));
    auto s = Status();
    EXPECT_EQ(s[3] & 0x04, 0) << "search over";
    EXPECT_EQ(s[4] & 0x04, 0x04) << "standing in the positive limit";
}

TEST_F(CorvaneSimMotionTest, LimitSwitchStopsMotionTowardsIt) {
    StartChain(kFastServo);
    client->Select(0);
    client->Send("MN,MR50000");
    ASSERT_TRUE(WaitComplete(kServoComplete));
    auto s = Status();
    EXPECT_EQ(s[4] & 0x0C, 0x04) << "positive limit only";
    long stop = AskNumber("TP");
    EXPECT_GE(stop, 9000);
    EXPECT_LT(stop, 10000);
    EXPECT_EQ(AskNumber("TT"), stop);
    EXPECT_EQ(s[0] & 0xA0, 0) << "no motion error, motor on";
    // further on is refused at once, back out is free
    client->Send("MR100");
    ASSERT_TRUE(WaitComplete(kServoComplete));
    EXPECT_EQ(AskNumber("TP"), stop);
    client->Send("MR-2000,WS");
    EXPECT_EQ(AskNumber("TP"), stop - 2000);
    EXPECT_EQ(Status()[4] & 0x04, 0);
}

TEST_F(CorvaneSimMotionTest, ActiveLowSwitchesAndTheirPolarity) {
    StartChain(std::string(kFastServo) + "limit-level = low\nposition = -9500\n");
    client->Select(0);
    // lines read low where a switch is active: only the positive line is high here
    EXPECT_EQ(Status()[4] & 0x0C, 0x04);
    client->Send("LL,MN,MR-100");
    ASSERT_TRUE(WaitComplete(kServoComplete));
    EXPECT_EQ(AskNumber("TP"), -9500) << "the negative switch holds";
    // with the wrong polarity the board sees the switch in the other direction
    client->Send("LH,MR100");
    ASSERT_TRUE(WaitComplete(kServoComplete));
    EXPECT_EQ(AskNumber("TP"), -9500);
    client->Send("LL,MR100,WS");
    EXPECT_EQ(AskNumber("TP"), -9400);
}

TEST_F(CorvaneSimMotionTest, BlockedCarriageGivesAMotionError) {
    StartChain(std::string(kFastServo) + "max-position-error = 300\n");
    client->Select(0);
    sim->SetStalled(0, true);
    client->Send("MN,MR5000");
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& b) { return b.motionError; }, 10s));
    auto s = Status();
    EXPECT_EQ(s[0] & 0xA4, 0xA4) << "motor off, motion error, stopped";
    EXPECT_EQ(s[2] & 0x08, 0x08);
    sim->SetStalled(0, false);
    client->Send("MN");
    s = Status();
    EXPECT_EQ(s[0], kServoComplete);
    EXPECT_EQ(s[2], 0);
}

TEST_F(CorvaneSimMotionTest, RunningIntoTheEndWithLimitsOffGivesAMotionError) {
    StartChain(std::string(kFastServo) + "max-position-error = 200\n");
    client->Select(0);
    client->Send("LF,MN,MR50000");
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& b) { return b.motionError; }, 10s));
    EXPECT_DOUBLE_EQ(sim->Snapshot(0).physical, 10000);
    auto s = Status();
    EXPECT_EQ(s[4] & 0x04, 0x04);
    // "AB" clears the latched error; the motor stays off until "MN"
    client->Send("AB");
    s = Status();
    EXPECT_EQ(s[0], 0x84);
    EXPECT_EQ(s[2], 0);
}

// The complete reference run from inside the positive limit, as a controller drives it.
TEST_F(CorvaneSimMotionTest, ReferenceRunFromInsideTheLimit) {
    StartChain(std::string(kFastServo) + "position = 9500\nreference = -1234\n");
    client->Select(0);
    client->Send("LN,LH,MN,SV40000,SA800000,AB1");
    // move out of the switch at a tenth of the speed
    client->Send("LF,SM32000,SV4000");
    long before = AskNumber("TT");
    client->Send("MR-100000");
    EXPECT_LT(AskNumber("TT"), before - 10);
    int released = 0;
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (released < 2 && std::chrono::steady_clock::now() < deadline) {
        released = (Status()[4] & 0x04) ? 0 : released + 1;
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(released, 2);
    client->Send("AB1");
    ASSERT_TRUE(WaitComplete(kServoComplete));
    client->Send("LN,SM2000,SV20000");
    // standing right of the reference: go left of it, then search it upwards
    ASSERT_EQ(Status()[4] & 0x02, 0x02);
    client->Send("FE1,WS");
    EXPECT_EQ(Status()[4] & 0x02, 0) << "left side reached";
    client->Send("FE0,WS");
    EXPECT_EQ(Status()[4] & 0x02, 0x02);
    client->Send("DH,GH");
    EXPECT_EQ(AskNumber("TT"), 0);
    EXPECT_EQ(AskNumber("TP"), 0);
    EXPECT_DOUBLE_EQ(sim->Snapshot(0).physical, -1234);
}

// Into the positive limit and back out, then a new home there, as for a limit reference.
TEST_F(CorvaneSimMotionTest, LimitReferenceRunOnAStepper) {
    StartChain(
        "[board 1]\ntype=R-210\ntravel=-10000..10000\nneg-limit=-9000\npos-limit=9000\n"
        "position=0\nvelocity=40000\nacceleration=800000\n");
    client->Select(1);
    client->Send("MN,SV40000,MR40000");
    auto deadline = std::chrono::steady_clock::now() + 10s;
    bool reached = false;
    while (!reached && std::chrono::steady_clock::now() < deadline) {
        reached = (Status()[1] & 0x04) != 0;
        if (!reached) std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(reached);
    client->Send("AB1,SV4000,MR-100000");
    int released = 0;
    while (released < 2 && std::chrono::steady_clock::now() < deadline) {
        released = (Status()[1] & 0x04) ? 0 : released + 1;
    }
    ASSERT_EQ(released, 2);
    client->Send("AB1");
    // two reads: the first may still carry the latched end of an earlier move
    Status();
    EXPECT_EQ(Status()[0] & kStepperComplete, kStepperComplete);
    client->Send("MN,DH");
    EXPECT_EQ(AskNumber("TT"), 0);
    EXPECT_EQ(AskNumber("TP"), 0);
    double home = sim->Snapshot(1).physical;
    EXPECT_LT(home, 9000);
    EXPECT_GT(home, 8500);
}

TEST_F(CorvaneSimMotionTest, SingleStatusByteIsAnsweredWhileWaitHoldsTheLine) {
    StartChain(kFastServo);
    client->Select(0);
    SendTaken(0, "MN,SV4000,MR3000,WS,TP");
    client->SendRaw("%");
    auto status = ParseStatus(client->ReadAnswer().value_or(""));
    ASSERT_EQ(status.size(), 6u);
    EXPECT_EQ(status[0] & kServoComplete, 0) << "answered during the move";
    EXPECT_EQ(client->ReadAnswer(), "P:5000") << "the held line goes on after the move";
}

TEST_F(CorvaneSimMotionTest, StopEndsAnEdgeSearch) {
    StartChain(std::string(kFastServo) + "position = -8000\nreference = 8000\n");
    client->Select(0);
    client->Send("MN,SV10000,FE0");
    ASSERT_TRUE(sim->WaitFor(
        0, [](const auto& b) { return b.physical > -6000; }, 10s));
    client->Send("ST");
    ASSERT_TRUE(WaitComplete(kServoComplete));
    auto s = Status();
    EXPECT_EQ(s[3] & 0x04, 0);
    EXPECT_LT(sim->Snapshot(0).physical, 0);
}

}  // namespace
