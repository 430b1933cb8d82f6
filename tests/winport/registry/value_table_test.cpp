// The table of every kind of value: written by the store, exported, imported, compared byte for
// byte with files in the form Windows' regedit writes. value_table.reg and value_table_ansi.reg
// were written by hand from the public .reg format (the long hex lines wrapped by regedit's rule);
// value_table.reg was then imported into Wine's regedit, which exported the same values and the
// same wrapped lines. old_8bit_hive.reg is a hive in the store's earlier 8-bit form.
#include <string>
#include <vector>

#include "TempRegistry.h"
#include "ValueTable.h"
#include "winport/Registry.h"

namespace {

namespace fs = std::filesystem;
using value_table::Entry;
using winport::Hive;
using winport::RegFileForm;
using winport::RegistryKey;
using winport::RegStatus;
using winport::RegType;
using winport::RegValue;

class ValueTable : public TempRegistry {
  protected:
    static std::string Fixture(const char* name) {
        return ReadFile(fs::path(REGISTRY_FIXTURES) / name);
    }
};

std::string KeyOf(const std::string& root, const Entry& e) {
    return e.key.empty() ? root : root + "\\" + e.key;
}

void WriteEntries(const std::string& root, const std::vector<Entry>& entries) {
    for (const auto& e : entries) {
        auto key = RegistryKey::Create(Hive::CurrentUser, KeyOf(root, e));
        ASSERT_TRUE(key) << winport::RegistryLastError();
        ASSERT_EQ(key->WriteValue(e.name, e.value), RegStatus::Ok) << e.name;
    }
}

void ExpectEntries(const std::string& root, const std::vector<Entry>& entries) {
    for (const auto& e : entries) {
        auto key = RegistryKey::Open(Hive::CurrentUser, KeyOf(root, e));
        ASSERT_TRUE(key) << KeyOf(root, e);
        auto v = key->ReadValue(e.name);
        ASSERT_TRUE(v) << e.name;
        EXPECT_EQ(v->type, e.value.type) << e.name;
        EXPECT_EQ(v->data, e.value.data) << e.name;
    }
}

// The subset that REGEDIT4 in cp1252 can hold, in the table's order.
std::vector<Entry> AnsiEntries() {
    const std::vector<std::string> names = {"",
                                            "Empty",
                                            "Zero length",
                                            "Embedded NUL",
                                            "No terminator",
                                            "Two terminators",
                                            "Line break",
                                            "Quote \"q\" and back\\slash",
                                            "Expand",
                                            "Multi",
                                            "Dword",
                                            "Short dword",
                                            "Binary 100",
                                            "Qword",
                                            "Type 99",
                                            "Gr\xc3\xb6\xc3\x9f"
                                            "e \xc2\xb0"
                                            "C"};
    std::vector<Entry> out;
    for (const auto& name : names)
        for (const auto& e : value_table::Entries())
            if (e.key.empty() && e.name == name) out.push_back(e);
    out.back().value.type = RegType::Dword;
    out.push_back({"", "\xe2\x82\xac",
                   value_table::Typed(RegType::String, value_table::Utf16Bytes(u"\u20ac 5"))});
    // The multi-string without its non-BMP item.
    for (auto& e : out)
        if (e.name == "Multi")
            e.value = RegValue::FromMultiString({"a",
                                                 "Gr\xc3\xb6\xc3\x9f"
                                                 "e"});
    return out;
}

TEST_F(ValueTable, StoreWritesExportsAndImportsRegeditsBytes) {
    const std::string fixture = Fixture("value_table.reg");
    WriteEntries(value_table::kRoot, value_table::Entries());

    // The hive file is the same text with the hive's root and the parent key in front.
    const std::string body = fixture.substr(fixture.find(Utf16("[")));
    EXPECT_EQ(ReadFile(Hkcu()), "\xFF\xFE" +
                                    Utf16("Windows Registry Editor Version 5.00\r\n\r\n"
                                          "[HKEY_CURRENT_USER]\r\n\r\n"
                                          "[HKEY_CURRENT_USER\\Software]\r\n\r\n") +
                                    body);
    auto exported = winport::ExportRegistryKey(Hive::CurrentUser, value_table::kRoot);
    ASSERT_TRUE(exported);
    EXPECT_EQ(*exported, fixture) << TextOf(*exported);

    // Into an empty store and out again: the same bytes, value by value and as a file.
    ASSERT_EQ(winport::DeleteRegistryKey(Hive::CurrentUser, "Software"), RegStatus::Ok);
    ASSERT_EQ(winport::ImportRegistryText(*exported), RegStatus::Ok);
    ExpectEntries(value_table::kRoot, value_table::Entries());
    EXPECT_EQ(winport::ExportRegistryKey(Hive::CurrentUser, value_table::kRoot), fixture);
}

TEST_F(ValueTable, RegeditsFileImportsToTheTable) {
    ASSERT_EQ(winport::ImportRegistryText(Fixture("value_table.reg")), RegStatus::Ok)
        << winport::RegistryLastError();
    ExpectEntries(value_table::kRoot, value_table::Entries());

    // The 8-bit view of the same values.
    auto key = RegistryKey::Open(Hive::CurrentUser, value_table::kRoot);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadString("Non-BMP"),
              "\xf0\x9f\x98\x80 Gr\xc3\xb6\xc3\x9f"
              "e");
    EXPECT_EQ(key->ReadString("Embedded NUL"), std::string("x\0y", 3));
    EXPECT_EQ(key->ReadString("Zero length"), "");
    EXPECT_EQ(key->ReadString("Expand"),
              "%USERPROFILE%\\Gr\xc3\xb6\xc3\x9f"
              "e");
    EXPECT_EQ(key->ReadString("Quote \"q\" and back\\slash"), "C:\\dir\\\"x\"\\");
    EXPECT_EQ(key->ReadValue("Multi")->TextList(), (std::vector<std::string>{"a",
                                                                             "Gr\xc3\xb6\xc3\x9f"
                                                                             "e",
                                                                             "\xf0\x9f\x98\x80"}));
    EXPECT_EQ(key->ReadValue("Multi empty")->TextList(), std::vector<std::string>{});
    EXPECT_FALSE(key->ReadDword("Short dword"));
}

TEST_F(ValueTable, AnsiExportOnlyWhenNothingIsLost) {
    const char* root = "Software\\Winport Ansi";
    const std::string fixture = Fixture("value_table_ansi.reg");
    unsetenv("WINPORT_REG_CODEPAGE");
    WriteEntries(root, AnsiEntries());
    auto ansi = winport::ExportRegistryKey(Hive::CurrentUser, root, RegFileForm::Ansi);
    ASSERT_TRUE(ansi) << winport::RegistryLastError();
    EXPECT_EQ(*ansi, fixture) << *ansi;

    ASSERT_EQ(winport::DeleteRegistryKey(Hive::CurrentUser, "Software"), RegStatus::Ok);
    ASSERT_EQ(winport::ImportRegistryText(fixture), RegStatus::Ok) << winport::RegistryLastError();
    ExpectEntries(root, AnsiEntries());

    // The whole table cannot go to REGEDIT4: the first value that would change is named.
    WriteEntries(value_table::kRoot, value_table::Entries());
    EXPECT_FALSE(
        winport::ExportRegistryKey(Hive::CurrentUser, value_table::kRoot, RegFileForm::Ansi));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::NotRepresentable);
    EXPECT_NE(winport::RegistryLastError().find("\"Odd length\""), std::string::npos)
        << winport::RegistryLastError();
    EXPECT_NE(winport::RegistryLastError().find("cp1252"), std::string::npos);
}

TEST_F(ValueTable, OldEightBitHiveIsReadAndRewrittenAtTheNextChange) {
    const std::string old = Fixture("old_8bit_hive.reg");
    WriteFile(Hkcu(), old);
    const char* logPath = "Software\\RVD\\Camera Settings\\LOG";
    auto log = RegistryKey::Open(Hive::CurrentUser, logPath);
    ASSERT_TRUE(log) << winport::RegistryLastError();
    EXPECT_EQ(log->ReadDword("LoggingLevel"), 8u);
    EXPECT_EQ(log->ReadString("LogFileName"), "C:\\logs\\M\xc3\xbcller \"1\".txt");
    EXPECT_EQ(log->ReadString("Lines"), std::string("a\r\nb\0c", 6));
    EXPECT_EQ(log->ReadString("Latin1"),
              "20 \xb0"
              "C");
    EXPECT_EQ(log->ReadString("Folder"), "%USERPROFILE%");
    EXPECT_EQ(log->ReadBinary("Blob"), (std::vector<uint8_t>{1, 2, 0xff}));
    EXPECT_EQ(log->ReadString(""), "default");
    EXPECT_EQ(log->ReadValue("LogFileName")->data,
              value_table::Utf16Bytes(u"C:\\logs\\M\u00fcller \"1\".txt"));
    EXPECT_EQ(ReadFile(Hkcu()), old) << "reading alone never rewrites";

    std::vector<std::pair<std::string, RegValue>> before;
    for (const auto& name : log->ValueNames()) before.emplace_back(name, *log->ReadValue(name));
    ASSERT_EQ(log->WriteDword("LoggingLevel", 9), RegStatus::Ok);
    const std::string text = HiveText(Hkcu());
    ASSERT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("\"LogFileName\"=\"C:\\\\logs\\\\M\xc3\xbcller \\\"1\\\".txt\"\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00,63,00,00,00\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\RVD\\Gr\xc3\xb6\xc3\x9f"
                        "e]\r\n"
                        "\"Temperatur \xc2\xb0"
                        "C\"=dword:ffffffec\r\n"),
              std::string::npos);
    for (const auto& [name, value] : before) {
        if (name == "LoggingLevel") continue;
        EXPECT_EQ(log->ReadValue(name), value) << name;
    }
    EXPECT_EQ(log->ReadDword("LoggingLevel"), 9u);
    EXPECT_EQ(log->ReadString("Latin1"),
              "20 \xb0"
              "C");
}

}  // namespace
