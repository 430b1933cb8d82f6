// The demo's picture taken with lmvcam-grab against the simulated board: every driver request it
// makes (SET_INIT set-up and release, the COC load of SET_COC, RUN_COC, the picture read) must be
// byte for byte the recorded one. Pictures land at once (LMVSIM_IMAGE_MS=0), so the number of
// status polls does not depend on the machine's speed. To record the fixture again after a
// deliberate change of the requests, run the test with LMV_RECORD_TRACE=1.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* kFixture = ZR_SOURCE_DIR "/tests/camera/trace/fixtures/demo_grab.trace";
constexpr size_t kShownChars = 160;

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Shown(const std::string& line) {
    return line.size() > kShownChars ? line.substr(0, kShownChars) + "..." : line;
}

class DemoTraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lmv-demo-trace-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        const std::string install =
            Env() + ZR_BUILD_DIR "/bin/lmvpci-install " + dir_ + "/bits > /dev/null";
        ASSERT_EQ(std::system(install.c_str()), 0);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A clean simulated board in the test's own registry and lock folder.
    std::string Env() const {
        return "env -u LMVSIM_CCD_TYP -u LMVSIM_BOARD_TYPE -u LMVSIM_CAMERA_TYP -u LMVSIM_BOARDS "
               "-u LMVSIM_TRACE -u LMVSIM_CCD_TEMP -u LMVSIM_ELE_TEMP -u LMVSIM_NO_CAMERA "
               "-u LMVSIM_HANG -u LMVSIM_SHORT_READ WINPORT_REGISTRY_DIR=" +
               dir_ + "/registry LMVSIM_LOCK_DIR=" + dir_ + " ";
    }

    // The demo's command, run in the bit-file folder as the demo runs it; its exit status.
    int GrabAsTheDemo(const std::string& trace) const {
        const std::string command = "cd " + dir_ + "/bits && " + Env() +
                                    "LMVSIM_IMAGE_MS=0 LMVSIM_TRACE=" + trace +
                                    " " ZR_BUILD_DIR "/bin/lmvcam-grab --board 0 --exposure 10 "
                                    "--output " +
                                    dir_ + "/demo.png > " + dir_ + "/out.txt 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir_;
};

TEST_F(DemoTraceTest, DriverRequestsOfTheDemoPictureAreTheRecordedOnes) {
    const std::string trace = dir_ + "/trace.txt";
    ASSERT_EQ(GrabAsTheDemo(trace), 0);
    const std::vector<std::string> now = Lines(trace);
    ASSERT_FALSE(now.empty());
    if (std::getenv("LMV_RECORD_TRACE")) {
        fs::copy_file(trace, kFixture, fs::copy_options::overwrite_existing);
        GTEST_SKIP() << "fixture recorded";
    }
    const std::vector<std::string> recorded = Lines(kFixture);
    ASSERT_FALSE(recorded.empty()) << kFixture;
    const size_t common = std::min(now.size(), recorded.size());
    for (size_t i = 0; i < common; ++i)
        ASSERT_EQ(now[i], recorded[i]) << "request " << i + 1 << " differs:\n  now      "
                                       << Shown(now[i]) << "\n  recorded " << Shown(recorded[i]);
    EXPECT_EQ(now.size(), recorded.size());
}

TEST_F(DemoTraceTest, TheRecordingCoversSetUpCocLoadPictureAndRelease) {
    const std::vector<std::string> recorded = Lines(kFixture);
    auto count = [&](const std::string& prefix) {
        size_t n = 0;
        for (const auto& l : recorded) n += l.rfind(prefix, 0) == 0;
        return n;
    };
    EXPECT_GE(count("0 ioctl 0x22203c "), 1u);  // FPGA load of the set-up
    EXPECT_GE(count("0 ioctl 0x222028 "), 5u);  // set-up programs and the demo's table
    EXPECT_GE(count("0 read 614400"), 1u);      // the 640 x 480 picture
    EXPECT_EQ(recorded.back(), "0 ioctl 0x222038 in=- out=00000000");
}

}  // namespace
