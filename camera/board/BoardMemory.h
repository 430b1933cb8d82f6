#pragma once
// The board memory test: the board writes its test pattern (each 16-bit word holds the low 16
// bits of its index) into the board buffer, which is read back twice.
namespace lmv {

inline constexpr int kBoardMemoryWords = 4194304;  // 8 MB of 16-bit words
inline constexpr int kSetupMemoryWords = kBoardMemoryWords;

// 0; -1 below board state 0; -13 for a board type without board memory; -3 for a word count
// below 1 or beyond the board memory; -23 without memory; -2 when the pattern does not arrive
// within the image time limit; -34 when the second read finds a wrong value; a read error as it is.
int check_board_memory(int board, int words);

}  // namespace lmv
