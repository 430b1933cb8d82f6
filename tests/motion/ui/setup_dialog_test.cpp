// The setup dialog and the setup flow, on a private X server, driven without a user.
#include <gtest/gtest.h>
#include <wx/statbox.h>

#include <chrono>
#include <clocale>
#include <stdexcept>
#include <string>
#include <thread>

#include "ZR_Corvane_TAL.h"
#include "motion/comm/InterfaceCollection.h"
#include "motion/ui/DialogTestSupport.h"
#include "motion/ui/GuiToolkit.h"
#include "motion/ui/SetupRS232Dlg.h"
#include "simulators/corvane/CorvaneSim.h"

namespace {

using namespace zrtest;
using namespace std::chrono_literals;

const char kKey[] = "ZRTest/Dialog";

class SetupDialogTest : public DialogMachine {};

TEST_F(SetupDialogTest, OpensWithTheSavedSettingsAndCancelChangesNothing) {
    AddPort(3, "/dev/zr-test-com3");
    AddPort(5, "/dev/zr-test-com5");
    Save(kKey, [](HexFaceSettings& s) {
        s.rs232.port = 5;
        s.rs232.baudRate = 115200;
    });
    const std::string before = RegistryText();
    const int interfaces = CInterfaceCollection::Instance().Size();

    struct Seen {
        std::string title, frame, ok, cancel, port, baud;
        std::vector<std::string> ports, bauds;
        wxSize size;
        int type = 0;
        bool extended = true;
    } seen;
    Drive([&](CDialogContainer& dialog) {
        seen.title = dialog.GetTitle().utf8_string();
        seen.size = dialog.GetSize();
        seen.type = dialog.Type();
        seen.extended = dialog.Extended();
        CRS232Dlg& page = Page(dialog);
        seen.frame = dynamic_cast<wxStaticBox*>(page.GetParent())->GetLabel().utf8_string();
        seen.ok = dialog.FindWindow(wxID_OK)->GetLabel().utf8_string();
        seen.cancel = dialog.FindWindow(wxID_CANCEL)->GetLabel().utf8_string();
        seen.ports = Items(page.ComPortBox());
        seen.bauds = Items(page.BaudrateBox());
        seen.port = page.ComPortBox()->GetValue().utf8_string();
        seen.baud = page.BaudrateBox()->GetValue().utf8_string();
        Press(dialog, wxID_CANCEL);
    });
    std::vector<std::string> log = CaptureLog([&] { EXPECT_EQ(setupRS232Dlg(kKey, false), -1); });

    EXPECT_EQ(hookRuns_, 1);
    EXPECT_EQ(seen.title, "Connect");
    EXPECT_EQ(seen.frame, "RS-232");
    EXPECT_EQ(seen.ok, "OK");
    EXPECT_EQ(seen.cancel, "Cancel");
    EXPECT_EQ(seen.size, wxSize(400, 300));
    EXPECT_EQ(seen.type, 1);
    EXPECT_FALSE(seen.extended);
    EXPECT_EQ(seen.ports, (std::vector<std::string>{"COM3", "COM5"}));
    EXPECT_EQ(seen.port, "COM5");
    EXPECT_EQ(seen.baud, "115200");
    EXPECT_EQ(seen.bauds, (std::vector<std::string>{"110", "300", "600", "1200", "2400", "4800",
                                                    "9600", "14400", "19200", "38400", "57600",
                                                    "115200", "230400", "460800"}));
    // Cancel writes nothing and consumes no ID.
    EXPECT_EQ(RegistryText(), before);
    EXPECT_EQ(CInterfaceCollection::Instance().Size(), interfaces);
    EXPECT_TRUE(HasLine(log, "DEBUG LIBRARY: setupRS232Dlg(\"ZRTest/Dialog\")"));
    EXPECT_TRUE(HasLine(log, "CInterfaceDlg::CreateInterfaceDlg(1, 0, ...)"));
    EXPECT_TRUE(HasLine(log, "DEBUG LIBRARY: setupRS232Dlg()  returned: -1"));
}

TEST_F(SetupDialogTest, OkSavesTheChoiceAndOpensThePortToTheBoards) {
    corvane_sim::SimConfig config;
    config.Finish();
    corvane_sim::CorvaneSim sim(config);
    AddPort(2, "/dev/zr-test-com2");
    AddPort(4, sim.Start());
    Save(kKey, [](HexFaceSettings& s) {
        s.rs232.port = 9;  // not present
        s.rs232.dataBits = 7;
        s.rs232.parity = 2;
        std::snprintf(s.rs232.handshake, sizeof s.rs232.handshake, "NONE");
        s.general.timeOut = 2500;
        std::snprintf(s.general.interfaceName, sizeof s.general.interfaceName, "GPIB");
    });

    std::string portShown = "unset";
    Drive([&](CDialogContainer& dialog) {
        CRS232Dlg& page = Page(dialog);
        portShown = page.ComPortBox()->GetValue().utf8_string();
        page.ComPortBox()->SetSelection(page.ComPortBox()->FindString("COM4"));
        page.BaudrateBox()->SetValue("19200");
        Press(dialog, wxID_OK);
    });
    int id = setupRS232Dlg(kKey, false);
    ASSERT_GE(id, 0);
    EXPECT_EQ(portShown, "");

    HexFaceSettings saved = Saved(kKey);
    EXPECT_EQ(saved.rs232.port, 4);
    EXPECT_EQ(saved.rs232.baudRate, 19200);
    EXPECT_EQ(saved.rs232.dataBits, 7);
    EXPECT_EQ(saved.rs232.parity, 2);
    EXPECT_STREQ(saved.general.interfaceName, "RS232");
    int timeout = 0;
    EXPECT_EQ(IFgetTimeout(id, &timeout), 0);
    EXPECT_EQ(timeout, 2500);

    // The opened interface reaches the boards.
    ASSERT_EQ(IFsetTerminators(id, "\r", "\r\n\x03"), 0);
    (void)IFsetStripTerminator(id, true);
    ASSERT_EQ(IFsendChar(id, 0x01), 0);
    ASSERT_EQ(IFsendChar(id, '0'), 0);
    char answer[64] = {};
    ASSERT_EQ(readDevice(id, "TP", answer, sizeof answer), 0);
    EXPECT_EQ(std::string(answer).substr(0, 2), "P:");
    EXPECT_EQ(sim.ReceivedLines(0), (std::vector<std::string>{"TP"}));
    IFcloseInterface(id);
}

TEST_F(SetupDialogTest, APortThatDoesNotOpenSavesNothing) {
    AddPort(6, (root_ / "dev/missing").string());
    Save(kKey, [](HexFaceSettings& s) { s.rs232.port = 6; });
    const std::string saved = RegistryText();
    const int interfaces = CInterfaceCollection::Instance().Size();
    Drive([](CDialogContainer& dialog) { Press(dialog, wxID_OK); });
    SetLastConnectError(0);
    EXPECT_EQ(setupRS232Dlg(kKey, false), -1);
    EXPECT_EQ(hookRuns_, 1);
    EXPECT_EQ(IFgetLastConnectError(), COM_NO_DEVICE_WITH_ID);
    EXPECT_EQ(RegistryText(), saved);
    EXPECT_EQ(CInterfaceCollection::Instance().Size(), interfaces);
}

TEST_F(SetupDialogTest, NoDialogWithoutRS232OrWithoutPorts) {
    // No serial port at all.
    EXPECT_EQ(setupRS232Dlg(kKey, false), -1);
    EXPECT_FALSE(IFisRS232Available());
    // RS-232 switched off: not even an existing port opens the dialog, and availability is
    // forgotten.
    AddPort(1, "/dev/zr-test-com1");
    IFsetRS232Available(true);
    IFsetEnabledInterfaceTypes(0);
    EXPECT_EQ(setupRS232Dlg(kKey, false), -1);
    EXPECT_FALSE(IFisRS232Available());
    EXPECT_EQ(hookRuns_, 0);
    EXPECT_EQ(RegistryText(), "");
    // Switched on again, the port is found and the dialog opens.
    IFsetEnabledInterfaceTypes(IF_TYPE_RS232);
    Drive([](CDialogContainer& dialog) { Press(dialog, wxID_CANCEL); });
    EXPECT_EQ(setupRS232Dlg(nullptr, false), -1);
    EXPECT_EQ(hookRuns_, 1);
    EXPECT_TRUE(IFisRS232Available());
}

// The page on its own, in the toolkit's thread, for the loading and applying rules.
struct PageCase {
    const char* name;
    int savedPort, savedBaud;
    const char* shownPort;  // what the boxes show after loading
    const char* shownBaud;
    const char* typedPort;  // nullptr: leave the box as loaded
    const char* typedBaud;
    int port, baud;  // the record after OK
};

class PageRules : public DialogMachine, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageRules, LoadAndApply) {
    const PageCase& c = GetParam();
    AddPort(1, "/dev/zr-test-com1");
    for (int n = 2; n <= 11; ++n) AddPort(n, "/dev/zr-test-com" + std::to_string(n));
    AddUsbAdapter("ttyUSB0", "Maker", "Cable");  // the machine's own port: COM12
    HexFaceSettings settings;
    InitHexFaceSettings(settings);
    settings.rs232.port = c.savedPort;
    settings.rs232.baudRate = c.savedBaud;
    std::string port, baud, last;
    bool ran = false;
    std::vector<std::string> log = CaptureLog([&] {
        ran = CGuiToolkit::Instance().Run([&] {
            CDialogContainer dialog(nullptr, 1, false, settings, "Connect");
            CRS232Dlg& page = Page(dialog);
            last = page.ComPortBox()->GetString(page.ComPortBox()->GetCount() - 1).utf8_string();
            port = page.ComPortBox()->GetValue().utf8_string();
            baud = page.BaudrateBox()->GetValue().utf8_string();
            if (c.typedPort) page.ComPortBox()->SetValue(wxString::FromUTF8(c.typedPort));
            if (c.typedBaud) page.BaudrateBox()->SetValue(c.typedBaud);
            EXPECT_TRUE(page.ApplySettings());
        });
    });
    ASSERT_TRUE(ran) << ::testing::PrintToString(log);
    EXPECT_EQ(last.find("(COM12)"), last.size() - 7) << last;
    EXPECT_EQ(port, c.shownPort);
    EXPECT_EQ(baud, c.shownBaud);
    EXPECT_EQ(settings.rs232.port, c.port);
    EXPECT_EQ(settings.rs232.baudRate, c.baud);
    EXPECT_EQ(settings.rs232.dataBits, 8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageRules,
    ::testing::Values(
        PageCase{"UnofferedRateShowsDefault", 1, 12345, "COM1", "57600", nullptr, nullptr, 1,
                 57600},
        PageCase{"TypedRateIsStored", 1, 9600, "COM1", "9600", nullptr, "250000", 1, 250000},
        PageCase{"AbsentPortKeptEmpty", 17, 9600, "", "9600", nullptr, nullptr, 17, 9600},
        PageCase{"DescriptionSelectsItsPort", 12, 57600, "Maker Cable (COM12)", "57600", nullptr,
                 nullptr, 12, 57600},
        PageCase{"ExactNameBeforeDescriptions", 1, 57600, "COM1", "57600", nullptr, nullptr, 1,
                 57600},
        PageCase{"TypedDescriptionYieldsItsNumber", 1, 57600, "COM1", "57600", "My adapter (COM12)",
                 nullptr, 12, 57600},
        PageCase{"NoNumberKeepsThePort", 3, 57600, "COM3", "57600", "COM", "", 3, 57600},
        PageCase{"PortZeroKeepsThePort", 3, 57600, "COM3", "57600", "COM0", nullptr, 3, 57600},
        PageCase{"TextRateKeepsTheRate", 3, 4800, "COM3", "4800", nullptr, "fast", 3, 4800},
        PageCase{"NegativeRateKeepsTheRate", 3, 4800, "COM3", "4800", nullptr, "-9600", 3, 4800},
        PageCase{"SpacesAroundARate", 3, 4800, "COM3", "4800", nullptr, " 38400 ", 3, 38400}),
    [](const ::testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST_F(SetupDialogTest, WorksFromAnyThreadAndKeepsTheProcessLocale) {
    AddPort(1, "/dev/zr-test-com1");
    // A user locale the toolkit would take over for the whole process when it starts.
    const bool starts = !CGuiToolkit::Instance().IsStarted();
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    setenv("LC_ALL", "C.UTF-8", 1);
    Drive([](CDialogContainer& dialog) { Press(dialog, wxID_CANCEL); });
    EXPECT_EQ(setupRS232Dlg(kKey, false), -1);
    unsetenv("LC_ALL");
    int other = 0;
    std::thread([&] { other = setupRS232Dlg(kKey, false); }).join();
    EXPECT_EQ(other, -1);
    EXPECT_EQ(hookRuns_, 2);
    EXPECT_TRUE(CGuiToolkit::Instance().IsStarted());
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), locale);
    if (starts) {
        EXPECT_EQ(locale, "C");
    }
}

}  // namespace

namespace {

TEST_F(SetupDialogTest, ADisplayThatComesLaterIsUsed) {
    if (CGuiToolkit::Instance().IsStarted()) GTEST_SKIP() << "needs a program without a toolkit";
    AddPort(1, "/dev/zr-test-com1");
    const std::string display = getenv("DISPLAY");
    unsetenv("DISPLAY");
    Drive([](CDialogContainer& dialog) { Press(dialog, wxID_CANCEL); });
    EXPECT_EQ(setupRS232Dlg(kKey, false), -1);
    EXPECT_EQ(hookRuns_, 0);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(setupRS232Dlg(kKey, false), -1);
    EXPECT_EQ(hookRuns_, 1);
    EXPECT_TRUE(CGuiToolkit::Instance().IsStarted());
}

}  // namespace

namespace {

TEST_F(SetupDialogTest, AnExceptionInTheDialogsThreadIsContained) {
    bool after = false;
    std::vector<std::string> log = CaptureLog([&] {
        EXPECT_TRUE(CGuiToolkit::Instance().Run([] { throw std::runtime_error("broken"); }));
        EXPECT_TRUE(CGuiToolkit::Instance().Run([&] { after = true; }));
    });
    EXPECT_TRUE(after);
    EXPECT_TRUE(HasLine(log, "ERROR CGuiToolkit::Run() EXCEPTION: broken"));
}

}  // namespace
