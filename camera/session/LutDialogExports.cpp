// OPEN_DIALOG_BW / COL, LOCK_, CLOSE_ and STATUS_: forwarded to the LUT dialog module, which is
// loaded at the first open. Without the module (or its X11 library, or a display) an open fails
// at once with -31.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>

#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/BwSettings.h"
#include "camera/image/ColourSettings.h"
#include "camera/session/LutDialogs.h"
#include "lmvntcam.h"
#include "winport/Module.h"

namespace lmv {
namespace {

struct module_state {
    std::mutex mutex;  // loading and unloading
    std::unique_ptr<winport::Module> module;
    std::atomic<const lut_dialog_calls*> calls{nullptr};
    bool failed_logged = false;
};

module_state& loaded() {
    static module_state s;
    return s;
}

bool show_bw(const bw_parameters&, const uint8_t*) {
    const lut_dialog_calls* calls = lut_dialogs_loaded();
    return calls && calls->show_values(kLutDialogBw);
}

bool show_colour(const colour_parameters&, const uint8_t*, const uint8_t*, const uint8_t*) {
    const lut_dialog_calls* calls = lut_dialogs_loaded();
    return calls && calls->show_values(kLutDialogColour);
}

const lut_dialog_calls* bind_module(winport::Module& module) {
    auto entry = reinterpret_cast<lut_dialog_entry_fn>(module.Symbol(kLutDialogEntryName));
    if (!entry) {
        log_message(kLogErrors, "LUT dialog module %s has no %s\r\n", module.Path().c_str(),
                    kLutDialogEntryName);
        return nullptr;
    }
    const lut_dialog_calls* calls = entry(lut_dialog_host_table());
    if (!calls || calls->version != kLutDialogSeamVersion) {
        log_message(kLogErrors, "LUT dialog module %s is of another build\r\n",
                    module.Path().c_str());
        return nullptr;
    }
    return calls;
}

}  // namespace

void lut_dialogs_library_load() {
    (void)loaded();
}

const lut_dialog_calls* lut_dialogs_loaded() {
    return loaded().calls.load();
}

const lut_dialog_calls* lut_dialogs_load() {
    module_state& s = loaded();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (const lut_dialog_calls* calls = s.calls.load()) return calls;
    auto module = std::make_unique<winport::Module>(winport::Module::Load(
        kLutDialogModuleName, reinterpret_cast<const void*>(&lut_dialogs_load)));
    if (!module->IsLoaded()) {
        log_message(kLogErrors, "cannot load the LUT dialog module: %s\r\n",
                    module->LastError().c_str());
        return nullptr;
    }
    const lut_dialog_calls* calls = bind_module(*module);
    if (!calls) return nullptr;
    s.module = std::move(module);
    s.calls = calls;
    bw_set_dialog_observer(show_bw);
    colour_set_dialog_observer(show_colour);
    return calls;
}

void lut_dialogs_close_all() {
    if (const lut_dialog_calls* calls = lut_dialogs_loaded()) {
        (void)calls->close(kLutDialogBw);
        (void)calls->close(kLutDialogColour);
    }
}

void lut_dialogs_unload() {
    lut_dialogs_close_all();
    module_state& s = loaded();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.calls.load()) return;
    bw_set_dialog_observer(nullptr);
    colour_set_dialog_observer(nullptr);
    s.calls = nullptr;
    s.module.reset();  // its dialog threads have ended: nothing of it runs any more
}

}  // namespace lmv

using namespace lmv;

namespace {

int open_dialog(int kind, void* parent, int param, const char* title) {
    const lut_dialog_calls* calls = lut_dialogs_load();
    if (!calls) return kDialogError;
    return calls->open(kind, reinterpret_cast<uintptr_t>(parent), param, title);
}

int close_dialog(int kind) {
    const lut_dialog_calls* calls = lut_dialogs_loaded();
    return calls ? calls->close(kind) : kOk;
}

int lock_dialog(int kind, int lock) {
    const lut_dialog_calls* calls = lut_dialogs_loaded();
    return calls ? calls->lock(kind, lock) : kDialogError;
}

int status_dialog(int kind, int* window, int* changed) {
    int w = 0, c = 0;
    if (const lut_dialog_calls* calls = lut_dialogs_loaded()) (void)calls->status(kind, &w, &c);
    if (window) *window = w;
    if (changed) *changed = c;
    return kOk;
}

}  // namespace

extern "C" {

LMV_API int OPEN_DIALOG_BW(void* parent, int param, char* title) {
    log_message(kLogApi, "OPEN_DIALOG_BW()\r\n");
    return open_dialog(kLutDialogBw, parent, param, title);
}
LMV_API int CLOSE_DIALOG_BW(void) {
    return close_dialog(kLutDialogBw);
}
LMV_API int LOCK_DIALOG_BW(int lock) {
    return lock_dialog(kLutDialogBw, lock);
}
LMV_API int STATUS_DIALOG_BW(int* window, int* changed) {
    return status_dialog(kLutDialogBw, window, changed);
}

LMV_API int OPEN_DIALOG_COL(void* parent, int param, char* title) {
    log_message(kLogApi, "OPEN_DIALOG_COL()\r\n");
    return open_dialog(kLutDialogColour, parent, param, title);
}
LMV_API int CLOSE_DIALOG_COL(void) {
    return close_dialog(kLutDialogColour);
}
LMV_API int LOCK_DIALOG_COL(int lock) {
    return lock_dialog(kLutDialogColour, lock);
}
LMV_API int STATUS_DIALOG_COL(int* window, int* changed) {
    return status_dialog(kLutDialogColour, window, changed);
}

}  // extern "C"
