#include "winport/SerialPort.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "winport/Clock.h"
#include "winport/SerialTermios.h"

namespace winport {

namespace {

bool HungUp(short revents) {
    return (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Error numbers by which a descriptor tells that its device is gone.
bool GoneErrno(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

bool NoSuchFunction(int err) {
    return err == ENOTTY || err == EINVAL || err == ENOSYS;
}

}  // namespace

const char* SerialStatusName(SerialStatus status) {
    switch (status) {
        case SerialStatus::Ok:
            return "Ok";
        case SerialStatus::NotFound:
            return "NotFound";
        case SerialStatus::Busy:
            return "Busy";
        case SerialStatus::Failed:
            return "Failed";
        case SerialStatus::Timeout:
            return "Timeout";
        case SerialStatus::Vanished:
            return "Vanished";
        case SerialStatus::Unsupported:
            return "Unsupported";
    }
    return "?";
}

SerialPort::SerialPort() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SerialPort::~SerialPort() {
    Close();
    if (wakeFd_ >= 0) close(wakeFd_);
}

SerialStatus SerialPort::Fail(int err) {
    errno_ = err;
    if (GoneErrno(err)) return SerialStatus::Vanished;
    return SerialStatus::Failed;
}

SerialStatus SerialPort::Open(const std::string& devicePath) {
    Close();
    path_ = devicePath;
    int fd = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        errno_ = errno;
        if (errno_ == ENOENT || errno_ == ENODEV || errno_ == ENXIO || errno_ == ENOTDIR)
            return SerialStatus::NotFound;
        if (errno_ == EBUSY) return SerialStatus::Busy;
        return SerialStatus::Failed;
    }
    // The lock comes before any change of the line, so a second opener never disturbs the first.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        errno_ = errno;
        close(fd);
        return errno_ == EWOULDBLOCK ? SerialStatus::Busy : SerialStatus::Failed;
    }
    ioctl(fd, TIOCEXCL);  // refused by non-terminals; the lock above still holds
    fd_ = fd;
    line_ = FindLineTraffic(devicePath);
    frameErrors_ = 0;
    serial_icounter_struct counters{};
    if (ioctl(fd_, TIOCGICOUNT, &counters) == 0) frameErrors_ = counters.frame;
    errno_ = 0;
    return SerialStatus::Ok;
}

void SerialPort::Close() {
    if (fd_ < 0) return;
    close(fd_);
    fd_ = -1;
    line_.reset();
}

SerialStatus SerialPort::SetLineSettings(const SerialLineSettings& settings) {
    if (fd_ < 0) return Fail(EBADF);
    int err = ApplyTermiosLine(fd_, settings);
    return err ? Fail(err) : SerialStatus::Ok;
}

SerialStatus SerialPort::GetLineSettings(SerialLineSettings& settings) {
    if (fd_ < 0) return Fail(EBADF);
    int err = ReadTermiosLine(fd_, settings);
    return err ? Fail(err) : SerialStatus::Ok;
}

SerialStatus SerialPort::ModemLine(int bit, bool on) {
    if (fd_ < 0) return Fail(EBADF);
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0) return SerialStatus::Ok;
    errno_ = errno;
    if (NoSuchFunction(errno_)) return SerialStatus::Unsupported;
    return Fail(errno_);
}

SerialStatus SerialPort::SetDtr(bool on) {
    return ModemLine(TIOCM_DTR, on);
}
SerialStatus SerialPort::SetRts(bool on) {
    return ModemLine(TIOCM_RTS, on);
}

SerialStatus SerialPort::Purge() {
    if (fd_ < 0) return Fail(EBADF);
    const auto flush = [this] { return tcflush(fd_, TCIOFLUSH); };
    const int rc = line_ ? line_->PortDiscards(LineTraffic::Discard::Both, flush) : flush();
    if (rc != 0) return Fail(errno);
    return SerialStatus::Ok;
}

SerialStatus SerialPort::PurgeInput() {
    if (fd_ < 0) return Fail(EBADF);
    const auto flush = [this] { return tcflush(fd_, TCIFLUSH); };
    const int rc = line_ ? line_->PortDiscards(LineTraffic::Discard::Input, flush) : flush();
    if (rc != 0) return Fail(errno);
    return SerialStatus::Ok;
}

SerialStatus SerialPort::BytesWaiting(size_t& count, bool* framingError) {
    count = 0;
    if (framingError) *framingError = false;
    if (fd_ < 0) return Fail(EBADF);
    int waiting = 0;
    if (ioctl(fd_, FIONREAD, &waiting) != 0) return Fail(errno);
    count = waiting > 0 ? static_cast<size_t>(waiting) : 0;
    serial_icounter_struct counters{};
    if (ioctl(fd_, TIOCGICOUNT, &counters) == 0) {
        uint32_t frames = static_cast<uint32_t>(counters.frame);
        if (framingError) *framingError = frames != frameErrors_;
        frameErrors_ = frames;
    }
    if (count == 0 && CheckPresent() == SerialStatus::Vanished) return SerialStatus::Vanished;
    return SerialStatus::Ok;
}

SerialStatus SerialPort::Read(void* data, size_t size, size_t& got) {
    got = 0;
    if (fd_ < 0) return Fail(EBADF);
    if (size == 0) return SerialStatus::Ok;
    while (true) {
        ssize_t n = read(fd_, data, size);
        if (n > 0) {
            got = static_cast<size_t>(n);
            if (line_) line_->PortRead(got);
            return SerialStatus::Ok;
        }
        // Raw mode without minimum count also gives 0 when nothing is there; a hung-up terminal
        // gives 0 for good.
        if (n == 0) return CheckPresent();
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return SerialStatus::Ok;
        return Fail(errno);
    }
}

int SerialPort::PollMs(uint32_t start, uint32_t ms) {
    ClockSource& clock = CurrentClock();
    const uint32_t spent = TicksSince(start);
    if (spent < ms) return static_cast<int>(clock.RealMs(ms - spent));
    if (clock.Scale() == 1) return kWaitOver;
    // A faster clock: over once its full time has passed in real terms, or earlier when the
    // stand-in on the line vouches that nothing can arrive by the deadline.
    if (uint64_t{spent} >= uint64_t{ms} * clock.Scale()) return kWaitOver;
    const uint64_t deadlineUs = clock.NowUs() - uint64_t{spent - ms} * 1000u;
    if (line_ && line_->QuietUntil(deadlineUs)) return kWaitOver;
    return kRecheckMs;
}

bool SerialPort::WaitIsOver(uint32_t start, uint32_t ms) {
    return PollMs(start, ms) == kWaitOver;
}

SerialStatus SerialPort::WaitReadable(uint32_t ms) {
    return WaitReadableSince(TickCount(), ms);
}

SerialStatus SerialPort::WaitReadableSince(uint32_t start, uint32_t ms) {
    if (fd_ < 0) return Fail(EBADF);
    while (true) {
        const int left = PollMs(start, ms);
        if (left == kWaitOver) return SerialStatus::Timeout;
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        int n = poll(fds, wakeFd_ >= 0 ? 2 : 1, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        if (n == 0) continue;  // the time is checked above
        if (wakeFd_ >= 0 && (fds[1].revents & POLLIN)) {
            uint64_t drained;
            [[maybe_unused]] ssize_t r = read(wakeFd_, &drained, sizeof drained);
            return SerialStatus::Timeout;
        }
        if (HungUp(fds[0].revents)) return Fail(EIO);  // the hang-up discarded any input
        if (fds[0].revents & POLLIN) return SerialStatus::Ok;
    }
}

SerialStatus SerialPort::Write(const void* data, size_t size, uint32_t ms, size_t& written) {
    written = 0;
    if (fd_ < 0) return Fail(EBADF);
    const char* p = static_cast<const char*>(data);
    // Real time even on a faster clock: a full line is never a delay to shorten.
    const uint64_t start = RealNowMs();
    while (written < size) {
        ssize_t n = write(fd_, p + written, size - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            if (line_) line_->PortWrote(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Fail(errno);
        const uint64_t spent = RealNowMs() - start;
        if (spent >= ms) return SerialStatus::Timeout;
        pollfd fds{fd_, POLLOUT, 0};
        int r = poll(&fds, 1, static_cast<int>(ms - spent));
        if (r < 0 && errno != EINTR) return Fail(errno);
        if (r > 0 && HungUp(fds.revents)) return Fail(EIO);
    }
    return SerialStatus::Ok;
}

SerialStatus SerialPort::CheckPresent() {
    if (fd_ < 0) return Fail(EBADF);
    pollfd fds{fd_, 0, 0};
    int n;
    do {
        n = poll(&fds, 1, 0);
    } while (n < 0 && errno == EINTR);
    if (n > 0 && HungUp(fds.revents)) return Fail(EIO);
    return SerialStatus::Ok;
}

void SerialPort::Wake() {
    if (wakeFd_ < 0) return;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t r = write(wakeFd_, &one, sizeof one);
}

}  // namespace winport
