// The .reg text format on its own: what is written, what is read back, what is refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ValueTable.h"
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

// Sets WINPORT_REG_CODEPAGE for one scope (unset for nullptr).
class CodePageScope {
  public:
    explicit CodePageScope(const char* name) {
        if (const char* old = std::getenv(kVar)) saved_ = old;
        if (name)
            setenv(kVar, name, 1);
        else
            unsetenv(kVar);
    }
    ~CodePageScope() {
        if (saved_)
            setenv(kVar, saved_->c_str(), 1);
        else
            unsetenv(kVar);
    }

  private:
    static constexpr char kVar[] = "WINPORT_REG_CODEPAGE";
    std::optional<std::string> saved_;
};

std::string Le(std::u16string_view text) {
    std::string out;
    reg::AppendLeBytes(out, text);
    return out;
}

TEST(RegistryFormat, ReadsEveryEncodingWindowsAndPeopleWrite) {
    using value_table::Typed;
    using value_table::Utf16Bytes;
    const struct {
        const char* label;
        std::string bytes;
        const char* codePage;
        RegValue expected;
    } cases[] = {
        {"UTF-16LE without byte-order mark",
         Le(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\K]\r\n"
            u"\"V\"=\"Gr\u00f6\u00dfe\"\r\n"),
         nullptr,
         RegValue::FromString("Gr\xc3\xb6\xc3\x9f"
                              "e")},
        {"UTF-8 with byte-order mark, REGEDIT4",
         "\xEF\xBB\xBFREGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"V\"=hex(2):47,c3,b6,00\n", nullptr,
         Typed(RegType::ExpandString, Utf16Bytes(u"G\u00f6"))},
        {"REGEDIT4 in cp1252",
         "REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n\"V\"=\"Gr\xf6\xdf"
         "e \x80\x81\"\r\n",
         nullptr, Typed(RegType::String, Utf16Bytes(u"Gr\u00f6\u00dfe \u20ac\u0081"))},
        {"REGEDIT4 string data in cp1252",
         "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"V\"=hex(7):41,f6,00,80,00,00\n", nullptr,
         Typed(RegType::MultiString, Utf16Bytes(std::u16string(u"A\u00f6\0\u20ac\0", 5)))},
        {"REGEDIT4 in a named code page", "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"V\"=\"\xc0\xe1\"\n",
         "cp1251", Typed(RegType::String, Utf16Bytes(u"\u0410\u0431"))},
        {"REGEDIT4 in a code page named by number", "REGEDIT4\n[HKCU\\K]\n\"V\"=hex(1):e1,00\n",
         "1253", Typed(RegType::String, Utf16Bytes(u"\u03b1"))},
        {"REGEDIT4 in UTF-8 by name", "REGEDIT4\n[HKCU\\K]\n\"V\"=\"\xc3\xb6\"\n", "utf-8",
         RegValue::FromString("\xc3\xb6")},
        {"version 5 in UTF-8: hex(2) holds the registry's bytes",
         "Windows Registry Editor Version 5.00\n[HKCU\\K]\n\"V\"=hex(2):41,00,00,00\n", "cp1251",
         Typed(RegType::ExpandString, Utf16Bytes(u"A"))},
        {"continuation lines with LF",
         "Windows Registry Editor Version 5.00\n[HKCU\\K]\n\"V\"=hex(7):61,00,\\\n  00,00,\\\n"
         "  00,00\n",
         nullptr, Typed(RegType::MultiString, Utf16Bytes(u"a", 2))},
        {"hex(N) of any N",
         "Windows Registry Editor Version 5.00\n[HKCU\\K]\n\"V\"=hex(FFFFFFFF):01\n", nullptr,
         Typed(RegType(0xFFFFFFFF), {1})},
        {"the escapes of hand-written files",
         "Windows Registry Editor Version 5.00\n[HKCU\\K]\n\"V\"=\"a\\r\\n\\0\\t\\\\\"\n", nullptr,
         Typed(RegType::String, Utf16Bytes(std::u16string(u"a\r\n\0\\t\\", 7)))},
    };
    for (const auto& c : cases) {
        CodePageScope scope(c.codePage);
        reg::Node root = ParseOk(c.bytes);
        const reg::Node* k = root.Find({"K"});
        ASSERT_NE(k, nullptr) << c.label;
        ASSERT_NE(k->Value("V"), nullptr) << c.label;
        EXPECT_EQ(k->Value("V")->type, c.expected.type) << c.label;
        EXPECT_EQ(k->Value("V")->data, c.expected.data) << c.label;
    }
}

TEST(RegistryFormat, UnknownCodePageIsReportedWhereItMatters) {
    CodePageScope scope("no-such-code-page");
    reg::ParseResult parsed = reg::ParseRegText("REGEDIT4\r\n[HKCU\\K]\r\n\"V\"=\"x\"\r\n");
    EXPECT_FALSE(parsed.ok);
    EXPECT_NE(parsed.error.find("WINPORT_REG_CODEPAGE"), std::string::npos) << parsed.error;
    EXPECT_NE(parsed.error.find("no-such-code-page"), std::string::npos) << parsed.error;
    // Files in Windows' own Unicode form need no code page.
    EXPECT_TRUE(reg::ParseRegText("\xFF\xFE" + Le(u"Windows Registry Editor Version 5.00\r\n"
                                                  u"[HKCU\\K]\r\n\"V\"=\"x\"\r\n"))
                    .ok);
    EXPECT_TRUE(reg::ParseRegText("Windows Registry Editor Version 5.00\r\n").ok);
}

TEST(RegistryFormat, NeverWritesAnEscapeRegeditDoesNotKnow) {
    using value_table::Typed;
    using value_table::Utf16Bytes;
    const struct {
        const char* label;
        RegValue value;
        const char* line;
    } cases[] = {
        {"quotes and backslashes", RegValue::FromString("a\"b\\c"), "\"V\"=\"a\\\"b\\\\c\""},
        {"tab stays as it is", RegValue::FromString("a\tb"), "\"V\"=\"a\tb\""},
        {"line feed", RegValue::FromString("a\nb"), "\"V\"=hex(1):61,00,0a,00,62,00,00,00"},
        {"carriage return", RegValue::FromString("\r"), "\"V\"=hex(1):0d,00,00,00"},
        {"embedded NUL", RegValue::FromString(std::string("\0", 1)), "\"V\"=hex(1):00,00,00,00"},
        {"bytes that are not UTF-8", RegValue::FromString("\xff"), "\"V\"=hex(1):ff,dc,00,00"},
        {"lone surrogate", Typed(RegType::String, {0x00, 0xd8, 0, 0}), "\"V\"=hex(1):00,d8,00,00"},
        {"expand string", RegValue::FromExpandString("a"), "\"V\"=hex(2):61,00,00,00"},
        {"multi string", RegValue::FromMultiString({"a"}), "\"V\"=hex(7):61,00,00,00,00,00"},
    };
    for (const auto& c : cases) {
        reg::Node root;
        root.FindOrAdd({"K"}).SetValue("V", c.value);
        const std::string text = TextOf(reg::WriteRegFile(Hive::CurrentUser, root, {}));
        EXPECT_NE(text.find(std::string("\r\n") + c.line + "\r\n"), std::string::npos)
            << c.label << "\n"
            << text;
        reg::Node back = ParseOk(reg::WriteRegFile(Hive::CurrentUser, root, {}));
        EXPECT_EQ(*back.Find({"K"})->Value("V"), c.value) << c.label;
    }
}

TEST(RegistryFormat, HexLinesWrapAsRegeditWrapsThem) {
    // The well-known start of a service's ImagePath: 20 bytes on the first line, 79 columns.
    reg::Node root;
    root.FindOrAdd({"K"}).SetValue("ImagePath", RegValue::FromExpandString("%SystemRoot%\\x"));
    const std::string text = TextOf(reg::WriteRegFile(Hive::LocalMachine, root, {}));
    EXPECT_NE(text.find("\"ImagePath\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,"
                        "00,6f,00,\\\r\n  74,00,25,00,5c,00,78,00,00,00\r\n"),
              std::string::npos)
        << text;
    // A name too long for any byte: one byte per line until the indent.
    root.FindOrAdd({"K"}).SetValue(std::string(80, 'n'), RegValue::FromBinary({1, 2}));
    EXPECT_NE(TextOf(reg::WriteRegFile(Hive::LocalMachine, root, {}))
                  .find(std::string(80, 'n') + "\"=hex:01,\\\r\n  02\r\n"),
              std::string::npos);
}

TEST(RegistryFormat, AnsiFormRefusesWhatItCannotHold) {
    const reg::CodePage cp1252 = reg::CodePage::Ansi1252();
    const struct {
        const char* label;
        std::vector<std::string> key;
        std::string name;
        RegValue value;
        const char* named;
    } cases[] = {
        {"key name", {"\xce\xa9"}, "V", RegValue::FromDword(1), "[HKEY_CURRENT_USER\\\xce\xa9]"},
        {"value name", {"K"}, "\xf0\x9f\x98\x80", RegValue::FromDword(1), "\"\xf0\x9f\x98\x80\""},
        {"string", {"K"}, "V", RegValue::FromString("\xce\xa9"), "\"V\""},
        {"bytes that are not UTF-8", {"K"}, "", RegValue::FromString("\xff"), " @"},
        {"odd-length string data", {"K"}, "V", {RegType::ExpandString, {0x41}}, "\"V\""},
        {"multi string", {"K"}, "V", RegValue::FromMultiString({"\xce\xa9"}), "\"V\""},
    };
    for (const auto& c : cases) {
        reg::Node root;
        root.FindOrAdd(c.key).SetValue(c.name, c.value);
        std::string error;
        EXPECT_FALSE(reg::WriteAnsiRegFile(Hive::CurrentUser, root, {}, cp1252, error)) << c.label;
        EXPECT_NE(error.find(c.named), std::string::npos) << c.label << ": " << error;
        EXPECT_NE(error.find("cp1252"), std::string::npos) << c.label << ": " << error;
    }
    reg::Node fine;
    fine.FindOrAdd({"K"}).SetValue("\xe2\x82\xac", RegValue::FromString("\xc3\xa9"));
    std::string error;
    EXPECT_EQ(reg::WriteAnsiRegFile(Hive::CurrentUser, fine, {}, cp1252, error),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER]\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
              "\"\x80\"=\"\xe9\"\r\n\r\n");
}

}  // namespace
