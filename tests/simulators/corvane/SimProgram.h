#pragma once
// The corvane-sim program started by a test: the port line it writes into its port file, and
// waiting for it to end.
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace simprogram {

using namespace std::chrono_literals;

// The first line of the file; empty while it does not exist.
inline std::string ReadFileLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The port line the program writes into its port file, once it is there; empty after timeout.
inline std::string WaitForPortLine(const std::string& portFile, std::chrono::milliseconds timeout) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (line.empty() && std::chrono::steady_clock::now() < deadline) {
        line = ReadFileLine(portFile);
        if (line.empty()) std::this_thread::sleep_for(20ms);
    }
    return line;
}

inline bool WaitForExit(pid_t pid, int& status, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

}  // namespace simprogram
