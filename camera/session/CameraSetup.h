#pragma once
// The camera set-up of an opened board: temperature checks, camera identification through the
// set-up programs and a first picture (the operation-code and acquisition layers at work).
namespace lmv {

inline constexpr unsigned kLogSetupError = 3;  // errors and initialisation

// 0; 120 when no camera answers; -1 for a failed temperature check or no picture; -8 for an
// unrecognised camera; -23 without a record; else the failing step's code.
int setup_board(int board);

}  // namespace lmv
