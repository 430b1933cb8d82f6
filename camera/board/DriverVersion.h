#pragma once
// The driver version check before a board is set up. The driver file is the one the driver's
// service key names in "ImagePath" (from its drive letter on), else the system folder's
// "\Drivers\lmvnt.sys". Its version resource stands on Linux as a text file beside it: the
// driver file's name plus ".version" (for "lmvnt.sys": "lmvnt.sys.version"), looked for through
// the system's standard file search (a path with '/' as it stands), holding the file version
// text ("1.60"). The version is that text read as a decimal number times 1000, rounded.
#include <optional>
#include <string>

namespace lmv {

inline constexpr const char* kDriverServiceKey = "SYSTEM\\CurrentControlSet\\Services\\Lmvnt";
inline constexpr const char* kVersionSuffix = ".version";
inline constexpr int kLowestDriverVersion = 1050;

// The driver file named by an "ImagePath" value (nullopt: the value is missing or too long).
std::string driver_file_path(const std::optional<std::string>& image_path);
// The version of the driver file; nullopt when its version text cannot be read.
std::optional<int> driver_file_version(const std::string& driver_path);
// -30 without the service key; else 0, after the warning "WRONG LMVNT.SYS \nInstall new Version"
// when the version is unknown or too old.
int check_driver_version();

}  // namespace lmv
