// The registry store through its key API, with the hive files in a scratch folder.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TempRegistry.h"
#include "winport/Registry.h"

namespace {

namespace fs = std::filesystem;
using winport::Hive;
using winport::RegistryKey;
using winport::RegStatus;
using winport::RegType;
using winport::RegValue;

using RegistryStore = TempRegistry;

constexpr char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

RegistryKey MustCreate(Hive hive, const std::string& path) {
    auto key = RegistryKey::Create(hive, path);
    EXPECT_TRUE(key) << winport::RegistryLastError();
    if (!key) throw std::runtime_error("cannot create " + path);
    return *key;
}

TEST_F(RegistryStore, MissingFilesAreEmptyHives) {
    EXPECT_FALSE(fs::exists(Hkcu()));
    auto root = RegistryKey::Open(Hive::CurrentUser, "");
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->SubKeyNames().empty());
    EXPECT_FALSE(RegistryKey::Open(Hive::CurrentUser, "Software\\RVD"));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::NotFound);
    EXPECT_NE(winport::RegistryLastError().find("Software\\RVD"), std::string::npos);
    EXPECT_FALSE(fs::exists(Hkcu())) << "reading must not create the file";
}

TEST_F(RegistryStore, EveryValueTypeRoundTrips) {
    std::vector<uint8_t> binary(200);
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = uint8_t(255 - i);
    const std::string texts[] = {"",
                                 "plain",
                                 "with \"quotes\" inside",
                                 "C:\\Program Files\\RVD\\",
                                 "\\\\server\\share",
                                 "non-ASCII \xe4\xf6\xfc \xc3\xa9 \x80\xff",
                                 std::string("lines\r\nand\0nul", 14)};

    RegistryKey key = MustCreate(Hive::CurrentUser, "Software\\RVD\\Camera Settings\\LOG");
    ASSERT_EQ(key.WriteDword("LoggingLevel", 8), RegStatus::Ok);
    ASSERT_EQ(key.WriteDword("Max", 0xFFFFFFFF), RegStatus::Ok);
    ASSERT_EQ(key.WriteBinary("Blob", binary), RegStatus::Ok);
    ASSERT_EQ(key.WriteBinary("Nothing", {}), RegStatus::Ok);
    for (size_t i = 0; i < std::size(texts); ++i)
        ASSERT_EQ(key.WriteString("Text" + std::to_string(i), texts[i]), RegStatus::Ok);
    ASSERT_EQ(key.WriteString("", "default"), RegStatus::Ok);

    auto again = RegistryKey::Open(Hive::CurrentUser, "Software\\RVD\\Camera Settings\\LOG");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->ReadDword("LoggingLevel"), 8u);
    EXPECT_EQ(again->ReadDword("Max"), 0xFFFFFFFFu);
    EXPECT_EQ(again->ReadBinary("Blob"), binary);
    EXPECT_EQ(again->ReadBinary("Nothing"), std::vector<uint8_t>{});
    for (size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(again->ReadString("Text" + std::to_string(i)), texts[i]) << i;
    EXPECT_EQ(again->ReadString(""), "default");
    EXPECT_NE(HiveText(Hkcu()).find("\r\n\"LoggingLevel\"=dword:00000008\r\n"), std::string::npos);
    EXPECT_NE(HiveText(Hkcu()).find("\r\n@=\"default\"\r\n"), std::string::npos);
}

TEST_F(RegistryStore, DwordReadsCheckTypeAndSize) {
    WriteFile(Hkcu(), std::string(kHeader) +
                          "[HKEY_CURRENT_USER\\Software\\RVD\\LMVTEST]\r\n"
                          "\"Three\"=hex(4):01,02,03\r\n"
                          "\"Binary4\"=hex:01,00,00,00\r\n"
                          "\"Text\"=\"1\"\r\n"
                          "\"Initmode\"=dword:00000001\r\n");
    auto key = RegistryKey::Open(Hive::CurrentUser, "Software\\RVD\\LMVTEST");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadDword("Initmode"), 1u);
    for (const char* name : {"Three", "Binary4", "Text"}) {
        EXPECT_FALSE(key->ReadDword(name)) << name;
        EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::WrongType) << name;
    }
    EXPECT_FALSE(key->ReadString("Initmode"));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::WrongType);
    EXPECT_EQ(key->ReadBinary("Three"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(key->ReadDword("Missing"));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::NotFound);
}

TEST_F(RegistryStore, NamesIgnoreCaseAndKeepTheirs) {
    RegistryKey lut = MustCreate(Hive::CurrentUser, "Software\\RVD\\Camera Settings\\LUT");
    ASSERT_EQ(lut.WriteDword("LutBW lin", 0), RegStatus::Ok);
    ASSERT_EQ(lut.WriteDword("LutBw lin", 1), RegStatus::Ok);  // the same value
    EXPECT_EQ(lut.ValueNames(), std::vector<std::string>{"LutBW lin"});
    EXPECT_EQ(lut.ReadDword("LUTBW LIN"), 1u);

    auto other = RegistryKey::Create(Hive::CurrentUser, "SOFTWARE\\rvd\\camera settings\\lut");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->path(), "Software\\RVD\\Camera Settings\\LUT");
    auto software = RegistryKey::Open(Hive::CurrentUser, "software");
    ASSERT_TRUE(software);
    EXPECT_EQ(software->SubKeyNames(), std::vector<std::string>{"RVD"});
}

TEST_F(RegistryStore, ReadsTheUtf16FileWindowsExports) {
    fs::copy_file(fs::path(REGISTRY_FIXTURES) / "windows_export.reg", Hkcu());
    auto log = RegistryKey::Open(Hive::CurrentUser, "Software\\RVD\\Camera Settings\\LOG");
    ASSERT_TRUE(log) << winport::RegistryLastError();
    EXPECT_EQ(log->ReadDword("LoggingLevel"), 8u);
    EXPECT_EQ(log->ReadString("LogFileName"), "C:\\Users\\M\xc3\xbcller\\lmvlog.txt");
    EXPECT_EQ(log->ReadString(""), "Kamera f\xc3\xbcr Labor");

    auto lut = RegistryKey::Open(Hive::CurrentUser, "Software\\RVD\\Camera Settings\\LUT");
    ASSERT_TRUE(lut);
    EXPECT_EQ(lut->ReadDword("LutBW max"), 4095u);
    std::vector<uint8_t> table(26);
    for (size_t i = 0; i < table.size(); ++i) table[i] = uint8_t(i);
    EXPECT_EQ(lut->ReadBinary("Table"), table);
    EXPECT_EQ(lut->ReadString("Folder"), "%USERPROFILE%\\x");
    EXPECT_EQ(lut->ReadValue("Names")->type, RegType::MultiString);
    EXPECT_EQ(lut->ReadValue("Big")->type, RegType::Qword);

    auto size = RegistryKey::Open(Hive::CurrentUser,
                                  "Software\\RVD\\Gr\xc3\xb6\xc3\x9f"
                                  "e");
    ASSERT_TRUE(size);
    EXPECT_EQ(size->ReadDword("Temperatur \xc2\xb0"
                              "C"),
              uint32_t(-20));

    // A change rewrites the hive in the store's own text form; every value keeps its data.
    const auto before = *lut->ReadValue("Names");
    ASSERT_EQ(log->WriteDword("LoggingLevel", 9), RegStatus::Ok);
    const std::string text = HiveText(Hkcu());
    EXPECT_EQ(text.rfind(kHeader, 0), 0u);
    EXPECT_NE(text.find("\"LogFileName\"=\"C:\\\\Users\\\\M\xc3\xbcller\\\\lmvlog.txt\"\r\n"),
              std::string::npos);
    EXPECT_EQ(*lut->ReadValue("Names"), before);
    EXPECT_EQ(lut->ReadString("Folder"), "%USERPROFILE%\\x");
    EXPECT_EQ(log->ReadDword("LoggingLevel"), 9u);
}

TEST_F(RegistryStore, DamagedFileIsReportedAndNeverOverwritten) {
    const std::string damaged = std::string(kHeader) +
                                "[HKEY_CURRENT_USER\\Software\\RVD]\r\n"
                                "\"LoggingLevel\"=dword:00000008\r\n"
                                "\"LogFileName\"=\"lmvlog.txt\r\n";  // quote lost
    WriteFile(Hkcu(), damaged);

    EXPECT_FALSE(RegistryKey::Open(Hive::CurrentUser, "Software\\RVD"));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::ParseError);
    EXPECT_NE(winport::RegistryLastError().find("line 5"), std::string::npos)
        << winport::RegistryLastError();
    EXPECT_NE(winport::RegistryLastError().find(Hkcu().string()), std::string::npos);
    EXPECT_FALSE(RegistryKey::Create(Hive::CurrentUser, "Software\\Other"));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::ParseError);
    EXPECT_EQ(winport::DeleteRegistryKey(Hive::CurrentUser, "Software\\RVD"),
              RegStatus::ParseError);
    EXPECT_EQ(winport::ImportRegistryText(std::string(kHeader) + "[HKCU\\A]\r\n\"x\"=dword:1\r\n"),
              RegStatus::ParseError);
    EXPECT_EQ(ReadFile(Hkcu()), damaged);

    // A key in the wrong hive's file is refused the same way.
    const std::string misplaced = std::string(kHeader) + "[HKEY_CURRENT_USER\\A]\r\n";
    WriteFile(Hklm(), misplaced);
    EXPECT_FALSE(RegistryKey::Create(Hive::LocalMachine, "B"));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::ParseError);
    EXPECT_EQ(ReadFile(Hklm()), misplaced);
}

TEST_F(RegistryStore, DeletesValuesAndKeys) {
    RegistryKey rvd = MustCreate(Hive::CurrentUser, "Software\\RVD");
    MustCreate(Hive::CurrentUser, "Software\\RVD\\Buffers\\Deep").WriteDword("x", 1);
    ASSERT_EQ(rvd.WriteDword("Keep", 1), RegStatus::Ok);
    ASSERT_EQ(rvd.WriteDword("Drop", 2), RegStatus::Ok);

    ASSERT_EQ(rvd.DeleteValue("DROP"), RegStatus::Ok);
    EXPECT_EQ(rvd.ValueNames(), std::vector<std::string>{"Keep"});
    const std::string unchanged = ReadFile(Hkcu());
    EXPECT_EQ(rvd.DeleteValue("Drop"), RegStatus::NotFound);
    EXPECT_EQ(ReadFile(Hkcu()), unchanged);

    ASSERT_EQ(winport::DeleteRegistryKey(Hive::CurrentUser, "software\\rvd\\buffers"),
              RegStatus::Ok);
    EXPECT_FALSE(RegistryKey::Open(Hive::CurrentUser, "Software\\RVD\\Buffers\\Deep"));
    EXPECT_TRUE(rvd.SubKeyNames().empty());
    EXPECT_EQ(winport::DeleteRegistryKey(Hive::CurrentUser, "Software\\RVD\\Buffers"),
              RegStatus::NotFound);
    EXPECT_EQ(winport::DeleteRegistryKey(Hive::CurrentUser, ""), RegStatus::InvalidArgument);

    // A handle whose key went away writes its key back rather than losing the value.
    ASSERT_EQ(winport::DeleteRegistryKey(Hive::CurrentUser, "Software\\RVD"), RegStatus::Ok);
    EXPECT_FALSE(rvd.ReadDword("Keep"));
    ASSERT_EQ(rvd.WriteDword("Keep", 3), RegStatus::Ok);
    EXPECT_EQ(rvd.ReadDword("Keep"), 3u);
}

TEST_F(RegistryStore, SeesChangesMadeBehindItsBack) {
    RegistryKey key = MustCreate(Hive::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
    ASSERT_EQ(key.WriteString("/dev/ttyS0", "COM1"), RegStatus::Ok);
    EXPECT_EQ(key.ReadString("/dev/ttyS0"), "COM1");

    // Same size, edited in place: only the modification time tells.
    std::string text = ReadFile(Hklm());
    text.replace(text.find(Utf16("COM1")), 8, Utf16("COM7"));
    WriteFile(Hklm(), text);
    EXPECT_EQ(key.ReadString("/dev/ttyS0"), "COM7");

    // Another process's write.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        auto k = RegistryKey::Open(Hive::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
        _exit(k && k->WriteString("/dev/ttyUSB0", "COM3") == RegStatus::Ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(key.ReadString("/dev/ttyUSB0"), "COM3");
    EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}));
}

// Each writer sets its own values one write at a time; no write may be lost to the other.
void WriteMany(const std::string& prefix, int count) {
    auto key = RegistryKey::Create(Hive::CurrentUser, "Software\\Race");
    for (int i = 0; i < count; ++i)
        if (!key || key->WriteDword(prefix + std::to_string(i), uint32_t(i * 3)) != RegStatus::Ok)
            _exit(1);
}

TEST_F(RegistryStore, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kCount = 200;
    std::vector<pid_t> children;
    for (const char* prefix : {"first", "second"}) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            WriteMany(prefix, kCount);
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto key = RegistryKey::Open(Hive::CurrentUser, "Software\\Race");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ValueNames().size(), size_t(2 * kCount));
    for (const char* prefix : {"first", "second"})
        for (int i = 0; i < kCount; ++i)
            EXPECT_EQ(key->ReadDword(prefix + std::to_string(i)), uint32_t(i * 3)) << prefix << i;
    // No temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_TRUE(entry.path() == Hkcu() || entry.path().string() == Hkcu().string() + ".lock")
            << entry.path();
}

TEST_F(RegistryStore, ThreadsWritingAtOnceLoseNothing) {
    constexpr int kCount = 50;
    auto writer = [](const std::string& prefix) {
        auto key = RegistryKey::Create(Hive::CurrentUser, "Software\\Threads");
        for (int i = 0; i < kCount; ++i)
            ASSERT_EQ(key->WriteDword(prefix + std::to_string(i), uint32_t(i)), RegStatus::Ok);
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    EXPECT_EQ(RegistryKey::Open(Hive::CurrentUser, "Software\\Threads")->ValueNames().size(),
              size_t(2 * kCount));
}

TEST_F(RegistryStore, CreatesMissingFoldersAndKeepsLinksAndModes) {
    const fs::path nested = dir / "a" / "b";
    setenv("WINPORT_REGISTRY_DIR", nested.c_str(), 1);
    ASSERT_EQ(MustCreate(Hive::LocalMachine, "K").WriteDword("v", 1), RegStatus::Ok);
    EXPECT_TRUE(fs::is_regular_file(nested / "HKLM.reg"));

    // A hive file kept elsewhere through a link is written where the link points.
    const fs::path real = dir / "elsewhere.reg";
    fs::create_symlink(real, nested / "HKCU.reg");
    ASSERT_EQ(MustCreate(Hive::CurrentUser, "K").WriteDword("v", 2), RegStatus::Ok);
    EXPECT_TRUE(fs::is_symlink(nested / "HKCU.reg"));
    ASSERT_TRUE(fs::is_regular_file(real));
    EXPECT_EQ(HiveText(real).rfind(kHeader, 0), 0u);

    // The file keeps the permissions its owner gave it.
    ASSERT_EQ(chmod((nested / "HKLM.reg").c_str(), 0600), 0);
    ASSERT_EQ(RegistryKey::Open(Hive::LocalMachine, "K")->WriteDword("v", 3), RegStatus::Ok);
    struct stat st {};
    ASSERT_EQ(stat((nested / "HKLM.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A writer killed mid-write leaves its temporary file; the next writer removes it (only it: a
// file of another name stays).
TEST_F(RegistryStore, TemporaryFilesOfKilledWritersAreRemovedByTheNextWriter) {
    ASSERT_EQ(MustCreate(Hive::CurrentUser, "K").WriteDword("v", 1), RegStatus::Ok);
    const fs::path left = dir / "HKCU.reg.tmp-a1B2c3";
    const fs::path other = dir / "HKCU.reg.tmp-notours";
    for (const fs::path& p : {left, other}) std::ofstream(p) << std::string(4096, 'x');
    ASSERT_EQ(RegistryKey::Open(Hive::CurrentUser, "K")->WriteDword("v", 2), RegStatus::Ok);
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(other));
}

// Windows' limit: a key name of more than 255 characters is refused, not stored.
TEST_F(RegistryStore, KeyNamesOfMoreThan255CharactersAreRefused) {
    ASSERT_TRUE(RegistryKey::Create(Hive::CurrentUser, "K\\" + std::string(255, 'n')));
    EXPECT_FALSE(RegistryKey::Create(Hive::CurrentUser, "K\\" + std::string(256, 'n')));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::InvalidArgument);
    EXPECT_EQ(HiveText(Hkcu()).find(std::string(256, 'n')), std::string::npos);
}

TEST_F(RegistryStore, UnwritableLocationIsAnIoError) {
    WriteFile(dir / "file", "x");
    setenv("WINPORT_REGISTRY_DIR", (dir / "file" / "sub").c_str(), 1);
    EXPECT_FALSE(RegistryKey::Create(Hive::CurrentUser, "K"));
    EXPECT_EQ(winport::RegistryLastStatus(), RegStatus::IoError);
    EXPECT_FALSE(winport::RegistryLastError().empty());
}

TEST_F(RegistryStore, ImportAndExport) {
    MustCreate(Hive::CurrentUser, "Software\\Old").WriteDword("x", 1);
    MustCreate(Hive::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Lmvnt")
        .WriteString("Stale", "1");
    const std::string import =
        std::string(kHeader) +
        "[-HKEY_CURRENT_USER\\Software\\Old]\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\RVD\\Buffers]\r\n"
        "\"EnableLock\"=dword:00000001\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Lmvnt]\r\n"
        "\"Stale\"=-\r\n"
        "\"ImagePath\"=\"lmvnt.sys\"\r\n";
    ASSERT_EQ(winport::ImportRegistryText(import), RegStatus::Ok) << winport::RegistryLastError();
    EXPECT_FALSE(RegistryKey::Open(Hive::CurrentUser, "Software\\Old"));
    EXPECT_EQ(
        RegistryKey::Open(Hive::CurrentUser, "Software\\RVD\\Buffers")->ReadDword("EnableLock"),
        1u);
    auto lmvnt =
        RegistryKey::Open(Hive::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Lmvnt");
    ASSERT_TRUE(lmvnt);
    EXPECT_EQ(lmvnt->ValueNames(), std::vector<std::string>{"ImagePath"});

    EXPECT_EQ(TextOf(winport::ExportRegistryKey(Hive::CurrentUser, "software\\rvd").value()),
              std::string(kHeader) +
                  "[HKEY_CURRENT_USER\\Software\\RVD]\r\n\r\n"
                  "[HKEY_CURRENT_USER\\Software\\RVD\\Buffers]\r\n"
                  "\"EnableLock\"=dword:00000001\r\n\r\n");
    auto ansi =
        winport::ExportRegistryKey(Hive::CurrentUser, "Software\\RVD", winport::RegFileForm::Ansi);
    ASSERT_TRUE(ansi);
    EXPECT_EQ(*ansi,
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\RVD]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\RVD\\Buffers]\r\n"
              "\"EnableLock\"=dword:00000001\r\n\r\n");
    EXPECT_FALSE(winport::ExportRegistryKey(Hive::CurrentUser, "Software\\Missing"));

    // A text that does not parse changes nothing, not even its good first half.
    const std::string before = ReadFile(Hkcu());
    EXPECT_EQ(
        winport::ImportRegistryText(std::string(kHeader) + "[HKEY_CURRENT_USER\\Software\\New]\r\n"
                                                           "\"a\"=dword:00000001\r\n"
                                                           "\"b\"=dword:xyz\r\n"),
        RegStatus::ParseError);
    EXPECT_NE(winport::RegistryLastError().find("line 5"), std::string::npos);
    EXPECT_EQ(ReadFile(Hkcu()), before);
}

TEST(RegistryNames, KeyNamesAndLocations) {
    auto k = winport::ParseRegistryKeyName("HKEY_CURRENT_USER\\Software\\RVD");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->first, Hive::CurrentUser);
    EXPECT_EQ(k->second, "Software\\RVD");
    k = winport::ParseRegistryKeyName("hklm\\HARDWARE");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->first, Hive::LocalMachine);
    EXPECT_EQ(k->second, "HARDWARE");
    k = winport::ParseRegistryKeyName("HKCU");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->second, "");
    EXPECT_FALSE(winport::ParseRegistryKeyName("HKEY_CLASSES_ROOT\\x"));
    EXPECT_FALSE(winport::ParseRegistryKeyName("Software\\RVD"));

    // Without the override: the user's configuration folder and the machine-wide one.
    const char* saved = std::getenv("WINPORT_REGISTRY_DIR");
    const std::string keep = saved ? saved : "";
    unsetenv("WINPORT_REGISTRY_DIR");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string keepXdg = xdg ? xdg : "";
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(winport::HiveFilePath(Hive::CurrentUser), "/somewhere/config/winport/HKCU.reg");
    EXPECT_EQ(winport::HiveFilePath(Hive::LocalMachine), "/etc/winport/HKLM.reg");
    if (xdg)
        setenv("XDG_CONFIG_HOME", keepXdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    if (saved) setenv("WINPORT_REGISTRY_DIR", keep.c_str(), 1);
}

}  // namespace
