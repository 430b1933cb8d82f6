#include "winport/SerialPortList.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>

#include "winport/Registry.h"

extern char** environ;

namespace winport {

namespace {

namespace fs = std::filesystem;

constexpr const char* kEnvPrefix = "WINPORT_COM";
constexpr const char* kSerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

std::mutex g_rootsMutex;
std::string g_devRoot = "/dev";
std::string g_sysRoot = "/sys";

std::pair<std::string, std::string> Roots() {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    return {g_devRoot, g_sysRoot};
}

// "COM12" (any case) -> 12; nullopt for other texts.
std::optional<int> ComNumber(const std::string& name) {
    if (name.size() < 4 || strncasecmp(name.c_str(), "COM", 3) != 0) return std::nullopt;
    int n = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > 100000) return std::nullopt;
        n = n * 10 + (name[i] - '0');
    }
    if (n <= 0) return std::nullopt;
    return n;
}

std::string ReadLineOf(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

// Maker and product of the USB device above a tty's device folder.
std::string UsbDescription(const fs::path& ttyClassDir) {
    std::error_code ec;
    fs::path dir = fs::canonical(ttyClassDir / "device", ec);
    if (ec) return {};
    for (int up = 0; up < 4 && !dir.empty(); ++up, dir = dir.parent_path()) {
        if (!fs::exists(dir / "product", ec)) continue;
        std::string maker = ReadLineOf(dir / "manufacturer");
        std::string product = ReadLineOf(dir / "product");
        if (maker.empty()) return product;
        if (product.empty()) return maker;
        return maker + " " + product;
    }
    return {};
}

struct MachinePort {
    int family;
    long index;
    std::string name;
    std::string description;
};

// ttyS* is listed only with a UART behind it: the kernel makes placeholder nodes for absent ones.
bool IsPresentUart(const fs::path& ttyClassDir) {
    std::error_code ec;
    if (!fs::exists(ttyClassDir / "device", ec)) return false;
    fs::path type = ttyClassDir / "type";
    if (!fs::exists(type, ec)) return true;
    return ReadLineOf(type) != "0";
}

std::vector<MachinePort> MachinePorts(const std::string& devRoot, const std::string& sysRoot) {
    static const char* const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};
    std::vector<MachinePort> ports;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(sysRoot + "/class/tty", ec)) {
        std::string name = entry.path().filename().string();
        for (int family = 0; family < 3; ++family) {
            std::string prefix = kFamilies[family];
            if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
                continue;
            std::string digits = name.substr(prefix.size());
            if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
            if (family == 0 && !IsPresentUart(entry.path())) continue;
            struct stat st {};
            if (stat((devRoot + "/" + name).c_str(), &st) != 0) continue;
            ports.push_back({family, std::strtol(digits.c_str(), nullptr, 10), name,
                             family == 0 ? std::string() : UsbDescription(entry.path())});
        }
    }
    std::sort(ports.begin(), ports.end(), [](const MachinePort& a, const MachinePort& b) {
        return std::tie(a.family, a.index) < std::tie(b.family, b.index);
    });
    return ports;
}

}  // namespace

void SetSerialDiscoveryRoots(const std::string& devRoot, const std::string& sysRoot) {
    std::lock_guard<std::mutex> lock(g_rootsMutex);
    g_devRoot = devRoot.empty() ? "/dev" : devRoot;
    g_sysRoot = sysRoot.empty() ? "/sys" : sysRoot;
}

std::vector<SerialPortInfo> ListSerialPorts() {
    std::vector<SerialPortInfo> ports;
    std::set<int> numbers;
    std::set<std::string> devices;
    // An environment entry is the user's explicit word: two numbers may name one device there.
    auto add = [&](int number, const std::string& device, const std::string& description,
                   bool explicitEntry = false) {
        if (numbers.count(number) || (!explicitEntry && devices.count(device))) return;
        numbers.insert(number);
        devices.insert(device);
        ports.push_back({number, "COM" + std::to_string(number), device, description});
    };

    for (char** env = environ; env && *env; ++env) {
        std::string entry = *env;
        size_t eq = entry.find('=');
        if (eq == std::string::npos || entry.compare(0, strlen(kEnvPrefix), kEnvPrefix) != 0)
            continue;
        std::optional<int> n = ComNumber(entry.substr(strlen(kEnvPrefix) - 3, eq - 8));
        std::string device = entry.substr(eq + 1);
        if (n && !device.empty()) add(*n, device, "", true);
    }

    if (auto key = RegistryKey::Open(Hive::LocalMachine, kSerialCommKey)) {
        for (const std::string& device : key->ValueNames()) {
            std::optional<std::string> data = key->ReadString(device);
            if (!data) continue;
            if (std::optional<int> n = ComNumber(*data)) add(*n, device, "");
        }
    }

    auto [devRoot, sysRoot] = Roots();
    int next = 1;
    for (const MachinePort& port : MachinePorts(devRoot, sysRoot)) {
        std::string device = devRoot + "/" + port.name;
        if (devices.count(device)) continue;
        while (numbers.count(next)) ++next;
        add(next, device, port.description);
    }

    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.number < b.number; });
    return ports;
}

std::optional<std::string> SerialDevicePath(int portNumber) {
    for (const SerialPortInfo& port : ListSerialPorts())
        if (port.number == portNumber) return port.device;
    return std::nullopt;
}

}  // namespace winport
