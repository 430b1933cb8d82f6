#include <gtest/gtest.h>

#include <climits>
#include <clocale>

#include "motion/base/ZRString.h"

namespace {

TEST(ZRStringTest, FormatHasNoLengthLimit) {
    std::string big(5000, 'q');
    ZRString s;
    s.Format("<%s>%d", big.c_str(), 7);
    EXPECT_EQ(s, "<" + big + ">7");
    // Right at the edges of the first buffer: 1022 characters fit, 1023 need the next size.
    for (size_t n : {1021u, 1022u, 1023u, 1024u, 2047u}) {
        std::string text(n, 'a');
        EXPECT_EQ(ZRString::Formatted("%s", text.c_str()), text) << n;
    }
}

struct IntCase {
    const char* text;
    int base;
    bool ok;
    int value;
};

TEST(ZRStringTest, ToIntParsesTheWholeText) {
    const IntCase cases[] = {
        {"12", 10, true, 12},
        {"-12", 10, true, -12},
        {"12a", 10, false, 0},
        {"", 10, false, 0},
        {"12 ", 10, false, 0},
        {"2147483647", 10, true, INT_MAX},
        {"2147483648", 10, false, 0},
        {"-2147483649", 10, false, 0},
        {"99999999999999999999", 10, false, 0},
        {"0x1f", 0, true, 31},
        {"017", 0, true, 15},
        {"1f", 16, true, 31},
        {"z", 36, true, 35},
        {"12", 1, false, 0},
        {"12", 37, false, 0},
        {"12", -1, false, 0},
    };
    for (const IntCase& c : cases) {
        int out = -777;
        EXPECT_EQ(ZRString(c.text).ToInt(&out, c.base), c.ok) << c.text << " base " << c.base;
        EXPECT_EQ(out, c.ok ? c.value : -777) << c.text << " base " << c.base;
    }
    EXPECT_FALSE(ZRString("1").ToInt(nullptr, 10));
}

TEST(ZRStringTest, ToDoubleParsesTheWholeTextInAnyLocale) {
    double out = -1;
    EXPECT_TRUE(ZRString("1.5").ToDouble(&out));
    EXPECT_EQ(out, 1.5);
    out = -1;
    EXPECT_FALSE(ZRString("1.5 ").ToDouble(&out));
    EXPECT_FALSE(ZRString("").ToDouble(&out));
    EXPECT_FALSE(ZRString("x").ToDouble(&out));
    EXPECT_EQ(out, -1);
    EXPECT_TRUE(ZRString("-2e3").ToDouble(&out));
    EXPECT_EQ(out, -2000.0);
    // A locale with a decimal comma must not change how numbers in commands are read.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_TRUE(ZRString("2.25").ToDouble(&out));
        EXPECT_EQ(out, 2.25);
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST(ZRStringTest, Trimming) {
    EXPECT_EQ(ZRString("  \tab").TrimLeft(), "ab");
    EXPECT_EQ(ZRString(" \r\n\t").TrimLeft(), "");
    EXPECT_EQ(ZRString("ab \r\n").TrimRight(), "ab");
    EXPECT_EQ(ZRString(" \r\n\t").TrimRight(), "");
    EXPECT_EQ(ZRString("\n a b \t").Trim(), "a b");
    EXPECT_EQ(ZRString("\va").TrimLeft(), "\va");  // only space, LF, TAB and CR are blanks
}

TEST(ZRStringTest, Substrings) {
    ZRString s("ABCDEF");
    EXPECT_EQ(s.Mid(2, 3), "CDE");
    EXPECT_EQ(s.Mid(4), "EF");
    EXPECT_EQ(s.Mid(10, 2), "");
    EXPECT_EQ(s.Left(2), "AB");
    EXPECT_EQ(s.Left(20), "ABCDEF");
    EXPECT_EQ(s.Right(2), "EF");
    EXPECT_EQ(s.Right(20), "ABCDEF");
    EXPECT_EQ(s.Right(0), "");
}

TEST(ZRStringTest, ReverseFind) {
    ZRString s("a.b.c");
    EXPECT_EQ(s.ReverseFind('.'), 3);
    EXPECT_EQ(s.ReverseFind('.', 2), 1);
    EXPECT_EQ(s.ReverseFind('.', 100), 3);
    EXPECT_EQ(s.ReverseFind('a', 0), 0);
    EXPECT_EQ(s.ReverseFind('x', 4), -1);
    EXPECT_EQ(s.ReverseFind('.', -1), -1);
    EXPECT_EQ(ZRString().ReverseFind('.', 0), -1);
}

TEST(ZRStringTest, UpperAndConcatenation) {
    ZRString s("mov a1");
    EXPECT_EQ(s.Upper(), "MOV A1");
    EXPECT_EQ(s, "mov a1");
    EXPECT_EQ(s.MakeUpper(), "MOV A1");
    EXPECT_EQ(ZRString("a") + ZRString("b") + "c" + 'd', "abcd");
    EXPECT_EQ("x" + ZRString("y"), "xy");
}

TEST(ZRStringTest, AppendWide) {
    ZRString s("id:");
    s.AppendWide(L"R-220");
    EXPECT_EQ(s, "id:R-220");
    s.AppendWide(L"");
    s.AppendWide(nullptr);
    EXPECT_EQ(s, "id:R-220");
}

TEST(ZRStringTest, WriteBufferRoundTrip) {
    ZRString s("abc");
    char* buf = s.GetBuffer(10);
    EXPECT_STREQ(buf, "abc");
    std::snprintf(buf, 11, "%s", "0123456789");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "0123456789");
    EXPECT_FALSE(s.HasBuffer());

    // Smaller request than the text still holds the whole text; the value ends at the first zero.
    buf = s.GetBuffer(2);
    EXPECT_STREQ(buf, "0123456789");
    buf[4] = '\0';
    s.ReleaseBuffer();
    EXPECT_EQ(s, "0123");
}

#ifndef NDEBUG
TEST(ZRStringDeathTest, AssigningWhileBufferIsOutIsCaught) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ZRString s("abc");
            s.GetBuffer(4);
            s = "other";
        },
        "m_pWriteBuffer == NULL, file General/ZRString");
}
#endif

}  // namespace
