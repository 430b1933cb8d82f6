#pragma once
// Waitable event with manual- or auto-reset semantics.
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace winport {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

class Event {
  public:
    Event(bool manualReset, bool initialState);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // True when the event was signalled within ms milliseconds (kInfinite waits forever). An
    // auto-reset event releases exactly one waiter per Set and is reset by that wait.
    bool Wait(uint32_t ms);
    bool IsSet() const;
    bool IsManualReset() const { return manual_; }

  private:
    const bool manual_;
    bool signalled_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
};

// Signals an application-created eventfd descriptor (the caller's event handle). False on a bad
// descriptor.
bool SignalEventFd(int fd);

}  // namespace winport
