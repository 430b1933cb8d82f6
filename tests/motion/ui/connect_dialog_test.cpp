// Opening a controller's interface through the setup dialog: the line settings written back
// before the dialog opens, the default key, and a reason for every failure.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "ZR_Corvane_TAL.h"
#include "motion/comm/InterfaceCollection.h"
#include "motion/ui/DialogTestSupport.h"
#include "motion/ui/InterfaceWithDialog.h"
#include "simulators/corvane/CorvaneSim.h"

namespace {

using namespace zrtest;

class InterfaceWithDialogTest : public DialogMachine {};

TEST_F(InterfaceWithDialogTest, DefaultKeyGetsTheLineSettingsBeforeTheDialogOpens) {
    AddPort(2, "/dev/zr-test-com2");
    for (const char* key : {static_cast<const char*>(nullptr), ""}) {
        Save(kDefaultDialogSettingsKey, [](HexFaceSettings& s) {
            s.rs232.port = 2;
            s.rs232.baudRate = 115200;
            s.rs232.dataBits = 7;
            std::snprintf(s.rs232.handshake, sizeof s.rs232.handshake, "RTSCTS");
        });
        std::string baudShown;
        Drive([&](CDialogContainer& dialog) {
            baudShown = Page(dialog).BaudrateBox()->GetValue().utf8_string();
            Press(dialog, wxID_CANCEL);
        });
        const int interfaces = CInterfaceCollection::Instance().Size();
        int error = 0;
        EXPECT_EQ(OpenInterfaceWithDialog(key, &error), -1);
        EXPECT_EQ(error, NOT_CONNECTED_ERROR);
        EXPECT_EQ(baudShown, "9600");
        EXPECT_EQ(CInterfaceCollection::Instance().Size(), interfaces);
        // Cancel leaves only the line settings written back: writing them by hand changes
        // nothing more.
        const std::string after = RegistryText();
        Save(kDefaultDialogSettingsKey, [](HexFaceSettings& s) {
            s.rs232.baudRate = 9600;
            std::snprintf(s.rs232.handshake, sizeof s.rs232.handshake, "NONE");
        });
        EXPECT_EQ(RegistryText(), after);
        HexFaceSettings saved = Saved(kDefaultDialogSettingsKey);
        EXPECT_EQ(saved.rs232.port, 2);
        EXPECT_EQ(saved.rs232.dataBits, 7);
        EXPECT_NE(
            RegistryText().find("[HKEY_CURRENT_USER\\Software\\ZR\\ZR_CORVANE_TAL_DLL\\RS232]"),
            std::string::npos);
    }
    EXPECT_EQ(hookRuns_, 2);
}

TEST_F(InterfaceWithDialogTest, OkOpensThePortUnderTheCallersKey) {
    corvane_sim::SimConfig config;
    config.Finish();
    corvane_sim::CorvaneSim sim(config);
    AddPort(3, sim.Start());
    Drive([](CDialogContainer& dialog) {
        Page(dialog).ComPortBox()->SetSelection(0);
        Press(dialog, wxID_OK);
    });
    int error = 1;
    int id = OpenInterfaceWithDialog("Lab/Stage", &error);
    ASSERT_GE(id, 0);
    EXPECT_EQ(error, 0);
    HexFaceSettings saved = Saved("Lab/Stage");
    EXPECT_EQ(saved.rs232.port, 3);
    EXPECT_EQ(saved.rs232.baudRate, 9600);
    EXPECT_STREQ(saved.rs232.handshake, "NONE");
    EXPECT_EQ(RegistryText().find("ZR_CORVANE_TAL_DLL"), std::string::npos);
    // The opened interface reaches the boards.
    ASSERT_EQ(IFsetTerminators(id, "\r", "\r\n\x03"), 0);
    EXPECT_EQ(IFsendChar(id, 0x01), 0);
    EXPECT_EQ(IFsendChar(id, '0'), 0);
    EXPECT_EQ(IFwriteDevice(id, "TP"), 0);
    EXPECT_TRUE(sim.WaitForLine(0, "TP", std::chrono::seconds(10)))
        << ::testing::PrintToString(sim.ReceivedText(0));
    IFcloseInterface(id);
}

TEST_F(InterfaceWithDialogTest, EveryFailureHasItsOwnReason) {
    AddPort(4, (root_ / "dev/missing").string());
    Save("Lab/Stage", [](HexFaceSettings& s) { s.rs232.port = 4; });
    Drive([](CDialogContainer& dialog) { Press(dialog, wxID_OK); });
    int error = 0;
    EXPECT_EQ(OpenInterfaceWithDialog("Lab/Stage", &error), -1);
    EXPECT_EQ(error, COM_NO_DEVICE_WITH_ID);
    // A cancel right after is a cancel, not that earlier failure again.
    Drive([](CDialogContainer& dialog) { Press(dialog, wxID_CANCEL); });
    EXPECT_EQ(OpenInterfaceWithDialog("Lab/Stage", &error), -1);
    EXPECT_EQ(error, NOT_CONNECTED_ERROR);
    EXPECT_EQ(IFgetLastConnectError(), COM_NO_DEVICE_WITH_ID);
    EXPECT_EQ(hookRuns_, 2);
}

}  // namespace
