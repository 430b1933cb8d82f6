// Log settings from the registry, in a registry of the test's own.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "camera/api/LogSettings.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "winport/Registry.h"

namespace {

using winport::Hive;
using winport::RegistryKey;

class LogSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lmv-logreg-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("WINPORT_REGISTRY_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        lmv::enable_message_log(0, nullptr);
        ::unsetenv("WINPORT_REGISTRY_DIR");
        std::filesystem::remove_all(dir_);
    }
    std::string Text(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir_;
};

TEST_F(LogSettingsTest, KeyNamesByBoard) {
    EXPECT_EQ(lmv::log_settings_key(0), "Software\\RVD\\Camera Settings\\LOG");
    EXPECT_EQ(lmv::log_settings_key(3), "Software\\RVD\\Camera Settings 3\\LOG");
}

TEST_F(LogSettingsTest, MissingKeyOrLevelSkipsTheStep) {
    EXPECT_EQ(lmv::apply_log_settings(0, 1), lmv::kRegistryMissing);
    auto key = RegistryKey::Create(Hive::CurrentUser, lmv::log_settings_key(0));
    ASSERT_TRUE(key);
    ASSERT_EQ(key->WriteString("LogFileName", dir_ + "/never.log"), winport::RegStatus::Ok);
    EXPECT_EQ(lmv::apply_log_settings(0, 1), lmv::kRegistryMissing);
    // A level stored with another size is not a level.
    ASSERT_EQ(key->WriteBinary("LoggingLevel", {8, 0}), winport::RegStatus::Ok);
    EXPECT_EQ(lmv::apply_log_settings(0, 1), lmv::kRegistryMissing);
    EXPECT_EQ(lmv::apply_log_settings(0, 0), lmv::kRegistryMissing);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/never.log"));
    EXPECT_FALSE(lmv::message_log_open());
}

TEST_F(LogSettingsTest, LevelAndFileNameOpenTheLogAndReleaseClosesIt) {
    auto key = RegistryKey::Create(Hive::CurrentUser, lmv::log_settings_key(2));
    ASSERT_TRUE(key);
    const std::string log = dir_ + "/board2.log";
    ASSERT_EQ(key->WriteDword("LoggingLevel", 0x1002), winport::RegStatus::Ok);
    ASSERT_EQ(key->WriteString("LogFileName", log), winport::RegStatus::Ok);
    EXPECT_EQ(lmv::apply_log_settings(0, 1), lmv::kRegistryMissing);  // board 0 has no settings
    EXPECT_EQ(lmv::apply_log_settings(2, 1), lmv::kOk);
    EXPECT_TRUE(lmv::message_log_open());
    EXPECT_EQ(lmv::message_level(), 0x1002);
    EXPECT_EQ(lmv::apply_log_settings(2, 0), lmv::kOk);
    EXPECT_FALSE(lmv::message_log_open());
    const std::string text = Text(log);
    EXPECT_NE(text.find("Message Level: 1002\r\n"), std::string::npos);
    EXPECT_NE(text.find("Lumivert logfile ended "), std::string::npos);
}

}  // namespace
