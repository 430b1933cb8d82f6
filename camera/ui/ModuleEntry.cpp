// The module's one export: the calls of the two dialogs, one slot each. Every call that ends a
// dialog waits for its thread, so nothing of a dialog runs after CLOSE or at unload.
#include <X11/Xlib.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "camera/api/ResultCodes.h"
#include "camera/ui/DialogThread.h"

namespace lmv::ui {
namespace {

// Up to 250 ms before the wait and 5000 ms of it.
constexpr auto kStartWait = std::chrono::milliseconds(5250);
constexpr rlim_t kNiceZero = 20;  // RLIMIT_NICE that lets a thread return to nice 0

struct dialog_slot {
    std::mutex mutex;
    std::thread thread;
    std::shared_ptr<dialog_shared> shared;
};

const lut_dialog_host* g_host = nullptr;
dialog_slot g_slots[kLutDialogKinds];
XErrorHandler g_previous_handler = nullptr;

void log_line(const char* format, int value = 0) {
    char line[160];
    std::snprintf(line, sizeof line, format, value);
    if (g_host) g_host->log(line);
}

// A window of the application that vanished must not end the process.
int on_x_error(Display*, XErrorEvent* e) {
    log_line("LUT dialog: X error %d ignored", e->error_code);
    return 0;
}

// Set when the module's statics go at process exit; a call after that finds no dialog.
std::atomic<bool> g_module_gone{false};

dialog_slot* slot_of(int kind) {
    if (g_module_gone) return nullptr;
    return kind == kLutDialogBw || kind == kLutDialogColour ? &g_slots[kind] : nullptr;
}

bool is_up(const dialog_slot& s) {
    return s.shared && s.shared->window.load() != 0 && !s.shared->ended;
}

// Asks the thread to end and waits for it.
void end_thread(dialog_slot& s) {
    if (s.shared) {
        s.shared->locked = false;
        s.shared->close_requested = true;
        s.shared->wake();
    }
    if (s.thread.joinable()) s.thread.join();
    if (s.shared && s.shared->wake_fd >= 0) ::close(s.shared->wake_fd);
    s.shared.reset();
}

dialog_request make_request(int kind, uintptr_t parent, int param, const char* title) {
    dialog_request r;
    r.kind = kind;
    r.board = g_host->current_board();
    r.parent = parent;
    r.param = param;
    if (title) {
        r.title = title;
    } else {
        char text[48];
        std::snprintf(text, sizeof text, kind == kLutDialogBw ? "B&W-Dialog %d" : "Color-Dialog %d",
                      r.board);
        r.title = text;
    }
    return r;
}

int start_thread(dialog_slot& s, dialog_request request, Display* display) {
    auto shared = std::make_shared<dialog_shared>();
    shared->wake_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (shared->wake_fd < 0) {
        log_line("LUT dialog: no eventfd");
        XCloseDisplay(display);
        return kDialogError;
    }
    auto started = std::make_shared<dialog_started>();
    try {
        s.thread = std::thread(run_dialog, g_host, shared, started, std::move(request), display);
    } catch (const std::system_error&) {
        log_line("LUT dialog: the dialog thread does not start");
        ::close(shared->wake_fd);
        XCloseDisplay(display);
        return kDialogError;
    }
    s.shared = shared;
    std::unique_lock<std::mutex> lock(started->mutex);
    const bool done = started->cv.wait_for(lock, kStartWait, [&] { return started->done; });
    lock.unlock();
    if (done && shared->window.load() != 0) return kOk;
    log_line("LUT dialog: the window is not up");
    end_thread(s);
    return done ? kDialogError : kTimeout;
}

int open_dialog(int kind, uintptr_t parent, int param, const char* title) {
    dialog_slot* s = slot_of(kind);
    if (!s) return kWrongParameter;
    std::lock_guard<std::mutex> lock(s->mutex);
    if (is_up(*s)) {
        s->shared->show_requested = true;
        s->shared->wake();
        return kOk;
    }
    end_thread(*s);  // an old dialog thread
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        log_line("LUT dialog: no X display");
        return kDialogError;
    }
    return start_thread(*s, make_request(kind, parent, param, title), display);
}

int close_dialog(int kind) {
    dialog_slot* s = slot_of(kind);
    if (!s) return kWrongParameter;
    std::lock_guard<std::mutex> lock(s->mutex);
    end_thread(*s);
    return kOk;
}

// Idle priority while locked, only where it can be left again without privileges.
void set_idle(int thread_id, bool idle) {
    rlimit nice{};
    const bool reversible =
        ::geteuid() == 0 || (::getrlimit(RLIMIT_NICE, &nice) == 0 && nice.rlim_cur >= kNiceZero);
    if (idle && !reversible) {
        log_line("LUT dialog: idle priority left out, it could not be undone");
        return;
    }
    sched_param p{};
    if (::sched_setscheduler(thread_id, idle ? SCHED_IDLE : SCHED_OTHER, &p) != 0)
        log_line("LUT dialog: thread priority not changed (errno %d)", errno);
}

int lock_dialog(int kind, int lock_flag) {
    dialog_slot* s = slot_of(kind);
    if (!s) return kWrongParameter;
    std::lock_guard<std::mutex> lock(s->mutex);
    if (!is_up(*s)) return kDialogError;
    const bool locked = lock_flag != 0;
    if (s->shared->locked.exchange(locked) != locked) set_idle(s->shared->thread_id, locked);
    return kOk;
}

int status_dialog(int kind, int* window, int* changed) {
    dialog_slot* s = slot_of(kind);
    if (!s) return kWrongParameter;
    std::lock_guard<std::mutex> lock(s->mutex);
    const bool up = is_up(*s);
    if (window) *window = up ? static_cast<int>(s->shared->window.load()) : 0;
    const bool was_changed = s->shared && s->shared->changed.exchange(false);
    if (changed) *changed = was_changed ? 1 : 0;
    return kOk;
}

bool show_values(int kind) {
    dialog_slot* s = slot_of(kind);
    if (!s) return false;
    std::lock_guard<std::mutex> lock(s->mutex);
    if (!is_up(*s)) return false;
    s->shared->values_requested = true;
    s->shared->wake();
    return true;
}

const lut_dialog_calls kCalls = {kLutDialogSeamVersion, open_dialog,   close_dialog,
                                 lock_dialog,           status_dialog, show_values};

// Leaves the process's X error handling as it was when the module goes.
struct module_lifetime {
    ~module_lifetime() {
        g_module_gone = true;
        for (dialog_slot& s : g_slots) {
            std::lock_guard<std::mutex> lock(s.mutex);
            end_thread(s);
        }
        if (g_previous_handler) {
            XErrorHandler current = XSetErrorHandler(g_previous_handler);
            if (current != on_x_error) XSetErrorHandler(current);
        }
    }
} g_lifetime;

}  // namespace

void dialog_shared::wake() const {
    const uint64_t one = 1;
    if (wake_fd >= 0) (void)!::write(wake_fd, &one, sizeof one);
}

}  // namespace lmv::ui

extern "C" __attribute__((visibility("default"))) const lmv::lut_dialog_calls* lmv_lut_dialog_calls(
    const lmv::lut_dialog_host* host) {
    using namespace lmv::ui;
    if (!host || host->version != lmv::kLutDialogSeamVersion) return nullptr;
    if (!g_host) {
        XInitThreads();
        g_previous_handler = XSetErrorHandler(on_x_error);
    }
    g_host = host;
    return &kCalls;
}
