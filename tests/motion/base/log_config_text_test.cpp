#include <gtest/gtest.h>

#include "motion/base/LogConfigText.h"

namespace {

TEST(LogConfigTextTest, TextWithoutDebuggerAppenderIsLeftAlone) {
    EXPECT_EQ(RewriteDebuggerAppenders("log4j.appender.A=org.apache.log4j.ConsoleAppender\n"
                                       "# log4j.appender.B=Win32DebugAppender\n"),
              std::nullopt);
}

TEST(LogConfigTextTest, DebuggerAppenderBecomesConsoleOnStandardError) {
    auto text = RewriteDebuggerAppenders(
        "# trace\r\n"
        "log4j.appender.D = org.apache.log4j.Win32DebugAppender\r\n"
        "log4j.appender.D.target=stdout\r\n"
        "log4cpp.appender.E=Win32DebugAppender # second\n"
        "log4j.appender.D.layout=org.apache.log4j.SimpleLayout\r\n"
        "log4j.appender.F=org.apache.log4j.FileAppender\n"
        "log4j.appender.F.target=kept\n");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text,
              "# trace\r\n"
              "appender.D=ConsoleAppender\n"
              "appender.E=ConsoleAppender\n"
              "log4j.appender.D.layout=org.apache.log4j.SimpleLayout\r\n"
              "log4j.appender.F=org.apache.log4j.FileAppender\n"
              "log4j.appender.F.target=kept\n"
              "appender.D.target=stderr\n"
              "appender.E.target=stderr\n");
}

}  // namespace
