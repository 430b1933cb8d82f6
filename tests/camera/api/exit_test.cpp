// A program that leaves a board initialised, or whose set-up failed, ends normally: the camera
// library's unload at exit still finds the settings store it reads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>

#include "tests/camera/fixture/exit_program_test.h"

namespace {

class ExitTest : public camtest::ExitProgramTest {
  protected:
    // The program's exit code, -1 when it ended by a signal; its output in out.
    int Run(std::string& out) const {
        const int status = ExitProgramTest::Run("camera_exit_with_board", out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(ExitTest, BoardLeftInitialisedAtExit) {
    ASSERT_EQ(Install(), 0);
    std::string out;
    EXPECT_EQ(Run(out), 0) << out;
    EXPECT_NE(out.find("SET_INIT(1) = 0"), std::string::npos) << out;
}

TEST_F(ExitTest, FailedSetUpAtExit) {
    std::string out;
    EXPECT_EQ(Run(out), 0) << out;  // no installation: set-up fails, the exit must not
    EXPECT_EQ(out.find("SET_INIT(1) = 0"), std::string::npos) << out;
}

}  // namespace
