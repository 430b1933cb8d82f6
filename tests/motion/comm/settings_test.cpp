#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "motion/comm/HexFaceTools.h"
#include "winport/Registry.h"

namespace {

namespace fs = std::filesystem;
using winport::Hive;
using winport::RegistryKey;

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zr_settings_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        setenv("WINPORT_REGISTRY_DIR", dir_.c_str(), 1);
        InitHexFaceSettings(defaults_);
    }
    void TearDown() override {
        unsetenv("WINPORT_REGISTRY_DIR");
        fs::remove_all(dir_);
    }
    std::optional<uint32_t> Dword(Hive hive, const std::string& path, const std::string& name) {
        auto key = RegistryKey::Open(hive, path);
        return key ? key->ReadDword(name) : std::nullopt;
    }
    std::optional<std::string> Text(Hive hive, const std::string& path, const std::string& name) {
        auto key = RegistryKey::Open(hive, path);
        return key ? key->ReadString(name) : std::nullopt;
    }
    fs::path dir_;
    HexFaceSettings defaults_;
};

TEST_F(SettingsTest, Defaults) {
    const HexFaceSettings& s = defaults_;
    EXPECT_STREQ(s.version, "VER006");
    EXPECT_EQ(s.rs232.port, 1);
    EXPECT_EQ(s.rs232.baudRate, 57600);
    EXPECT_EQ(s.rs232.dataBits, 8);
    EXPECT_STREQ(s.rs232.handshake, "none");
    EXPECT_EQ(s.ieee488.deviceID, 4);
    EXPECT_STREQ(s.ieee488.manufacturer, "NI");
    EXPECT_EQ(s.ieee488.eosSign, 10);
    EXPECT_STREQ(s.general.interfaceName, "RS232");
    EXPECT_EQ(s.general.timeOut, 10000);
    EXPECT_STREQ(s.ftdiUsb.handshake, "none");
    EXPECT_EQ(s.pci.board, 1);
    EXPECT_EQ(s.spi.speed, 0x31000000);
    EXPECT_EQ(s.spi.modeCS, 2);
    EXPECT_EQ(s.spi.latchOnFallingEdge, 1);
}

TEST(SettingsKeyTest, KeySplitting) {
    struct Case {
        const char* key;
        const char* vendor;
        const char* application;
        const char* basePath;
    };
    const Case cases[] = {
        {"", "ZR", "generic_i", ""},
        {nullptr, "ZR", "generic_i", ""},
        {"//\\", "ZR", "generic_i", ""},
        {"Single", "Single", "Single", ""},
        {"ZR\\ZR_CORVANE_TAL_DLL", "ZR", "ZR_CORVANE_TAL_DLL", ""},
        {"Vendor/App/Sub/Dir", "Vendor", "App", "/Sub/Dir/"},
        {"/Vendor//App\\Sub/", "Vendor", "App", "/Sub/"},
    };
    for (const Case& c : cases) {
        auto parts = CHexFaceConfig::SplitKey(c.key);
        EXPECT_EQ(parts.vendor, c.vendor) << (c.key ? c.key : "null");
        EXPECT_EQ(parts.application, c.application);
        EXPECT_EQ(parts.basePath, c.basePath);
    }
}

TEST_F(SettingsTest, FourPartKeyStoresEveryGroupUnderItsPath) {
    HexFaceSettings s = defaults_;
    s.rs232.port = 7;
    s.rs232.baudRate = 115200;
    std::strcpy(s.rs232.handshake, "RTSCTS");
    s.general.timeOut = 2500;
    s.tcpip.port = 50000;
    std::strcpy(s.tcpip.hostName, "stage-rack");
    ASSERT_TRUE(CHexFaceTools::WriteSettings(s, "Vendor/App/Sub/Dir"));

    const std::string base = "Software\\Vendor\\App\\Sub\\Dir";
    auto root = RegistryKey::Open(Hive::CurrentUser, base);
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->SubKeyNames(),
              (std::vector<std::string>{"Settings", "RS232", "IEEE488", "FTDI_USB", "PCI", "TCPIP",
                                        "USB", "SPI"}));
    EXPECT_EQ(Text(Hive::CurrentUser, base + "\\Settings", "Interface"), "RS232");
    EXPECT_EQ(Dword(Hive::CurrentUser, base + "\\Settings", "TimeOut"), 2500u);
    EXPECT_EQ(Dword(Hive::CurrentUser, base + "\\RS232", "Port"), 7u);
    EXPECT_EQ(Dword(Hive::CurrentUser, base + "\\RS232", "BaudRate"), 115200u);
    EXPECT_EQ(Text(Hive::CurrentUser, base + "\\RS232", "Handshake"), "RTSCTS");
    EXPECT_EQ(Dword(Hive::CurrentUser, base + "\\IEEE488", "TimeOut"), 1u);
    EXPECT_EQ(Text(Hive::CurrentUser, base + "\\FTDI_USB", "DescriptionFilter"), "");
    EXPECT_EQ(Dword(Hive::CurrentUser, base + "\\TCPIP", "Port"), 50000u);
    EXPECT_EQ(Text(Hive::CurrentUser, base + "\\TCPIP", "Hostname"), "stage-rack");
    EXPECT_EQ(Dword(Hive::CurrentUser, base + "\\SPI", "Speed"), 0x31000000u);
    EXPECT_EQ(Dword(Hive::CurrentUser, base + "\\SPI", "MODE_UseDCLK"), 0u);
    EXPECT_FALSE(RegistryKey::Open(Hive::LocalMachine, base).has_value());

    HexFaceSettings back = defaults_;
    EXPECT_TRUE(CHexFaceTools::ReadSettings(back, "Vendor/App/Sub/Dir"));
    EXPECT_EQ(back.rs232.port, 7);
    EXPECT_EQ(back.rs232.baudRate, 115200);
    EXPECT_STREQ(back.rs232.handshake, "RTSCTS");
    EXPECT_EQ(back.general.timeOut, 2500);
    EXPECT_EQ(back.tcpip.port, 50000);
    EXPECT_STREQ(back.tcpip.hostName, "stage-rack");
}

TEST_F(SettingsTest, SinglePartKeyIsVendorAndApplication) {
    ASSERT_TRUE(CHexFaceTools::WriteSettings(defaults_, "Single"));
    EXPECT_EQ(Dword(Hive::CurrentUser, "Software\\Single\\Single\\RS232", "BaudRate"), 57600u);
}

TEST_F(SettingsTest, StoredTextsAreCutAndTakenLiterally) {
    const std::string base = "Software\\ZR\\generic_i";
    auto rs232 = RegistryKey::Create(Hive::CurrentUser, base + "\\RS232");
    ASSERT_TRUE(rs232.has_value());
    rs232->WriteString("Handshake", "XONXOFF-and-a-lot-more-text");
    auto ieee = RegistryKey::Create(Hive::CurrentUser, base + "\\IEEE488");
    ieee->WriteString("Manufacturer", "%d%s%n");
    auto usb = RegistryKey::Create(Hive::CurrentUser, base + "\\USB");
    usb->WriteString("Description", std::string(300, 'u'));
    auto tcp = RegistryKey::Create(Hive::CurrentUser, base + "\\TCPIP");
    tcp->WriteDword("Port", 0x12345);

    HexFaceSettings s = defaults_;
    EXPECT_TRUE(CHexFaceTools::ReadSettings(s, ""));
    EXPECT_EQ(std::string(s.rs232.handshake),
              std::string("XONXOFF-and-a-lot-more-text").substr(0, 23));
    EXPECT_STREQ(s.ieee488.manufacturer, "%d%s%n");
    EXPECT_EQ(std::string(s.usb.description), std::string(254, 'u'));
    EXPECT_EQ(s.tcpip.port, 0x2345);
    EXPECT_EQ(s.rs232.baudRate, 57600);  // absent values keep the record's
}

TEST_F(SettingsTest, LocalMachineIsTheFallBackValueByValue) {
    std::ofstream(dir_ / "HKLM.reg")
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\Software\\ZR\\ZR_CORVANE_TAL_DLL\\RS232]\r\n"
           "\"Port\"=dword:00000004\r\n"
           "\"BaudRate\"=dword:00009600\r\n"
           "\"Handshake\"=\"XONXOFF\"\r\n";
    auto user = RegistryKey::Create(Hive::CurrentUser, "Software\\ZR\\ZR_CORVANE_TAL_DLL\\RS232");
    ASSERT_TRUE(user.has_value());
    user->WriteDword("Port", 9);

    HexFaceSettings s = defaults_;
    CHexFaceTools::ReadSettings(s, "ZR\\ZR_CORVANE_TAL_DLL");
    EXPECT_EQ(s.rs232.port, 9);           // the user's value wins
    EXPECT_EQ(s.rs232.baudRate, 0x9600);  // the machine's where the user has none
    EXPECT_STREQ(s.rs232.handshake, "XONXOFF");
}

TEST_F(SettingsTest, FiltersAreReadOnlyWhenAsked) {
    HexFaceSettings s = defaults_;
    std::strcpy(s.ftdiUsb.descriptionFilter, "FT*");
    std::strcpy(s.tcpip.filter, "10.0.*");
    std::strcpy(s.usb.descriptionFilter, "USB*");
    ASSERT_TRUE(CHexFaceTools::WriteSettings(s, "F/F"));
    HexFaceSettings without = defaults_;
    CHexFaceTools::ReadSettings(without, "F/F", nullptr, false);
    EXPECT_STREQ(without.ftdiUsb.descriptionFilter, "");
    EXPECT_STREQ(without.tcpip.filter, "");
    HexFaceSettings with = defaults_;
    CHexFaceTools::ReadSettings(with, "F/F", nullptr, true);
    EXPECT_STREQ(with.ftdiUsb.descriptionFilter, "FT*");
    EXPECT_STREQ(with.tcpip.filter, "10.0.*");
    EXPECT_STREQ(with.usb.descriptionFilter, "USB*");
}

TEST_F(SettingsTest, NothingStoredLeavesTheRecordAsItWas) {
    HexFaceSettings s = defaults_;
    EXPECT_TRUE(CHexFaceTools::ReadSettings(s, "Nobody/Here"));
    EXPECT_EQ(std::memcmp(&s, &defaults_, sizeof s), 0);
}

}  // namespace
