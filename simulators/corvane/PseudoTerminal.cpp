#include "simulators/corvane/PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace corvane_sim {

std::string PseudoTerminal::Open() {
    Close();
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        int err = errno;
        ::close(master);
        throw std::runtime_error(std::string("pseudo-terminal set-up: ") + std::strerror(err));
    }
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        int err = errno;
        ::close(master);
        throw std::runtime_error(std::string("open ") + name + ": " + std::strerror(err));
    }
    // Raw both ways: no echo of our answers, no CR/LF translation, bytes as they are.
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tcsetattr(slave, TCSANOW, &tio);
    }
    int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    m_master = master;
    m_slave = slave;
    m_slavePath = name;
    return m_slavePath;
}

void PseudoTerminal::Close() {
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

}  // namespace corvane_sim
