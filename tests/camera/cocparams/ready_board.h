#pragma once
// Test stand-in for the board set-up until SET_INIT exists: opens a board's device on the
// simulated board (linked in), resets the board, writes the record a fresh set-up leaves and
// marks the board ready. Internal to the tests, not an export.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/board_record.h"
#include "simulators/lmvpci/SimEnvironment.h"

namespace testing_lmv {

// The record of a board after set-up, before a camera was identified: camera type 2, CCD type 1,
// 640 x 480, full region, time values 0, 10000, -1, -1.
void WriteDefaultRecord(lmv::board_record& rec, int board);

// 0, or the first failing step's code.
int OpenReadyBoard(int board);

// Library tables and the simulated board behind the driver seam, board 0 ready; a private trace
// and log per test.
class ReadyBoardTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    lmv::board_record& Rec(int board = 0);
    std::vector<std::string> TraceOf(const std::function<void()>& action);
    // Opens the message log with the COC bits into the test's folder.
    void OpenLog(unsigned bits);
    std::string LogText() const;

    testing_lmvpci::SimEnvironment env_;
};

// The wire forms the trace shows.
std::string Le(std::initializer_list<uint32_t> words);
std::string RegisterWrite(int board, uint32_t reg, uint32_t value);
std::string CocLoad(int board, const std::vector<uint16_t>& words);

}  // namespace testing_lmv
