#pragma once
// Test surroundings of the simulated board: a private folder for its lock files and trace, and
// no LMVSIM_* settings left over from elsewhere.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace testing_lmvpci {

class SimEnvironment {
  public:
    SimEnvironment() {
        ClearSettings();
        char pattern[] = "/tmp/lmvpci-test-XXXXXX";
        dir_ = ::mkdtemp(pattern) ? pattern : "/tmp";
        ::setenv("LMVSIM_LOCK_DIR", dir_.c_str(), 1);
        ::setenv("LMVSIM_TRACE", TracePath().c_str(), 1);
    }
    ~SimEnvironment() {
        ClearSettings();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    SimEnvironment(const SimEnvironment&) = delete;
    SimEnvironment& operator=(const SimEnvironment&) = delete;

    const std::string& Dir() const { return dir_; }
    std::string TracePath() const { return dir_ + "/trace.txt"; }

    std::vector<std::string> TraceLines() const {
        std::vector<std::string> lines;
        std::ifstream in(TracePath());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    void ClearTrace() const { std::filesystem::remove(TracePath()); }

  private:
    static void ClearSettings() {
        std::vector<std::string> names;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            if (entry.rfind("LMVSIM_", 0) == 0) names.push_back(entry.substr(0, entry.find('=')));
        }
        for (const auto& n : names) ::unsetenv(n.c_str());
    }

    std::string dir_;
};

}  // namespace testing_lmvpci
