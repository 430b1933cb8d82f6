// Controllers connected through the exported functions of the built library, as an application
// connects them, to simulated chains on pseudo-terminals.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ZR_Corvane_TAL.h"
#include "simulators/corvane/CorvaneSim.h"
#include "simulators/corvane/SimConfig.h"

using namespace std::chrono_literals;

namespace apitest {

constexpr int kBaud = 57600;

// Two boards: an R-220 at address 0 and an R-210 at address 1.
inline const char* kTwoBoards =
    "[board 0]\n"
    "type = R-220\n"
    "[board 1]\n"
    "type = R-210\n";

inline const char* kOneServo =
    "[board 0]\n"
    "type = R-220\n";

// A port name must not outlive its terminal: the system gives the same path to the next one, and
// two names for one device would leave one of them without it.
inline void PointPort(int com, const std::string& path) {
    ::setenv(("WINPORT_COM" + std::to_string(com)).c_str(), path.c_str(), 1);
}
inline void ForgetPort(int com) {
    ::unsetenv(("WINPORT_COM" + std::to_string(com)).c_str());
}

// Reads what has arrived at a pseudo-terminal master, waiting up to timeout for the first byte.
inline std::string Drain(int master, std::chrono::milliseconds timeout) {
    std::string text;
    pollfd p{master, POLLIN, 0};
    int wait = static_cast<int>(timeout.count());
    while (::poll(&p, 1, wait) == 1 && (p.revents & POLLIN)) {
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
        wait = 100;
    }
    return text;
}

// A port where nobody answers: the scan of address 0 finds no board. What the library wrote is
// left on the line for the caller.
struct SilentPort {
    int master = -1;
    int slave = -1;
    std::string path;
    int com;
    explicit SilentPort(int n) : com(n) {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            path = name;
            PointPort(com, path);
        }
    }
    ~SilentPort() {
        ForgetPort(com);
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
    }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;
};

class ApiFixture : public ::testing::Test {
  protected:
    void TearDown() override {
        for (int id : m_ids) Corvane_CloseConnection(id);
        for (auto& [com, sim] : sims) ForgetPort(com);
        sims.clear();
        Corvane_SetMaxNrOfControllers(16);
        Corvane_CheckFeaturesByControllerVersion(1);
    }

    // Starts a chain on COM<com>.
    corvane_sim::CorvaneSim& StartChain(int com, const std::string& configText) {
        corvane_sim::SimConfig config;
        config.ParseText(configText, "test");
        config.Finish();
        auto sim = std::make_unique<corvane_sim::CorvaneSim>(config);
        PointPort(com, sim->Start());
        corvane_sim::CorvaneSim& s = *sim;
        sims[com] = std::move(sim);
        return s;
    }
    // Connects to COM<com>, scanning the first scanCount addresses; the ID is closed at the end.
    int Connect(int com, int scanCount) {
        Corvane_SetMaxNrOfControllers(scanCount);
        const int id = Corvane_ConnectRS232(com, kBaud);
        if (id >= 0) m_ids.push_back(id);
        return id;
    }
    void Close(int id) {
        Corvane_CloseConnection(id);
        m_ids.erase(std::remove(m_ids.begin(), m_ids.end(), id), m_ids.end());
    }

    std::map<int, std::unique_ptr<corvane_sim::CorvaneSim>> sims;

  private:
    std::vector<int> m_ids;
};

// A buffer filled with a marker, to see that a failed query leaves it alone.
struct MarkedBuffer {
    std::vector<char> bytes;
    explicit MarkedBuffer(size_t size) : bytes(size + 16, '#') {}
    char* data() { return bytes.data(); }
    bool Untouched() const {
        return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '#'; });
    }
    std::string Text() const { return std::string(bytes.data()); }
    // Only the first n bytes were written.
    bool WrittenOnly(size_t n) const {
        return std::all_of(bytes.begin() + static_cast<long>(n), bytes.end(),
                           [](char c) { return c == '#'; });
    }
};

}  // namespace apitest
