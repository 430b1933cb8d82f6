#pragma once
// Which device is port "COMn". In this order:
//   1. the environment variable WINPORT_COM<n> (for example WINPORT_COM3=/dev/pts/4);
//   2. the registry map HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM, whose value names are
//      device paths and whose data are port names ("/dev/ttyUSB0"="COM5");
//   3. the machine's ports found in sysfs (ttyS* with a UART behind it, ttyUSB*, ttyACM*), in that
//      order and by number within each family, taking the lowest port numbers not used above.
// A device named by 1 or 2 is not listed again by 3. Listing never opens a device.
#include <optional>
#include <string>
#include <vector>

namespace winport {

struct SerialPortInfo {
    int number = 0;           // n of "COMn"
    std::string name;         // "COMn"
    std::string device;       // "/dev/ttyUSB0"
    std::string description;  // maker and product from sysfs for USB adapters, else empty
};

// Every port, by ascending number.
std::vector<SerialPortInfo> ListSerialPorts();
// The device of port n; nullopt when no port has that number.
std::optional<std::string> SerialDevicePath(int portNumber);

// Where the machine's ports are looked for: devRoot replaces "/dev" and sysRoot "/sys" (test rigs
// use a fake tree). Empty texts restore the defaults.
void SetSerialDiscoveryRoots(const std::string& devRoot, const std::string& sysRoot);

}  // namespace winport
