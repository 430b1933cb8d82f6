// The corvane-sim program: port line, port file, serving, clean exit on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "tests/simulators/corvane/SerialClient.h"
#include "tests/simulators/corvane/SimProgram.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

using simprogram::WaitForExit;

TEST(CorvaneSimProgramTest, ServesOnItsPortUntilTerminated) {
    char dir[] = "/tmp/corvane-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string portFile = std::string(dir) + "/port";
    std::string program = std::string(ZR_BUILD_DIR) + "/bin/corvane-sim";
    std::vector<std::string> args = {program,   "--com",        "3",           "--boards", "0,2",
                                     "--board", "2:type=R-210", "--port-file", portFile};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);

    const std::string line = simprogram::WaitForPortLine(portFile, 20s);
    ASSERT_EQ(line.rfind("WINPORT_COM3=/dev/pts/", 0), 0u) << line;
    std::string port = line.substr(line.find('=') + 1);
    struct stat served {};
    ASSERT_EQ(stat(port.c_str(), &served), 0);
    {
        SerialClient client(port);
        ASSERT_TRUE(client.IsOpen());
        client.Select(2);
        EXPECT_EQ(client.Query("TB"), "B:2");
        EXPECT_EQ(client.Query("VE"), "R-210 Version 1.20");
        client.Select(1);
        client.Send("TB");
        EXPECT_EQ(client.ReadRawFor(200ms), "");
    }
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_TRUE(WaitForExit(pid, status, 20s));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat st {};
    EXPECT_NE(stat(portFile.c_str(), &st), 0) << "port file removed at exit";
    // Gone with the program; a test running beside this one may get the same number at once,
    // but then for a terminal made later.
    const bool gone = stat(port.c_str(), &st) != 0 || st.st_ctim.tv_sec != served.st_ctim.tv_sec ||
                      st.st_ctim.tv_nsec != served.st_ctim.tv_nsec;
    EXPECT_TRUE(gone) << "port gone with the program";
    rmdir(dir);
}

TEST(CorvaneSimProgramTest, FaultsFromStandardInput) {
    char dir[] = "/tmp/corvane-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string portFile = std::string(dir) + "/port";
    std::string program = std::string(ZR_BUILD_DIR) + "/bin/corvane-sim";
    std::vector<std::string> args = {program, "--control", "--port-file", portFile};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int control[2];
    ASSERT_EQ(pipe(control), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, control[0], 0);
    posix_spawn_file_actions_addclose(&actions, control[1]);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(control[0]);

    const std::string line = simprogram::WaitForPortLine(portFile, 20s);
    ASSERT_FALSE(line.empty());
    {
        SerialClient client(line.substr(line.find('=') + 1));
        client.Select(0);
        EXPECT_EQ(client.Query("TS"), "S:84 00 00 00 02 00");
        std::string command = "error 0 7\ngarble 0 1\n";
        ASSERT_EQ(write(control[1], command.data(), command.size()),
                  static_cast<ssize_t>(command.size()));
        // the control line is read asynchronously: ask until it has taken effect
        std::optional<std::string> answer;
        for (int i = 0; i < 200 && answer != "T:84 00 00 00 02 07"; ++i) {
            answer = client.Query("TS");
            if (answer != "T:84 00 00 00 02 07") std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(answer, "T:84 00 00 00 02 07");
        EXPECT_EQ(client.Query("TS"), "S:84 00 00 00 02 07");
    }
    close(control[1]);
    {
        // the end of the control input does not end the program
        SerialClient client(line.substr(line.find('=') + 1));
        client.Select(0);
        EXPECT_EQ(client.Query("TB"), "B:0");
    }
    int status = 0;
    ASSERT_EQ(kill(pid, SIGINT), 0);
    ASSERT_TRUE(WaitForExit(pid, status, 20s));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    rmdir(dir);
}

TEST(CorvaneSimProgramTest, RefusesBadOptions) {
    std::string program = std::string(ZR_BUILD_DIR) + "/bin/corvane-sim";
    std::string command = program + " --board 99:type=R-210 >/dev/null 2>&1";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
