// Command strings as a whole: splitting, results and errors of invalid and unknown lines, the
// answer queue and its readers, and the commands that run beside a command string.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "tests/motion/tal/TalFixture.h"

namespace taltest {
namespace {

class TalCommandsetTest : public TalFixture {};

TEST_F(TalCommandsetTest, InvalidLinesAreTrueWithTheirErrorLeft) {
    EXPECT_TRUE(Corvane_TalCommandset(id, "MOV A"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
    EXPECT_TRUE(Corvane_TalCommandset(id, "MOV X"));
    EXPECT_EQ(Corvane_GetError(id), ZR_UNKNOWN_AXIS_IDENTIFIER);
    EXPECT_TRUE(Corvane_TalCommandset(id, "MOV A10B20"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
    EXPECT_TRUE(Corvane_TalCommandset(id, ("POS? " + std::string(32769, 'A')).c_str()));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
    EXPECT_TRUE(Corvane_TalCommandset(id, "SVO A 4294967297"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
    // nothing moved, nothing was answered
    for (int a : {0, 1})
        for (const std::string& line : Sent(a)) EXPECT_NE(line.rfind("MA", 0), 0u) << line;
    EXPECT_TRUE(Answers().empty());
}

TEST_F(TalCommandsetTest, AnUnknownLineFailsTheStringAndTheNextLineStillRuns) {
    EXPECT_FALSE(Corvane_TalCommandset(id, "POS? A\nNOSUCH\nMOV A 2\n"));
    EXPECT_TRUE(Got(0, "MA2000")) << iotest::Join(Sent(0));
    EXPECT_EQ(Answers(), (Lines{"A=0.000000\n"}));
    // the third line succeeded, but the second's error waits unread
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_UNKNOWN_COMMAND);
}

TEST_F(TalCommandsetTest, AnUnreadEarlierErrorFailsALaterLine) {
    EXPECT_TRUE(Corvane_TalCommandset(id, "MOV A"));
    EXPECT_FALSE(Corvane_TalCommandset(id, "XXX"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
    EXPECT_TRUE(Corvane_TalCommandset(id, "XXX"));
}

TEST_F(TalCommandsetTest, EmptyPiecesAreDroppedAndCarriageReturnStays) {
    EXPECT_TRUE(Corvane_TalCommandset(id, "\n\nPOS? A\n\n\nPOS? B\n"));
    EXPECT_EQ(Answers(), (Lines{"A=0.000000\n", "B=0.000000\n"}));
    EXPECT_TRUE(Corvane_TalCommandset(id, ""));
    EXPECT_TRUE(Corvane_TalCommandset(id, nullptr));
    // the CR is read as one more identifier
    EXPECT_FALSE(Corvane_TalCommandset(id, "POS? A\r\n"));
    EXPECT_EQ(Corvane_GetError(id), ZR_UNKNOWN_AXIS_IDENTIFIER);
}

TEST_F(TalCommandsetTest, ErrorCheckFlagIsRestoredAfterEveryLine) {
    EXPECT_EQ(Corvane_SetErrorCheck(id, 1), 1);
    EXPECT_FALSE(Corvane_TalCommandset(id, "MOV A\nXXX"));  // an invalid line, then a valid one
    EXPECT_EQ(Corvane_SetErrorCheck(id, 1), 1);
    EXPECT_FALSE(Corvane_TalCommandset(id, "NOSUCH"));
    EXPECT_EQ(Corvane_SetErrorCheck(id, 0), 1);
}

TEST_F(TalCommandsetTest, AnswerSizeAndLinesOfTwoAxes) {
    EXPECT_TRUE(Corvane_TalCommandset(id, "POS A 1\npos? a b"));
    int size = 0;
    ASSERT_TRUE(Corvane_TalGetAnswerSize(id, &size));
    EXPECT_EQ(size, 13);  // "A=1.000000 \n" and the NUL
    char buffer[32];
    // too small: the line stays
    EXPECT_FALSE(Corvane_TalGetAnswer(id, buffer, 12));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_FALSE(Corvane_TalGetAnswer(id, buffer, -1));
    EXPECT_FALSE(Corvane_TalGetAnswer(id, nullptr, 100));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    ASSERT_TRUE(Corvane_TalGetAnswer(id, buffer, 13));
    EXPECT_STREQ(buffer, "A=1.000000 \n");
    ASSERT_TRUE(Corvane_TalGetAnswerSize(id, &size));
    EXPECT_EQ(size, 12);
    ASSERT_TRUE(Corvane_TalGetAnswer(id, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "B=0.000000\n");
    // empty: TRUE, the buffer untouched, size 0
    apitest::MarkedBuffer marked(8);
    EXPECT_TRUE(Corvane_TalGetAnswer(id, marked.data(), 8));
    EXPECT_TRUE(marked.Untouched());
    ASSERT_TRUE(Corvane_TalGetAnswerSize(id, &size));
    EXPECT_EQ(size, 0);
    EXPECT_EQ(Corvane_GetError(id), 0);
}

// Axis A has a stage, axis B none.
class TalOneStageTest : public iotest::IoFixture {
  protected:
    void SetUp() override {
        IoFixture::SetUp();
        Ready(0, true);
    }
};

TEST_F(TalOneStageTest, AnAxisWithoutStageAnswersAnEmptyName) {
    EXPECT_TRUE(Corvane_TalCommandset(id, "SPA? B60 A60 B60"));
    EXPECT_EQ(Corvane_GetError(id), 0);
    Lines lines;
    char buffer[64];
    for (int size = 0; Corvane_TalGetAnswerSize(id, &size) && size > 0;) {
        ASSERT_TRUE(Corvane_TalGetAnswer(id, buffer, sizeof buffer));
        lines.push_back(buffer);
    }
    EXPECT_EQ(lines, (Lines{"B60= \n", "A60=TESTSERVO \n", "B60=\n"}));
}

TEST_F(TalOneStageTest, StageQueryListsEveryPresentAxis) {
    // B has neither stage nor initialisation; CST? without axes still lists it
    EXPECT_TRUE(Corvane_TalCommandset(id, "CST?")) << Corvane_GetError(id);
    Lines lines;
    char buffer[64];
    for (int size = 0; Corvane_TalGetAnswerSize(id, &size) && size > 0;) {
        ASSERT_TRUE(Corvane_TalGetAnswer(id, buffer, sizeof buffer));
        lines.push_back(buffer);
    }
    EXPECT_EQ(lines, (Lines{"A=TESTSERVO \n", "B=NOSTAGE\n"}));
}

TEST_F(TalCommandsetTest, IsMovingMaskOfTheFirstTwoAxes) {
    EXPECT_TRUE(Corvane_TalCommandset(id, "\x05"));
    EXPECT_EQ(Answers(), (Lines{"0\n"}));
    ASSERT_TRUE(Corvane_TalCommandset(id, "MOV A 40 B 40"));
    EXPECT_TRUE(Corvane_TalCommandset(id, "\x05"));
    EXPECT_EQ(Answers(), (Lines{"3\n"}));
    EXPECT_FALSE(Corvane_TalCommandset(id, "STP"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_STOPPED_BY_COMMAND);
}

TEST_F(TalCommandsetTest, ControlCharactersKeepTheLocalError) {
    EXPECT_TRUE(Corvane_TalCommandset(id, "MOV A"));  // leaves error 1
    EXPECT_FALSE(Corvane_TalCommandset(id, "\x07"));
    EXPECT_FALSE(Corvane_TalCommandset(id, "\x08"));
    EXPECT_EQ(Answers(), (Lines{"\xB1\n", "0\n"}));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
}

TEST_F(TalCommandsetTest, MacroRecordedAndListedByLines) {
    ASSERT_TRUE(Corvane_TalCommandset(id, "MAC BEG AMC1\nMVR A 1\nMAC END"))
        << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_TalCommandset(id, "MAC? AMC1")) << Corvane_GetError(id);
    const Lines lines = Answers();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "MVR A1\n") << iotest::Join(lines);
}

TEST_F(TalCommandsetTest, ReferenceAnswerComesAfterTheRestOfTheString) {
    // the reference thread adds its last answer under the lock the string holds
    ASSERT_TRUE(Corvane_TalCommandset(id, "REF A\n*IDN?")) << Corvane_GetError(id);
    const Lines lines = AnswersWhenThere(2, 120s);
    ASSERT_EQ(lines.size(), 2u) << iotest::Join(lines);
    EXPECT_EQ(lines[0], "Telvar Motion,Corvane TAL Network,,2.2.0.38\n");
    EXPECT_TRUE(lines[1] == "1\n" || lines[1] == "0\n") << lines[1];
}

TEST_F(TalCommandsetTest, AFailedReferenceLineLeavesNoAnswersForTheExport) {
    EXPECT_FALSE(Corvane_TalCommandset(id, "REF Z"));
    EXPECT_EQ(Corvane_GetError(id), ZR_UNKNOWN_AXIS_IDENTIFIER);
    ASSERT_TRUE(Corvane_REF(id, "A")) << Corvane_GetError(id);
    const auto end = std::chrono::steady_clock::now() + 120s;
    ZR_BOOL running = 1;
    while (running && std::chrono::steady_clock::now() < end) {
        ASSERT_TRUE(Corvane_IsReferencing(id, "A", &running));
        if (running) std::this_thread::sleep_for(20ms);
    }
    ASSERT_FALSE(running);
    EXPECT_TRUE(Answers().empty());
}

TEST_F(TalCommandsetTest, AnswersFetchedFromAnotherThreadWhileTheTableIsRead) {
    std::atomic<bool> done{false};
    auto reader = std::async(std::launch::async, [&] {
        Lines lines;
        const auto end = std::chrono::steady_clock::now() + 120s;
        while (std::chrono::steady_clock::now() < end) {
            int size = 0;
            if (!Corvane_TalGetAnswerSize(id, &size)) break;
            if (size == 0) {
                if (done && !lines.empty() && lines.back().find(" \n") == std::string::npos) break;
                std::this_thread::sleep_for(5ms);
                continue;
            }
            std::string line(static_cast<size_t>(size), '\0');
            if (!Corvane_TalGetAnswer(id, line.data(), size)) break;
            line.resize(static_cast<size_t>(size - 1));
            lines.push_back(line);
        }
        return lines;
    });
    const ZR_BOOL result = Corvane_TalCommandset(id, "JLT? 1 20");
    done = true;
    const Lines lines = reader.get();
    EXPECT_TRUE(result) << Corvane_GetError(id);
    ASSERT_GT(lines.size(), 20u);
    size_t header = 0;
    while (header < lines.size() && lines[header][0] == '#') ++header;
    ASSERT_GT(header, 0u);
    EXPECT_EQ(lines[header - 1].substr(lines[header - 1].size() - 2), " \n");
    ASSERT_EQ(lines.size() - header, 20u);
    for (size_t k = header; k < lines.size(); ++k) {
        const bool last = k + 1 == lines.size();
        EXPECT_EQ(lines[k].substr(lines[k].size() - 2), last ? "0\n" : " \n") << lines[k];
    }
}

}  // namespace
}  // namespace taltest
