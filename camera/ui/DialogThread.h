#pragma once
// A dialog's thread: it owns the display connection it is given, makes the window, runs the loop
// until a close is asked for, the window is closed or the connection breaks, and always ends.
#include <X11/Xlib.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "camera/ui/DialogView.h"

namespace lmv::ui {

// Set when the window is up, or when the thread ended without one.
struct dialog_started {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    void signal();
};

void run_dialog(const lut_dialog_host* host, std::shared_ptr<dialog_shared> shared,
                std::shared_ptr<dialog_started> started, dialog_request request, Display* display);

}  // namespace lmv::ui
