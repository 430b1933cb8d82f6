#pragma once
// Procedures of the other camera layers that board set-up, release and the power-down setting
// call. Each layer puts its own in place with one assignment when it is linked; until then the
// operation-code and acquisition entries answer -13 and the others are empty.
#include <cstdint>

#include "camera/api/board_record.h"

namespace lmv {

struct board_hooks {
    // Operation-code layer: LOAD_USER_COC on the current board; the COC reload from a record
    // (empty: SET_POWERDOWN cannot reload and answers -13).
    int (*load_user_coc)(unsigned short* table);
    int (*reload_coc)(int board, board_record& rec);

    // Acquisition layer: start (run mode) and stop (stop mode) procedures, emptying the board
    // buffer, READ_IMAGE_12BIT on the current board.
    int (*start_camera)(int board, board_record& rec, int run_mode);
    int (*stop_camera)(int board, board_record& rec, int stop_mode);
    int (*empty_board_buffer)(int board);
    int (*read_image_12bit)(int mode, int width, int height, unsigned short* buffer);

    // Image layer: the LUT maxima set before the board is opened, the linear default tables
    // (built and loaded), and the LUT settings restored from the registry for modes 2 to 8.
    void (*set_lut_maxima)(int maximum);
    int (*build_default_luts)(int board);
    int (*restore_luts)(int board);

    // Release: the LUT dialogs and the board's recorder thread and buffers.
    void (*close_lut_dialogs)();
    int (*release_recorder)(int board);

    // The board table's dialog-window slots, handed to the camera dialog module.
    void** (*dialog_window_slots)();
};

board_hooks& BoardHooks();

}  // namespace lmv
