#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <errno.h>

#include "winport/MessageBox.h"
#include "winport/Module.h"
#include "winport/Process.h"

namespace fs = std::filesystem;

TEST(Process, ExecutableFolderHoldsThisTest) {
    EXPECT_EQ(fs::path(winport::ExecutablePath()).filename(), "winport_tests");
    EXPECT_EQ(fs::path(winport::ExecutablePath()).parent_path().string(), winport::ExecutableDir());
}

class FileSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("winport_search_" + std::to_string(getpid()));
        fs::create_directories(root / "cwd");
        fs::create_directories(root / "path1");
        fs::create_directories(root / "path2");
        oldCwd = fs::current_path();
        fs::current_path(root / "cwd");
        const char* p = std::getenv("PATH");
        oldPath = p ? p : "";
        setenv("PATH", ((root / "path1").string() + ":" + (root / "path2").string()).c_str(), 1);
    }
    void TearDown() override {
        fs::current_path(oldCwd);
        setenv("PATH", oldPath.c_str(), 1);
        fs::remove_all(root);
    }
    static void Touch(const fs::path& p) { std::ofstream(p) << "x"; }
    fs::path root, oldCwd;
    std::string oldPath;
};

TEST_F(FileSearch, CurrentFolderBeforePathFolders) {
    Touch(root / "path2" / "bits.bit");
    EXPECT_EQ(winport::FindFile("bits.bit"), (root / "path2" / "bits.bit").string());
    Touch(root / "path1" / "bits.bit");
    EXPECT_EQ(winport::FindFile("bits.bit"), (root / "path1" / "bits.bit").string());
    Touch(root / "cwd" / "bits.bit");
    EXPECT_EQ(winport::FindFile("bits.bit"), (fs::current_path() / "bits.bit").string());
}

TEST_F(FileSearch, MissingFileAndFoldersAreNotFound) {
    EXPECT_FALSE(winport::FindFile("nothing-here.bit"));
    EXPECT_FALSE(winport::FindFile("path1")) << "a folder is not a file";
    EXPECT_FALSE(winport::FindFile(""));
}

TEST(Module, WindowsNamesMapToSharedObjects) {
    using V = std::vector<std::string>;
    EXPECT_EQ(winport::Module::CandidateNames("LMV_CAM2.DLL"),
              (V{"LMV_CAM2.so", "libLMV_CAM2.so"}));
    EXPECT_EQ(winport::Module::CandidateNames("LMV_CAM2.dll"),
              (V{"LMV_CAM2.so", "libLMV_CAM2.so"}));
    EXPECT_EQ(winport::Module::CandidateNames("LMV_CAM2"), (V{"LMV_CAM2.so", "libLMV_CAM2.so"}));
    EXPECT_EQ(winport::Module::CandidateNames("x.so"), (V{"x.so"}));
}

TEST(Module, LoadsByWindowsNameFromTheFolderGiven) {
    auto m = winport::Module::Load(std::string(TEST_MODULE_DIR) + "/LMV_TESTMOD.so");
    ASSERT_TRUE(m.IsLoaded()) << m.LastError();
    auto fn = reinterpret_cast<int (*)()>(m.Symbol("test_module_answer"));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(), 42);
    EXPECT_EQ(m.Symbol("no_such_entry"), nullptr);
    m.Unload();
    EXPECT_FALSE(m.IsLoaded());
    EXPECT_EQ(m.Symbol("test_module_answer"), nullptr);
}

TEST(Module, MissingModuleReportsAnError) {
    auto m = winport::Module::Load("LMV_NOT_THERE.DLL");
    EXPECT_FALSE(m.IsLoaded());
    EXPECT_FALSE(m.LastError().empty());
}

TEST(MessageBox, WritesCaptionAndTextToStderrAndAnswersOk) {
    testing::internal::CaptureStderr();
    int r = winport::ShowMessageBox("lmvntcam", "Board not found");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "lmvntcam: Board not found\n");
    EXPECT_EQ(r, winport::kIdOk);

    // A box without caption is captioned with the program's name, never ": text".
    testing::internal::CaptureStderr();
    EXPECT_EQ(winport::ShowMessageBox("", "WRONG LMVNT.SYS"), winport::kIdOk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(program_invocation_short_name) + ": WRONG LMVNT.SYS\n");
}
