#pragma once
// Exposures that overlap the readout: the readout words are written with a countdown, and the
// word during which an exposure starts carries the start mark (the word plus 16).
#include <cstdint>
#include <vector>

#include "camera/coc/CocContext.h"

namespace lmv {

// Start of an exposure X (second time value) that overlaps a readout of coctime µs: n counts
// the readout word that starts it (0: it starts before the readout), f is the exposure left
// before the readout.
struct coc_overlap {
    long long n = 0;
    float f = 0.0f;
};
coc_overlap coc_overlap_start(const coc_context& ctx);

// Writes the readout words with the overlapped-exposure countdown. With an active mark axis only
// the word that starts the exposure and the words after it stand on the axis. The last
// `double_words` words take two line times each (flush words that shift two rows), in the
// countdown and in the times, so the start lands on the word during which it falls.
void coc_replay_overlap(coc_context& ctx, const std::vector<uint16_t>& words, long long& n,
                        size_t double_words = 0);

// Writes the first image of a double exposure: w words of delay before the second exposure
// starts, then n line times of the second exposure counted down.
void coc_replay_double(coc_context& ctx, const std::vector<uint16_t>& words, long long& w,
                       long long& n);

}  // namespace lmv
