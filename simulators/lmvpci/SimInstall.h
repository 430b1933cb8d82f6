#pragma once
// Installing the simulated board writes what a driver installation writes: the driver's service
// key in HKEY_LOCAL_MACHINE and the FPGA bit files.
#include <cstddef>
#include <string>
#include <vector>

namespace lmvpci {

inline constexpr const char* kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\Lmvnt";
inline constexpr const char* kParametersKey =
    "SYSTEM\\CurrentControlSet\\Services\\Lmvnt\\Parameters";
// ImagePath names the driver file in the installation's folder; this one only when that path
// cannot be used (the library then searches for the version file by name).
inline constexpr const char* kImagePath = "\\??\\C:\\Windows\\System32\\drivers\\lmvnt.sys";
inline constexpr const char* kDriverFileName = "lmvnt.sys";
inline constexpr size_t kImagePathLimit = 199;  // the library ignores a longer value
inline constexpr int kBitFileNumber = 17;
// The version resource of the driver file stands beside the bit files as "<driver file>.version"
// holding the file version text.
inline constexpr const char* kVersionFileName = "lmvnt.sys.version";
inline constexpr const char* kDriverVersion = "1.60";

struct InstallResult {
    bool ok = false;
    std::string error;
    std::vector<std::string> files;  // bit files written
    std::string versionFile;         // the driver's version file written (removed)
};

// The bit file name "<base><nnn>.bit" of an FPGA image ("rz410" board type 2, "rz420" type 3).
std::string BitFileName(const std::string& base, int number);
// The simulated FPGA image: deterministic bytes, different per base name.
std::vector<unsigned char> BitFileImage(const std::string& base);

// Writes the service key (ImagePath: BIT_FOLDER/lmvnt.sys, Type, Start, Parameters\Binfile), both
// bit files and the driver's version file into `bitFolder` (created when missing).
InstallResult Install(const std::string& bitFolder);
// Removes the service key, the bit files and the version file of `bitFolder`.
InstallResult Uninstall(const std::string& bitFolder);

}  // namespace lmvpci
