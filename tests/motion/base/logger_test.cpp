#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "LogCapture.h"
#include "motion/base/InstallationDirectory.h"
#include "motion/base/ZRLog.h"

namespace {

constexpr const char* kLib = "ZR_Corvane_TAL_DLL";
constexpr const char* kConfigName = "ZR_Corvane_TAL_DLL.log.config";
// log4cpp rejects a configuration file that does not set the root category.
constexpr const char* kRootLine = "log4cpp.rootCategory=INFO\n";

// The appenders a configuration file makes belong to no category; log4cpp never deletes them.
void DeleteConfiguredAppenders() {
    std::set<log4cpp::Appender*> configured;
    for (const char* name : {"", kLib, "zzz"}) {
        log4cpp::Category& c =
            *name ? log4cpp::Category::getInstance(name) : log4cpp::Category::getRoot();
        for (log4cpp::Appender* a : c.getAllAppenders())
            if (!c.ownsAppender(a)) configured.insert(a);
        c.removeAllAppenders();
    }
    for (log4cpp::Appender* a : configured) delete a;
}

void ResetCategory(log4cpp::Category& category, log4cpp::Priority::Value priority) {
    category.removeAllAppenders();
    category.setPriority(priority);
    category.setAdditivity(&category != &log4cpp::Category::getRoot() ? false : true);
}

// A configuration writing category lines "PRIORITY message" to a file.
std::string FileAppenderConfig(const std::string& appender, const std::string& logFile) {
    return "log4cpp.appender." + appender + "=org.apache.log4j.FileAppender\n" +
           "log4cpp.appender." + appender + ".fileName=" + logFile + "\n" + "log4cpp.appender." +
           appender + ".layout=org.apache.log4j.PatternLayout\n" + "log4cpp.appender." + appender +
           ".layout.ConversionPattern=%p %m%n\n";
}

class LoggerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("WINPORT_REGISTRY_DIR", registry_.path().c_str(), 1);
        ForgetInstallationDirectory();
        ZRLogger::SetLoggerName(kLib);
        ResetCategory(log4cpp::Category::getRoot(), log4cpp::Priority::INFO);
        ResetCategory(log4cpp::Category::getInstance(kLib), log4cpp::Priority::EMERG);
        ZRLogger::FetchLibraryLogger();
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(work_.path());
    }
    void TearDown() override {
        std::filesystem::current_path(oldCwd_);
        DeleteConfiguredAppenders();
        ResetCategory(log4cpp::Category::getRoot(), log4cpp::Priority::INFO);
        ResetCategory(log4cpp::Category::getInstance(kLib), log4cpp::Priority::EMERG);
        ForgetInstallationDirectory();
        unsetenv("WINPORT_REGISTRY_DIR");
    }
    void SetInstallationDirectory(const std::string& dir) {
        zrtest::WriteFile(registry_.file("HKLM.reg"),
                          "Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_LOCAL_MACHINE\\Software\\ZR\\TALTranslator]\r\n"
                          "\"Path\"=\"" +
                              dir + "\"\r\n");
    }

    zrtest::TempDir registry_, work_, install_, logs_;
    std::filesystem::path oldCwd_;
};

int g_formatted = 0;
int Formatted() {
    return ++g_formatted;
}

TEST_F(LoggerTest, WithoutConfigurationNothingIsWrittenOrFormatted) {
    EXPECT_FALSE(ZRLogger::ConfigFromFile(kLib, kConfigName));
    zrtest::QueueCapture root(log4cpp::Category::getRoot());
    g_formatted = 0;
    ZR_LOG_CRIT("%d", Formatted());
    ZR_LOG_ERROR("%d", Formatted());
    ZR_LOG_DEBUG("%d", Formatted());
    EXPECT_EQ(g_formatted, 0);
    EXPECT_TRUE(root.Lines().empty());
}

TEST_F(LoggerTest, LinesAreFormattedOnlyWhenTheirLevelIsEnabled) {
    log4cpp::Category::getInstance(kLib).setPriority(log4cpp::Priority::NOTICE);
    zrtest::QueueCapture lib(log4cpp::Category::getInstance(kLib));
    g_formatted = 0;
    ZR_LOG_DEBUG("debug %d", Formatted());
    ZR_LOG_INFO("info %d", Formatted());
    ZR_LOG_NOTICE("notice %d", Formatted());
    ZR_LOG_ERROR("CInterface::ReceiveString() no msg in fifo, set %s", "COM_TIMEOUT");
    EXPECT_EQ(g_formatted, 1);
    EXPECT_EQ(lib.Lines(),
              (std::vector<std::string>{
                  "NOTICE notice 1",
                  "ERROR CInterface::ReceiveString() no msg in fifo, set COM_TIMEOUT"}));
}

TEST_F(LoggerTest, LongLinesAreWrittenWhole) {
    log4cpp::Category::getInstance(kLib).setPriority(log4cpp::Priority::DEBUG);
    zrtest::QueueCapture lib(log4cpp::Category::getInstance(kLib));
    std::string text(3000, 'x');
    ZR_LOG_INFO("C_RS232::Read(\"%s\")", text.c_str());
    EXPECT_EQ(lib.Lines(), std::vector<std::string>{"INFO C_RS232::Read(\"" + text + "\")"});
}

TEST_F(LoggerTest, ConfigurationOnlyInInstallationFolderIsUsed) {
    std::string log = logs_.file("lib.log");
    zrtest::WriteFile(install_.file(kConfigName), kRootLine + FileAppenderConfig("A1", log) +
                                                      "log4cpp.category." + kLib + "=DEBUG, A1\n");
    SetInstallationDirectory(install_.path());
    EXPECT_EQ(InstallationDirectory(), install_.path());

    ASSERT_TRUE(ZRLogger::ConfigFromFile(kLib, kConfigName));
    ZR_LOG_DEBUG("CCorvaneController::Init(%d)", 3);
    EXPECT_EQ(zrtest::ReadFile(log), "DEBUG CCorvaneController::Init(3)\n");
}

TEST_F(LoggerTest, ConfigurationInCurrentFolderComesFirst) {
    std::string installLog = logs_.file("install.log"), localLog = logs_.file("local.log");
    zrtest::WriteFile(install_.file(kConfigName), kRootLine + FileAppenderConfig("A1", installLog) +
                                                      "log4cpp.category." + kLib + "=DEBUG, A1\n");
    zrtest::WriteFile(work_.file(kConfigName), kRootLine + FileAppenderConfig("A2", localLog) +
                                                   "log4cpp.category." + kLib + "=INFO, A2\n");
    SetInstallationDirectory(install_.path());

    ASSERT_TRUE(ZRLogger::ConfigFromFile(kLib, kConfigName));
    ZR_LOG_INFO("sent \"%s\"", "TP");
    ZR_LOG_DEBUG("not at this level");
    EXPECT_EQ(zrtest::ReadFile(localLog), "INFO sent \"TP\"\n");
    EXPECT_FALSE(std::filesystem::exists(installLog));
}

TEST_F(LoggerTest, MissingInstallationKeyMeansNoSecondPlace) {
    zrtest::WriteFile(install_.file(kConfigName), FileAppenderConfig("A1", logs_.file("x.log")));
    EXPECT_EQ(InstallationDirectory(), "");
    EXPECT_FALSE(ZRLogger::ConfigFromFile(kLib, kConfigName));
}

TEST_F(LoggerTest, RootOnlyConfigurationWritesNothingFromTheLibrary) {
    std::string log = logs_.file("root.log");
    zrtest::WriteFile(work_.file(kConfigName),
                      FileAppenderConfig("R", log) + "log4cpp.rootCategory=DEBUG, R\n");
    ASSERT_TRUE(ZRLogger::ConfigFromFile(kLib, kConfigName));
    ZR_LOG_ERROR("library line");
    log4cpp::Category::getRoot().error("root line");
    EXPECT_EQ(zrtest::ReadFile(log), "ERROR root line\n");
}

TEST_F(LoggerTest, LibraryCategoryNamedInFileStillKeepsItsLinesToItself) {
    std::string rootLog = logs_.file("root.log"), libLog = logs_.file("lib.log");
    zrtest::WriteFile(work_.file(kConfigName), FileAppenderConfig("R", rootLog) +
                                                   FileAppenderConfig("L", libLog) +
                                                   "log4cpp.rootCategory=DEBUG, R\n" +
                                                   "log4cpp.category." + kLib + "=DEBUG, L\n");
    ASSERT_TRUE(ZRLogger::ConfigFromFile(kLib, kConfigName));
    ZR_LOG_WARN("library line");
    EXPECT_EQ(zrtest::ReadFile(libLog), "WARN library line\n");
    EXPECT_EQ(zrtest::ReadFile(rootLog), "");
}

TEST_F(LoggerTest, MalformedConfigurationWarnsAndKeepsWhatWasApplied) {
    std::string log = logs_.file("lib.log");
    zrtest::WriteFile(work_.file("bad.config"), kRootLine + FileAppenderConfig("A1", log) +
                                                    "log4cpp.category." + kLib + "=DEBUG, A1\n" +
                                                    "log4cpp.category.zzz=DEBUG, NoSuchAppender\n");
    EXPECT_FALSE(ZRLogger::ConfigFromFile(kLib, "bad.config"));
    ZR_LOG_DEBUG("still working");
    std::string text = zrtest::ReadFile(log);
    EXPECT_TRUE(text.starts_with("WARN ZRLogger::ConfigFromFile(bad.config) - ")) << text;
    EXPECT_NE(text.find("NoSuchAppender"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\nDEBUG still working\n")) << text;
}

TEST_F(LoggerTest, RejectedBeforeAnyAppenderIsSilent) {
    zrtest::WriteFile(work_.file("bad.config"), "log4cpp.appender.X=NoSuchType\n" +
                                                    std::string("log4cpp.category.") + kLib +
                                                    "=DEBUG, X\n");
    zrtest::QueueCapture root(log4cpp::Category::getRoot());
    EXPECT_FALSE(ZRLogger::ConfigFromFile(kLib, "bad.config"));
    EXPECT_TRUE(root.Lines().empty());
    EXPECT_FALSE(ZRLogEnabled(log4cpp::Priority::CRIT));
}

TEST_F(LoggerTest, DebuggerAppenderWritesToStandardError) {
    zrtest::WriteFile(work_.file(kConfigName),
                      "log4j.appender.D=org.apache.log4j.Win32DebugAppender\n"
                      "log4j.appender.D.layout=org.apache.log4j.PatternLayout\n"
                      "log4j.appender.D.layout.ConversionPattern=[%p] %m%n\n"
                      "log4j.rootCategory=INFO\n" +
                          std::string("log4j.category.") + kLib + "=DEBUG, D\n");
    ASSERT_TRUE(ZRLogger::ConfigFromFile(kLib, kConfigName));
    testing::internal::CaptureStderr();
    ZR_LOG_NOTICE("ZR_Corvane_TAL_DLL: DllMain(DLL_PROCESS_ATTACH)");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[NOTICE] ZR_Corvane_TAL_DLL: DllMain(DLL_PROCESS_ATTACH)\n");
}

TEST_F(LoggerTest, TimeStampLine) {
    std::regex shape(
        R"(\d\d:\d\d:\d\d - (Mon|Tues|Wednes|Thurs|Fri|Satur|Sun)day, [A-Z][a-z]+ \d\d, \d{4} \(GMT\))");
    EXPECT_TRUE(std::regex_match(ZRLogger::TimeStampText(), shape)) << ZRLogger::TimeStampText();

    log4cpp::Category::getInstance(kLib).setPriority(log4cpp::Priority::NOTICE);
    zrtest::QueueCapture lib(log4cpp::Category::getInstance(kLib));
    ZRLogger::TimeStamp(log4cpp::Priority::NOTICE);
    ZRLogger::TimeStamp(log4cpp::Priority::DEBUG);
    auto lines = lib.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("NOTICE ")) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[0].substr(7), shape)) << lines[0];
}

TEST_F(LoggerTest, GetLoggerFindsOnlyExistingCategories) {
    EXPECT_EQ(ZRLogger::GetLogger("zr.never.created.category"), nullptr);
    EXPECT_EQ(ZRLogger::GetLogger(kLib), &log4cpp::Category::getInstance(kLib));
    EXPECT_EQ(ZRLogger::DefaultLoggerName(), kLib);
}

}  // namespace
