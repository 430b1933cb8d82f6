// corvane-tal as a user runs it: lines from -c, a script or a pipe, and typed on a terminal,
// against a simulated chain of two boards on a pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "simulators/corvane/CorvaneSim.h"
#include "simulators/corvane/SimConfig.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* kTool = ZR_BUILD_DIR "/bin/corvane-tal";
const char* kIdentification = "Telvar Motion,Corvane TAL Network,,2.2.0.38";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CorvaneTalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/corvane-tal-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        corvane_sim::SimConfig config;
        config.ParseText("[board 0]\ntype = R-220\n[board 1]\ntype = R-210\n", "test");
        config.Finish();
        sim = std::make_unique<corvane_sim::CorvaneSim>(config);
        device = sim->Start();
    }
    void TearDown() override {
        sim.reset();
        fs::remove_all(dir);
    }

    // Runs the tool with the chain's device; its exit status, with out and err filled.
    int Run(const std::string& arguments, const std::string& input = "") {
        std::ofstream(dir + "/in.txt", std::ios::binary) << input;
        const std::string command = "ASAN_OPTIONS=detect_leaks=0 XDG_STATE_HOME=" + dir +
                                    "/state " + kTool + " --device " + device + " --boards 2 " +
                                    arguments + " < " + dir + "/in.txt > " + dir + "/out.txt 2> " +
                                    dir + "/err.txt";
        const int status = std::system(command.c_str());
        out = ReadFile(dir + "/out.txt");
        err = ReadFile(dir + "/err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string dir;
    std::string device;
    std::unique_ptr<corvane_sim::CorvaneSim> sim;
    std::string out;
    std::string err;
};

TEST_F(CorvaneTalTest, LinesFromTheCommandLine) {
    EXPECT_EQ(Run("-c '*IDN?' -c ERR? -c '#7'"), 0) << err;
    EXPECT_EQ(out, std::string(kIdentification) + "\n0\n\\xB1\n");
    EXPECT_EQ(err, "");
}

TEST_F(CorvaneTalTest, AFailedLineEndsWithOneAndItsErrorOnStandardError) {
    // an unknown word, then a line that does not parse (TRUE, but its error is shown)
    EXPECT_EQ(Run("-c NOSUCH -c XXX"), 1);
    EXPECT_EQ(err, "error 2: Unknown command\n");
    EXPECT_EQ(Run("-c 'MOV A' -c XXX"), 1);
    EXPECT_EQ(err, "error 1: Parameter syntax error\n");
}

TEST_F(CorvaneTalTest, ScriptLinesLoseTheirCarriageReturn) {
    std::ofstream(dir + "/script.tal", std::ios::binary) << "*IDN?\r\n\r\nTIO?\r\n";
    EXPECT_EQ(Run(dir + "/script.tal"), 0) << err;
    EXPECT_EQ(out, std::string(kIdentification) + "\nI=8\nO=8\n");
}

TEST_F(CorvaneTalTest, LinesFromAPipe) {
    EXPECT_EQ(Run("", "ERR?\n#8\n"), 0) << err;
    EXPECT_EQ(out, "0\n0\n");
}

TEST_F(CorvaneTalTest, UsageErrorsAndHelp) {
    EXPECT_EQ(Run("--boards 0"), 2);
    EXPECT_NE(err.find("--boards"), std::string::npos) << err;
    EXPECT_EQ(Run("-c XXX script.tal"), 2);
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(out.find("Exit status"), std::string::npos);
    EXPECT_EQ(Run("missing-script.tal"), 1);
}

TEST_F(CorvaneTalTest, NoControllerEndsWithOne) {
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    device = name;  // nobody answers there
    EXPECT_EQ(Run("--boards 1 -c XXX"), 1);
    EXPECT_NE(err.find("no controller"), std::string::npos) << err;
    ::close(slave);
    ::close(master);
}

// ---- on a terminal -------------------------------------------------------------------------

// Reads from the terminal until text has appeared in what was read after position from
// (bounded).
bool ReadUntil(int fd, std::string& seen, const std::string& text, std::chrono::seconds limit,
               size_t from = 0) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (seen.find(text, from) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) != 1) return false;
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        seen.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

size_t Count(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t pos = text.find(piece); pos != std::string::npos; pos = text.find(piece, pos + 1))
        ++n;
    return n;
}

TEST_F(CorvaneTalTest, TypedLinesWithHistory) {
    const std::string state = dir + "/state";
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("XDG_STATE_HOME", state.c_str(), 1);
        ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        ::setenv("TERM", "xterm", 1);
        ::execl(kTool, kTool, "--device", device.c_str(), "--boards", "2",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string seen;
    ASSERT_TRUE(ReadUntil(master, seen, "TAL> ", 60s)) << seen;
    ASSERT_EQ(::write(master, "*IDN?\r", 6), 6);
    ASSERT_TRUE(ReadUntil(master, seen, kIdentification, 60s)) << seen;
    size_t mark = seen.find(kIdentification);
    ASSERT_TRUE(ReadUntil(master, seen, "TAL> ", 60s, mark)) << seen;
    // the up arrow brings the line back
    mark = seen.size();
    ASSERT_EQ(::write(master, "\x1b[A", 3), 3);
    ASSERT_TRUE(ReadUntil(master, seen, "*IDN?", 60s, mark)) << seen;
    ASSERT_EQ(::write(master, "\r", 1), 1);
    ASSERT_TRUE(ReadUntil(master, seen, kIdentification, 60s, mark)) << seen;
    EXPECT_EQ(Count(seen, kIdentification), 2u) << seen;
    // Ctrl-D ends the session; the history is written
    mark = seen.find(kIdentification, mark);
    ASSERT_TRUE(ReadUntil(master, seen, "TAL> ", 60s, mark)) << seen;
    ASSERT_EQ(::write(master, "\x04", 1), 1);
    int status = -1;
    pid_t ended = 0;
    for (const auto end = std::chrono::steady_clock::now() + 60s;
         ended == 0 && std::chrono::steady_clock::now() < end;) {
        ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == 0) (void)ReadUntil(master, seen, "never shown", 1s);
        // Under load libedit now and then echoes a Ctrl-D without ending its read; a user then
        // presses Return and Ctrl-D again, and so does the test
        if (ended == 0) (void)::write(master, "\r\x04", 2);
    }
    if (ended == 0) {
        ::kill(pid, SIGKILL);
        (void)::waitpid(pid, &status, 0);
    }
    ASSERT_EQ(ended, pid) << "did not end on Ctrl-D: " << seen;
    ::close(master);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << seen;
    EXPECT_NE(ReadFile(state + "/corvane-tal/history").find("*IDN?"), std::string::npos);
}

}  // namespace
