// Corvane_InterfaceSetupDlg, driven in its dialog without a user: the controller table, the scan
// of the chosen port's chain, the saved choice, and the IDs a failed attempt must not use up.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ZR_Corvane_TAL.h"
#include "motion/api/CCorvaneCollection.h"
#include "motion/ui/DialogTestSupport.h"
#include "motion/ui/InterfaceWithDialog.h"
#include "simulators/corvane/CorvaneSim.h"
#include "simulators/corvane/SimConfig.h"

namespace {

using namespace zrtest;
using namespace std::chrono_literals;

const char kKey[] = "ZRTest/Export";
constexpr int kSimPort = 3;

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class SetupExportTest : public DialogMachine {
  protected:
    void SetUp() override {
        DialogMachine::SetUp();
        corvane_sim::SimConfig config;
        config.ParseText("[board 0]\ntype = R-220\n[board 1]\ntype = R-210\n", "test");
        config.Finish();
        sim_ = std::make_unique<corvane_sim::CorvaneSim>(config);
        AddPort(kSimPort, sim_->Start());
        Corvane_SetMaxNrOfControllers(2);
    }
    void TearDown() override {
        for (int id : ids_) Corvane_CloseConnection(id);
        Corvane_SetMaxNrOfControllers(16);
        sim_.reset();
        DialogMachine::TearDown();
    }

    // The next dialog picks the port item and confirms.
    void ChooseAndConfirm(const std::string& item) {
        Drive([item](CDialogContainer& dialog) {
            Page(dialog).ComPortBox()->SetStringSelection(item);
            Press(dialog, wxID_OK);
        });
    }
    void Cancel() {
        Drive([](CDialogContainer& dialog) { Press(dialog, wxID_CANCEL); });
    }
    // The export, with its log lines; a connected ID is closed at the end.
    int Connect(const char* key, std::vector<std::string>* log = nullptr) {
        int id = -1;
        std::vector<std::string> lines = CaptureLog([&] { id = Corvane_InterfaceSetupDlg(key); });
        if (log) *log = lines;
        if (id >= 0) ids_.push_back(id);
        return id;
    }

    std::unique_ptr<corvane_sim::CorvaneSim> sim_;
    std::vector<int> ids_;
};

TEST_F(SetupExportTest, OkConnectsToTheChosenPortAndScansItsChain) {
    Save(kKey, [](HexFaceSettings& s) {
        s.rs232.port = kSimPort;
        s.rs232.baudRate = 115200;
        std::snprintf(s.rs232.handshake, sizeof s.rs232.handshake, "RTSCTS");
    });
    std::string portShown, baudShown;
    Drive([&](CDialogContainer& dialog) {
        portShown = Page(dialog).ComPortBox()->GetValue().utf8_string();
        baudShown = Page(dialog).BaudrateBox()->GetValue().utf8_string();
        Press(dialog, wxID_OK);
    });
    const int connected = CorvaneCollection().GetNrOfConnected();
    std::vector<std::string> log;
    const int id = Connect(kKey, &log);

    ASSERT_GE(id, 0);
    EXPECT_EQ(hookRuns_, 1);
    EXPECT_EQ(portShown, "COM3");
    EXPECT_EQ(baudShown, "9600");
    EXPECT_TRUE(Corvane_IsConnected(id));
    EXPECT_EQ(CorvaneCollection().GetNrOfConnected(), connected + 1);
    EXPECT_TRUE(HasLine(log, "CCorvaneController::CCorvaneController(\"ZRTest/Export\")"));
    EXPECT_TRUE(HasLine(log, "INFO Corvane_InterfaceSetupDlg(\"ZRTest/Export\"): returning ID = " +
                                 std::to_string(id)));
    // Both boards were scanned on the chosen port.
    EXPECT_TRUE(Contains(sim_->ReceivedLines(0), "TB"));
    EXPECT_TRUE(Contains(sim_->ReceivedLines(1), "TB"));
    char axes[17] = {};
    ASSERT_TRUE(Corvane_qSAI_ALL(id, axes, sizeof axes));
    EXPECT_STREQ(axes, "AB");
    EXPECT_EQ(Corvane_GetError(id), 0);
    // The boards' answers arrive with their line end, which the version text leaves out.
    sim_->ClearTranscript();
    char version[200] = {};
    ASSERT_TRUE(Corvane_qVER(id, version, sizeof version));
    EXPECT_STREQ(version,
                 "ZR_Corvane_TAL_DLL: 2.2.0.38 \nA:R-220 Version 2.40 \nB:R-210 Version 1.20\n");
    EXPECT_EQ(sim_->ReceivedLines(0), std::vector<std::string>{"VE"});
    ASSERT_TRUE(Corvane_SendNonTALString(id,
                                         "\x01"
                                         "1"));
    ASSERT_TRUE(Corvane_SendNonTALString(id, "VE"));
    char raw[64] = {};
    ASSERT_TRUE(Corvane_ReceiveNonTALString(id, raw, sizeof raw));
    EXPECT_STREQ(raw, "R-210 Version 1.20\r\n\x03");
    // The choice is saved under the caller's key; the line settings written back stay.
    HexFaceSettings saved = Saved(kKey);
    EXPECT_EQ(saved.rs232.port, kSimPort);
    EXPECT_EQ(saved.rs232.baudRate, 9600);
    EXPECT_STREQ(saved.rs232.handshake, "NONE");
    EXPECT_STREQ(saved.general.interfaceName, "RS232");
    EXPECT_EQ(RegistryText().find("ZR_CORVANE_TAL_DLL"), std::string::npos);
}

TEST_F(SetupExportTest, NoKeyMeansTheDefaultKey) {
    for (const char* key : {static_cast<const char*>(nullptr), ""}) {
        ChooseAndConfirm("COM3");
        std::vector<std::string> log;
        const int id = Connect(key, &log);
        ASSERT_GE(id, 0);
        EXPECT_TRUE(
            HasLine(log, "Corvane_InterfaceSetupDlg(\"\"): returning ID = " + std::to_string(id)));
        EXPECT_EQ(Saved(kDefaultDialogSettingsKey).rs232.port, kSimPort);
        EXPECT_NE(
            RegistryText().find("[HKEY_CURRENT_USER\\Software\\ZR\\ZR_CORVANE_TAL_DLL\\RS232]"),
            std::string::npos);
        Corvane_CloseConnection(id);
    }
    EXPECT_EQ(hookRuns_, 2);
}

TEST_F(SetupExportTest, FailedAttemptsGiveMinusOneAndUseUpNoId) {
    ChooseAndConfirm("COM3");
    const int first = Connect(kKey);
    ASSERT_GE(first, 0);
    Corvane_CloseConnection(first);
    const int connected = CorvaneCollection().GetNrOfConnected();

    // Cancelled: the table must not take a controller that has no interface.
    Save(kKey, [](HexFaceSettings& s) {
        s.rs232.port = kSimPort;
        s.rs232.baudRate = 115200;
    });
    Cancel();
    sim_->ClearTranscript();
    std::vector<std::string> log;
    EXPECT_EQ(Connect(kKey, &log), -1);
    EXPECT_TRUE(HasLine(log, "Corvane_InterfaceSetupDlg(\"ZRTest/Export\"): returning ID = -1"));
    EXPECT_TRUE(sim_->ReceivedLines(0).empty());
    EXPECT_EQ(Saved(kKey).rs232.baudRate, 9600);  // only the line settings were written back
    EXPECT_EQ(Saved(kKey).rs232.port, kSimPort);

    // A port where no board answers.
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    AddPort(8, name);
    ChooseAndConfirm("COM8");
    EXPECT_EQ(Connect(kKey), -1);
    close(slave);
    close(master);

    // A port that does not open.
    AddPort(9, (root_ / "dev/missing").string());
    ChooseAndConfirm("COM9");
    EXPECT_EQ(Connect(kKey), -1);

    EXPECT_EQ(hookRuns_, 4);
    EXPECT_EQ(CorvaneCollection().GetNrOfConnected(), connected);
    for (int id = first; id <= first + 3; ++id) EXPECT_FALSE(Corvane_IsConnected(id));
    ChooseAndConfirm("COM3");
    EXPECT_EQ(Connect(kKey), first + 1);
}

}  // namespace
