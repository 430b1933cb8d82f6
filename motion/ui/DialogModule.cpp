#include "motion/ui/DialogModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "motion/base/ZRLog.h"
#include "motion/comm/ComPortNames.h"
#include "motion/comm/RS232.h"
#include "winport/Module.h"

namespace {

constexpr log4cpp::Priority::Value kPriorities[] = {
    log4cpp::Priority::DEBUG,  // kDialogLogDebug
    log4cpp::Priority::WARN,   // kDialogLogWarn
    log4cpp::Priority::ERROR,  // kDialogLogError
};

void HostLog(int level, const char* line) {
    const bool known = level >= 0 && level < static_cast<int>(std::size(kPriorities));
    ZR_LOG(known ? kPriorities[level] : log4cpp::Priority::ERROR, "%s", line ? line : "");
}

void HostPortName(const char* text, char* name, int size) {
    if (!name || size <= 0) return;
    std::snprintf(name, static_cast<size_t>(size), "%s",
                  PortNameFromText(text ? text : "").c_str());
}

int HostPortNumber(const char* text) {
    return PortNumberFromText(text ? text : "");
}

const dialog_host kHost = {kDialogHostVersion,      HostLog,        C_RS232::EnumerateCOMPorts,
                           C_RS232::ResetPortCache, HostPortNumber, HostPortName};

struct module_state {
    std::mutex lock;
    // Never unloaded: the GUI libraries it brings cannot be unloaded safely.
    winport::Module* module = nullptr;
    dialog_entry_fn entry = nullptr;
    dialog_entry_fn linked = nullptr;
};

module_state& State() {
    static module_state state;
    return state;
}

// The toolkit the module starts runs in a thread that calls back into the library until the
// process ends, so the library must stay loaded from then on.
void KeepLibraryLoaded() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&KeepLibraryLoaded), &info) || !info.dli_fname) return;
    if (void* self = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE))
        (void)self;  // the extra reference is the point: it is never given back
}

// Loads the module once; a failed load is tried again at the next dialog (the module may have
// been installed since).
dialog_entry_fn Entry(module_state& s) {
    if (s.linked) return s.linked;
    if (s.entry) return s.entry;
    winport::Module module =
        winport::Module::Load(kDialogModuleName, reinterpret_cast<const void*>(&Entry));
    if (!module.IsLoaded()) {
        ZR_LOG_ERROR("setupRS232Dlg() DIALOG_MODULE_NOT_FOUND: %s (%s)", kDialogModuleName,
                     module.LastError().c_str());
        return nullptr;
    }
    auto entry = reinterpret_cast<dialog_entry_fn>(module.Symbol(kDialogEntryName));
    if (!entry) {
        ZR_LOG_ERROR("setupRS232Dlg() DIALOG_MODULE_INVALID: %s has no %s", module.Path().c_str(),
                     kDialogEntryName);
        return nullptr;
    }
    ZR_LOG_DEBUG("setupRS232Dlg() dialog module %s loaded", module.Path().c_str());
    KeepLibraryLoaded();
    s.module = new winport::Module(std::move(module));
    s.entry = entry;
    return entry;
}

}  // namespace

const dialog_host& LibraryDialogHost() {
    return kHost;
}

void UseLinkedDialog(dialog_entry_fn entry) {
    std::lock_guard<std::mutex> guard(State().lock);
    State().linked = entry;
}

int RunSetupDialog(HexFaceSettings& settings, bool extended) {
    dialog_entry_fn entry;
    {
        std::lock_guard<std::mutex> guard(State().lock);
        entry = Entry(State());
    }
    if (!entry) return kDialogUnavailable;
    const int result = entry(&kHost, &settings, extended ? 1 : 0);
    if (result == kDialogUnavailable) ZR_LOG_DEBUG("setupRS232Dlg() the dialog could not be shown");
    return result;
}
