#pragma once
// The B/W and colour LUT dialogs as the library sees them: a module of their own, loaded at the
// first OPEN_DIALOG_BW or OPEN_DIALOG_COL and kept until the library unloads.
#include "camera/session/LutDialogSeam.h"

namespace lmv {

// The module's calls, loading it first when needed; null (with a log line) when the module, its
// X11 library or its entry point is missing or of another build.
const lut_dialog_calls* lut_dialogs_load();
// The module's calls when it is loaded, else null.
const lut_dialog_calls* lut_dialogs_loaded();
// The host table handed to the module.
const lut_dialog_host* lut_dialog_host_table();

// Library load: makes the loader's state, so that it outlives the library's unload object.
void lut_dialogs_library_load();

// Closes both dialogs (each waits for its dialog thread to end); nothing to do before the module
// is loaded. SET_INIT(0) and library unload.
void lut_dialogs_close_all();
// Closes both dialogs and unloads the module: library unload.
void lut_dialogs_unload();

}  // namespace lmv
