// The .reg text format on its own: what is written, what is read back, what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "winport/RegistryFormat.h"
#include "winport/RegistryUnicode.h"

namespace {

using winport::Hive;
using winport::RegType;
using winport::RegValue;
namespace reg = winport::reg;

constexpr char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

// The text of a Unicode .reg file, which must start with the byte-order mark.
std::string TextOf(const std::string& file) {
    EXPECT_EQ(file.substr(0, 2), "\xFF\xFE");
    return reg::Utf16ToUtf8(reg::UnitsOfLeBytes(std::string_view(file).substr(2)));
}

reg::Node Apply(const reg::ParseResult& parsed) {
    reg::Node root;
    for (const auto& op : parsed.ops) reg::ApplyOp(root, op);
    return root;
}

reg::Node ParseOk(const std::string& text) {
    reg::ParseResult parsed = reg::ParseRegText(text);
    EXPECT_TRUE(parsed.ok) << parsed.error << "\n" << text;
    return Apply(parsed);
}

struct TypedCase {
    const char* label;
    std::string name;
    RegValue value;
};

std::vector<TypedCase> EveryKindOfValue() {
    std::vector<uint8_t> long_binary(300);
    for (size_t i = 0; i < long_binary.size(); ++i) long_binary[i] = uint8_t(i * 7);
    return {
        {"dword zero", "Zero", RegValue::FromDword(0)},
        {"dword max", "Max", RegValue::FromDword(0xFFFFFFFF)},
        {"default value", "", RegValue::FromDword(8)},
        {"empty string", "Empty", RegValue::FromString("")},
        {"quotes", "Quoted", RegValue::FromString("say \"hi\" \"")},
        {"backslashes", "Path", RegValue::FromString("C:\\dir\\sub\\")},
        {"lone backslash", "Slash", RegValue::FromString("\\")},
        {"non-ASCII bytes", "Bytes", RegValue::FromString("caf\xc3\xa9 \x80\xff\xfe end")},
        {"control characters", "Lines", RegValue::FromString(std::string("a\r\nb\0c\td", 8))},
        {"name with quote and backslash", "a\"b\\c", RegValue::FromString("x")},
        {"name with non-ASCII bytes",
         "Temperatur \xb0"
         "C",
         RegValue::FromDword(20)},
        {"empty binary", "None", RegValue::FromBinary({})},
        {"one byte", "One", RegValue::FromBinary({0xAB})},
        {"long binary", "Long", RegValue::FromBinary(long_binary)},
        {"expand string kept raw", "Expand", {RegType::ExpandString, {'%', 0, 'A', 0, 0, 0}}},
        {"multi string kept raw", "Multi", {RegType::MultiString, {'a', 0, 0, 0, 0, 0}}},
        {"qword", "Q", {RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"odd type number", "Odd", {RegType(0x1234), {9}}},
        {"dword of the wrong size", "Short", {RegType::Dword, {1, 2, 3}}},
    };
}

TEST(RegistryFormat, EveryValueKindSurvivesWriteAndRead) {
    reg::Node root;
    reg::Node& key = root.FindOrAdd({"Software", "RVD"});
    for (const auto& c : EveryKindOfValue()) key.SetValue(c.name, c.value);

    const std::string text = reg::WriteRegFile(Hive::CurrentUser, root, {});
    reg::Node back = ParseOk(text);
    const reg::Node* k = back.Find({"Software", "RVD"});
    ASSERT_NE(k, nullptr);
    ASSERT_EQ(k->values.size(), EveryKindOfValue().size());
    for (const auto& c : EveryKindOfValue()) {
        const RegValue* v = k->Value(c.name);
        ASSERT_NE(v, nullptr) << c.label;
        EXPECT_EQ(*v, c.value) << c.label;
    }
    // Writing what was read gives the same text: nothing drifts from one save to the next.
    EXPECT_EQ(reg::WriteRegFile(Hive::CurrentUser, back, {}), text);
}

TEST(RegistryFormat, WritesTheWindowsExportLayout) {
    reg::Node root;
    reg::Node& log = root.FindOrAdd({"Software", "RVD", "Camera Settings", "LOG"});
    log.SetValue("LoggingLevel", RegValue::FromDword(10));
    log.SetValue("LogFileName", RegValue::FromString("C:\\log\\lmvlog.txt"));
    log.SetValue("", RegValue::FromString("d"));
    log.SetValue("Raw", RegValue::FromBinary({0x00, 0x7f, 0xff}));
    log.SetValue("Exp", {RegType::ExpandString, {0x41, 0x00}});

    EXPECT_EQ(TextOf(reg::WriteRegFile(Hive::CurrentUser, *root.Find({"Software", "RVD"}),
                                       {"Software", "RVD"})),
              std::string(kHeader) +
                  "[HKEY_CURRENT_USER\\Software\\RVD]\r\n\r\n"
                  "[HKEY_CURRENT_USER\\Software\\RVD\\Camera Settings]\r\n\r\n"
                  "[HKEY_CURRENT_USER\\Software\\RVD\\Camera Settings\\LOG]\r\n"
                  "\"LoggingLevel\"=dword:0000000a\r\n"
                  "\"LogFileName\"=\"C:\\\\log\\\\lmvlog.txt\"\r\n"
                  "@=\"d\"\r\n"
                  "\"Raw\"=hex:00,7f,ff\r\n"
                  "\"Exp\"=hex(2):41,00\r\n"
                  "\r\n");
}

TEST(RegistryFormat, LongHexDataWrapWithinEightyColumns) {
    reg::Node root;
    root.FindOrAdd({"K"}).SetValue("Data", RegValue::FromBinary(std::vector<uint8_t>(100, 0xAB)));
    const std::string text = TextOf(reg::WriteRegFile(Hive::LocalMachine, root, {}));
    size_t start = 0, lines = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
        start = end + 2;
        ++lines;
    }
    EXPECT_GT(lines, 6u);
    EXPECT_NE(text.find(",\\\r\n  ab,"), std::string::npos);
}

TEST(RegistryFormat, ReadsLfLineEndsOldHeaderAndUtf8Mark) {
    const std::string bodies[] = {
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"V\"=dword:00000001\n",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"V\"=dword:1\r\n",
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"
        "  \"V\" = DWORD:00000001  \r\n; a comment\r\n",
    };
    for (const auto& body : bodies) {
        reg::Node root = ParseOk(body);
        const reg::Node* a = root.Find({"a"});
        ASSERT_NE(a, nullptr) << body;
        ASSERT_NE(a->Value("v"), nullptr) << body;
        EXPECT_EQ(*a->Value("v"), RegValue::FromDword(1)) << body;
    }
}

TEST(RegistryFormat, ReadsWindowsHexForms) {
    // REG_SZ in hex(1) form is UTF-16LE with a terminator: it becomes ordinary text.
    reg::Node root = ParseOk(std::string(kHeader) +
                             "[HKEY_CURRENT_USER\\K]\r\n"
                             "\"S\"=hex(1):66,00,fc,00,72,00,00,00\r\n"
                             "\"B\"=hex:01,02,\\\r\n"
                             "  03,04\r\n"
                             "\"E\"=hex:\r\n"
                             "\"D4\"=hex(4):08,00,00,00\r\n");
    const reg::Node* k = root.Find({"K"});
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(*k->Value("S"), RegValue::FromString("f\xc3\xbcr"));
    EXPECT_EQ(*k->Value("B"), RegValue::FromBinary({1, 2, 3, 4}));
    EXPECT_EQ(*k->Value("E"), RegValue::FromBinary({}));
    EXPECT_EQ(*k->Value("D4"), RegValue::FromDword(8));
}

TEST(RegistryFormat, DeletionsApplyInOrder) {
    reg::Node root;
    root.FindOrAdd({"Software", "Old", "Deep"}).SetValue("x", RegValue::FromDword(1));
    root.FindOrAdd({"Software", "Keep"}).SetValue("gone", RegValue::FromDword(1));
    root.FindOrAdd({"Software", "Keep"}).SetValue("stay", RegValue::FromDword(2));
    reg::ParseResult parsed = reg::ParseRegText(std::string(kHeader) +
                                                "[-HKEY_CURRENT_USER\\software\\old]\r\n"
                                                "\"ignored\"=dword:00000001\r\n"
                                                "[HKEY_CURRENT_USER\\Software\\Keep]\r\n"
                                                "\"GONE\"=-\r\n"
                                                "\"missing\"=-\r\n"
                                                "[-HKEY_CURRENT_USER\\Software\\NotThere]\r\n");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    for (const auto& op : parsed.ops) reg::ApplyOp(root, op);
    EXPECT_EQ(root.Find({"Software", "Old"}), nullptr);
    const reg::Node* keep = root.Find({"Software", "Keep"});
    ASSERT_NE(keep, nullptr);
    ASSERT_EQ(keep->values.size(), 1u);
    EXPECT_EQ(keep->values[0].first, "stay");
}

TEST(RegistryFormat, RefusesWhatItCannotKeep) {
    const struct {
        const char* label;
        std::string text;
        const char* line;
    } cases[] = {
        {"no header", "[HKEY_CURRENT_USER\\K]\r\n", "line 1"},
        {"unknown root", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\K]\r\n", "line 3"},
        {"key without bracket", std::string(kHeader) + "[HKEY_CURRENT_USER\\K\r\n", "line 3"},
        {"value before key", std::string(kHeader) + "\"V\"=dword:1\r\n", "line 3"},
        {"open string", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=\"abc\r\n", "line 4"},
        {"open name", std::string(kHeader) + "[HKCU\\K]\r\n\"V=\"abc\"\r\n", "line 4"},
        {"text after string", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=\"a\" b\r\n", "line 4"},
        {"dword too long", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=dword:123456789\r\n",
         "line 4"},
        {"dword not hex", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=dword:12g4\r\n", "line 4"},
        {"bad hex byte", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=hex:01,2x\r\n", "line 4"},
        {"three-digit byte", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=hex:123\r\n", "line 4"},
        {"bad hex type", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=hex(z):01\r\n", "line 4"},
        {"continuation at end", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=hex:01,\\\r\n", "line"},
        {"unknown data", std::string(kHeader) + "[HKCU\\K]\r\n\"V\"=qword:1\r\n", "line 4"},
        {"no equals sign", std::string(kHeader) + "[HKCU\\K]\r\n\"V\" dword:1\r\n", "line 4"},
        {"stray text", std::string(kHeader) + "[HKCU\\K]\r\nhello\r\n", "line 4"},
        {"root deletion", std::string(kHeader) + "[-HKEY_CURRENT_USER]\r\n", "line 3"},
        {"odd UTF-16", "\xFF\xFEW", ""},
    };
    for (const auto& c : cases) {
        reg::ParseResult parsed = reg::ParseRegText(c.text);
        EXPECT_FALSE(parsed.ok) << c.label;
        EXPECT_TRUE(parsed.ops.empty()) << c.label;
        EXPECT_NE(parsed.error.find(c.line), std::string::npos) << c.label << ": " << parsed.error;
    }
}

TEST(RegistryFormat, EmptyInputIsAnEmptyHive) {
    for (const char* text : {"", "\r\n\r\n", "\xEF\xBB\xBF"}) {
        reg::ParseResult parsed = reg::ParseRegText(text);
        EXPECT_TRUE(parsed.ok) << parsed.error;
        EXPECT_TRUE(parsed.ops.empty());
    }
}

TEST(RegistryFormat, Utf16ConversionsRoundTrip) {
    const std::string text = "A\xc3\xbc\xe2\x82\xac\xf0\x9f\x98\x80";  // A, u-umlaut, euro, emoji
    const std::u16string utf16 = reg::Utf8ToUtf16(text);
    EXPECT_EQ(utf16, std::u16string(u"A\u00fc\u20ac\U0001F600"));
    EXPECT_EQ(reg::Utf16ToUtf8(utf16), text);
    EXPECT_TRUE(reg::IsWellFormedUtf16(utf16));
    std::string le;
    reg::AppendLeBytes(le, utf16);
    EXPECT_EQ(le, std::string("A\0\xfc\0\xac\x20\x3d\xd8\x00\xde", 10));
    EXPECT_EQ(reg::UnitsOfLeBytes(le + "\x01"), utf16);  // an odd last byte is no unit

    // Bytes that are not UTF-8 travel as escapes and come back unchanged.
    const std::string bytes = "\xe9 \xc3 \xed\xa0\x80 \xff";
    const std::u16string escaped = reg::Utf8ToUtf16(bytes);
    EXPECT_EQ(escaped.substr(0, 2), std::u16string(u"\xdce9 "));
    EXPECT_FALSE(reg::IsWellFormedUtf16(escaped));
    EXPECT_EQ(reg::Utf16ToUtf8(escaped), bytes);
    EXPECT_FALSE(reg::IsWellFormedUtf8(bytes));
    EXPECT_TRUE(reg::IsWellFormedUtf8(text));
    // Other lone surrogates have no 8-bit form.
    EXPECT_EQ(reg::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
}

TEST(RegistryFormat, KeyPathsAndNames) {
    std::vector<std::string> parts;
    ASSERT_TRUE(reg::SplitKeyPath("\\Software\\\\RVD\\", parts));
    EXPECT_EQ(parts, (std::vector<std::string>{"Software", "RVD"}));
    EXPECT_FALSE(reg::SplitKeyPath(std::string("a\nb"), parts));
    EXPECT_FALSE(reg::SplitKeyPath(std::string("a\0b", 3), parts));
    EXPECT_TRUE(reg::NamesEqual("LutBW lin", "LUTbw LIN"));
    EXPECT_FALSE(reg::NamesEqual("LutBW lin", "LutBW li"));
    EXPECT_FALSE(reg::NamesEqual("\xc3\xa9", "\xc3\x89"));  // only ASCII letters fold
}

}  // namespace
