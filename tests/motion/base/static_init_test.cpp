// The library writes its first lines from a static object's constructor at load; the wrapper must
// work at that time, before anything else of the program ran.
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "motion/base/ZRLog.h"

namespace {

struct StaticUse {
    std::string defaultName;
    bool defaultAdditive = true;
    std::vector<std::string> lines;

    StaticUse() {
        defaultName = ZRLogger::DefaultLoggerName();
        defaultAdditive = log4cpp::Category::getInstance(defaultName).getAdditivity();
        ZRLogger::SetLoggerName("ZR_StaticInit_Test");
        log4cpp::Category& category = ZRLogger::FetchLibraryLogger();
        category.setPriority(log4cpp::Priority::DEBUG);
        zrtest::QueueCapture capture(category);
        ZR_LOG_NOTICE("version %d.%d.%d.%d", 2, 2, 0, 38);
        lines = capture.Lines();
        category.setPriority(log4cpp::Priority::EMERG);
    }
};

StaticUse g_staticUse;

TEST(StaticInitTest, LoggerWorksFromStaticConstructor) {
    EXPECT_EQ(g_staticUse.defaultName, "ZR_DEFAULT_LOGGER");
    EXPECT_FALSE(g_staticUse.defaultAdditive);
    EXPECT_EQ(g_staticUse.lines, std::vector<std::string>{"NOTICE version 2.2.0.38"});
    EXPECT_FALSE(log4cpp::Category::getInstance("ZR_StaticInit_Test").getAdditivity());
}

}  // namespace
