#pragma once
// Test support: the far end of a pseudo-terminal, played by the test itself.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

namespace zrtest {

class PtyPeer {
  public:
    PtyPeer() {
        char name[128] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
        path_ = name;
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPeer() {
        HangUp();
        if (slave_ >= 0) close(slave_);
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& path() const { return path_; }
    int slave() const { return slave_; }
    int master() const { return master_; }

    void Write(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return;
            else
                poll(nullptr, 0, 1);
        }
    }

    // Reads until `enough` says the text is complete or ms milliseconds passed.
    std::string ReadUntil(const std::function<bool(const std::string&)>& enough, int ms = 5000) {
        std::string got;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!enough(got)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
            if (left <= 0) break;
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            char buf[256];
            ssize_t n = read(master_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, static_cast<size_t>(n));
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                break;
        }
        return got;
    }
    std::string ReadBytes(size_t count, int ms = 5000) {
        return ReadUntil([count](const std::string& s) { return s.size() >= count; }, ms);
    }
    // Everything that arrives within ms milliseconds.
    std::string Drain(int ms) {
        return ReadUntil([](const std::string&) { return false; }, ms);
    }

    // Closes the master side: the port hangs up.
    void HangUp() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }
    // Closes the test's own slave descriptor, so only the port under test holds the terminal.
    void CloseSlave() {
        if (slave_ >= 0) close(slave_);
        slave_ = -1;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Waits for a condition with a generous bound.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        usleep(2000);
    }
    return true;
}

}  // namespace zrtest
