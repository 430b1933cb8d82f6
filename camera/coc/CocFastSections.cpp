#include "camera/coc/CocFastSections.h"

#include <algorithm>

#include "camera/coc/CocFastWords.h"
#include "camera/coc/CocSections.h"
#include "camera/coc/CocWords.h"

namespace lmv {
namespace {

namespace w = coc_word;
namespace f = coc_fast_word;

}  // namespace

coc_fast_list coc_fast_list_of(const board_record& rec) {
    coc_fast_list list;
    list.fill(-1);
    std::copy(std::begin(rec.timevalues), std::end(rec.timevalues), list.begin());
    return list;
}

bool coc_pair_or_last(const board_record& rec, int i, coc_ns_pair& pair) {
    constexpr int kPairs = static_cast<int>(std::size(board_record{}.timevalues) / 2);
    bool found = false;
    for (int k = 0; k <= i && k < kPairs; ++k) {
        const int32_t d = rec.timevalues[2 * k];
        const int32_t x = rec.timevalues[2 * k + 1];
        if (d < 0 || x < 0) break;
        pair = coc_ns_pair{d, x};
        found = true;
    }
    return found;
}

void coc_fast_tail(coc_context& ctx, coc_time_rule rule) {
    const ccd_fast_words& fast = ccd_traits_or_unknown(ctx.rec.ccd_typ).fast;
    ctx.put_n(coc_exposure_start_word(ctx), 3);
    ctx.put_n(w::kShift2, fast.tail_shifts);
    ctx.put_n(w::kWait, fast.tail_waits);
    if (rule == coc_time_rule::counted) {
        for (int i = 0; i < fast.tail_shifts + fast.tail_waits; ++i) ctx.t.coctime += ctx.k.T;
    }
}

void coc_second_image(coc_context& ctx) {
    const int height = ctx.rec.ccd_height;
    int row = ctx.rec.roiymax;
    if (row < height) {
        const long long steps = (static_cast<long long>(height) - row + 7) / 8;
        for (long long i = 0; i < steps && !ctx.overflow(); ++i) {
            ctx.put(w::kShift8);
            ctx.put(w::kShift8Read);
        }
        row += static_cast<int>(steps * 8);
    }
    ctx.put_n(w::kWait, static_cast<long long>(height) + ctx.k.X - row);
    ctx.put(w::kExposureEnd);
    coc_fast_tail(ctx, coc_time_rule::not_counted);
}

void coc_gate_delay(coc_context& ctx, int64_t d) {
    if (d >= 2 * f::kBlockNs) {
        const int64_t blocks = (d - 2 * f::kBlockNs) / f::kBlockNs + 1;
        ctx.put_n(f::kGateDelayBlock, blocks);
        d -= blocks * f::kBlockNs;
    }
    ctx.put_n(f::kGateDelay, d / f::kUnitNs);
}

void coc_gate_block(coc_context& ctx, coc_ns_pair pair, int64_t first_ns) {
    const int64_t lead = pair.x > 0 && pair.x < first_ns ? first_ns - pair.x : 0;
    coc_gate_delay(ctx, pair.d - lead);
    ctx.put_n(f::kGateLead, lead / f::kUnitNs);
    int64_t rest = pair.x > first_ns ? pair.x - first_ns : 0;
    if (rest >= 2 * f::kBlockNs) {
        const int64_t blocks = (rest - 2 * f::kBlockNs) / f::kBlockNs + 1;
        ctx.put_n(f::kGateExposureBlock, blocks);
        rest -= blocks * f::kBlockNs;
    }
    ctx.put_n(f::kGateExposure, rest / f::kUnitNs);
    ctx.put_n(f::kGateFirst, std::min(pair.x, first_ns) / f::kUnitNs);
}

void coc_plain_start(coc_context& ctx) {
    ctx.put_n(static_cast<uint16_t>(w::kExposureStart + ctx.c), 3);
}

void coc_put_trigger_words(coc_context& ctx, const coc_trigger_words& words) {
    const uint16_t* list = nullptr;
    switch (ctx.rec.trigger & 0xFF) {
        case 0:
            list = words.low0;
            break;
        case 1:
            list = words.low1;
            break;
        case 2:
            list = words.low2;
            break;
        default:
            return;
    }
    for (int i = 0; i < 2; ++i)
        if (list[i] != 0) ctx.put(list[i]);
}

}  // namespace lmv
