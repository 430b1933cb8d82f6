#include "camera/board/DriverVersion.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "camera/api/ResultCodes.h"
#include "winport/MessageBox.h"
#include "winport/Process.h"
#include "winport/Registry.h"

namespace lmv {
namespace {

constexpr size_t kImagePathLimit = 199;  // a longer value is not used
constexpr const char* kSystemDir = "C:\\Windows\\System32";
constexpr const char* kDefaultDriver = "\\Drivers\\lmvnt.sys";

std::string file_name_of(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> version_file(const std::string& driver_path) {
    const std::string name = driver_path.find('/') != std::string::npos
                                 ? driver_path + kVersionSuffix
                                 : file_name_of(driver_path) + kVersionSuffix;
    return winport::FindFile(name, reinterpret_cast<const void*>(&version_file));
}

}  // namespace

std::string driver_file_path(const std::optional<std::string>& image_path) {
    if (!image_path || image_path->size() > kImagePathLimit)
        return std::string(kSystemDir) + kDefaultDriver;
    const auto colon = image_path->find(':');
    // Without a drive letter the value is the path itself.
    if (colon == std::string::npos || colon == 0) return *image_path;
    return image_path->substr(colon - 1);
}

std::optional<int> driver_file_version(const std::string& driver_path) {
    const auto file = version_file(driver_path);
    if (!file) return std::nullopt;
    std::ifstream in(*file);
    std::string text;
    if (!std::getline(in, text)) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value) || std::fabs(value) > 1e6) return std::nullopt;
    return static_cast<int>(std::lround(value * 1000.0));
}

int check_driver_version() {
    const auto key = winport::RegistryKey::Open(winport::Hive::LocalMachine, kDriverServiceKey);
    if (!key) return kRegistryMissing;
    const auto version = driver_file_version(driver_file_path(key->ReadString("ImagePath")));
    if (!version || *version < kLowestDriverVersion)
        winport::ShowMessageBox("", "WRONG LMVNT.SYS \nInstall new Version");
    return kOk;
}

}  // namespace lmv
