#pragma once
// A simulated board installed into the test's own registry and bit-file folder, behind the
// driver seam, with the library's tables fresh; the board's settings come from LMVSIM_* values
// set before SET_INIT.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/lmvpci/SimEnvironment.h"
#include "simulators/lmvpci/SimInstalled.h"

namespace testing_board {

// Lower-case hex of bytes, as the trace writes them.
std::string Hex(const void* data, size_t size);

class BoardTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The board's setting as an LMVSIM_* variable.
    static void Sim(const std::string& name, const std::string& value);
    // HKEY_CURRENT_USER "Software\RVD\LMVTEST" "Initmode".
    static void SetInitmode(uint32_t value);
    // Opens the message log with `bits` into the test's folder; its text.
    void OpenLog(unsigned bits);
    std::string LogText() const;

    std::vector<std::string> Trace() const { return env_.TraceLines(); }
    void ClearTrace() const { env_.ClearTrace(); }
    // Trace lines of one request code ("0x22203c").
    std::vector<std::string> TraceOf(const std::string& code) const;

    const std::string& BitDir() const { return installed_.BitDir(); }

    testing_lmvpci::SimEnvironment env_;

  private:
    testing_lmvpci::SimInstalled installed_{env_.Dir()};
};

}  // namespace testing_board
