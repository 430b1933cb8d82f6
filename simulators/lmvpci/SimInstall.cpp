#include "simulators/lmvpci/SimInstall.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "winport/Registry.h"

namespace lmvpci {
namespace {

namespace fs = std::filesystem;
using winport::Hive;
using winport::RegStatus;

const char* const kBitBases[] = {"rz410", "rz420"};
constexpr size_t kImageBytes = 32768;

bool Failed(InstallResult& r, const std::string& what) {
    r.ok = false;
    r.error = what;
    return false;
}

// The driver file's path as the service key names it: the installation's own folder, so that the
// library finds the driver's version file from any working folder. A path the library would not
// take as it stands (too long, or with a drive-letter colon) falls back to the system folder.
std::string DriverImagePath(const std::string& bitFolder) {
    std::error_code ec;
    const std::string path =
        (fs::absolute(bitFolder, ec) / kDriverFileName).lexically_normal().string();
    if (ec || path.size() > kImagePathLimit || path.find(':') != std::string::npos)
        return kImagePath;
    return path;
}

bool WriteServiceKey(InstallResult& r, const std::string& imagePath, const std::string& binfile) {
    auto service = winport::RegistryKey::Create(Hive::LocalMachine, kServiceKey);
    if (!service)
        return Failed(r, "cannot create the service key: " + winport::RegistryLastError());
    auto parameters = winport::RegistryKey::Create(Hive::LocalMachine, kParametersKey);
    if (!parameters)
        return Failed(r, "cannot create the parameters key: " + winport::RegistryLastError());
    const bool written = service->WriteString("ImagePath", imagePath) == RegStatus::Ok &&
                         service->WriteDword("Type", 1) == RegStatus::Ok &&
                         service->WriteDword("Start", 3) == RegStatus::Ok &&
                         service->WriteString("DisplayName", "lmvnt") == RegStatus::Ok &&
                         parameters->WriteString("Binfile", binfile) == RegStatus::Ok;
    return written || Failed(r, "cannot write the service key: " + winport::RegistryLastError());
}

}  // namespace

std::string BitFileName(const std::string& base, int number) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%03d.bit", base.c_str(), number);
    return name;
}

std::vector<unsigned char> BitFileImage(const std::string& base) {
    std::vector<unsigned char> image(kImageBytes);
    const std::string header = "lmvpci simulated FPGA image " + base + "\n";
    uint32_t x = 0x12345678u;
    for (char c : base) x = x * 31 + static_cast<unsigned char>(c);
    for (size_t i = 0; i < image.size(); ++i) {
        x = x * 1103515245u + 12345u;
        image[i] = i < header.size() ? static_cast<unsigned char>(header[i])
                                     : static_cast<unsigned char>(x >> 24);
    }
    return image;
}

InstallResult Install(const std::string& bitFolder) {
    InstallResult r;
    std::error_code ec;
    fs::create_directories(bitFolder, ec);
    if (ec) {
        Failed(r, "cannot create " + bitFolder + ": " + ec.message());
        return r;
    }
    for (const char* base : kBitBases) {
        const std::string path = (fs::path(bitFolder) / BitFileName(base, kBitFileNumber)).string();
        const auto image = BitFileImage(base);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
        if (!out.flush()) {
            Failed(r, "cannot write " + path);
            return r;
        }
        r.files.push_back(path);
    }
    const std::string version = (fs::path(bitFolder) / kVersionFileName).string();
    std::ofstream text(version, std::ios::trunc);
    text << kDriverVersion << "\n";
    if (!text.flush()) {
        Failed(r, "cannot write " + version);
        return r;
    }
    r.versionFile = version;
    // The fallback bit file must be shorter than 100 bytes to be used; a long path is left out.
    std::string binfile = r.files.front();
    if (binfile.size() >= 100) binfile = BitFileName(kBitBases[0], kBitFileNumber);
    if (!WriteServiceKey(r, DriverImagePath(bitFolder), binfile)) return r;
    r.ok = true;
    return r;
}

InstallResult Uninstall(const std::string& bitFolder) {
    InstallResult r;
    for (const char* base : kBitBases) {
        const fs::path path = fs::path(bitFolder) / BitFileName(base, kBitFileNumber);
        std::error_code ec;
        if (fs::remove(path, ec)) r.files.push_back(path.string());
    }
    std::error_code ec;
    const fs::path version = fs::path(bitFolder) / kVersionFileName;
    if (fs::remove(version, ec)) r.versionFile = version.string();
    const RegStatus s = winport::DeleteRegistryKey(Hive::LocalMachine, kServiceKey);
    if (s != RegStatus::Ok && s != RegStatus::NotFound) {
        Failed(r, "cannot delete the service key: " + winport::RegistryLastError());
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace lmvpci
