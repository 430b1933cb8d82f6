// Stage files are looked for in the TALTranslator installation folder when the registry store
// names one. A process of its own: the folder is kept once read.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "StageTestSupport.h"
#include "motion/base/InstallationDirectory.h"
#include "motion/stages/ZRStageInfoFile_V200.h"
#include "winport/Registry.h"

namespace {

using namespace stage_test;

class StageFileLocation : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("WINPORT_REGISTRY_DIR", registry_.path().c_str(), 1);
        ForgetInstallationDirectory();
    }
    void TearDown() override { ForgetInstallationDirectory(); }

    void SetInstallationFolder(const std::string& folder) {
        auto key = winport::RegistryKey::Create(winport::Hive::LocalMachine,
                                                "Software\\ZR\\TALTranslator");
        ASSERT_TRUE(key.has_value());
        ASSERT_EQ(key->WriteString("Path", folder), winport::RegStatus::Ok);
    }

    TempFolder registry_;
    TempFolder install_;
    TempFolder elsewhere_;
};

TEST_F(StageFileLocation, OnlyTheFileNameCountsWhenTheFolderIsKnown) {
    SetInstallationFolder(install_.path().string());
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile("C:\\Program Files\\ZR\\corvaneuserstages2.dat"));
    EXPECT_EQ(file.GetPath(), install_.File("corvaneuserstages2.dat"));
    file.Close();
    ASSERT_TRUE(file.OpenStageParameterFile(elsewhere_.File("user2.dat")));
    EXPECT_EQ(file.GetPath(), install_.File("user2.dat"));
    EXPECT_TRUE(std::filesystem::exists(install_.File("user2.dat")));
    EXPECT_FALSE(std::filesystem::exists(elsewhere_.File("user2.dat")));
}

TEST_F(StageFileLocation, FolderWithTrailingSeparatorGetsNoSecondOne) {
    SetInstallationFolder(install_.path().string() + "/");
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(elsewhere_.File("user2.dat")));
    EXPECT_EQ(file.GetPath(), install_.File("user2.dat"));
}

TEST_F(StageFileLocation, PathAsGivenWhenNotWanted) {
    SetInstallationFolder(install_.path().string());
    ZRStageInfoFile_V200 file;
    file.SetUseTALTranslatorDirectory(false);
    ASSERT_TRUE(file.OpenStageParameterFile(elsewhere_.File("user2.dat")));
    EXPECT_EQ(file.GetPath(), elsewhere_.File("user2.dat"));
    EXPECT_FALSE(std::filesystem::exists(install_.File("user2.dat")));
    EXPECT_EQ(StageFileVersion(elsewhere_.File("user2.dat"), false), 200);
    EXPECT_EQ(StageFileVersion(elsewhere_.File("user2.dat")), 0);  // not in the folder
}

TEST_F(StageFileLocation, PathAsGivenWithoutInstallationFolder) {
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(elsewhere_.File("user2.dat")));
    EXPECT_EQ(file.GetPath(), elsewhere_.File("user2.dat"));
}

}  // namespace
