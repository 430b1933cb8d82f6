#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "ZR_Corvane_TAL.h"
#include "motion/comm/ComPortNames.h"
#include "motion/comm/RS232.h"
#include "winport/SerialPortList.h"

namespace {

namespace fs = std::filesystem;

class EnumerateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zr_enum_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        fs::create_directories(root_ / "sys/class/tty");
        fs::create_directories(root_ / "dev");
        fs::create_directories(root_ / "registry");
        setenv("WINPORT_REGISTRY_DIR", (root_ / "registry").c_str(), 1);
        winport::SetSerialDiscoveryRoots((root_ / "dev").string(), (root_ / "sys").string());
        C_RS232::ResetPortCache();
    }
    void TearDown() override {
        unsetenv("WINPORT_COM3");
        unsetenv("WINPORT_COM1");
        unsetenv("WINPORT_REGISTRY_DIR");
        winport::SetSerialDiscoveryRoots("", "");
        C_RS232::ResetPortCache();
        fs::remove_all(root_);
    }
    void AddUsbTty(const std::string& name, const std::string& product) {
        fs::path usb = root_ / "sys/devices/usb1" / (name + "-dev");
        fs::create_directories(usb / "1-1:1.0" / name);
        std::ofstream(usb / "product") << product << "\n";
        fs::create_directories(root_ / "sys/class/tty" / name);
        fs::create_directory_symlink(usb / "1-1:1.0" / name,
                                     root_ / "sys/class/tty" / name / "device");
        std::ofstream(root_ / "dev" / name);
    }
    fs::path root_;
};

TEST_F(EnumerateTest, NoPortsIsACountOfZero) {
    char buf[64] = "untouched";
    EXPECT_EQ(C_RS232::EnumerateCOMPorts(buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
}

TEST_F(EnumerateTest, ListsByPortNumberWithDescriptions) {
    setenv("WINPORT_COM3", "/dev/pts/90", 1);
    std::ofstream(root_ / "registry/HKLM.reg")
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
           "\"/dev/ttyXR1\"=\"COM1\"\r\n";
    AddUsbTty("ttyUSB0", "USB-Serial Cable");  // becomes COM2, the lowest number left
    const std::string list = "COM1\nUSB-Serial Cable (COM2)\nCOM3\n";
    char buf[128];
    EXPECT_EQ(C_RS232::EnumerateCOMPorts(buf, sizeof buf), 3);
    EXPECT_EQ(std::string(buf), list);

    // The list and its zero must fit.
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(C_RS232::EnumerateCOMPorts(buf, static_cast<int>(list.size())), COM_BUFFER_OVERFLOW);
    EXPECT_EQ(buf[0], '#');
    EXPECT_EQ(C_RS232::EnumerateCOMPorts(buf, static_cast<int>(list.size()) + 1), 3);

    // Kept until the cache is reset.
    unsetenv("WINPORT_COM3");
    EXPECT_EQ(C_RS232::EnumerateCOMPorts(nullptr, 0), 3);
    C_RS232::ResetPortCache();
    EXPECT_EQ(C_RS232::EnumerateCOMPorts(buf, sizeof buf), 2);
    EXPECT_EQ(std::string(buf), "COM1\nUSB-Serial Cable (COM2)\n");
}

TEST(ComPortNamesTest, NamesAndNumbersFromText) {
    EXPECT_EQ(PortNameFromText("USB-Serial Cable (COM12)"), "COM12");
    EXPECT_EQ(PortNameFromText("COM3"), "COM3");
    EXPECT_EQ(PortNameFromText("no port"), "");
    EXPECT_EQ(PortNumberFromText("USB-Serial Cable (COM12)"), 12);
    EXPECT_EQ(PortNumberFromText("COMX (COM4)"), -1);  // the first COM has no digits
    EXPECT_EQ(PortNumberFromText("com4"), -1);
    EXPECT_EQ(PortNumberFromText("COM"), -1);
}

}  // namespace
