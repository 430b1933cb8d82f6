// Loading and unloading the library in a process of its own, with a log configuration in its
// current folder and no display.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/motion/api/ApiFixture.h"

namespace apitest {
namespace {

namespace fs = std::filesystem;

struct ProbeRun {
    bool finished = false;
    int status = -1;
    std::string output;
    std::vector<std::string> log;
};

std::vector<std::string> ReadLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Runs the probe in folder with the given arguments, at most 60 s; DISPLAY is removed.
ProbeRun RunProbe(const fs::path& folder, const std::vector<std::string>& arguments) {
    ProbeRun run;
    int out[2];
    if (::pipe(out) != 0) return run;
    std::vector<std::string> args = {ZR_LOAD_PROBE, ZR_LIBRARY};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        if (::chdir(folder.c_str()) == 0) ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &run.status, WNOHANG) == pid) {
            run.finished = true;
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    if (!run.finished) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &run.status, 0);
    }
    run.output = Drain(out[0], 100ms);
    ::close(out[0]);
    run.log = ReadLines(folder / "trace.log");
    return run;
}

// A scratch folder with a log configuration that writes every library line to trace.log.
struct LogFolder {
    fs::path path;
    LogFolder() {
        path = fs::temp_directory_path() /
               ("zr_load_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(path);
        std::ofstream(path / "ZR_Corvane_TAL_DLL.log.config")
            << "log4cpp.rootCategory=ERROR\n"
               "log4cpp.category.ZR_Corvane_TAL_DLL=DEBUG, trace\n"
               "log4cpp.appender.trace=FileAppender\n"
               "log4cpp.appender.trace.fileName=trace.log\n"
               "log4cpp.appender.trace.layout=PatternLayout\n"
               "log4cpp.appender.trace.layout.ConversionPattern=%p %m%n\n";
    }
    ~LogFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;
};

size_t IndexOf(const std::vector<std::string>& lines, const std::string& line, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i] == line) return i;
    return std::string::npos;
}

bool IsTimeStamp(const std::string& line) {
    // "NOTICE 13:05:24 - Thursday, December 10, 2026 (GMT)"
    return line.rfind("NOTICE ", 0) == 0 && line.find(" - ") == 15 && line.size() > 6 &&
           line.compare(line.size() - 6, 6, " (GMT)") == 0;
}

TEST(LoadUnloadTest, StartUpAndShutDownLinesInTheirOrder) {
    LogFolder folder;
    const ProbeRun run = RunProbe(folder.path, {});
    ASSERT_TRUE(run.finished) << "loading or unloading blocked";
    ASSERT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.output;
    EXPECT_EQ(run.output, "loaded\nending\n");

    const auto& log = run.log;
    ASSERT_GE(log.size(), 9u);
    EXPECT_EQ(log[0], "NOTICE ZR_Corvane_TAL_DLL: DllMain(DLL_PROCESS_ATTACH)");
    EXPECT_TRUE(IsTimeStamp(log[1])) << log[1];
    EXPECT_EQ(log[2], "NOTICE version 2.2.0.38");
    const size_t handle = IndexOf(log, "NOTICE LIBRARY: ZR_IFsetInstanceHandle()");
    const size_t thread = IndexOf(log, "NOTICE without backround thread");
    ASSERT_NE(handle, std::string::npos);
    ASSERT_NE(thread, std::string::npos);
    EXPECT_LT(handle, thread);
    EXPECT_NE(IndexOf(log, "DEBUG CInterfaceCollection::SetClearRSMode(0)", thread),
              std::string::npos);

    EXPECT_EQ(log[log.size() - 2], "NOTICE ZR_Corvane_TAL_DLL: DllMain(DLL_PROCESS_DETACH)");
    EXPECT_TRUE(IsTimeStamp(log.back())) << log.back();
}

class LoadUnloadWithBoardsTest : public ApiFixture {};

TEST_F(LoadUnloadWithBoardsTest, IdsStartAtZeroAndUnloadClosesTheControllers) {
    StartChain(21, kOneServo);
    StartChain(22, kOneServo);
    LogFolder folder;
    const ProbeRun run = RunProbe(folder.path, {"21", "22"});
    ASSERT_TRUE(run.finished);
    ASSERT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.output;
    EXPECT_EQ(run.output, "loaded\nids 0 1 2\nending\n");

    const auto& log = run.log;
    const size_t connected = IndexOf(log, "INFO Corvane_ConnectRS232(21, 57600): returning ID = 2");
    const size_t detach = IndexOf(log, "NOTICE ZR_Corvane_TAL_DLL: DllMain(DLL_PROCESS_DETACH)");
    ASSERT_NE(connected, std::string::npos);
    ASSERT_NE(detach, std::string::npos);
    EXPECT_LT(connected, detach);
    // the two open controllers were closed by the unload, before its last line
    const size_t first = IndexOf(log, "DEBUG CZRControllerCollection::Close(1)", connected);
    const size_t second = IndexOf(log, "DEBUG CZRControllerCollection::Close(2)", connected);
    EXPECT_LT(first, detach);
    EXPECT_LT(second, detach);
    EXPECT_EQ(detach, log.size() - 2);
}

}  // namespace
}  // namespace apitest
