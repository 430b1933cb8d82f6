#pragma once
// What the library and its setup dialog module hand each other. The module holds every piece of
// GUI code, so that the library itself links no GUI library; the module in turn reaches the
// library's services (log, port list) only through the host table it is given. Both are built
// from the same sources, so the structures cross as they are; the version turns away a module of
// another build.
#include "motion/comm/HexFaceSettings.h"

inline constexpr int kDialogHostVersion = 1;
// Looked for beside the library first, then on the loader path.
inline constexpr const char* kDialogModuleName = "libZR_Corvane_TAL_dialog.so";
inline constexpr const char* kDialogEntryName = "ZR_Corvane_TAL_SetupDialog";

enum dialog_log_level : int { kDialogLogDebug, kDialogLogWarn, kDialogLogError };

struct dialog_host {
    int version;
    // One finished line, written to the library log at level.
    void (*log)(int level, const char* line);
    // C_RS232::EnumerateCOMPorts and C_RS232::ResetPortCache of the library.
    int (*enumerate_ports)(char* buffer, int size);
    void (*reset_port_cache)();
    // See ComPortNames.h; port_name writes at most size bytes with the terminator.
    int (*port_number)(const char* text);
    void (*port_name)(const char* text, char* name, int size);
};

enum dialog_result : int {
    kDialogConfirmed = 1,
    kDialogDismissed = 0,    // cancelled or closed: settings unchanged
    kDialogUnavailable = -1  // no display, toolkit did not start, wrong thread, other build
};

// Shows the setup dialog on settings (changed only when the user confirms) and waits for it.
using dialog_entry_fn = int (*)(const dialog_host* host, HexFaceSettings* settings, int extended);

extern "C" int ZR_Corvane_TAL_SetupDialog(const dialog_host* host, HexFaceSettings* settings,
                                          int extended);
