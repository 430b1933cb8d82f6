// lmvcam-grab as a user runs it, against the simulated board installed into the test's own
// registry and folder.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class GrabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lmvcam-grab-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        const std::string install =
            Env() + ZR_BUILD_DIR "/bin/lmvpci-install " + dir_ + "/bits > /dev/null";
        ASSERT_EQ(std::system(install.c_str()), 0);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A clean simulated board: the test's registry, lock files and no LMVSIM_* settings.
    std::string Env() const {
        return "env -u LMVSIM_CCD_TYP -u LMVSIM_BOARD_TYPE -u LMVSIM_TRACE WINPORT_REGISTRY_DIR=" +
               dir_ + "/registry LMVSIM_LOCK_DIR=" + dir_ + " ";
    }
    // Runs the tool in the bit-file folder; its exit status.
    int Grab(const std::string& arguments, const std::string& env = "") const {
        const std::string command = "cd " + dir_ + "/bits && " + Env() + env +
                                    " " ZR_BUILD_DIR "/bin/lmvcam-grab " + arguments + " > " +
                                    dir_ + "/out.txt 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Output() const {
        std::ifstream in(dir_ + "/out.txt");
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Width and height from a PNG file's header; 0, 0 when it is none.
    static std::pair<uint32_t, uint32_t> PngSize(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        unsigned char head[24] = {};
        in.read(reinterpret_cast<char*>(head), sizeof head);
        const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        if (!in || std::memcmp(head, signature, 8) != 0) return {0, 0};
        auto be = [&](int at) {
            return uint32_t{head[at]} << 24 | uint32_t{head[at + 1]} << 16 |
                   uint32_t{head[at + 2]} << 8 | head[at + 3];
        };
        return {be(16), be(20)};
    }

    std::string dir_;
};

TEST_F(GrabTest, WritesThePictureOfTheWholeSensor) {
    ASSERT_EQ(Grab("-o " + dir_ + "/one.png"), 0) << Output();
    EXPECT_EQ(PngSize(dir_ + "/one.png"), std::make_pair(640u, 480u));
    EXPECT_NE(Output().find("wrote " + dir_ + "/one.png (640 x 480"), std::string::npos);
}

TEST_F(GrabTest, RegionBinningAndCountName) {
    ASSERT_EQ(Grab("--region 2,5,1,4 --binning 2,2 --count 2 -q --output " + dir_ + "/s.png"), 0)
        << Output();
    for (const char* name : {"/s-001.png", "/s-002.png"})
        EXPECT_EQ(PngSize(dir_ + name), std::make_pair(64u, 64u)) << name;
    EXPECT_EQ(Output(), dir_ + "/s-001.png\n" + dir_ + "/s-002.png\n");
}

TEST_F(GrabTest, RefusesWrongOptionsAndReportsAFailingBoard) {
    EXPECT_EQ(Grab("--board 10"), 2);
    EXPECT_EQ(Grab("--region 3,2,1,1"), 2);
    EXPECT_EQ(Grab("--exposure"), 2);
    EXPECT_EQ(Grab("--colour"), 2);
    EXPECT_EQ(Grab("-o " + dir_ + "/hot.png", "LMVSIM_CCD_TEMP=70"), 1);
    EXPECT_NE(Output().find("SET_INIT(1) returned -1"), std::string::npos) << Output();
    EXPECT_FALSE(fs::exists(dir_ + "/hot.png"));
}

}  // namespace
