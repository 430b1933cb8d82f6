// The chain as seen from the line: selection, framing, command lines, status bytes, probes.
#include <gtest/gtest.h>

#include "tests/simulators/corvane/SimFixture.h"

namespace {

const char* kTwoBoards =
    "[board 0]\n"
    "type = R-220\n"
    "[board 1]\n"
    "type = R-210\n"
    "[board 5]\n"
    "type = R-220\n"
    "present = no\n";

class CorvaneSimProtocolTest : public SimFixture {};

TEST_F(CorvaneSimProtocolTest, OnlyTheSelectedBoardAnswers) {
    StartChain(kTwoBoards);
    client->Select(0);
    EXPECT_EQ(Ask("TB"), "B:0");
    client->Select(1);
    EXPECT_EQ(Ask("TB"), "B:1");
    // the selection sticks until the next select sequence
    EXPECT_EQ(Ask("TB"), "B:1");
    // an empty address (5 is configured absent) answers nothing, and neither does anyone else
    client->Select(5);
    client->Send("TB");
    EXPECT_EQ(client->ReadRawFor(300ms), "");
    client->Select(0xA);
    client->Send("TB");
    EXPECT_EQ(client->ReadRawFor(200ms), "");
    client->Select(0);
    EXPECT_EQ(Ask("TB"), "B:0");
    EXPECT_EQ(sim->ReceivedLines(0), (std::vector<std::string>{"TB", "TB"}));
    EXPECT_EQ(sim->ReceivedLines(1), (std::vector<std::string>{"TB", "TB"}));
    EXPECT_EQ(sim->ReceivedLines(corvane_sim::Transcript::kUnselected),
              (std::vector<std::string>{"TB", "TB"}));
}

TEST_F(CorvaneSimProtocolTest, AnswersEndWithCrLfEtx) {
    StartChain(kTwoBoards);
    client->Select(0);
    client->Send("TP");
    std::string raw;
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (raw.find('\x03') == std::string::npos && client->Fill(deadline)) {
        raw = client->ReadRawFor(0ms);
    }
    EXPECT_EQ(raw, "P:10000\r\n\x03");
}

TEST_F(CorvaneSimProtocolTest, CommandsOfOneLineRunInOrder) {
    StartChain(kTwoBoards);
    client->Select(0);
    client->Send("SV1234,SA5678,TY,TB,TY");
    EXPECT_EQ(client->ReadAnswer(), "Y:1234");
    EXPECT_EQ(client->ReadAnswer(), "B:0");
    EXPECT_EQ(client->ReadAnswer(), "Y:1234");
    EXPECT_EQ(sim->Snapshot(0).acceleration, 5678);
    // blanks around the pieces and lower case are taken; garbage pieces are skipped
    client->Send(" sv 77 ,!!,TY");
    EXPECT_EQ(client->ReadAnswer(), "Y:77");
}

TEST_F(CorvaneSimProtocolTest, StatusBytesOfBothBoardTypes) {
    StartChain(
        "[board 0]\ntype=R-220\nposition=-500\nreference=0\nneg-limit=-400\n"
        "[board 1]\ntype=R-210\nposition=600\nreference=0\npos-limit=500\ninput-nibble=9\n"
        "error-code=4\n");
    client->Select(0);
    // motor off, trajectory complete, negative limit active, reference low, no error
    EXPECT_EQ(Ask("TS"), "S:84 00 00 00 08 00");
    client->Send("MN");
    EXPECT_EQ(Ask("TS"), "S:04 00 00 00 08 00");
    sim->SetErrorCode(0, 0x2B);
    EXPECT_EQ(Ask("TS"), "S:04 00 00 00 08 2B");

    client->Select(1);
    // three bytes; motor off 0x20, complete 0x02; reference 0x02 and positive limit
    // 0x04 in byte 1 below the configured upper nibble; the error code last
    EXPECT_EQ(Ask("TS"), "S:22 96 04");
    client->Send("MN");
    EXPECT_EQ(Ask("TS"), "S:02 96 04");
}

TEST_F(CorvaneSimProtocolTest, SingleStatusByteOnlyWhereSupported) {
    StartChain("[board 0]\nsingle-char=yes\n[board 1]\nsingle-char=no\n");
    client->Select(0);
    client->SendRaw("%");
    EXPECT_EQ(client->ReadAnswer(), "S:84 00 00 00 02 00");
    client->Select(1);
    client->SendRaw("%");
    EXPECT_EQ(client->ReadRawFor(300ms), "");
    // the stray byte does not spoil the next command
    EXPECT_EQ(Ask("TS"), "S:84 00 00 00 02 00");
    EXPECT_EQ(sim->ReceivedLines(1), (std::vector<std::string>{"%", "TS"}));
}

TEST_F(CorvaneSimProtocolTest, VersionChecksumAndProbes) {
    StartChain(
        "[board 0]\ntype=R-220\n"
        "[board 1]\ntype=R-210\n"
        "[board 2]\ntype=R-210\nversion=R-210 V1.09\nchecksum=C:0109-06\nprobes=SJ?\n"
        "sj-answer=J\n");
    struct Case {
        int board;
        const char* query;
        std::optional<std::string> answer;
    };
    const Case cases[] = {
        {0, "VE", "R-220 Version 2.40"},
        {0, "CS", "C:0240-00"},
        {0, "GP", "G:0"},
        {0, "WT?", "WT:0"},
        {0, "SB?", "SB:0"},
        {0, "JA?", "JA:1"},
        {0, "SJ?", "SJ:0"},
        {1, "VE", "R-210 Version 1.20"},
        {1, "CS", "C:0120-03"},
        {1, "GP", std::nullopt},
        {1, "WT?", std::nullopt},
        {1, "SB?", std::nullopt},
        {1, "ZM?", "ZM:0"},
        {2, "CS", "C:0109-06"},
        {2, "JA?", std::nullopt},
        {2, "SJ?", "JS:0"},
    };
    for (const Case& c : cases) {
        client->Select(c.board);
        client->Send(c.query);
        auto answer = client->ReadAnswer(c.answer ? 5000ms : 300ms);
        EXPECT_EQ(answer, c.answer) << "board " << c.board << " " << c.query;
    }
}

TEST_F(CorvaneSimProtocolTest, ProbeValuesFollowTheSetters) {
    StartChain("[board 0]\n");
    client->Select(0);
    client->Send("DP250,ZM2,JA3,SI7,SJ-512,SI8,SJ100");
    EXPECT_EQ(Ask("GP"), "G:250");
    EXPECT_EQ(Ask("ZM?"), "ZM:2");
    EXPECT_EQ(Ask("JA?"), "JA:3");
    EXPECT_EQ(Ask("SI7,SJ?"), "SJ:-512");
    EXPECT_EQ(Ask("JN?"), "JN:0");
    client->Send("JN500");
    EXPECT_EQ(Ask("JN?"), "JN:500");
    EXPECT_EQ(ParseStatus(Ask("TS"))[3] & 0x10, 0x10);
    client->Send("JF");
    EXPECT_EQ(Ask("JN?"), "JN:0");
}

TEST_F(CorvaneSimProtocolTest, SelectionResetsAPartialLine) {
    StartChain(kTwoBoards);
    client->Select(0);
    client->SendRaw("MA99");  // cut off by a new selection before its CR
    client->Select(0);
    EXPECT_EQ(Ask("TT"), "T:10000");
}

TEST_F(CorvaneSimProtocolTest, OverlongLineSetsTheOverflowCode) {
    StartChain(kTwoBoards);
    client->Select(0);
    client->Send(std::string(400, 'A'));
    EXPECT_EQ(ParseStatus(Ask("TS"))[5], 2);
    // it stands while values are read, and goes with the next command carried out
    EXPECT_EQ(Ask("TP"), "P:10000");
    EXPECT_EQ(ParseStatus(Ask("TS"))[5], 2);
    client->Send("SV100");
    EXPECT_EQ(ParseStatus(Ask("TS"))[5], 0);
}

}  // namespace
