#pragma once
// Opening a board: the driver device (reset when already open), the board identification and
// the FPGA load from the board type's bit file.
#include <cstdint>

namespace lmv {

struct board_identity {
    int32_t board_type = 0;     // low byte 1, 2 or 3; 0x100 or 0x200 added by register 6 bit 2
    int32_t board_version = 0;  // two hexadecimal digits of the identification
};

// The board type from the identification text's fifth byte: 'C' 3, 'L' 2, other 1.
int board_type_of_letter(uint8_t letter);
// The version of the identification text's bytes 5 and 6 (a non-digit counts 0).
int32_t board_version_of_digits(uint8_t high, uint8_t low);

// 0, or -11, -4, -2, -12, -6, -23 and other driver errors.
int init_board(int board, board_identity& identity);

}  // namespace lmv
