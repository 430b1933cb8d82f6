#include "motion/ui/DisplayProbe.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kRemoteAnswerMs = 3000;
constexpr int kX11BasePort = 6000;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

class Socket {
  public:
    explicit Socket(int family) : m_fd(socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (m_fd >= 0) close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

  private:
    int m_fd;
};

bool ConnectsLocally(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    Socket s(AF_UNIX);
    return s.fd() >= 0 &&
           connect(s.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

bool WaylandAnswers(std::string* why) {
    std::string name = Env("WAYLAND_DISPLAY");
    if (name.empty()) return false;
    std::string path = name[0] == '/' ? name : Env("XDG_RUNTIME_DIR") + "/" + name;
    if (ConnectsLocally(path)) return true;
    *why = "WAYLAND_DISPLAY \"" + name + "\" does not answer";
    return false;
}

// A connect that gives up after timeoutMs, so an unreachable host cannot hold the caller.
bool ConnectsWithin(const addrinfo& ai, int timeoutMs) {
    Socket s(ai.ai_family);
    if (s.fd() < 0) return false;
    int flags = fcntl(s.fd(), F_GETFL);
    fcntl(s.fd(), F_SETFL, flags | O_NONBLOCK);
    if (connect(s.fd(), ai.ai_addr, ai.ai_addrlen) == 0) return true;
    if (errno != EINPROGRESS) return false;
    pollfd p{s.fd(), POLLOUT, 0};
    if (poll(&p, 1, timeoutMs) != 1) return false;
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

// "host:N.S" with a host other than "unix" is a TCP display; its server must at least accept a
// connection before Xlib, which would wait for minutes, is let near it.
bool RemoteX11Reachable(const std::string& display) {
    std::string address = display;
    size_t slash = address.find('/');
    if (slash != std::string::npos) address = address.substr(slash + 1);
    size_t colon = address.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = address.substr(0, colon);
    if (host.empty() || host == "unix") return true;
    int number = std::atoi(address.c_str() + colon + 1);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(kX11BasePort + number).c_str(), &hints, &found))
        return false;
    bool reachable = false;
    for (addrinfo* ai = found; ai && !reachable; ai = ai->ai_next)
        reachable = ConnectsWithin(*ai, kRemoteAnswerMs);
    freeaddrinfo(found);
    return reachable;
}

}  // namespace

using OpenFn = void* (*)(const char*);
using CloseFn = int (*)(void*);

CDisplayProbe::~CDisplayProbe() {
    if (m_connection) {
        if (auto closeDisplay = reinterpret_cast<CloseFn>(dlsym(m_xlib, "XCloseDisplay")))
            closeDisplay(m_connection);
    }
    if (m_xlib) dlclose(m_xlib);
}

// Xlib is taken from the process (the toolkit depends on it) rather than linked for this check.
bool CDisplayProbe::X11Answers(std::string* why) {
    std::string display = Env("DISPLAY");
    if (display.empty()) return false;
    if (RemoteX11Reachable(display)) {
        if (!m_xlib) m_xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        auto open = m_xlib ? reinterpret_cast<OpenFn>(dlsym(m_xlib, "XOpenDisplay")) : nullptr;
        if (open && !m_connection) m_connection = open(display.c_str());
        if (m_connection) return true;
    }
    *why = "DISPLAY \"" + display + "\" does not answer";
    return false;
}

bool CDisplayProbe::Check(std::string* why) {
    std::string reason;
    if (WaylandAnswers(&reason) || X11Answers(&reason)) return true;
    if (reason.empty()) reason = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    if (why) *why = reason;
    return false;
}
