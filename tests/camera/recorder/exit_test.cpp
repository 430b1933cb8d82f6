// A program that returns from main while its recording runs ends normally: the camera library's
// unload stops and joins the recording thread before it frees the buffers and the record.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>

#include "tests/camera/fixture/exit_program_test.h"

namespace {

constexpr const char* kSettings = "LMVSIM_IMAGE_MS=0 WINPORT_AVAILABLE_MEMORY=67108864";

class RecorderExitTest : public camtest::ExitProgramTest {};

TEST_F(RecorderExitTest, ExitDuringARecording) {
    ASSERT_EQ(Install(kSettings), 0);
    for (int run = 0; run < 5; ++run) {
        std::string out;
        const int status = Run("camera_exit_while_recording", out, kSettings);
        ASSERT_TRUE(WIFEXITED(status)) << out;
        EXPECT_EQ(WEXITSTATUS(status), 0) << out;
        EXPECT_NE(out.find("recording 1"), std::string::npos) << out;
        EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << out;
    }
}

}  // namespace
