// A program that returns from main while its recording runs ends normally: the camera library's
// unload stops and joins the recording thread before it frees the buffers and the record.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class RecorderExitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lmv-recorder-exit-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Env() const {
        return "env -u LMVSIM_CCD_TYP -u LMVSIM_BOARD_TYPE -u LMVSIM_TRACE LMVSIM_IMAGE_MS=0 "
               "WINPORT_AVAILABLE_MEMORY=67108864 WINPORT_REGISTRY_DIR=" +
               dir_ + "/registry LMVSIM_LOCK_DIR=" + dir_ + " ";
    }
    std::string ReadOut() const {
        std::string text;
        if (FILE* f = std::fopen((dir_ + "/out.txt").c_str(), "r")) {
            char buffer[512];
            while (std::fgets(buffer, sizeof buffer, f)) text += buffer;
            std::fclose(f);
        }
        return text;
    }

    std::string dir_;
};

TEST_F(RecorderExitTest, ExitDuringARecording) {
    const std::string install =
        Env() + ZR_BUILD_DIR "/bin/lmvpci-install " + dir_ + "/bits > /dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0);
    for (int run = 0; run < 5; ++run) {
        const std::string command =
            Env() + ZR_BUILD_DIR "/bin/camera_exit_while_recording > " + dir_ + "/out.txt 2>&1";
        const int status = std::system(command.c_str());
        const std::string out = ReadOut();
        ASSERT_TRUE(WIFEXITED(status)) << out;
        EXPECT_EQ(WEXITSTATUS(status), 0) << out;
        EXPECT_NE(out.find("recording 1"), std::string::npos) << out;
        EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << out;
    }
}

}  // namespace
