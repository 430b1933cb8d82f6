#include "camera/acquire/EventFd.h"

#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace lmv {
namespace {

constexpr char kEventFdLink[] = "anon_inode:[eventfd]";
constexpr int kMaxDrains = 64;  // a semaphore-mode eventfd gives one count per read

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

}  // namespace

bool is_event_fd(int fd) {
    if (fd < 0) return false;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    char link[64] = {};
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    return n > 0 && std::string(link, static_cast<size_t>(n)) == kEventFdLink;
}

void reset_event_fd(int fd) {
    for (int i = 0; i < kMaxDrains && readable(fd); ++i) {
        uint64_t count = 0;
        if (::read(fd, &count, sizeof count) != static_cast<ssize_t>(sizeof count)) return;
    }
}

}  // namespace lmv
