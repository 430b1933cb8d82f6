// Sole owner of a file descriptor: closed when the owner goes, movable, never copied.
#pragma once

#include <unistd.h>

#include <utility>

namespace winport {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    [[nodiscard]] int Get() const { return fd_; }
    [[nodiscard]] bool Valid() const { return fd_ >= 0; }
    explicit operator bool() const { return Valid(); }

    // Gives the descriptor away without closing it.
    [[nodiscard]] int Release() { return std::exchange(fd_, -1); }
    // Closes the present descriptor (if any) and takes fd.
    void Reset(int fd = -1) {
        const int old = std::exchange(fd_, fd);
        if (old >= 0) ::close(old);
    }
    // Closes now and reports the result: a delayed write error can surface only here.
    // False also when nothing was open.
    [[nodiscard]] bool Close() {
        const int old = std::exchange(fd_, -1);
        return old >= 0 && ::close(old) == 0;
    }

  private:
    int fd_ = -1;
};

}  // namespace winport
