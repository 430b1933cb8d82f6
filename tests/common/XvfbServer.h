// A private X server for tests that open windows: Xvfb picks a free display itself (-displayfd),
// so test programs running side by side never race for a display number. DISPLAY is pointed at
// it while it runs; the server dies with the test program.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace zrtest {

class XvfbServer {
  public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { Stop(); }

    // Starts the server and sets DISPLAY; false when it does not come up within 30 s.
    bool Start() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            fcntl(fds[1], F_SETFD, 0);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && poll(&p, 1, 30000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty()) {
            Stop();
            return false;
        }
        display_ = ":" + number;
        setenv("DISPLAY", display_.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        return true;
    }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    const std::string& Display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace zrtest
