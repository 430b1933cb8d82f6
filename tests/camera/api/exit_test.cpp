// A program that leaves a board initialised, or whose set-up failed, ends normally: the camera
// library's unload at exit still finds the settings store it reads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class ExitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lmv-exit-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Env() const {
        return "env -u LMVSIM_CCD_TYP -u LMVSIM_BOARD_TYPE -u LMVSIM_TRACE WINPORT_REGISTRY_DIR=" +
               dir_ + "/registry LMVSIM_LOCK_DIR=" + dir_ + " ";
    }
    // The program's exit code, -1 when it ended by a signal; its output in out.
    int Run(std::string& out) const {
        const std::string command =
            Env() + ZR_BUILD_DIR "/bin/camera_exit_with_board > " + dir_ + "/out.txt 2>&1";
        const int status = std::system(command.c_str());
        out = ReadOut();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

TEST_F(ExitTest, BoardLeftInitialisedAtExit) {
    const std::string install =
        Env() + ZR_BUILD_DIR "/bin/lmvpci-install " + dir_ + "/bits > /dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0);
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
