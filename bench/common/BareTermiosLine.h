#pragma once
// The baseline of the serial benchmarks: one exchange with nothing but termios, poll and read.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace bench {

class BareTermiosLine {
  public:
    explicit BareTermiosLine(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) return;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, B57600);
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~BareTermiosLine() {
        if (fd_ >= 0) close(fd_);
    }
    BareTermiosLine(const BareTermiosLine&) = delete;
    BareTermiosLine& operator=(const BareTermiosLine&) = delete;

    bool Write(const std::string& out) {
        return fd_ >= 0 && write(fd_, out.data(), out.size()) == static_cast<ssize_t>(out.size());
    }
    // Writes out, then reads until the answer ends in CR LF ETX (5 s at most).
    bool Exchange(const std::string& out, std::string& in) {
        if (!Write(out)) return false;
        in.clear();
        char buf[128];
        while (in.size() < 3 || in.compare(in.size() - 3, 3, "\r\n\x03") != 0) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0) return false;
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n > 0) in.append(buf, static_cast<size_t>(n));
        }
        return true;
    }

  private:
    int fd_ = -1;
};

}  // namespace bench
