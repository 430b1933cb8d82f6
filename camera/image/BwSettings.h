#pragma once
// The B/W LUT parameters (min, max, linear/gamma) with the working table built from them, their
// registry values per board and the values the B/W dialog keeps.
#include <cstdint>
#include <optional>
#include <string>

#include "camera/image/OutputLut.h"

namespace lmv {

constexpr int kBwDefaultMin = 0;
constexpr int kBwDefaultMax = 4095;
constexpr int kBwLinear = 0;
constexpr int kBwGamma = 1;
constexpr uint32_t kBwDefaultUpdateCommand = 1001;
constexpr int kBwDialogMargin = 10;  // distance from the desktop edge of a repaired position

struct bw_parameters {
    int min = kBwDefaultMin;
    int max = kBwDefaultMax;
    int lin = kBwLinear;
};

// Everything the B/W registry key holds.
struct bw_settings {
    bw_parameters lut;
    uint32_t update_command = kBwDefaultUpdateCommand;  // "Update_Comand_BW", kept for the dialog
    int xpos = 0;
    int ypos = 0;
};

// Desktop and dialog size, for checking a stored dialog position.
struct bw_dialog_geometry {
    int left, top, right, bottom;  // desktop work area
    int width, height;             // dialog
};

// "Software\\RVD\\Camera Settings\\LUT" for board 0, "Software\\RVD\\Camera Settings %d\\LUT" else.
std::string bw_registry_key(int board);

// B/W registry read: -30 when the key is missing; otherwise every missing, mistyped or out-of-range
// value is replaced by its default and the default written back ("Update_Comand_BW" is only
// defaulted). Positions are read and repaired only with a geometry. The values go to `out`.
int bw_registry_read(int board, const bw_dialog_geometry* geometry, bw_settings& out);
// B/W registry write of min, max and lin, and of the dialog position when one is given. 0, or -30
// when the key cannot be written.
int bw_registry_write(int board, const bw_parameters& p, const int* xpos = nullptr,
                      const int* ypos = nullptr);

// The library's current B/W parameters and their working table.
bw_parameters bw_current();
void bw_working_table(uint8_t table[kLutEntries]);

// While the B/W dialog window is open it takes new parameters itself: it shows them and loads
// the table. `observer` returns false when no dialog window is open. Null removes it.
using bw_dialog_observer = bool (*)(const bw_parameters& p, const uint8_t* table);
void bw_set_dialog_observer(bw_dialog_observer observer);

// SET_DIALOG_BW: min 0..4094, max 1..4095, min < max, lin 0 or 1, else -3. Stores the parameters,
// builds the working table and, without an open dialog, loads it (LOAD_OUTPUT_LUT) and writes the
// parameters to the current board's registry key (a failed write is not reported).
int bw_set_dialog(int min, int max, int lin);
// GET_DIALOG_BW; null pointers are skipped.
int bw_get_dialog(int* min, int* max, int* lin);

// Sets the current parameters without loading anything (set-up, registry read); clamped as the
// LUT build clamps.
void bw_store_parameters(const bw_parameters& p);

}  // namespace lmv
