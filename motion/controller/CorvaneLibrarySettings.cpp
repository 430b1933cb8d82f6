#include "motion/controller/CorvaneLibrarySettings.h"

#include <mutex>

#include "winport/Process.h"

std::atomic<int> m_iMaxNumberOfAxesForControllerSearch{16};
std::atomic<int> checkFeaturesByVersion{1};

namespace {
std::mutex g_hostMutex;
bool g_hostSet = false;
std::string g_hostDirectory;
}  // namespace

std::string CorvaneHostDirectory() {
    std::lock_guard<std::mutex> lock(g_hostMutex);
    return g_hostSet ? g_hostDirectory : winport::ExecutableDir();
}

void SetCorvaneHostDirectory(const std::string& directory) {
    std::lock_guard<std::mutex> lock(g_hostMutex);
    g_hostDirectory = directory;
    g_hostSet = true;
}
