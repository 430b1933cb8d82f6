#pragma once
// Sections of the general long-exposure table, shared by the builders of every camera class:
// trigger header, exposure section, pre-readout, readout and flush.
#include <cstdint>

#include "camera/coc/CocContext.h"

namespace lmv {

// A time value in ms as microseconds.
inline float coc_ms(int32_t value) {
    return static_cast<float>(value) * 1000.0f;
}

// Exposure-start word by hbin (1, 2, 4, 8) plus the option base; other hbin values use that of 1.
uint16_t coc_exposure_start_word(const coc_context& ctx);
// What makes a trigger value external besides a low byte of 1. The two readings agree for
// 0..65535 and part above it and for negative values: the general flush and the arm command
// read the flags byte (bits 8-15) whatever the higher bits hold; the flush of the CCD types
// 9-12 and 21/22 asks for the whole value in 256..511.
enum class coc_arm_rule { flags_byte, whole_value };

// The camera waits for an external trigger: trigger low byte 1, or the rule's second test.
bool coc_external_trigger(int32_t trigger, coc_arm_rule rule);
// 2497 when the camera waits for an external trigger, else 2241.
uint16_t coc_arm_word(int32_t trigger, coc_arm_rule rule);

void coc_trigger_header(coc_context& ctx);

// The table that switches the camera options: three start words, 40 ms of waiting, ten reads.
void coc_option_program(coc_context& ctx);

// An exposure in line-time blocks o and single slots r, and whether the CCD is powered down
// (then o and r exclude the last powerdown_lo slots, which run powered up).
struct coc_exposure_slots {
    long long o = 0;
    long long r = 0;
    bool power_down = false;
};

// Splits an exposure of f microseconds; power-down when o and r exceed powerdown_hi - margin.
coc_exposure_slots coc_split_exposure(const coc_context& ctx, float f, int margin,
                                      bool allow_power_down);

// Writes the exposure (normal: start words, o blocks, r slots; power-down: o and r powered down,
// start words, powerdown_lo slots, as 449 blocks or as single 193 words). The three power-down
// start words that precede it are the caller's. Returns the exposure time written, in µs.
float coc_write_exposure(coc_context& ctx, const coc_exposure_slots& slots, bool tail_blocks);

struct coc_exposure_form {
    bool round_delay = true;    // delay slots rounded half up, else truncated
    int power_down_margin = 2;  // power-down when the slots exceed powerdown_hi - margin
    bool tail_blocks = true;    // power-down tail with 449 blocks, else single 193 words
    bool power_down = true;     // false: the exposure always runs powered up
};

// Delay and exposure from the first two time values (ms): 209, delay, 209, exposure, 207, with
// the delay, exposure and exposure-with-marks times.
void coc_exposure_section(coc_context& ctx, const coc_exposure_form& form);
// The exposure of the first two time values in µs with the start and end corrections.
float coc_exposure_us(const coc_context& ctx);

void coc_pre_readout(coc_context& ctx);

// Row skip over roiymin rows; the double-exposure form skips 10 rows with 197, 194.
enum class coc_skip_form { general, double_exposure };
void coc_row_skip(coc_context& ctx, coc_skip_form form);
// Read words of one read line for vbin, written for every read line of the region.
void coc_read_lines(coc_context& ctx);
// Row skip and read lines.
void coc_readout(coc_context& ctx);

// Flush rows from first_row: 198, 198, 198, 194 per 50 rows below ccd_height, then one 194 per
// two rows up to ccd_height + X.
void coc_flush_rows(coc_context& ctx, int first_row);
// 201, 201, 193, 193 (201, 193 on the short-flush CCDs) and the flush rows below the region.
// lead_per_word: the lead words add T each instead of their fixed total.
void coc_flush_words(coc_context& ctx, bool lead_per_word = false);
// Flush words, arm word and its 3 T.
void coc_flush(coc_context& ctx);

}  // namespace lmv
