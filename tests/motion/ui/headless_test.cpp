// The library without any GUI library: the dialog lives in a module of its own, loaded the first
// time a dialog is asked for. Where the module is missing or no display answers, the dialog
// export fails as it always did without a display: -1, no ID used up, a log line with the cause.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "motion/ui/DialogHost.h"

namespace {

namespace fs = std::filesystem;

std::string Command(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::regex kGuiLibrary("lib(gtk|gdk|X11|xcb|wx_|cairo|pango)[^ ]*", std::regex::icase);

TEST(HeadlessLibrary, LinksNoGuiLibraryWhileItsDialogModuleDoes) {
    const std::string library = Command("ldd " ZR_LIBRARY);
    ASSERT_NE(library.find("libc.so"), std::string::npos) << library;
    std::smatch found;
    EXPECT_FALSE(std::regex_search(library, found, kGuiLibrary)) << found.str(0);
    const std::string module = Command("ldd " ZR_DIALOG_MODULE);
    EXPECT_TRUE(std::regex_search(module, kGuiLibrary)) << module;
}

// A scratch folder with a log configuration that writes every library line to trace.log.
class ProbeFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zr_headless_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        std::ofstream(root_ / "ZR_Corvane_TAL_DLL.log.config")
            << "log4cpp.rootCategory=ERROR\n"
               "log4cpp.category.ZR_Corvane_TAL_DLL=DEBUG, trace\n"
               "log4cpp.appender.trace=FileAppender\n"
               "log4cpp.appender.trace.fileName=trace.log\n"
               "log4cpp.appender.trace.layout=PatternLayout\n"
               "log4cpp.appender.trace.layout.ConversionPattern=%p %m%n\n";
    }
    void TearDown() override { fs::remove_all(root_); }

    // Runs the probe on library in the scratch folder with display as DISPLAY; its output.
    std::string Probe(const std::string& library, const std::string& display) {
        const std::string command = "cd '" + root_.string() +
                                    "' && env -u WAYLAND_DISPLAY -u LD_LIBRARY_PATH DISPLAY='" +
                                    display + "' WINPORT_REGISTRY_DIR='" + root_.string() +
                                    "' WINPORT_COM3=/dev/null timeout 120 " ZR_DIALOG_PROBE " '" +
                                    library + "' ZRTest/Headless 2>&1";
        return Command(command);
    }
    std::string Trace() { return ReadFile(root_ / "trace.log"); }

    fs::path root_;
};

TEST_F(ProbeFolder, MissingModuleFailsLikeAMissingDisplay) {
    const fs::path alone = root_ / "lib";
    fs::create_directories(alone);
    fs::copy_file(ZR_LIBRARY, alone / "libZR_Corvane_TAL.so");
    const std::string out = Probe((alone / "libZR_Corvane_TAL.so").string(), ":0");
    EXPECT_NE(out.find("id -1 connected0 0"), std::string::npos) << out;
    const std::string trace = Trace();
    EXPECT_NE(trace.find("ERROR setupRS232Dlg() DIALOG_MODULE_NOT_FOUND: "
                         "libZR_Corvane_TAL_dialog.so"),
              std::string::npos)
        << trace;
    EXPECT_EQ(trace.find("NO_DISPLAY"), std::string::npos) << trace;
    EXPECT_NE(trace.find("Corvane_InterfaceSetupDlg(\"ZRTest/Headless\"): returning ID = -1"),
              std::string::npos)
        << trace;
}

TEST_F(ProbeFolder, ModuleBesideTheLibraryIsLoadedAndFindsNoDisplay) {
    const std::string out = Probe(ZR_LIBRARY, ":59998");
    EXPECT_NE(out.find("id -1 connected0 0"), std::string::npos) << out;
    const std::string trace = Trace();
    EXPECT_NE(trace.find("libZR_Corvane_TAL_dialog.so loaded"), std::string::npos) << trace;
    EXPECT_NE(trace.find("ERROR CGuiToolkit::Start() NO_DISPLAY: DISPLAY \":59998\" does not "
                         "answer"),
              std::string::npos)
        << trace;
}

// The module on its own, as the library calls it.
struct HostLog {
    static std::vector<std::pair<int, std::string>>& Lines() {
        static std::vector<std::pair<int, std::string>> lines;
        return lines;
    }
    static void Write(int level, const char* line) { Lines().emplace_back(level, line); }
};

int NoPorts(char*, int) {
    return 0;
}
void NoCache() {}
int NoNumber(const char*) {
    return -1;
}
void NoName(const char*, char* name, int) {
    name[0] = '\0';
}

TEST(DialogModule, ExportsOneEntryThatChecksItsHost) {
    void* module = dlopen(ZR_DIALOG_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(module, nullptr) << dlerror();
    auto entry = reinterpret_cast<dialog_entry_fn>(dlsym(module, kDialogEntryName));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(dlsym(module, "_ZN11CGuiToolkit8InstanceEv"), nullptr);  // nothing else is visible

    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    HexFaceSettings settings{};
    settings.rs232.port = 4;
    dialog_host host = {kDialogHostVersion, HostLog::Write, NoPorts, NoCache, NoNumber, NoName};
    dialog_host other = host;
    other.version = kDialogHostVersion + 1;

    EXPECT_EQ(entry(&other, &settings, 0), kDialogUnavailable);
    EXPECT_EQ(entry(nullptr, &settings, 0), kDialogUnavailable);
    EXPECT_EQ(entry(&host, nullptr, 0), kDialogUnavailable);
    EXPECT_TRUE(HostLog::Lines().empty());
    EXPECT_EQ(entry(&host, &settings, 0), kDialogUnavailable);
    ASSERT_FALSE(HostLog::Lines().empty());
    EXPECT_EQ(HostLog::Lines().back().first, kDialogLogError);
    EXPECT_EQ(HostLog::Lines().back().second,
              "CGuiToolkit::Start() NO_DISPLAY: neither DISPLAY nor WAYLAND_DISPLAY is set");
    EXPECT_EQ(settings.rs232.port, 4);
    if (display) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
