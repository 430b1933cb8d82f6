#pragma once
// Re-entrant lock with a scoped guard.
#include <mutex>

namespace winport {

class CriticalSection {
  public:
    void Enter() { mutex_.lock(); }
    bool TryEnter() { return mutex_.try_lock(); }
    void Leave() { mutex_.unlock(); }

    // BasicLockable, so std::unique_lock and std::scoped_lock work too.
    void lock() { Enter(); }
    void unlock() { Leave(); }

  private:
    std::recursive_mutex mutex_;
};

class ScopedLock {
  public:
    explicit ScopedLock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
    ~ScopedLock() { cs_.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

  private:
    CriticalSection& cs_;
};

}  // namespace winport
