#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "ZR_Corvane_TAL.h"
#include "motion/api/ErrorTable.h"

namespace {

bool InRange(int n) {
    return n == 0 || (n >= 1 && n <= 6005) || (n >= -61 && n <= -1) || (n >= -1082 && n <= -1001);
}

TEST(ErrorTableTest, WholeTableIsWellFormed) {
    auto table = ErrorTable();
    ASSERT_EQ(table.size(), 355u);
    std::set<int> numbers;
    std::map<std::string, std::vector<int>> byText;
    size_t longest = 0;
    for (const ZRErrorEntry& e : table) {
        EXPECT_TRUE(numbers.insert(e.number).second) << "twice: " << e.number;
        EXPECT_TRUE(InRange(e.number)) << e.number;
        ASSERT_NE(e.text, nullptr);
        std::string text = e.text;
        EXPECT_FALSE(text.empty()) << e.number;
        for (char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << e.number << ": " << text;
        longest = std::max(longest, text.size());
        byText[text].push_back(e.number);
        EXPECT_EQ(FindErrorEntry(e.number), &e);
    }
    EXPECT_EQ(longest, 141u);
    EXPECT_EQ(table.front().number, -1082);
    EXPECT_EQ(table.back().number, 6005);
    EXPECT_EQ(byText["Invalid axis identifier"], (std::vector<int>{-1017, 15}));
}

TEST(ErrorTableTest, NamesMatchThePublicMacros) {
    const std::pair<const char*, int> named[] = {
        {"ZR_NO_ERROR", ZR_NO_ERROR},
        {"COM_TIMEOUT", COM_TIMEOUT},
        {"COM_NO_DEVICE_WITH_ID", COM_NO_DEVICE_WITH_ID},
        {"ZR_CNTR_MACRO_MEMORY_FULL", ZR_CNTR_MACRO_MEMORY_FULL},
        {"ZR_CONTROLLER_BUSY", ZR_CONTROLLER_BUSY},
        {"ZR_USERSTAGES_DAT_FILE_INVALID_REVISION", ZR_USERSTAGES_DAT_FILE_INVALID_REVISION},
    };
    for (auto [name, number] : named) {
        const ZRErrorEntry* e = FindErrorEntry(number);
        ASSERT_NE(e, nullptr) << name;
        ASSERT_NE(e->name, nullptr) << name;
        EXPECT_STREQ(e->name, name);
    }
    size_t namedCount = 0;
    for (const ZRErrorEntry& e : ErrorTable()) namedCount += e.name != nullptr;
    EXPECT_EQ(namedCount, 60u);
}

TEST(ErrorTableTest, StageFileVersionTextEndsWithOurAddress) {
    std::string text = TranslateErrorNumber(-1077);
    EXPECT_TRUE(
        text.starts_with("Version of parameter DAT file does not match the required "
                         "version. Current files are available at "));
    EXPECT_TRUE(text.ends_with(std::string(ZR_STAGE_FILES_ADDRESS) + "."));
}

TEST(ErrorTableTest, UnknownNumbers) {
    EXPECT_EQ(FindErrorEntry(6006), nullptr);
    EXPECT_EQ(TranslateErrorNumber(97), "Unknown Error - number 97");
    EXPECT_EQ(TranslateErrorNumber(-62), "Unknown Error - number -62");
    EXPECT_EQ(TranslateErrorNumber(INT32_MIN), "Unknown Error - number -2147483648");
}

}  // namespace
