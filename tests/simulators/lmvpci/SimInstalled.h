#pragma once
// The simulated board installed as a driver installation leaves it, for a set-up through the real
// SET_INIT: a registry of its own and the bit-file folder on the search path, both inside `dir`
// and both undone on destruction. The test links lmvpci.
#include <cstdlib>
#include <string>

#include "simulators/lmvpci/SimInstall.h"

namespace testing_lmvpci {

class SimInstalled {
  public:
    // `ok()` and `error()` tell how the installation went.
    explicit SimInstalled(const std::string& dir) : bits_(dir + "/bits") {
        ::setenv("WINPORT_REGISTRY_DIR", (dir + "/registry").c_str(), 1);
        const char* path = std::getenv("PATH");
        oldPath_ = path ? path : "";
        ::setenv("PATH", (bits_ + ":" + oldPath_).c_str(), 1);
        result_ = lmvpci::Install(bits_);
    }
    ~SimInstalled() {
        ::setenv("PATH", oldPath_.c_str(), 1);
        ::unsetenv("WINPORT_REGISTRY_DIR");
    }
    SimInstalled(const SimInstalled&) = delete;
    SimInstalled& operator=(const SimInstalled&) = delete;

    bool ok() const { return result_.ok; }
    const std::string& error() const { return result_.error; }
    const std::string& BitDir() const { return bits_; }

  private:
    std::string bits_;
    std::string oldPath_;
    lmvpci::InstallResult result_;
};

}  // namespace testing_lmvpci
