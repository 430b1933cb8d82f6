#pragma once
// The colour LUT parameters (minimum and maximum per channel, one linear/gamma flag) with the
// working tables built from them, their registry values under the board's LUT key, the values the
// colour dialog keeps, and the colour tables at board set-up.
#include <cstdint>

#include "camera/image/BwSettings.h"
#include "camera/image/ColourTables.h"

namespace lmv {

constexpr uint32_t kColourDefaultUpdateCommand = 1002;
constexpr int kBg39NotInstalled = 0;
constexpr int kBg39Installed = 1;

struct colour_parameters {
    int red_min = kBwDefaultMin;
    int red_max = kBwDefaultMax;
    int green_min = kBwDefaultMin;
    int green_max = kBwDefaultMax;
    int blue_min = kBwDefaultMin;
    int blue_max = kBwDefaultMax;
    int lin = kBwLinear;
};

// Everything the colour values of the LUT key hold.
struct colour_settings {
    colour_parameters lut;
    int bg39_installed = kBg39NotInstalled;                 // "LutBG39 installed"
    uint32_t update_command = kColourDefaultUpdateCommand;  // "Update_Comand_Color"
    int xpos = 0;
    int ypos = 0;
};

// Colour registry read: -30 when the key is missing; otherwise every missing, mistyped or invalid
// value, "Update_Comand_Color" included, is replaced by its default and the default written back.
// Positions are read and repaired only with a geometry.
int colour_registry_read(int board, const bw_dialog_geometry* geometry, colour_settings& out);
// Colour registry write of the seven parameters and "LutBG39 installed", and of the dialog
// position when one is given. 0, or -30 when the key cannot be written.
int colour_registry_write(int board, const colour_parameters& p, int bg39_installed,
                          const int* xpos = nullptr, const int* ypos = nullptr);

// The library's current colour parameters, "LutBG39 installed" and the working tables.
colour_parameters colour_current();
int colour_bg39_installed();
void colour_working_tables(uint8_t red[kLutEntries], uint8_t green[kLutEntries],
                           uint8_t blue[kLutEntries]);

// While the colour dialog window is open it takes new parameters itself: it shows them and loads
// the tables. `observer` returns false when no dialog window is open. Null removes it.
using colour_dialog_observer = bool (*)(const colour_parameters& p, const uint8_t* red,
                                        const uint8_t* green, const uint8_t* blue);
void colour_set_dialog_observer(colour_dialog_observer observer);

// SET_DIALOG_COL: every min 0..4094, every max 1..4095 above its min, lin 0 or 1, else -3.
// Stores the parameters, builds the working tables and, without an open dialog, loads them
// (LOAD_COLOR_LUT) and writes the parameters to the current board's registry key (a failed
// write is not reported).
int colour_set_dialog(const colour_parameters& p);
// GET_DIALOG_COL; null pointers are skipped.
int colour_get_dialog(int* red_min, int* red_max, int* green_min, int* green_max, int* blue_min,
                      int* blue_max, int* lin);

// The colour dialog's change: stores the parameters (clamped as the LUT build clamps) and
// "LutBG39 installed" and builds the working tables, copied to red, green and blue; loads nothing.
void colour_store_parameters(const colour_parameters& p, int bg39_installed, uint8_t* red,
                             uint8_t* green, uint8_t* blue);

// Board set-up: the linear defaults over 0..4095 built and loaded, the pseudo-colour tables
// loaded with the grey ramp.
void colour_build_default();
// Board set-up with registry values: reads the board's colour values (the key is created and
// filled with the defaults when missing, bad values are repaired), then builds and loads the
// tables. 0, or -30 when the key can be neither read nor created.
int colour_restore(int board);

}  // namespace lmv
