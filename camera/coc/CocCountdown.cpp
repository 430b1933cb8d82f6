#include "camera/coc/CocCountdown.h"

#include <algorithm>
#include <cmath>

#include "camera/coc/CocWords.h"

namespace lmv {
namespace {

// Words from `from` on, on the mark axis when it is active.
void put_unchanged(coc_context& ctx, const std::vector<uint16_t>& words, size_t from) {
    if (from >= words.size()) return;
    if (!ctx.marks.active) {
        ctx.put_words(words.data() + from, words.size() - from);
        return;
    }
    for (size_t j = from; j < words.size(); ++j) ctx.put(words[j]);
}

}  // namespace

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
    const size_t total = words.size();
    const size_t first_double = total - std::min(double_words, total);
    auto slots_of = [first_double](size_t i) -> long long { return i >= first_double ? 2 : 1; };
    // Words before the one that starts the exposure go in unchanged.
    size_t i = 0;
    long long before = 0;
    for (; i < total && n > slots_of(i); ++i) {
        n -= slots_of(i);
        before += slots_of(i);
    }
    ctx.put_words(words.data(), i);
    ctx.add_slots(ctx.t.beltime, before);
    if (i == total) return;
    long long after = 0;
    for (size_t j = i; j < total; ++j) after += slots_of(j);
    ctx.add_slots(ctx.t.beltime, after);
    ctx.add_slots(ctx.t.exptime, after);
    uint16_t word = words[i];
    if (n >= 1) {
        word = static_cast<uint16_t>(word + coc_word::kStartMarkOffset);
        ctx.t.exptime -= ctx.k.E;
        n = 0;
    }
    ctx.put(word);
    put_unchanged(ctx, words, i + 1);
}

void coc_replay_double(coc_context& ctx, const std::vector<uint16_t>& words, long long& w,
                       long long& n) {
    const long long total = static_cast<long long>(words.size());
    ctx.add_slots(ctx.t.beltime, total);
    const long long delay = std::clamp(w, 0LL, total);
    ctx.add_slots(ctx.t.deltime, delay);
    ctx.put_words(words.data(), static_cast<size_t>(delay));
    w -= delay;
    if (delay == total) return;
    size_t i = static_cast<size_t>(delay);
    if (w == 0) {
        ctx.put(static_cast<uint16_t>(words[i] + coc_word::kStartMarkOffset));
        ctx.t.exptime += ctx.k.T - ctx.k.E;
        ctx.t.deltime += ctx.k.E;
        w = -1;
        ++i;
    }
    const long long exposed = total - static_cast<long long>(i);
    ctx.add_slots(ctx.t.exptime, exposed);
    n -= exposed;
    put_unchanged(ctx, words, i);
}

}  // namespace lmv
