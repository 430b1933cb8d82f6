// regtool as users run it: the built program, its output and its exit codes.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TempRegistry.h"
#include "winport/Registry.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int code = -1;
    std::string out, err;
};

// Runs regtool with `args`; the scratch WINPORT_REGISTRY_DIR is inherited.
Result Regtool(const std::vector<std::string>& args, const std::string& input = "") {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        std::vector<char*> argv{const_cast<char*>(REGTOOL_PATH)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(REGTOOL_PATH, argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (!input.empty() && write(in[1], input.data(), input.size()) != ssize_t(input.size()))
        ADD_FAILURE() << "cannot feed regtool";
    close(in[1]);
    Result r;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    int open = 2;
    while (open > 0 && poll(fds, 2, 60000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, size_t(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

using RegtoolCommands = TempRegistry;

constexpr char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

TEST_F(RegtoolCommands, SetQueryExportDelete) {
    const std::string log = "HKCU\\Software\\RVD\\Camera Settings\\LOG";
    EXPECT_EQ(Regtool({"set", log, "LoggingLevel", "dword", "8"}).code, 0);
    EXPECT_EQ(Regtool({"set", log, "Mask", "dword", "0xFFFFFFFF"}).code, 0);
    EXPECT_EQ(Regtool({"set", log, "LogFileName", "sz", "C:\\logs\\lmv \"1\".txt"}).code, 0);
    EXPECT_EQ(Regtool({"set", log, "Raw", "hex", "00,7f,FF"}).code, 0);
    EXPECT_EQ(Regtool({"set", log, "@", "sz", ""}).code, 0);

    Result q = Regtool({"query", "HKEY_CURRENT_USER\\software\\rvd\\camera settings\\log"});
    EXPECT_EQ(q.code, 0) << q.err;
    EXPECT_EQ(q.out,
              "HKEY_CURRENT_USER\\Software\\RVD\\Camera Settings\\LOG\n"
              "    LoggingLevel    REG_DWORD    0x8\n"
              "    Mask    REG_DWORD    0xffffffff\n"
              "    LogFileName    REG_SZ    C:\\logs\\lmv \"1\".txt\n"
              "    Raw    REG_BINARY    007FFF\n"
              "    (Default)    REG_SZ    \n");
    q = Regtool({"query", "HKCU\\Software\\RVD\\Camera Settings\\LOG", "LOGGINGLEVEL"});
    EXPECT_EQ(q.code, 0);
    EXPECT_EQ(q.out,
              "HKEY_CURRENT_USER\\Software\\RVD\\Camera Settings\\LOG\n"
              "    LoggingLevel    REG_DWORD    0x8\n");
    q = Regtool({"query", "HKCU\\Software\\RVD"});
    EXPECT_EQ(q.out,
              "HKEY_CURRENT_USER\\Software\\RVD\n\n"
              "HKEY_CURRENT_USER\\Software\\RVD\\Camera Settings\n");

    Result e = Regtool({"export", "HKCU\\Software\\RVD\\Camera Settings"});
    EXPECT_EQ(e.code, 0);
    EXPECT_EQ(TextOf(e.out), std::string(kHeader) +
                                 "[HKEY_CURRENT_USER\\Software\\RVD\\Camera Settings]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\RVD\\Camera Settings\\LOG]\r\n"
                                 "\"LoggingLevel\"=dword:00000008\r\n"
                                 "\"Mask\"=dword:ffffffff\r\n"
                                 "\"LogFileName\"=\"C:\\\\logs\\\\lmv \\\"1\\\".txt\"\r\n"
                                 "\"Raw\"=hex:00,7f,ff\r\n"
                                 "@=\"\"\r\n\r\n");

    EXPECT_EQ(Regtool({"delete", log, "Raw"}).code, 0);
    EXPECT_EQ(Regtool({"query", log, "Raw"}).code, 1);
    EXPECT_EQ(Regtool({"delete", "HKEY_CURRENT_USER\\Software\\RVD"}).code, 0);
    Result gone = Regtool({"query", log});
    EXPECT_EQ(gone.code, 1);
    EXPECT_NE(gone.err.find("not found"), std::string::npos) << gone.err;
    EXPECT_TRUE(gone.out.empty());
}

TEST_F(RegtoolCommands, ExitCodesAndMessages) {
    ASSERT_EQ(Regtool({"set", "HKLM\\K", "v", "dword", "1"}).code, 0);
    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
    } cases[] = {
        {{}, 2, "usage"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"query"}, 2, "query needs"},
        {{"query", "HKEY_CLASSES_ROOT\\x"}, 2, "unknown root key"},
        {{"query", "Software\\RVD"}, 2, "unknown root key"},
        {{"set", "HKLM\\K", "v", "dword"}, 2, "set needs"},
        {{"set", "HKLM\\K", "v", "float", "1"}, 2, "unknown type"},
        {{"set", "HKLM\\K", "v", "hex(xyz)", "01"}, 2, "hex(N)"},
        {{"set", "HKLM\\K", "v", "qword", "0x10000000000000000"}, 2, "64 bits"},
        {{"set", "HKLM\\K", "v", "dword", "4294967296"}, 2, "32 bits"},
        {{"set", "HKLM\\K", "v", "dword", "-1"}, 2, "dword DATA"},
        {{"set", "HKLM\\K", "v", "dword", "0x"}, 2, "dword DATA"},
        {{"set", "HKLM\\K", "v", "dword", "12abc"}, 2, "dword DATA"},
        {{"set", "HKLM\\K", "v", "hex", "1"}, 2, "two digits"},
        {{"set", "HKLM\\K", "v", "hex", "zz"}, 2, "hex DATA"},
        {{"query", "HKLM\\Missing"}, 1, "key not found"},
        {{"query", "HKLM\\K", "nope"}, 1, "not found"},
        {{"delete", "HKLM\\K", "nope"}, 1, "not found"},
        {{"delete", "HKLM\\Missing"}, 1, "key not found"},
        {{"delete", "HKLM"}, 1, "root"},
        {{"set", "HKLM\\K", "a\nb", "dword", "1"}, 1, "NUL, CR or LF"},
        {{"export", "--ascii"}, 2, "export needs"},
        {{"export", "HKLM\\Missing"}, 1, "key not found"},
        {{"import", (std::filesystem::temp_directory_path() / "no such file.reg").string()},
         1,
         "cannot read"},
    };
    const std::string before = ReadFile(Hklm());
    for (const auto& c : cases) {
        Result r = Regtool(c.args);
        std::string label = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(r.code, c.code) << label << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << label << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << label;
    }
    EXPECT_EQ(ReadFile(Hklm()), before);
    EXPECT_EQ(Regtool({"query", "HKLM\\K", "v"}).out,
              "HKEY_LOCAL_MACHINE\\K\n    v    REG_DWORD    0x1\n");
}

TEST_F(RegtoolCommands, ImportWindowsFileAndFromStandardInput) {
    Result r = Regtool({"import", std::string(REGISTRY_FIXTURES) + "/windows_export.reg"});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Regtool({"query", "HKCU\\Software\\RVD\\Camera Settings\\LOG", "LogFileName"});
    EXPECT_EQ(r.out,
              "HKEY_CURRENT_USER\\Software\\RVD\\Camera Settings\\LOG\n"
              "    LogFileName    REG_SZ    C:\\Users\\M\xc3\xbcller\\lmvlog.txt\n");
    r = Regtool({"query", "HKCU\\Software\\RVD\\Camera Settings\\LUT", "Folder"});
    EXPECT_NE(r.out.find("    Folder    REG_EXPAND_SZ    %USERPROFILE%\\x\n"), std::string::npos);

    // Exported in Windows' own encoding, the text reads back to the same values.
    Result utf16 = Regtool({"export", "--utf16", "HKCU\\Software\\RVD"});
    ASSERT_EQ(utf16.code, 0);
    EXPECT_EQ(utf16.out.substr(0, 2), "\xFF\xFE");
    Result plain = Regtool({"export", "HKCU\\Software\\RVD"});
    ASSERT_EQ(Regtool({"delete", "HKCU\\Software"}).code, 0);
    ASSERT_EQ(Regtool({"import", "-"}, utf16.out).code, 0);
    EXPECT_EQ(Regtool({"export", "HKCU\\Software\\RVD"}).out, plain.out);

    // A file that does not parse is refused whole.
    const std::string hive = ReadFile(Hkcu());
    r = Regtool({"import", "-"}, std::string(kHeader) +
                                     "[HKEY_CURRENT_USER\\Software\\RVD]\r\n"
                                     "\"LoggingLevel\"=-\r\n"
                                     "\"Broken\"=dword:\r\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("line 5"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(Hkcu()), hive);
}

TEST_F(RegtoolCommands, RefusesToWriteOverADamagedHive) {
    const std::string damaged = std::string(kHeader) + "[HKEY_CURRENT_USER\\Software\r\n";
    WriteFile(Hkcu(), damaged);
    Result r = Regtool({"set", "HKCU\\Software\\RVD", "LoggingLevel", "dword", "8"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("line 3"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("left unchanged"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(Hkcu()), damaged);
}

TEST_F(RegtoolCommands, QueryShowsEveryTypeReadably) {
    const std::string k = "HKCU\\Software\\Types";
    const std::vector<std::vector<std::string>> sets = {
        {"Text", "sz", "C:\\x"},
        {"Expand", "expand_sz",
         "%USERPROFILE%\\Gr\xc3\xb6\xc3\x9f"
         "e"},
        {"Multi", "multi_sz", "first\\0second item\\0\xe2\x82\xac"},
        {"Empty list", "multi_sz", ""},
        {"Big", "qword", "0x123456789abcdef0"},
        {"Blob", "hex", "00,7f,ff"},
        {"Nul", "hex(1)", "78,00,00,00,0a,00,00,00"},
        {"Odd", "hex(1)", "61,00,62"},
        {"Other", "hex(99)", "01,02"},
        {"Short", "hex(4)", "01"},
    };
    for (const auto& set : sets) {
        Result r = Regtool({"set", k, set[0], set[1], set[2]});
        ASSERT_EQ(r.code, 0) << set[0] << ": " << r.err;
    }
    Result q = Regtool({"query", k});
    EXPECT_EQ(q.code, 0) << q.err;
    EXPECT_EQ(q.out,
              "HKEY_CURRENT_USER\\Software\\Types\n"
              "    Text    REG_SZ    C:\\x\n"
              "    Expand    REG_EXPAND_SZ    %USERPROFILE%\\Gr\xc3\xb6\xc3\x9f"
              "e\n"
              "    Multi    REG_MULTI_SZ\n"
              "        first\n"
              "        second item\n"
              "        \xe2\x82\xac\n"
              "    Empty list    REG_MULTI_SZ\n"
              "    Big    REG_QWORD    0x123456789abcdef0\n"
              "    Blob    REG_BINARY    007FFF\n"
              "    Nul    REG_SZ    x\\0\\n\n"
              "    Odd    REG_SZ    610062\n"
              "    Other    REG_UNKNOWN    0102\n"
              "    Short    REG_DWORD    01\n");
    // What was set is what the registry holds.
    auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, "Software\\Types");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadValue("Multi"),
              winport::RegValue::FromMultiString({"first", "second item", "\xe2\x82\xac"}));
    EXPECT_EQ(key->ReadValue("Empty list")->data, (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(key->ReadValue("Big"), winport::RegValue::FromQword(0x123456789abcdef0ull));
    EXPECT_EQ(key->ReadValue("Other")->type, winport::RegType(0x99));
}

TEST_F(RegtoolCommands, CatPrintsHivesAndFilesAsText) {
    Result r = Regtool({"cat", "HKLM"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("empty hive"), std::string::npos) << r.err;

    ASSERT_EQ(Regtool({"set",
                       "HKLM\\Gr\xc3\xb6\xc3\x9f"
                       "e",
                       "V", "sz", "\xe2\x82\xac"})
                  .code,
              0);
    r = Regtool({"cat", "HKEY_LOCAL_MACHINE"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE]\n\n"
              "[HKEY_LOCAL_MACHINE\\Gr\xc3\xb6\xc3\x9f"
              "e]\n"
              "\"V\"=\"\xe2\x82\xac\"\n\n");
    // Any .reg file, in any form the store reads.
    r = Regtool({"cat", std::string(REGISTRY_FIXTURES) + "/value_table_ansi.reg"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\n\"\xe2\x82\xac\"=\"\xe2\x82\xac 5\"\n"), std::string::npos) << r.out;
    r = Regtool({"cat", "-"}, "\xFE\xFFx");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("big-endian"), std::string::npos) << r.err;
    EXPECT_EQ(Regtool({"cat"}).code, 2);
}

TEST_F(RegtoolCommands, AsciiExportOnlyWhenLossless) {
    ASSERT_EQ(Regtool({"set", "HKCU\\Software\\A", "Size", "sz",
                       "Gr\xc3\xb6\xc3\x9f"
                       "e"})
                  .code,
              0);
    Result r = Regtool({"export", "--ascii", "HKCU\\Software\\A"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"Size\"=\"Gr\xf6\xdf"
              "e\"\r\n\r\n");

    ASSERT_EQ(Regtool({"set", "HKCU\\Software\\A", "Greek", "sz", "\xce\xa9"}).code, 0);
    r = Regtool({"export", "--ascii", "HKCU\\Software\\A"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("\"Greek\" has no exact form in REGEDIT4 text in code page cp1252"),
              std::string::npos)
        << r.err;
    // Another code page holds it.
    setenv("WINPORT_REG_CODEPAGE", "cp1253", 1);
    r = Regtool({"export", "--ascii", "HKCU\\Software\\A"});
    unsetenv("WINPORT_REG_CODEPAGE");
    EXPECT_EQ(r.code, 1) << "\xdf is no letter of cp1253";
    ASSERT_EQ(Regtool({"delete", "HKCU\\Software\\A", "Size"}).code, 0);
    setenv("WINPORT_REG_CODEPAGE", "cp1253", 1);
    r = Regtool({"export", "--ascii", "HKCU\\Software\\A"});
    unsetenv("WINPORT_REG_CODEPAGE");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"Greek\"=\"\xd9\"\r\n"), std::string::npos);
}

TEST_F(RegtoolCommands, WhereNamesTheHiveFiles) {
    Result r = Regtool({"where"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "HKEY_CURRENT_USER  " + Hkcu().string() + "\nHKEY_LOCAL_MACHINE " +
                         Hklm().string() + "\n");
}

}  // namespace
