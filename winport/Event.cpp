#include "winport/Event.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "winport/Clock.h"

namespace winport {

Event::Event(bool manualReset, bool initialState)
    : manual_(manualReset), signalled_(initialState) {}

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = true;
    }
    if (manual_)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
}

bool Event::Wait(uint32_t ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return signalled_; };
    if (ms == kInfinite)
        cv_.wait(lock, ready);
    else if (!cv_.wait_for(lock, std::chrono::milliseconds(RealMsForWork(ms)), ready))
        return false;
    if (!manual_) signalled_ = false;
    return true;
}

bool Event::IsSet() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return signalled_;
}

bool SignalEventFd(int fd) {
    if (fd < 0) return false;
    const uint64_t one = 1;
    for (;;) {
        ssize_t n = ::write(fd, &one, sizeof one);
        if (n == static_cast<ssize_t>(sizeof one)) return true;
        // A counter at its maximum is still signalled.
        if (n < 0 && errno == EAGAIN) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

}  // namespace winport
