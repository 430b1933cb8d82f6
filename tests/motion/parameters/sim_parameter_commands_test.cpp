// The parameter commands of the simulated boards, on one board without a line: what each board
// type answers and keeps, and what firmware without the feature ignores.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simulators/corvane/Board.h"
#include "simulators/corvane/SimConfig.h"

namespace {

using Lines = std::vector<std::string>;

corvane_sim::BoardConfig Config(corvane_sim::BoardType type, const char* probes = nullptr) {
    corvane_sim::SimConfig chain;
    chain.SetBoardOption(0, "type", type == corvane_sim::BoardType::R220 ? "R-220" : "R-210");
    if (probes) chain.SetBoardOption(0, "probes", probes);
    chain.Finish();
    return chain.boards[0];
}

Lines Answers(corvane_sim::Board& board, const std::string& line) {
    Lines answers;
    board.AcceptLine(line);
    board.Run(corvane_sim::Board::Clock::now(), answers);
    return answers;
}

TEST(SimParameterCommandsTest, AnR220AnswersEveryReadOutAndKeepsItsSettings) {
    corvane_sim::Board board(0, Config(corvane_sim::BoardType::R220));
    EXPECT_EQ(Answers(board, "DP5,DI7,DD9,DL11,GP,GI,GD,GL"), (Lines{"G:5", "I:7", "D:9", "M:11"}));
    board.SetForce(-42);
    EXPECT_EQ(Answers(board, "TR"), Lines{"R:-42"});
    const char* settings[] = {"WW", "FN", "FQ", "FM", "FA", "FP", "FI", "FL", "FD", "FO", "FT"};
    int value = -3;
    for (const char* s : settings) {
        const std::string name = s;
        EXPECT_EQ(Answers(board, name + "?"), Lines{name + ":0"}) << name;
        EXPECT_EQ(Answers(board, name + std::to_string(value) + "," + name + "?"),
                  Lines{name + ":" + std::to_string(value)})
            << name;
        value += 7;
    }
}

TEST(SimParameterCommandsTest, FirmwareWithoutTheFeatureIgnoresItsCommands) {
    corvane_sim::Board stepper(0, Config(corvane_sim::BoardType::R210));
    EXPECT_EQ(Answers(stepper, "DI7,GI,GD,GL,TR,WW5,WW?,FQ250,FQ?"), Lines{});
    // an older R-220 firmware: servo gains, but neither settle window nor force control
    corvane_sim::Board older(0, Config(corvane_sim::BoardType::R220, "JA? GP"));
    EXPECT_EQ(Answers(older, "DL4,GL,TR,FM1,FM?,WW5,WW?"), Lines{"M:4"});
}

}  // namespace
