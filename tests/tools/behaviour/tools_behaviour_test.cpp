// Every program answers --help, --version and a wrong option alike; failures say what to do;
// output into a pipe arrives line by line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

class Scratch : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zr-tools-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs a shell command line in the scratch folder with its own registry store.
    Outcome Shell(const std::string& command, const std::string& folder = "") const {
        const std::string cd = folder.empty() ? dir_ : folder;
        const std::string line = "cd '" + cd + "' && env ASAN_OPTIONS=detect_leaks=0 " +
                                 "WINPORT_REGISTRY_DIR=" + dir_ +
                                 "/registry LMVSIM_LOCK_DIR=" + dir_ + " timeout 120 " + command +
                                 " > " + dir_ + "/out 2> " + dir_ + "/err";
        Outcome r;
        const int status = std::system(line.c_str());
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Read(dir_ + "/out");
        r.err = Read(dir_ + "/err");
        return r;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::string Tool(const std::string& name) { return ZR_BUILD_DIR "/bin/" + name; }

    std::string dir_;
};

const char* const kPrograms[] = {"stagetool",   "lmvcam-grab", "lmvpci-install",
                                 "corvane-sim", "motion-demo", "regtool"};

class EveryProgram : public Scratch, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryProgram, HelpVersionAndUsageErrorsAlike) {
    const std::string name = GetParam();
    const Outcome help = Shell(Tool(name) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: " + name, 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_EQ(help.err, "");

    const Outcome version = Shell(Tool(name) + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind(name + " (corvane-lumivert) ", 0), 0u) << version.out;
    EXPECT_EQ(version.out.find('\n'), version.out.size() - 1);

    const Outcome wrong = Shell(Tool(name) + " --no-such-option");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err.rfind(name + ": ", 0), 0u) << wrong.err;
    EXPECT_NE(wrong.err.find("--no-such-option"), std::string::npos) << wrong.err;
    EXPECT_NE(wrong.err.find("Try '" + name + " --help'"), std::string::npos) << wrong.err;
}

INSTANTIATE_TEST_SUITE_P(Tools, EveryProgram, ::testing::ValuesIn(kPrograms), [](const auto& info) {
    std::string n = info.param;
    for (char& c : n)
        if (c == '-') c = '_';
    return n;
});

TEST_F(Scratch, UsageErrorsOfValuesAndCommands) {
    const struct {
        std::string command;
        const char* message;
    } cases[] = {
        {Tool("stagetool"), "stagetool: a command is needed"},
        {Tool("stagetool") + " frobnicate x", "stagetool: unknown command \"frobnicate\""},
        {Tool("stagetool") + " list", "stagetool: wrong number of arguments for list"},
        {Tool("lmvcam-grab") + " --board 10", "lmvcam-grab: --board: a board from 0 to 9"},
        {Tool("lmvcam-grab") + " --count=0", "lmvcam-grab: --count: 1 to 9999 pictures"},
        {Tool("lmvcam-grab") + " -e", "lmvcam-grab: -e needs a value"},
        {Tool("lmvpci-install") + " a b", "lmvpci-install: one folder only"},
        {Tool("corvane-sim") + " --com", "corvane-sim: --com needs a value"},
        {Tool("motion-demo") + " --port x", "motion-demo: not a number: x"},
        {Tool("motion-demo") + " 1 2 3 4", "motion-demo: unexpected argument 4"},
    };
    for (const auto& c : cases) {
        const Outcome r = Shell(c.command);
        EXPECT_EQ(r.status, 2) << c.command;
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << c.command << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.command;
    }
}

TEST_F(Scratch, MissingCameraInstallationNamesItsCure) {
    const Outcome r = Shell(Tool("lmvcam-grab"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("lmvpci-install"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Lmvnt"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(dir_ + "/registry"), std::string::npos) << r.err;
}

TEST_F(Scratch, InstallationIsSeenFromAnyFolder) {
    ASSERT_EQ(Shell(Tool("lmvpci-install") + " " + dir_ + "/driver").status, 0);
    fs::create_directories(dir_ + "/other");
    const Outcome r = Shell(Tool("lmvcam-grab") + " -q -o picture.png", dir_ + "/other");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir_ + "/other/picture.png\n");
    EXPECT_EQ(r.err.find("WRONG LMVNT.SYS"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("\n:"), std::string::npos) << r.err;  // no box without caption
    EXPECT_NE(r.err.rfind(":", 0), 0u) << r.err;
}

// Each picture is reported while the next is still being taken, even into a pipe.
TEST_F(Scratch, PicturesAreReportedAsTheyAreTaken) {
    ASSERT_EQ(Shell(Tool("lmvpci-install") + " " + dir_ + "/driver").status, 0);
    int out[2];
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    const std::string registry = "WINPORT_REGISTRY_DIR=" + dir_ + "/registry";
    const std::string lock = "LMVSIM_LOCK_DIR=" + dir_;
    const std::string output = dir_ + "/p.png";
    const std::string tool = Tool("lmvcam-grab");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::putenv(const_cast<char*>(registry.c_str()));
        ::putenv(const_cast<char*>(lock.c_str()));
        ::execl(tool.c_str(), tool.c_str(), "-q", "-n", "2", "-e", "3000", "-o", output.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string first;
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (::poll(&p, 1, 120000) == 1 && ::read(out[0], &c, 1) == 1 && c != '\n') first += c;
    // The second picture needs its whole exposure after the first line: still running.
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0);
    EXPECT_EQ(first, dir_ + "/p-001.png");
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(out[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A scan over absent addresses takes half a second for each; after the first second the demo
// shows which address the library probes.
TEST_F(Scratch, ALongConnectScanTellsWhichAddressItProbes) {
    const std::string portFile = dir_ + "/port";
    const std::string sim = Tool("corvane-sim");
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execl(sim.c_str(), sim.c_str(), "--com", "7", "--port-file", portFile.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string line;
    for (int k = 0; k < 600 && line.empty(); ++k) {
        std::ifstream in(portFile);
        std::getline(in, line);
        if (line.empty()) ::usleep(50000);
    }
    ASSERT_EQ(line.rfind("WINPORT_COM7=", 0), 0u) << line;
    const Outcome demo =
        Shell("env " + line + " " + Tool("motion-demo") + " --port 7 --addresses 6");
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(demo.status, 0) << demo.err;
    EXPECT_NE(demo.err.find("ZR_Corvane_TAL: probing address 5 of 6\n"), std::string::npos)
        << demo.err;
    EXPECT_EQ(demo.err.find("probing address 0 of"), std::string::npos) << demo.err;
}

}  // namespace
