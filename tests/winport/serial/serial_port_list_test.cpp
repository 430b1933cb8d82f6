#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "winport/SerialPortList.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// A machine with a fake /dev and /sys, an empty registry, and no WINPORT_COM variables.
class SerialPortListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zr_ports_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        dev_ = root_ / "dev";
        sys_ = root_ / "sys";
        fs::create_directories(dev_);
        fs::create_directories(sys_ / "class/tty");
        fs::create_directories(root_ / "registry");
        setenv("WINPORT_REGISTRY_DIR", (root_ / "registry").c_str(), 1);
        for (char** env = environ; env && *env; ++env)
            if (std::string(*env).starts_with("WINPORT_COM")) saved_.push_back(std::string(*env));
        for (const std::string& e : saved_) unsetenv(e.substr(0, e.find('=')).c_str());
        winport::SetSerialDiscoveryRoots(dev_, sys_);
    }
    void TearDown() override {
        winport::SetSerialDiscoveryRoots("", "");
        unsetenv("WINPORT_REGISTRY_DIR");
        unsetenv("WINPORT_COM1");
        unsetenv("WINPORT_COM7");
        unsetenv("WINPORT_COM3");
        unsetenv("WINPORT_COM4");
        for (const std::string& e : saved_) putenv(strdup(e.c_str()));
        fs::remove_all(root_);
    }

    // A tty in the fake sysfs, its device node, and for USB ones the device's maker and product.
    void AddTty(const std::string& name, const std::string& type, const std::string& maker = "",
                const std::string& product = "") {
        Write(dev_ / name, "");
        fs::path usbDevice = sys_ / "devices/pci0000:00/usb1" / (name + "-1");
        fs::path device = usbDevice / ("1-1:1.0/" + name);
        fs::create_directories(device);
        if (!product.empty()) Write(usbDevice / "product", product + "\n");
        if (!maker.empty()) Write(usbDevice / "manufacturer", maker + "\n");
        fs::path classDir = sys_ / "class/tty" / name;
        fs::create_directories(classDir);
        fs::create_directory_symlink(device, classDir / "device");
        if (!type.empty()) Write(classDir / "type", type + "\n");
    }

    fs::path root_, dev_, sys_;
    std::vector<std::string> saved_;
};

TEST_F(SerialPortListTest, NoPortsAtAll) {
    EXPECT_TRUE(winport::ListSerialPorts().empty());
    EXPECT_EQ(winport::SerialDevicePath(1), std::nullopt);
}

TEST_F(SerialPortListTest, EnvironmentThenRegistryMapThenMachinePorts) {
    setenv("WINPORT_COM1", "/dev/pts/77", 1);
    Write(root_ / "registry/HKLM.reg",
          "Windows Registry Editor Version 5.00\r\n\r\n"
          "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n"
          "\"/dev/ttyXR9\"=\"COM2\"\r\n"
          "\"/dev/ttyXR8\"=\"COM1\"\r\n"  // COM1 is taken by the environment
          "\"/dev/ttyXR7\"=\"LPT1\"\r\n");
    AddTty("ttyS1", "0");  // placeholder without UART
    AddTty("ttyS0", "4");
    AddTty("ttyUSB10", "", "Maker", "USB-Serial Cable");
    AddTty("ttyUSB2", "", "", "Bare Product");
    AddTty("ttyACM0", "");
    Write(sys_ / "class/tty/tty0/dev", "4:0");  // a console, never a serial port

    auto ports = winport::ListSerialPorts();
    ASSERT_EQ(ports.size(), 6u);
    struct Expected {
        int number;
        std::string device, description;
    };
    const Expected expected[] = {
        {1, "/dev/pts/77", ""},
        {2, "/dev/ttyXR9", ""},
        {3, (dev_ / "ttyS0").string(), ""},
        {4, (dev_ / "ttyUSB2").string(), "Bare Product"},
        {5, (dev_ / "ttyUSB10").string(), "Maker USB-Serial Cable"},
        {6, (dev_ / "ttyACM0").string(), ""},
    };
    for (size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].number, expected[i].number);
        EXPECT_EQ(ports[i].name, "COM" + std::to_string(expected[i].number));
        EXPECT_EQ(ports[i].device, expected[i].device);
        EXPECT_EQ(ports[i].description, expected[i].description);
    }
    EXPECT_EQ(winport::SerialDevicePath(5), (dev_ / "ttyUSB10").string());
}

TEST_F(SerialPortListTest, MachinePortNamedByEnvironmentIsNotListedTwice) {
    AddTty("ttyUSB0", "", "M", "P");
    setenv("WINPORT_COM7", (dev_ / "ttyUSB0").c_str(), 1);
    auto ports = winport::ListSerialPorts();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].number, 7);
}

TEST_F(SerialPortListTest, TwoEnvironmentNumbersMayNameOneDevice) {
    // Pseudo-terminal paths are reused, so a stale variable may name the device of a new one.
    setenv("WINPORT_COM3", "/dev/pts/42", 1);
    setenv("WINPORT_COM4", "/dev/pts/42", 1);
    EXPECT_EQ(winport::SerialDevicePath(3), "/dev/pts/42");
    EXPECT_EQ(winport::SerialDevicePath(4), "/dev/pts/42");
}

TEST_F(SerialPortListTest, NodeWithoutDeviceFileIsSkipped) {
    AddTty("ttyACM3", "");
    fs::remove(dev_ / "ttyACM3");
    EXPECT_TRUE(winport::ListSerialPorts().empty());
}

}  // namespace
