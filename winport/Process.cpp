#include "winport/Process.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace winport {
namespace {

std::string DirName(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string CurrentDir() {
    std::vector<char> buf(4096);
    return ::getcwd(buf.data(), buf.size()) ? std::string(buf.data()) : std::string(".");
}

}  // namespace

std::string ExecutablePath() {
    std::vector<char> buf(4096);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::string ExecutableDir() {
    std::string exe = ExecutablePath();
    return exe.empty() ? std::string() : DirName(exe);
}

std::string ModuleDirOf(const void* address) {
    Dl_info info{};
    if (address && ::dladdr(address, &info) && info.dli_fname && info.dli_fname[0] == '/')
        return DirName(info.dli_fname);
    return ExecutableDir();
}

std::optional<std::string> FindFile(const std::string& name, const void* moduleAddress) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos)
        return IsRegularFile(name) ? std::optional<std::string>(name) : std::nullopt;

    std::vector<std::string> dirs = {ExecutableDir(), CurrentDir()};
    if (moduleAddress) dirs.push_back(ModuleDirOf(moduleAddress));
    if (const char* path = std::getenv("PATH")) {
        std::string p(path);
        size_t start = 0;
        while (start <= p.size()) {
            size_t colon = p.find(':', start);
            if (colon == std::string::npos) colon = p.size();
            if (colon > start) dirs.push_back(p.substr(start, colon - start));
            start = colon + 1;
        }
    }
    for (const auto& dir : dirs) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + name;
        if (IsRegularFile(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace winport
