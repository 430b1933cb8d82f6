// Watches the queue selector of tcflush calls without changing them: the program's own definition
// is the one the transport's calls reach, and it passes each call on to the C library.
#include "tests/motion/controller/TransportProbe.h"

#include <dlfcn.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "motion/comm/DeviceFunctions.h"

namespace {
std::atomic<bool> g_outputPurged{false};
}  // namespace

extern "C" int tcflush(int fd, int queue) {
    using Real = int (*)(int, int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "tcflush"));
    if (queue == TCOFLUSH || queue == TCIOFLUSH) g_outputPurged = true;
    return real ? real(fd, queue) : -1;
}

bool TransportClearPurgesOutput() {
    int master = -1, slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;
    ::setenv("WINPORT_COM250", name, 1);
    RS232Settings settings;
    settings.port = 250;
    const int id = connect_rs232(settings);
    bool purged = false;
    if (id >= 0) {
        g_outputPurged = false;
        (void)IFclearComm(id);
        purged = g_outputPurged;
        IFcloseInterface(id);
    }
    ::unsetenv("WINPORT_COM250");
    ::close(slave);
    ::close(master);
    return purged;
}
