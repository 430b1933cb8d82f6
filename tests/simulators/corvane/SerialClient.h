// The application's end of the line: opens the simulator's port and speaks the native protocol.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class SerialClient {
  public:
    explicit SerialClient(const std::string& path) {
        m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_fd >= 0) {
            termios tio{};
            tcgetattr(m_fd, &tio);
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~SerialClient() {
        if (m_fd >= 0) ::close(m_fd);
    }
    SerialClient(const SerialClient&) = delete;
    SerialClient& operator=(const SerialClient&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    void SendRaw(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += static_cast<size_t>(n);
        }
    }
    void Select(int address) { SendRaw(std::string{'\x01', "0123456789ABCDEF"[address & 15]}); }
    void Send(const std::string& line) { SendRaw(line + "\r"); }

    // Reads up to and including the next CR LF ETX; the answer text comes back without it.
    std::optional<std::string> ReadAnswer(
        std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            size_t end = m_buffer.find("\r\n\x03");
            if (end != std::string::npos) {
                std::string answer = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 3);
                return answer;
            }
            if (!Fill(deadline)) return std::nullopt;
        }
    }

    // Everything received within the time, raw.
    std::string ReadRawFor(std::chrono::milliseconds time) {
        auto deadline = std::chrono::steady_clock::now() + time;
        while (Fill(deadline)) {
        }
        std::string out;
        out.swap(m_buffer);
        return out;
    }

    std::optional<std::string> Query(const std::string& line) {
        Send(line);
        return ReadAnswer();
    }

    // Returns false on time-out; true also at end of file (see Closed()).
    bool Fill(std::chrono::steady_clock::time_point deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) return false;
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[512];
        ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0) {
            m_closed = true;
            return false;
        }
        m_buffer.append(buffer, static_cast<size_t>(n));
        return true;
    }
    bool Closed() const { return m_closed; }

  private:
    int m_fd = -1;
    bool m_closed = false;
    std::string m_buffer;
};

// "S:1A 2B 00" -> {0x1A, 0x2B, 0}; empty when the text is not a status answer.
inline std::vector<int> ParseStatus(const std::string& answer) {
    std::vector<int> bytes;
    if (answer.rfind("S:", 0) != 0) return bytes;
    for (size_t i = 2; i + 1 < answer.size(); i += 3) {
        bytes.push_back(std::stoi(answer.substr(i, 2), nullptr, 16));
    }
    return bytes;
}
