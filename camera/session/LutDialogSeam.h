#pragma once
// What the library and its LUT dialog module hand each other. The module holds every piece of X11
// code, so that the library itself links no GUI library; it reaches the library's tables, LUT
// parameters and registry values only through the host table it is given and resolves nothing in
// the library by name (the library may be loaded with RTLD_LOCAL). Both are built from the same
// sources, so the structures cross as they are; the version turns away a module of another build.
#include <cstdint>

#include "camera/image/BwSettings.h"
#include "camera/image/ColourSettings.h"

namespace lmv {

inline constexpr uint32_t kLutDialogSeamVersion = 1;
// Looked for as liblmvlutdlg.so beside the library first, then on the loader path.
inline constexpr const char* kLutDialogModuleName = "lmvlutdlg";
inline constexpr const char* kLutDialogEntryName = "lmv_lut_dialog_calls";

enum lut_dialog_kind : int { kLutDialogBw = 0, kLutDialogColour = 1 };
inline constexpr int kLutDialogKinds = 2;

// The library's side. Every call may come from any dialog thread.
struct lut_dialog_host {
    uint32_t version;
    // One finished line for the message log (errors level).
    void (*log)(const char* line);
    int (*current_board)();
    // B/W parameters: read; store with the table built from them (copied to `table`).
    void (*bw_read)(bw_parameters* p);
    void (*bw_store)(const bw_parameters* p, uint8_t* table);
    int (*load_output_lut)(const uint8_t* table);
    int (*bw_registry_read)(int board, const bw_dialog_geometry* g, bw_settings* out);
    int (*bw_registry_write)(int board, const bw_parameters* p, const int* x, const int* y);
    // Colour parameters and "LutBG39 installed": read; store with the three tables built.
    void (*colour_read)(colour_parameters* p, int* bg39);
    void (*colour_store)(const colour_parameters* p, int bg39, uint8_t* red, uint8_t* green,
                         uint8_t* blue);
    int (*load_color_lut)(const uint8_t* red, const uint8_t* green, const uint8_t* blue);
    int (*colour_registry_read)(int board, const bw_dialog_geometry* g, colour_settings* out);
    int (*colour_registry_write)(int board, const colour_parameters* p, int bg39, const int* x,
                                 const int* y);
    // One REG_DWORD under the board's LUT key: 0 when read (or written), -30 otherwise.
    int (*lut_value_read)(int board, const char* name, uint32_t* value);
    int (*lut_value_write)(int board, const char* name, uint32_t value);
};

// The module's side, by dialog kind. Results are the exports' results.
struct lut_dialog_calls {
    uint32_t version;
    int (*open)(int kind, uintptr_t parent, int param, const char* title);
    int (*close)(int kind);
    int (*lock)(int kind, int lock);
    int (*status)(int kind, int* window, int* changed);
    // New parameters from a program: true when an open dialog shows them and loads the tables.
    bool (*show_values)(int kind);
};

// The module's one export: its calls for this host, or null for a host of another version.
using lut_dialog_entry_fn = const lut_dialog_calls* (*)(const lut_dialog_host* host);

}  // namespace lmv
