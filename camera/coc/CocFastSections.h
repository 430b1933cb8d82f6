#pragma once
// Sections shared by the fine-time builders: the fast tail, the second-image interlude, the gate
// block and its delay words, and the reading of the time list in nanoseconds.
#include <array>
#include <cstdint>

#include "camera/coc/CocContext.h"

namespace lmv {

// A time in ns added to a microsecond accumulator.
inline float coc_ns_to_us(int64_t ns) {
    return static_cast<float>(static_cast<double>(ns) * 0.001);
}

// The stored time values with room behind them: a builder may append a pair after the last one.
// Entries after the 400 stored values are -1.
constexpr size_t kCocFastListEntries = 410;
using coc_fast_list = std::array<int64_t, kCocFastListEntries>;
coc_fast_list coc_fast_list_of(const board_record& rec);

// A delay and an exposure in ns.
struct coc_ns_pair {
    int64_t d = 0;
    int64_t x = 0;
};

// Pair i of the time values; a pair whose delay is negative repeats the one before it. False
// when the list has no pair at all.
bool coc_pair_or_last(const board_record& rec, int i, coc_ns_pair& pair);

// Whether the time added by a section goes into coctime.
enum class coc_time_rule { counted, not_counted };

// Three exposure-start words, then the CCD type's shifts and waits.
void coc_fast_tail(coc_context& ctx, coc_time_rule rule);
// Rows below the region shifted out, 207 and the fast tail: the second image follows.
void coc_second_image(coc_context& ctx);

// Gate block: the part of a gate up to `first_ns` is written as lead and first units.
void coc_gate_block(coc_context& ctx, coc_ns_pair pair, int64_t first_ns);
// A delay as 20-us blocks (while 40 us remain) and 200-ns units.
void coc_gate_delay(coc_context& ctx, int64_t d);

// Three words 576 + c (the start words of the gated sequences, whatever the binning).
void coc_plain_start(coc_context& ctx);

// Trigger words by trigger low byte 0, 1, 2; other low bytes write none.
struct coc_trigger_words {
    uint16_t low0[2];
    uint16_t low1[2];
    uint16_t low2[2];
};
void coc_put_trigger_words(coc_context& ctx, const coc_trigger_words& words);

}  // namespace lmv
