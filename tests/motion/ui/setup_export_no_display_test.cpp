// Corvane_InterfaceSetupDlg of the built library on a machine without a display: -1 at once,
// the line settings written back all the same, and no ID used up.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "ZR_Corvane_TAL.h"
#include "simulators/corvane/CorvaneSim.h"
#include "simulators/corvane/SimConfig.h"
#include "winport/Registry.h"

namespace {

namespace fs = std::filesystem;

class NoDisplayExport : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zr_nodisplay_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        Keep("WINPORT_REGISTRY_DIR", root_.c_str());
        Keep("DISPLAY", nullptr);
        Keep("WAYLAND_DISPLAY", nullptr);
        Keep("XDG_RUNTIME_DIR", root_.c_str());
        // A port to offer, so that the dialog is not refused for want of serial ports.
        Keep("WINPORT_COM7", (root_ / "ttyNone").c_str());
    }
    void TearDown() override {
        for (auto& [name, value] : kept_) {
            if (value.second)
                setenv(name.c_str(), value.first.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        fs::remove_all(root_);
    }
    void Keep(const std::string& name, const char* value) {
        const char* old = getenv(name.c_str());
        kept_.emplace_back(name, std::make_pair(std::string(old ? old : ""), old != nullptr));
        if (value)
            setenv(name.c_str(), value, 1);
        else
            unsetenv(name.c_str());
    }
    std::string Registry() const {
        std::ifstream in(root_ / "HKCU.reg", std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        // The hive is UTF-16LE as Windows writes it.
        return winport::RegistryFileText(bytes).value_or(bytes);
    }
    // The values of one key as the registry file lists them.
    std::string Section(const std::string& key) const {
        const std::string text = Registry();
        const size_t start = text.find("[" + key + "]");
        if (start == std::string::npos) return "";
        const size_t end = text.find("\n[", start);
        return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }

    fs::path root_;
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> kept_;
};

TEST_F(NoDisplayExport, FailsAtOnceAfterWritingTheLineSettings) {
    const struct {
        const char* key;
        const char* path;
    } cases[] = {
        {"ZRTest/NoDisplay", "HKEY_CURRENT_USER\\Software\\ZRTest\\NoDisplay\\RS232"},
        {nullptr, "HKEY_CURRENT_USER\\Software\\ZR\\ZR_CORVANE_TAL_DLL\\RS232"},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Corvane_InterfaceSetupDlg(c.key), -1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
        const std::string rs232 = Section(c.path);
        EXPECT_NE(rs232.find("\"BaudRate\"=dword:00002580"), std::string::npos) << rs232;
        EXPECT_NE(rs232.find("\"Handshake\"=\"NONE\""), std::string::npos) << rs232;
    }
    EXPECT_FALSE(Corvane_IsConnected(0));

    // No ID was used up: the first controller connected afterwards is 0.
    corvane_sim::SimConfig config;
    config.ParseText("[board 0]\ntype = R-220\n", "test");
    config.Finish();
    corvane_sim::CorvaneSim sim(config);
    Keep("WINPORT_COM5", sim.Start().c_str());
    Corvane_SetMaxNrOfControllers(1);
    const int id = Corvane_ConnectRS232(5, 9600);
    Corvane_SetMaxNrOfControllers(16);
    EXPECT_EQ(id, 0);
    Corvane_CloseConnection(id);
}

}  // namespace
