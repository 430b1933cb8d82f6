// The store's files against an independent reader: Wine's regedit imports the hive file and the
// exports (regedit /S), exports the key again (regedit /E), and the values must come back as the
// store wrote them. Skipped when Wine is not installed (`make interop` installs it).
#include <cstdlib>
#include <set>
#include <string>

#include "TempRegistry.h"
#include "ValueTable.h"
#include "winport/Registry.h"
#include "winport/RegistryFormat.h"

namespace {

namespace fs = std::filesystem;
using value_table::Entry;
using winport::Hive;
using winport::RegistryKey;
using winport::RegStatus;
namespace reg = winport::reg;

// Values whose data Wine's regedit itself does not carry: it pads odd-length string data on
// import and, on export, cuts strings at their first NUL, writes data without (or with more
// than one) terminator as an ordinary string and reads a short REG_DWORD as four bytes. For
// these only the value's presence and type are compared.
const std::set<std::string> kBeyondWine = {"Zero length",   "Embedded NUL",    "Odd length",
                                           "No terminator", "Two terminators", "Expand odd",
                                           "Short dword"};

bool WineInstalled() {
    return std::system("command -v wine > /dev/null 2>&1") == 0;
}

class WineInterop : public TempRegistry {
  protected:
    void SetUp() override {
        TempRegistry::SetUp();
        if (!WineInstalled())
            GTEST_SKIP() << "wine is not installed; run `make interop` to install it and run "
                            "this test against Wine's regedit";
        prefix_ = dir / "wine";
    }

    // Runs `wine regedit <args>` in the scratch prefix; true when it exits with 0.
    bool Regedit(const std::string& args) const {
        const std::string command = "WINEPREFIX='" + prefix_.string() +
                                    "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' "
                                    "DISPLAY= timeout 600 wine regedit " +
                                    args + " > /dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }
    static std::string WinePath(const fs::path& p) {
        std::string out = "Z:" + p.string();
        for (char& c : out)
            if (c == '/') c = '\\';
        return "'" + out + "'";
    }

    // Imports `file` into Wine and returns Wine's export of `key` as a tree.
    reg::Node ThroughWine(const fs::path& file, const std::string& key) const {
        const fs::path out = dir / "wine_export.reg";
        EXPECT_TRUE(Regedit("/S " + WinePath(file))) << file;
        EXPECT_TRUE(Regedit("/E " + WinePath(out) + " 'HKEY_CURRENT_USER\\" + key + "'"));
        reg::ParseResult parsed = reg::ParseRegText(ReadFile(out));
        EXPECT_TRUE(parsed.ok) << parsed.error;
        reg::Node root;
        for (const auto& op : parsed.ops) reg::ApplyOp(root, op);
        return root;
    }

    static void ExpectTable(const reg::Node& root, const std::string& rootKey,
                            const std::vector<Entry>& entries) {
        for (const auto& e : entries) {
            std::vector<std::string> path;
            reg::SplitKeyPath(e.key.empty() ? rootKey : rootKey + "\\" + e.key, path);
            const reg::Node* key = root.Find(path);
            ASSERT_NE(key, nullptr) << e.key;
            const winport::RegValue* v = key->Value(e.name);
            ASSERT_NE(v, nullptr) << "Wine lost \"" << e.name << "\"";
            EXPECT_EQ(v->type, e.value.type) << e.name;
            if (kBeyondWine.count(e.name)) continue;
            EXPECT_EQ(v->data, e.value.data) << e.name;
        }
    }

    fs::path prefix_;
};

TEST_F(WineInterop, RegeditReadsTheHiveFileAndTheExport) {
    for (const auto& e : value_table::Entries()) {
        auto key = RegistryKey::Create(
            Hive::CurrentUser,
            e.key.empty() ? value_table::kRoot : std::string(value_table::kRoot) + "\\" + e.key);
        ASSERT_TRUE(key);
        ASSERT_EQ(key->WriteValue(e.name, e.value), RegStatus::Ok);
    }
    // The hive file itself, copied to the Windows side as it is.
    ExpectTable(ThroughWine(Hkcu(), value_table::kRoot), value_table::kRoot,
                value_table::Entries());

    // An export, under another key so that nothing is left over from the first import.
    const std::string other = "Software\\Winport Export";
    auto text = winport::ExportRegistryKey(Hive::CurrentUser, value_table::kRoot);
    ASSERT_TRUE(text);
    std::string renamed = TextOf(*text);
    renamed.replace(renamed.find("Winport Table"), 13, "Winport Export");
    for (size_t at; (at = renamed.find("Winport Table")) != std::string::npos;)
        renamed.replace(at, 13, "Winport Export");
    WriteFile(dir / "export.reg", "\xFF\xFE" + Utf16(renamed));
    ExpectTable(ThroughWine(dir / "export.reg", other), other, value_table::Entries());
}

TEST_F(WineInterop, StoreReadsWhatRegeditWrites) {
    // Wine's own settings, exported by its regedit, import into the store unchanged.
    const fs::path out = dir / "control_panel.reg";
    ASSERT_TRUE(Regedit("/E " + WinePath(out) + " 'HKEY_CURRENT_USER\\Control Panel'"));
    const std::string wine = ReadFile(out);
    ASSERT_EQ(winport::ImportRegistryText(wine), RegStatus::Ok) << winport::RegistryLastError();
    auto back = winport::ExportRegistryKey(Hive::CurrentUser, "Control Panel");
    ASSERT_TRUE(back);
    reg::ParseResult a = reg::ParseRegText(wine), b = reg::ParseRegText(*back);
    ASSERT_TRUE(a.ok && b.ok);
    reg::Node ra, rb;
    for (const auto& op : a.ops) reg::ApplyOp(ra, op);
    for (const auto& op : b.ops) reg::ApplyOp(rb, op);
    const reg::Node* pa = ra.Find({"Control Panel"});
    const reg::Node* pb = rb.Find({"Control Panel"});
    ASSERT_TRUE(pa && pb);
    EXPECT_FALSE(pa->children.empty());
    EXPECT_EQ(reg::WriteRegFile(Hive::CurrentUser, *pa, {"Control Panel"}),
              reg::WriteRegFile(Hive::CurrentUser, *pb, {"Control Panel"}));
}

}  // namespace
