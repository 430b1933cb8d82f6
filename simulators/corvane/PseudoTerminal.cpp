#include "simulators/corvane/PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace corvane_sim {

std::string PseudoTerminal::Open() {
    Close();
    winport::UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master) throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
    char name[128] = {};
    if (grantpt(master.Get()) != 0 || unlockpt(master.Get()) != 0 ||
        ptsname_r(master.Get(), name, sizeof name) != 0) {
        int err = errno;
        throw std::runtime_error(std::string("pseudo-terminal set-up: ") + std::strerror(err));
    }
    winport::UniqueFd slave(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave) {
        int err = errno;
        throw std::runtime_error(std::string("open ") + name + ": " + std::strerror(err));
    }
    // Raw both ways: no echo of our answers, no CR/LF translation, bytes as they are.
    termios tio{};
    if (tcgetattr(slave.Get(), &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tcsetattr(slave.Get(), TCSANOW, &tio);
    }
    int flags = fcntl(master.Get(), F_GETFL);
    fcntl(master.Get(), F_SETFL, flags | O_NONBLOCK);
    m_master = std::move(master);
    m_slave = std::move(slave);
    m_slavePath = name;
    return m_slavePath;
}

void PseudoTerminal::Close() {
    m_slave.Reset();
    m_master.Reset();
}

}  // namespace corvane_sim
