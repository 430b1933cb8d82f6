#pragma once
// A ready board whose record holds the set-up's defaults as they stand before the camera is
// identified (camera type 2, CCD type 1, 640 x 480, exposure 100 to 1000000 us): opens a board's
// device on the simulated board (linked in), resets the board, writes the library's record
// defaults and marks the board ready. SET_INIT itself goes on to the camera's limits, which these
// tests do not expect. Internal to the tests, not an export.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/board_record.h"
#include "simulators/lmvpci/SimEnvironment.h"

namespace testing_lmv {

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
