#include "camera/coc/CocCountdown.h"

#include <algorithm>
#include <cmath>

#include "camera/coc/CocWords.h"

namespace lmv {

coc_overlap coc_overlap_start(const coc_context& ctx) {
    const float T = ctx.k.T;
    const float exposure = static_cast<float>(ctx.rec.timevalues[1]) * 1000.0f;
    coc_overlap start;
    if (exposure >= ctx.t.coctime) {
        start.f = exposure - ctx.t.coctime + T;
    } else {
        start.n = static_cast<long long>(std::floor((ctx.t.coctime - exposure) / T));
    }
    return start;
}

void coc_replay_overlap(coc_context& ctx, const std::vector<uint16_t>& words, long long& n,
                        size_t double_words) {
    const float T = ctx.k.T;
    const size_t first_double = words.size() - std::min(double_words, words.size());
    for (size_t i = 0; i < words.size(); ++i) {
        uint16_t word = words[i];
        const long long slots = i >= first_double ? 2 : 1;
        const float time = static_cast<float>(slots) * T;
        ctx.t.beltime += time;
        if (n > slots) {
            n -= slots;
            ctx.put_raw(word);
            continue;
        }
        if (n >= 1) {
            word = static_cast<uint16_t>(word + coc_word::kStartMarkOffset);
            ctx.t.exptime += time - ctx.k.E;
            n = 0;
        } else {
            ctx.t.exptime += time;
        }
        ctx.put(word);
    }
}

void coc_replay_double(coc_context& ctx, const std::vector<uint16_t>& words, long long& w,
                       long long& n) {
    const float T = ctx.k.T;
    for (uint16_t word : words) {
        ctx.t.beltime += T;
        if (w > 0) {
            ctx.t.deltime += T;
            --w;
        } else if (w == 0) {
            word = static_cast<uint16_t>(word + coc_word::kStartMarkOffset);
            ctx.t.exptime += T - ctx.k.E;
            ctx.t.deltime += ctx.k.E;
            w = -1;
        } else {
            ctx.t.exptime += T;
            --n;
        }
        ctx.put(word);
    }
}

}  // namespace lmv
