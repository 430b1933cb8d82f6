#include "camera/coc/CocExposureList.h"

#include <algorithm>
#include <vector>

#include "camera/coc/CocFastSections.h"
#include "camera/coc/CocFastWords.h"

namespace lmv {

const coc_exposure_list_form kExposureListFast{200, 2, 1000, 400, 1000, 5, 10, 4, 5};
const coc_exposure_list_form kExposureList912{100, 5, 2000, 400, 3000, 15, 20, 14, 15};

namespace {

namespace f = coc_fast_word;

constexpr int64_t kFiftyNs = 50;
constexpr int32_t kFiftyExpMinBelow = 100;
constexpr int64_t kFiftyMinDelay = 100;
constexpr size_t kMaxPairs = 100;
constexpr int64_t kUnitsPerBlock = f::kBlockNs / f::kHalfUnitNs;  // 100-ns units in a block

struct list_pair {
    int64_t d;
    int64_t x;
    bool fifty;
};

struct list_walk {
    coc_fast_list v;
    bool fifty_allowed;

    bool fifty(int64_t x) const { return fifty_allowed && x == kFiftyNs; }
    bool is_end(size_t p) const {
        return 2 * p + 1 >= v.size() || v[2 * p] < 0 || v[2 * p + 1] < 0;
    }
    void remove(size_t p) {
        std::copy(v.begin() + static_cast<long>(2 * p + 2), v.end(),
                  v.begin() + static_cast<long>(2 * p));
        v[v.size() - 2] = v[v.size() - 1] = -1;
    }
    // The 50-ns exposure needs 100 ns of delay before and after it; at the end of the list a
    // closing pair (100, 0) gives it the delay after.
    bool fifty_rule(size_t p) {
        if (!fifty(v[2 * p + 1])) return true;
        if (v[2 * p] < kFiftyMinDelay) return false;
        if (is_end(p + 1) && 2 * p + 4 < v.size()) {
            v[2 * p + 2] = kFiftyMinDelay;
            v[2 * p + 3] = 0;
            v[2 * p + 4] = -1;
        }
        return !is_end(p + 1) && v[2 * p + 2] >= kFiftyMinDelay;
    }
};

// Delays of exposure-less pairs move to the next pair; exposures without a delay join the one
// before them.
int compact(list_walk& walk, int max_steps) {
    size_t p = 0;
    for (int step = 0; step < max_steps && !walk.is_end(p); ++step) {
        if (!walk.fifty_rule(p)) return kWrongParameter;
        int64_t& d = walk.v[2 * p];
        const int64_t x = walk.v[2 * p + 1];
        if (d != 0) {
            if (x == 0 && !walk.is_end(p + 1)) {
                walk.v[2 * p + 2] += d;
                d = 0;
            }
            ++p;
        } else if (p == 0 || walk.fifty(walk.v[2 * p - 1])) {
            ++p;
        } else {
            walk.v[2 * p - 1] += x;
            walk.remove(p);
        }
    }
    return kOk;
}

struct list_writer {
    coc_context& ctx;
    const coc_exposure_list_form& form;
    int64_t owed = 0;

    void delay(list_pair& p) {
        ctx.put_n(f::kDelayBlock, p.d / f::kBlockNs);
        const int64_t u = (p.d / f::kHalfUnitNs) % kUnitsPerBlock;
        const int64_t h = u / 2;
        const bool odd = u % 2 != 0;
        if (p.x > 0 && p.x < form.short_exposure) {
            ctx.put_n(f::kDelayUnit, std::max<int64_t>(h - form.near_delay_units, 0));
            ctx.put_n(f::kDelayUnitNear, std::min(h, form.near_delay_units));
            if (odd) ctx.put(p.fifty ? f::kFiftyStart : f::kOddDelayShort);
        } else {
            ctx.put_n(f::kDelayUnit, h);
            if (odd && p.x > 0) ctx.put(f::kOddDelayLong);
        }
        if (odd && p.x > 0) p.x = p.fifty ? 0 : p.x - f::kHalfUnitNs;
    }

    // Returns whether the exposure ends on an odd 100 ns.
    bool exposure(const list_pair& p) {
        int64_t blocks = p.x / f::kBlockNs;
        const int64_t v = (p.x / f::kHalfUnitNs) % kUnitsPerBlock;
        int64_t h = p.fifty ? 0 : v / 2;
        const bool odd = p.fifty || v % 2 != 0;
        if (h < form.borrow_below && blocks > 0) {
            --blocks;
            h += kUnitsPerBlock / 2;
        }
        if (h > form.owed_above && owed > 0) {
            ctx.put_n(f::kExposureUnitLast, owed);
            h -= owed;
        }
        ctx.put_n(f::kExposureBlock, blocks);
        ctx.put_n(f::kExposureUnit, std::max<int64_t>(h - form.last_units, 0));
        ctx.put_n(f::kExposureUnitLast, std::min(h, form.last_units));
        return odd;
    }

    void close_last(const list_pair& p, bool odd) {
        const bool after = p.x > 0 || owed > 0;
        if (odd) ctx.put(p.fifty ? f::kFiftyEnd : f::kOddExposure);
        if ((odd && p.fifty) || after) ctx.put_n(f::kDelayUnitNear, 2);
    }

    // The delay after an exposure starts with two near-units; what is missing of them is owed.
    void close_next(const list_pair& p, bool odd, list_pair& next) {
        if (odd) {
            ctx.put(p.fifty ? f::kFiftyEnd : f::kOddExposure);
            next.d -= f::kHalfUnitNs;
        }
        owed = 2;
        for (int i = 0; i < 2 && next.d > f::kHalfUnitNs; ++i) {
            ctx.put(f::kDelayUnitNear);
            next.d -= f::kUnitNs;
            --owed;
        }
        if (next.d != f::kHalfUnitNs) return;
        if (next.x > 0) {
            ctx.put(next.fifty ? f::kFiftyStart : f::kOddDelayShort);
            next.x = next.fifty ? 0 : next.x - f::kHalfUnitNs;
            next.d = 0;
        } else if (next.x == 0) {
            ctx.put(f::kDelayUnitNear);
            next.d = 0;
        }
    }
};

bool is_empty(const list_pair& p) {
    return p.d == 0 && p.x == 0;
}

int write_pairs(coc_context& ctx, const coc_exposure_list_form& form,
                std::vector<list_pair>& pairs) {
    size_t i = 0;
    while (i < pairs.size() && is_empty(pairs[i])) ++i;
    const bool short_first =
        i < pairs.size() && pairs[i].x < form.opening_short_x && pairs[i].d < form.opening_short_d;
    ctx.put(f::kExposureProgram);
    ctx.put_n(short_first ? f::kDelayUnitNear : f::kDelayUnit, form.opening_words);
    list_writer out{ctx, form};
    while (i < pairs.size()) {
        list_pair& p = pairs[i];
        out.delay(p);
        if (int rc = ctx.check(kCocFastLimitWords)) return rc;
        const bool odd = out.exposure(p);
        size_t j = i + 1;
        while (j < pairs.size() && is_empty(pairs[j])) ++j;
        if (j == pairs.size()) {
            out.close_last(p, odd);
        } else {
            out.close_next(p, odd, pairs[j]);
        }
        if (int rc = ctx.check(kCocFastLimitWords)) return rc;
        i = j;
    }
    return kOk;
}

}  // namespace

int coc_exposure_list(coc_context& ctx, const coc_exposure_list_form& form) {
    list_walk walk{coc_fast_list_of(ctx.rec), ctx.rec.exp_min < kFiftyExpMinBelow};
    if (int rc = compact(walk, form.max_steps)) return rc;

    std::vector<list_pair> pairs;
    int64_t exposures = 0, delays = 0;
    for (size_t p = 0; pairs.size() < kMaxPairs && !walk.is_end(p); ++p) {
        const int64_t d = walk.v[2 * p], x = walk.v[2 * p + 1];
        pairs.push_back(list_pair{d, x, walk.fifty(x)});
        exposures += x;
        delays += d;
    }
    if (exposures < ctx.rec.exp_min || delays < 0) return kWrongParameter;
    ctx.t.beltime += coc_ns_to_us(exposures + delays);
    ctx.t.exptime += coc_ns_to_us(exposures);
    ctx.t.deltime += coc_ns_to_us(delays);

    const int rc = write_pairs(ctx, form, pairs);
    ctx.put_n(f::kDelayUnit, 5);
    ctx.put_n(f::kProgramEnd, 2);
    return rc;
}

}  // namespace lmv
