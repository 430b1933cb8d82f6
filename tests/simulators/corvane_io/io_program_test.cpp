// The program's control commands for the boards' lines and the answer-then-drop fault.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/simulators/corvane/SerialClient.h"
#include "tests/simulators/corvane/SimProgram.h"

extern char** environ;
using namespace std::chrono_literals;

namespace {

using simprogram::WaitForExit;

// Asks until the answer is the wanted one: control lines take effect asynchronously.
std::optional<std::string> AskUntil(SerialClient& client, const std::string& query,
                                    const std::string& wanted) {
    std::optional<std::string> answer;
    for (int i = 0; i < 500 && answer != wanted; ++i) {
        answer = client.Query(query);
        if (answer != wanted) std::this_thread::sleep_for(10ms);
    }
    return answer;
}

TEST(CorvaneSimIoProgramTest, LinesAndDropsFromStandardInput) {
    char dir[] = "/tmp/corvane-sim-io-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string portFile = std::string(dir) + "/port";
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
        const std::string commands = "inputs 0 0xC\nanalog 0 5 200\n";
        ASSERT_EQ(write(control[1], commands.data(), commands.size()),
                  static_cast<ssize_t>(commands.size()));
        EXPECT_EQ(AskUntil(client, "TA5", "A5:200"), "A5:200");
        EXPECT_EQ(AskUntil(client, "TC", "HIN:0C"), "HIN:0C");
        const std::string drop = "drop-after 0 1 1\n";
        ASSERT_EQ(write(control[1], drop.data(), drop.size()), static_cast<ssize_t>(drop.size()));
        // the fault is armed once an answer goes missing: one more passes, then one is dropped
        bool dropped = false;
        for (int i = 0; i < 500 && !dropped; ++i) {
            client.Send("TB");
            dropped = !client.ReadAnswer(2s).has_value();
            if (!dropped) std::this_thread::sleep_for(5ms);
        }
        EXPECT_TRUE(dropped);
        EXPECT_EQ(client.Query("TB"), "B:0");
    }
    close(control[1]);
    int status = 0;
    ASSERT_EQ(kill(pid, SIGINT), 0);
    ASSERT_TRUE(WaitForExit(pid, status, 20s));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    rmdir(dir);
}

}  // namespace
