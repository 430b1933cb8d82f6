#pragma once
// The colour output tables (red, green, blue: 4096 bytes each, one 8-bit output per 12-bit
// value) and the pseudo-colour tables (red, green, blue: 256 bytes each, indexed by the 8-bit
// output of the B/W table). Like the B/W table, each colour table lives inside a conversion table
// of 65536 entries whose entries from 4096 on hold 255, so any 16-bit pixel word converts safely.
#include <cstdint>

#include "camera/image/OutputLut.h"

namespace lmv {

constexpr int kPseudoEntries = 256;

enum colour_channel : int { kRed = 0, kGreen = 1, kBlue = 2, kColourChannels = 3 };

// The conversion table of one channel (65536 entries).
const uint8_t* colour_conversion_table(colour_channel channel);
// The pseudo-colour table of one channel (256 entries).
const uint8_t* pseudo_colour_table(colour_channel channel);

// LOAD_COLOR_LUT: copies 4096 entries per channel; nothing goes to the board. 0, -23 for a null
// table (nothing is changed then).
int colour_load_tables(const uint8_t* red, const uint8_t* green, const uint8_t* blue);
// LOAD_PSEUDO_COLOR_LUT: copies 256 entries per channel. 0, -23 for a null table.
int pseudo_colour_load_tables(const uint8_t* red, const uint8_t* green, const uint8_t* blue);

// The grey ramp (k, k, k) that the pseudo-colour tables get at board set-up.
void pseudo_colour_load_grey_ramp();

// All six tables filled with 255, as at library load.
void colour_reset_tables();

}  // namespace lmv
