// The program's own tcflush is the one the shared library's calls reach (it is exported from the
// program); it notes the queue selector and passes each call on to the C library.
#include "tests/motion/api/TransportWatch.h"

#include <dlfcn.h>
#include <termios.h>

#include <atomic>

namespace {
std::atomic<int> g_outputPurges{0};
}  // namespace

extern "C" __attribute__((visibility("default"))) int tcflush(int fd, int queue) {
    using Real = int (*)(int, int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "tcflush"));
    if (queue == TCOFLUSH || queue == TCIOFLUSH) ++g_outputPurges;
    return real ? real(fd, queue) : -1;
}

int OutputPurges() {
    return g_outputPurges;
}
