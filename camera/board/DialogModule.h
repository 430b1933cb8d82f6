#pragma once
// The camera dialog module: an outside module (LMV_xxx) chosen by SET_INIT mode, CCD type and
// camera type, that provides the camera dialogs and their registry settings. Its entry points are
// looked up by name at every use; a missing one is answered with -13.
//
// "INIT_DIALOG_CAM" receives the parameter block: 19 pointer-sized words (32-bit words in a 32-bit
// build) giving the module the library's services and the camera's limits. Every service the
// library does not export is null; word 14 is null until the board table hands out its
// dialog-window slots.
#include <array>
#include <cstdint>
#include <string>

#include "camera/api/board_record.h"

namespace lmv {

inline constexpr size_t kParameterBlockWords = 19;
using parameter_block = std::array<intptr_t, kParameterBlockWords>;

enum parameter_word : size_t {
    kWordGetImageSize = 0,
    kWordGetStatus = 1,
    kWordSetCoc = 2,
    kWordStatusDialogBw = 3,
    kWordStatusDialogCol = 4,
    kWordGetCocTime = 5,
    kWordGetBelTime = 6,
    kWordSetBoard = 7,
    kWordGetBoard = 8,
    kWordAutoRange = 9,
    kWordExpMax = 10,
    kWordExpMin = 11,
    kWordBoard = 12,
    kWordDelayMax = 13,
    kWordDialogWindows = 14,
    kWordGainIndex = 15,
    kWordInitMode = 16,
    kWordCcdTyp = 17,
    kWordTestCoc = 18,
};

// The module for SET_INIT `mode` (2 to 8): 0 and its name, -8 when the camera is refused, -3.
int select_init_module(int mode, const board_record& rec, std::string* name);
// The module that OPEN_DIALOG_CAM loads when the board has none: 0 and its name, or -3.
int select_open_module(const board_record& rec, std::string* name);

// Loads the module for the board: 0, or -27 after the warning "Cannot load Library <name>.DLL".
int load_dialog_module(int board, const std::string& name);
// Calls "END_DIALOG_CAM" (when the module has it) and unloads the board's module.
void release_dialog_module(int board);

// The board's parameter block, filled from its record; it stays valid until the next fill.
const parameter_block& fill_parameter_block(int board, const board_record& rec, int32_t init_word);
// "INIT_DIALOG_CAM" with the parameter block: its result, or -13.
int init_dialog_module(int board, const board_record& rec, int32_t init_word);

// The entry point of the board's module, or null.
void* dialog_entry(int board, const char* name);
template <typename Fn>
Fn dialog_entry_as(int board, const char* name) {
    return reinterpret_cast<Fn>(dialog_entry(board, name));
}

}  // namespace lmv
