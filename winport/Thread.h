#pragma once
// Thread priority, best effort: an unprivileged process may be refused a raise.

namespace winport {

enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };

// Sets the calling thread's priority; false when the system refused it (nothing else changes).
bool SetCurrentThreadPriority(ThreadPriority p);
ThreadPriority GetCurrentThreadPriority();

// Raises the calling thread for the lifetime of the object and restores the old priority after.
class ScopedThreadPriority {
  public:
    explicit ScopedThreadPriority(ThreadPriority p);
    ~ScopedThreadPriority();
    ScopedThreadPriority(const ScopedThreadPriority&) = delete;
    ScopedThreadPriority& operator=(const ScopedThreadPriority&) = delete;
    bool Raised() const { return raised_; }

  private:
    ThreadPriority old_;
    bool raised_;
};

}  // namespace winport
