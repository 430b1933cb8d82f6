#include "motion/base/InstallationDirectory.h"

#include <mutex>

#include "winport/Registry.h"

namespace {

constexpr const char* kKeyPath = "Software\\ZR\\TALTranslator";
constexpr const char* kValueName = "Path";
constexpr size_t kMaxPathChars = 259;

std::mutex& DirectoryMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

// Leaked on purpose: the log may ask for it from static destructors at unload.
std::string*& KeptDirectory() {
    static std::string* dir = nullptr;
    return dir;
}

}  // namespace

std::string InstallationDirectory() {
    std::lock_guard<std::mutex> lock(DirectoryMutex());
    std::string*& kept = KeptDirectory();
    if (kept) return *kept;
    auto key = winport::RegistryKey::Open(winport::Hive::LocalMachine, kKeyPath);
    if (!key) return {};
    auto value = key->ReadString(kValueName);
    if (!value) return {};
    std::string dir = value->substr(0, kMaxPathChars);
    if (auto nul = dir.find('\0'); nul != std::string::npos) dir.resize(nul);
    kept = new std::string(dir);
    return dir;
}

void ForgetInstallationDirectory() {
    std::lock_guard<std::mutex> lock(DirectoryMutex());
    delete KeptDirectory();
    KeptDirectory() = nullptr;
}

std::string JoinNativePath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}
