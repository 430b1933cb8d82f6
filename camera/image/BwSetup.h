#pragma once
// The B/W output table at board set-up: the linear defaults, and the settings restored from the
// board's registry key, built when a board is set up.
namespace lmv {

// Default parameters (0, 4095, linear); the table is built, kept and sent to the board when its
// device is open. 0, or the board's answer to the table.
int bw_build_default(int board);
// Reads the board's B/W registry values (the key is created and filled with the defaults when
// missing, bad values are repaired), then builds, keeps and sends the table as above. 0, -30 when
// the key can be neither read nor created, or the board's answer to the table.
int bw_restore(int board);

// The highest value the LUT dialogs offer for min and max (set to 4096 before a board is set up).
void bw_set_lut_maximum(int maximum);
int bw_lut_maximum();

}  // namespace lmv
