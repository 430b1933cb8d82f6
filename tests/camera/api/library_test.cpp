// The built liblmvntcam.so as an application meets it: loaded by path, functions found by name.
#include <dlfcn.h>
#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr const char* kLibrary = ZR_BUILD_DIR "/lib/liblmvntcam.so";

using IntFn = int (*)(int);
using PairFn = int (*)(int, int);
using PointerPairFn = int (*)(int*, int*);
using VoidFn = int (*)();
using FloatFn = float (*)();
using LogFn = int (*)(int, char*);

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class LibraryTest : public ::testing::Test {
  protected:
    void SetUp() override { Load(); }
    void TearDown() override {
        if (handle_) dlclose(handle_);
    }
    void Load() {
        handle_ = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void Reload() {
        dlclose(handle_);
        handle_ = nullptr;
        Load();
    }
    template <typename Fn>
    Fn Get(const char* name) {
        auto fn = reinterpret_cast<Fn>(dlsym(handle_, name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }
    int Board() {
        int board = -1;
        EXPECT_EQ(Get<PointerPairFn>("GET_BOARD")(&board, nullptr), 0);
        return board;
    }

    void* handle_ = nullptr;
};

TEST_F(LibraryTest, EveryListedExportIsFoundByName) {
    std::ifstream list(ZR_SOURCE_DIR "/camera/api/lmvntcam.exports");
    int found = 0;
    for (std::string line; std::getline(list, line);) {
        std::istringstream fields(line);
        int ordinal = 0;
        std::string name;
        if (!(fields >> ordinal >> name)) continue;
        EXPECT_NE(dlsym(handle_, name.c_str()), nullptr) << ordinal << " " << name;
        ++found;
    }
    EXPECT_GE(found, 15) << "the frame's own exports at least";
    // The Windows names with "@0" cannot exist in ELF; the names end before the "@".
    EXPECT_EQ(dlsym(handle_, "_READ_REGISTRY_VALUES@0"), nullptr);
    EXPECT_NE(dlsym(handle_, "_READ_REGISTRY_VALUES"), nullptr);
    // Nothing of the library's inside is visible.
    EXPECT_EQ(dlsym(handle_, "lmv_driver_backend"), nullptr);
}

TEST_F(LibraryTest, RegistryFunctionsExportedWithoutSymbolVersion) {
    FILE* nm = popen("nm -D --defined-only " ZR_BUILD_DIR "/lib/liblmvntcam.so", "r");
    ASSERT_NE(nm, nullptr);
    std::string out;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, nm)) out += buffer;
    ASSERT_EQ(pclose(nm), 0);
    EXPECT_TRUE(std::regex_search(out, std::regex(" T _READ_REGISTRY_VALUES\n")));
    EXPECT_TRUE(std::regex_search(out, std::regex(" T _WRITE_REGISTRY_VALUES\n")));
}

TEST_F(LibraryTest, LoadSelectsBoardZeroWithItsRecordAndDefaultLimits) {
    EXPECT_EQ(Board(), 0);
    EXPECT_EQ(Get<IntFn>("SET_TORAM_WAIT")(300), 0);  // board 0 has its record from the load
    int driver = 0, image = 0;
    EXPECT_EQ(Get<PointerPairFn>("GET_TIMEOUT")(&driver, &image), 4000);
    EXPECT_EQ(driver, 1500);
    EXPECT_EQ(image, 4000);
    EXPECT_EQ(Get<FloatFn>("GET_COCTIME")(), 0.0f);
    EXPECT_EQ(Get<VoidFn>("_READ_REGISTRY_VALUES")(), -13);
    EXPECT_EQ(Get<VoidFn>("_WRITE_REGISTRY_VALUES")(), -13);
}

TEST_F(LibraryTest, UnloadForgetsEverything) {
    ASSERT_EQ(Get<IntFn>("SET_BOARD")(3), 0);
    Get<PairFn>("SET_TIMEOUT")(1600, 2500);
    Reload();
    EXPECT_EQ(Board(), 0);
    int driver = 0, image = 0;
    Get<PointerPairFn>("GET_TIMEOUT")(&driver, &image);
    EXPECT_EQ(driver, 1500);
    EXPECT_EQ(image, 4000);
}

TEST_F(LibraryTest, BoardSelection) {
    auto setBoard = Get<IntFn>("SET_BOARD");
    struct Case {
        int argument;
        int result;
        int current;
    } cases[] = {
        {10, -3, 0}, {255, -3, 0}, {0x10A, -3, 0}, {-1, -3, 0}, {3 | 0x100, 0, 3},
        {9, 0, 9},   {9, 0, 9},    {0x200, 0, 0},  {19, -3, 0}, {0x1000 | 2, 0, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(setBoard(c.argument), c.result) << c.argument;
        EXPECT_EQ(Board(), c.current) << c.argument;
    }
    EXPECT_EQ(Get<PointerPairFn>("GET_BOARD")(nullptr, nullptr), -3);
}

TEST_F(LibraryTest, TimeLimitsIgnoreSmallValues) {
    struct Names {
        const char* get;
        const char* set;
    } pairs[] = {{"GET_TIMEOUT", "SET_TIMEOUT"}, {"GETTIMEOUT", "SETTIMEOUT"}};
    for (const auto& p : pairs) {
        Reload();
        auto get = Get<PointerPairFn>(p.get);
        auto set = Get<PairFn>(p.set);
        struct Case {
            int driverArg, imageArg;
            int driver, image;
        } cases[] = {{1000, 1000, 1500, 4000},
                     {1500, 2000, 1500, 4000},
                     {1600, 2500, 1600, 2500},
                     {1501, 1000, 1501, 2500},
                     {0, 2001, 1501, 2001}};
        for (const auto& c : cases) {
            EXPECT_EQ(set(c.driverArg, c.imageArg), c.imageArg);
            int driver = 0, image = 0;
            EXPECT_EQ(get(&driver, &image), c.image);
            EXPECT_EQ(driver, c.driver) << p.set << " " << c.driverArg;
            EXPECT_EQ(image, c.image) << p.set << " " << c.imageArg;
        }
        EXPECT_EQ(get(nullptr, nullptr), cases[4].image);  // no crash without outputs
    }
}

TEST_F(LibraryTest, ErrorMessagesShowTheirSwitchBox) {
    auto enable = Get<IntFn>("ENABLE_ERROR_MESSAGES");
    testing::internal::CaptureStderr();
    EXPECT_EQ(enable(1), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(program_invocation_short_name) + ": set messages\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(enable(0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

class MessageLogTest : public LibraryTest {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lmvlog-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        LibraryTest::SetUp();
    }
    void TearDown() override {
        LibraryTest::TearDown();
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }
    std::string dir_;
    std::filesystem::path old_;
};

TEST_F(MessageLogTest, BannerLevelPrefixAndEnd) {
    auto log = Get<LogFn>("ENABLE_MESSAGE_LOG");
    auto setBoard = Get<IntFn>("SET_BOARD");
    ASSERT_EQ(log(0x1008, nullptr), 0);
    ASSERT_TRUE(std::filesystem::exists(dir_ + "/lmvlog.txt"));
    ASSERT_EQ(setBoard(2), 0);
    ASSERT_EQ(log(8, nullptr), 0);  // already open: only the level line
    ASSERT_EQ(setBoard(1), 0);
    ASSERT_EQ(log(2, nullptr), 0);
    ASSERT_EQ(setBoard(3), 0);  // entry lines are level 8
    ASSERT_EQ(log(0, nullptr), 0);
    ASSERT_EQ(setBoard(4), 0);  // closed
    const std::string t = "\\d\\d:\\d\\d\\.\\d\\d";
    const std::regex expected("Lumivert logfile created \\d\\d\\.\\d\\d\\.\\d{4} " + t +
                              "\r\n\r\n"
                              "Message Level: 1008\r\n"
                              "board 0 " +
                              t +
                              "  SET_BOARD\\(2\\) \r\n"
                              "Message Level: 8\r\n"
                              "SET_BOARD\\(1\\) \r\n"
                              "Message Level: 2\r\n"
                              "Lumivert logfile ended " +
                              t + "\r\n\r\n");
    const std::string text = ReadFile(dir_ + "/lmvlog.txt");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(MessageLogTest, NamedFileIsCreatedNewAndUnwritablePathFails) {
    auto log = Get<LogFn>("ENABLE_MESSAGE_LOG");
    const std::string name = dir_ + "/camera.log";
    { std::ofstream(name) << "old content that must go\n"; }
    ASSERT_EQ(log(1, const_cast<char*>(name.c_str())), 0);
    ASSERT_EQ(log(0, nullptr), 0);
    const std::string text = ReadFile(name);
    EXPECT_EQ(text.find("old content"), std::string::npos);
    EXPECT_EQ(text.rfind("Lumivert logfile created ", 0), 0u);
    std::string missing = dir_ + "/no/such/folder/log.txt";
    EXPECT_EQ(log(1, missing.data()), -29);
    EXPECT_EQ(log(0, nullptr), 0);  // nothing open: nothing to end
}

}  // namespace
