#include "winport/Thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace winport {
namespace {

// Nice values per priority; the thread's own nice value stands for its priority.
constexpr std::array<int, 7> kNice = {19, 10, 5, 0, -5, -10, -20};

pid_t ThisThread() {
    return static_cast<pid_t>(syscall(SYS_gettid));
}

}  // namespace

bool SetCurrentThreadPriority(ThreadPriority p) {
    return setpriority(PRIO_PROCESS, ThisThread(), kNice[static_cast<size_t>(p)]) == 0;
}

ThreadPriority GetCurrentThreadPriority() {
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, ThisThread());
    if (errno != 0) return ThreadPriority::Normal;
    for (size_t i = 0; i < kNice.size(); ++i)
        if (nice >= kNice[i]) return static_cast<ThreadPriority>(i);
    return ThreadPriority::TimeCritical;
}

ScopedThreadPriority::ScopedThreadPriority(ThreadPriority p)
    : old_(GetCurrentThreadPriority()), raised_(SetCurrentThreadPriority(p)) {}

ScopedThreadPriority::~ScopedThreadPriority() {
    if (raised_) SetCurrentThreadPriority(old_);
}

}  // namespace winport
