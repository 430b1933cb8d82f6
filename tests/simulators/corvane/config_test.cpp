// The configuration file and the command-line board settings.
#include <gtest/gtest.h>

#include <stdexcept>

#include "simulators/corvane/SimConfig.h"

namespace {

using corvane_sim::BoardType;
using corvane_sim::SimConfig;

TEST(CorvaneSimConfigTest, FileWithGlobalAndBoardSections) {
    SimConfig c;
    c.ParseText(
        "# chain of two\n"
        "baud = 9600\n"
        "com = 4\n"
        "[board 2]\n"
        "type = R-210\n"
        "version = R-210 V1.09\n"
        "checksum = C:0109-06\n"
        "probes = SJ? ZM?\n"
        "sj-answer = J\n"
        "single-char = no\n"
        "travel = -5000..6000\n"
        "neg-limit = -4000\n"
        "pos-limit = 5000\n"
        "reference = 100\n"
        "reference-high = below\n"
        "limit-level = low\n"
        "position = -10\n"
        "error-code = 0x0B\n"
        "velocity = 1000\n"
        "acceleration = 5000\n"
        "input-nibble = 15\n"
        "servo = on\n"
        "[board 0]\n",
        "chain.conf");
    c.Finish();
    EXPECT_EQ(c.baud, 9600);
    EXPECT_EQ(c.com, 4);
    EXPECT_TRUE(c.boards[0].present);
    EXPECT_FALSE(c.boards[1].present);
    const auto& b = c.boards[2];
    EXPECT_TRUE(b.present);
    EXPECT_EQ(b.type, BoardType::R210);
    EXPECT_EQ(b.version, "R-210 V1.09");
    EXPECT_EQ(b.checksum, "C:0109-06");
    EXPECT_EQ(b.probes, (std::vector<std::string>{"SJ?", "ZM?"}));
    EXPECT_EQ(b.sjAnswer, 'J');
    EXPECT_FALSE(b.singleChar);
    EXPECT_EQ(b.travelMin, -5000);
    EXPECT_EQ(b.travelMax, 6000);
    EXPECT_EQ(b.reference, 100);
    EXPECT_FALSE(b.referenceHighAbove);
    EXPECT_TRUE(b.limitsActiveLow);
    EXPECT_EQ(b.errorCode, 11);
    EXPECT_EQ(b.inputNibble, 15);
    EXPECT_TRUE(b.servoOn);
    // defaults of the type where nothing was said
    EXPECT_EQ(c.boards[0].checksum, "C:0240-00");
    EXPECT_TRUE(c.boards[0].Knows("GP"));
}

TEST(CorvaneSimConfigTest, ShippedExampleParses) {
    SimConfig c;
    c.LoadFile(std::string(ZR_SOURCE_DIR) + "/simulators/corvane/example-chain.conf");
    c.Finish();
    EXPECT_TRUE(c.boards[0].present);
    EXPECT_TRUE(c.boards[1].present);
    EXPECT_TRUE(c.boards[2].present);
    EXPECT_FALSE(c.boards[3].present);
    EXPECT_EQ(c.boards[0].checksum, "C:0240-00");
    EXPECT_EQ(c.boards[1].type, BoardType::R210);
    EXPECT_EQ(c.boards[1].inputNibble, 5);
    EXPECT_EQ(c.boards[2].probes, (std::vector<std::string>{"JA?", "ZM?", "JN?", "SJ?", "GP"}));
    EXPECT_FALSE(c.boards[2].singleChar);
}

TEST(CorvaneSimConfigTest, CommentsAfterABlankOnly) {
    SimConfig c;
    c.ParseText("[board 0]   # the first\nversion = R-220 #7 # build\nchecksum = C#1\n", "t");
    EXPECT_EQ(c.boards[0].version, "R-220");
    EXPECT_EQ(c.boards[0].checksum, "C#1");
}

TEST(CorvaneSimConfigTest, NothingSaidGivesOneServoBoardAtZero) {
    SimConfig c;
    c.Finish();
    EXPECT_TRUE(c.boards[0].present);
    EXPECT_EQ(c.boards[0].type, BoardType::R220);
    for (int i = 1; i < 16; ++i) EXPECT_FALSE(c.boards[i].present);
}

TEST(CorvaneSimConfigTest, BoardSpecsAndPresentList) {
    SimConfig c;
    c.SetPresentList("1,3");
    c.ParseBoardOption("3:type=R-210,checksum=C:0120-01,probes=JA?+ZM?,position=-5");
    c.ParseBoardOption("7:present=no");
    c.Finish();
    EXPECT_FALSE(c.boards[0].present);
    EXPECT_TRUE(c.boards[1].present);
    EXPECT_TRUE(c.boards[3].present);
    EXPECT_FALSE(c.boards[7].present);
    EXPECT_EQ(c.boards[3].checksum, "C:0120-01");
    EXPECT_EQ(c.boards[3].probes, (std::vector<std::string>{"JA?", "ZM?"}));
    EXPECT_EQ(c.boards[3].position, -5);
    EXPECT_FALSE(c.boards[3].Knows("GP"));
}

TEST(CorvaneSimConfigTest, MistakesAreReportedWithTheirPlace) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"[board 16]\n", "t:1: board address out of 0..15"},
        {"[board 1]\ntype = R-999\n", "t:2: type"},
        {"[board 1]\nspeed = 3\n", "t:2: unknown key \"speed\""},
        {"[board 1]\nposition = 12abc\n", "t:2: position"},
        {"[board 1]\ntravel = 5\n", "t:2: travel"},
        {"[board 1]\nsingle-char = maybe\n", "t:2: single-char"},
        {"baud = -1\n", "t:1: baud"},
        {"[chain]\n", "t:1: unknown section"},
        {"[board 1]\njust words\n", "t:2: expected key = value"},
    };
    for (const Case& k : cases) {
        SimConfig c;
        try {
            c.ParseText(k.text, "t");
            ADD_FAILURE() << "accepted: " << k.text;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()).rfind(k.message, 0), 0u) << e.what();
        }
    }
    SimConfig empty;
    empty.ParseText("[board 0]\ntravel = 10..-10\n", "t");
    EXPECT_THROW(empty.Finish(), std::invalid_argument);
    SimConfig outside;
    outside.ParseText("[board 0]\nposition = 200000\n", "t");
    EXPECT_THROW(outside.Finish(), std::invalid_argument);
    EXPECT_THROW(SimConfig().ParseBoardOption("3type=R-210"), std::invalid_argument);
    EXPECT_THROW(SimConfig().LoadFile("/nonexistent/corvane.conf"), std::invalid_argument);
}

}  // namespace
