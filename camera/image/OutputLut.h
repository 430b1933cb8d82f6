#pragma once
// The B/W output table: 4096 bytes, one 8-bit output per 12-bit pixel value. The conversion reads
// it through a table indexed by the whole 16-bit pixel word, whose entries from 4096 on always hold
// 255, so out-of-range pixels come out white without a test per pixel.
#include <cstdint>

namespace lmv {

constexpr int kLutEntries = 4096;
constexpr int kConversionEntries = 65536;
constexpr int kLutMinLimit = 4094;  // highest minimum
constexpr int kLutMaxLimit = 4095;  // highest maximum
constexpr int kGammaLevels = 256;

// Clamped LUT parameters: min 0..4094, max 1..4095, max above min.
struct lut_range {
    int min;
    int max;
};
lut_range lut_clamp(int min, int max);

// The gamma curve: curve[k] = trunc(255 * ((k + 5)^0.45 - 5^0.45) / (260^0.45 - 5^0.45)).
const uint8_t* lut_gamma_curve();

// Builds a table from min, max and the gamma flag (0 linear, otherwise gamma) after clamping them.
// Returns the midpoint: the last index whose entry is 128, else (min + max) / 2.
int lut_build(int min, int max, int gamma, uint8_t table[kLutEntries]);

// The B/W output table as its conversion table (65536 entries). All 255 at library load.
const uint8_t* bw_conversion_table();
// Copies `table` into the first 4096 entries of the B/W output table.
void bw_store_table(const uint8_t table[kLutEntries]);
// Fills the B/W output table with 255, as at library load.
void bw_reset_table();

// LOAD_OUTPUT_LUT: stores the table and, when the current board is ready, sends it to the board
// (the board's answer is not reported). 0, or -23 for a null table.
int load_output_lut(const uint8_t* table);

}  // namespace lmv
