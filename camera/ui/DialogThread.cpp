#include "camera/ui/DialogThread.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace lmv::ui {
namespace {

constexpr int kTimerMs = 500;
constexpr long kPostUpdateBit = 1;

void on_lost(Display*, void* flag) {
    *static_cast<bool*>(flag) = true;  // Xlib returns instead of ending the process
}

void post_update(dialog_view& v) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = v.request.parent;
    e.xclient.message_type = v.update_atom;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(v.update_command);
    e.xclient.data.l[1] = v.request.board;
    e.xclient.data.l[2] = static_cast<long>(v.window);
    XSendEvent(v.display, v.request.parent, False, NoEventMask, &e);
    XFlush(v.display);
}

// After each message: a pending update reaches the tables, the parent and STATUS.
void after_message(dialog_view& v) {
    if (!v.pending) return;
    paint(v);
    load_tables(v);
    if ((v.request.param & kPostUpdateBit) && v.request.parent) post_update(v);
    v.shared->changed = true;
    v.pending = false;
}

void serve_requests(dialog_view& v) {
    uint64_t count = 0;
    while (::read(v.shared->wake_fd, &count, sizeof count) > 0) {
    }
    if (v.shared->show_requested.exchange(false)) {
        XMapWindow(v.display, v.window);
        follow_parent(v);
    }
    if (v.shared->values_requested.exchange(false)) {
        take_library_values(v);
        load_tables(v);
        paint(v);
    }
}

void loop(dialog_view& v, dialog_started& started, const bool& lost) {
    pollfd fds[2] = {{ConnectionNumber(v.display), POLLIN, 0}, {v.shared->wake_fd, POLLIN, 0}};
    while (!v.shared->close_requested && !lost) {
        while (!lost && XPending(v.display) > 0) {
            XEvent e;
            XNextEvent(v.display, &e);
            if (e.type == MapNotify && e.xmap.window == v.window && !v.shared->window) {
                v.shared->window = v.window;
                follow_parent(v);
                started.signal();
            }
            handle_event(v, e);
            after_message(v);
        }
        if (lost || v.shared->close_requested) break;
        XFlush(v.display);
        if (::poll(fds, 2, kTimerMs) < 0 && errno != EINTR) break;
        if (fds[0].revents & (POLLHUP | POLLERR)) break;
        serve_requests(v);
    }
}

}  // namespace

void dialog_started::signal() {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    cv.notify_all();
}

void run_dialog(const lut_dialog_host* host, std::shared_ptr<dialog_shared> shared,
                std::shared_ptr<dialog_started> started, dialog_request request, Display* display) {
    shared->thread_id = static_cast<int>(::syscall(SYS_gettid));
    bool lost = false;
    XSetIOErrorExitHandler(display, on_lost, &lost);
    dialog_view v;
    v.host = host;
    v.shared = shared.get();
    v.request = std::move(request);
    v.layout = v.colour() ? &colour_layout() : &bw_layout();
    v.display = display;
    if (create_window(v)) loop(v, *started, lost);
    if (!lost)
        destroy_window(v);
    else
        save_settings(v, false);
    shared->window = 0;
    shared->ended = true;
    started->signal();
    XCloseDisplay(display);
}

}  // namespace lmv::ui
