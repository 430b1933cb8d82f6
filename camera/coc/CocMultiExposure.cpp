#include "camera/coc/CocMultiExposure.h"

#include <algorithm>
#include <vector>

#include "camera/coc/CocFastSections.h"
#include "camera/coc/CocFastWords.h"

namespace lmv {

const coc_multi_header kMultiHeaderFast{2754, 3010};
const coc_multi_header kMultiHeader912{2753, 3009};

namespace {

namespace f = coc_fast_word;

constexpr size_t kMaxGroups = 50;
constexpr size_t kGroupExposureLimitWords = 220000;  // 440000 bytes
constexpr int64_t kShortExposure = 1000;
constexpr int64_t kLongDelay = 300;
constexpr int64_t kDelayShortening = 400;
constexpr int64_t kHalfUnitsPerBlock = f::kBlockNs / f::kHalfUnitNs;
constexpr int64_t kLastUnits = 5;  // last units of an exposure written as 765

struct group {
    int64_t n;
    int64_t d;
    int64_t x;
};

// Words around every repetition by trigger low byte 1 and 2.
struct repetition_words {
    uint16_t before[2];
    uint16_t after[2];
};
constexpr repetition_words kTrigger1{{1275, 2555}, {767, 2303}};
constexpr repetition_words kTrigger2{{1531, 2299}, {767, 2559}};

const repetition_words* repetition_words_for(int32_t trigger) {
    switch (trigger & 0xFF) {
        case 1:
            return &kTrigger1;
        case 2:
            return &kTrigger2;
        default:
            return nullptr;
    }
}

void put_pair(coc_context& ctx, const uint16_t (&words)[2]) {
    ctx.put(words[0]);
    ctx.put(words[1]);
}

std::vector<group> groups_of(const board_record& rec) {
    std::vector<group> groups;
    for (size_t i = 0; groups.size() < kMaxGroups && i + 3 < std::size(rec.timevalues); i += 4) {
        const int32_t* g = rec.timevalues + i;
        // A negative delay or exposure ends the list as a negative count does.
        if (g[0] < 0 || g[1] < 0 || g[2] < 0 || g[3] < 0) break;
        groups.push_back(group{g[1], g[2], g[3]});
    }
    return groups;
}

// One repetition of a group; -21 when its exposure words pass the group limit.
int write_repetition(coc_context& ctx, const group& g, const repetition_words* trigger) {
    if (trigger) put_pair(ctx, trigger->before);
    const bool shortened = g.x < kShortExposure && g.d > kLongDelay;
    const int64_t delay = shortened ? g.d - kDelayShortening : g.d;
    ctx.put_n(f::kDelayBlock, delay / f::kBlockNs);
    ctx.put_n(f::kDelayUnit, ((delay / f::kHalfUnitNs) % kHalfUnitsPerBlock) / 2);
    if (shortened) ctx.put_n(f::kDelayUnitNear, 2);
    int64_t blocks = g.x / f::kBlockNs;
    int64_t h = ((g.x / f::kHalfUnitNs) % kHalfUnitsPerBlock) / 2;
    if (h < kLastUnits && blocks > 0) {
        h += kHalfUnitsPerBlock / 2;
        --blocks;
    }
    ctx.put_n(f::kExposureBlock, blocks);
    ctx.put_n(f::kExposureUnit, std::max<int64_t>(h - kLastUnits, 0));
    ctx.put_n(f::kExposureUnitLast, std::min<int64_t>(h, kLastUnits));
    if (int rc = ctx.check(kGroupExposureLimitWords)) return rc;
    if (trigger) put_pair(ctx, trigger->after);
    return kOk;
}

int write_groups(coc_context& ctx, const std::vector<group>& groups) {
    const repetition_words* trigger = repetition_words_for(ctx.rec.trigger);
    for (const group& g : groups) {
        for (int64_t r = 0; r < g.n; ++r) {
            const size_t before = ctx.size();
            if (int rc = write_repetition(ctx, g, trigger)) return rc;
            if (int rc = ctx.check(kCocFastLimitWords)) return rc;
            // A repetition without words stays without words.
            if (ctx.size() == before) break;
        }
    }
    return kOk;
}

}  // namespace

int coc_multi_exposure(coc_context& ctx, const coc_multi_header& header) {
    const std::vector<group> groups = groups_of(ctx.rec);
    // Each product fits 64 bits; their sum over 50 groups need not, so it is taken in doubles.
    double exposure = 0, delay = 0;
    for (const group& g : groups) {
        exposure += static_cast<double>(g.n * g.x);
        delay += static_cast<double>(g.n * g.d);
    }
    ctx.t.exptime += static_cast<float>(exposure * 0.001);
    ctx.t.deltime += static_cast<float>(delay * 0.001);
    ctx.t.beltime += static_cast<float>((exposure + delay) * 0.001);

    switch (ctx.rec.trigger & 0xFF) {
        case 0:
        case 2:
            ctx.put(header.untriggered);
            break;
        case 1:
            ctx.put(header.triggered);
            break;
        default:
            break;
    }
    ctx.put(f::kExposureProgram);
    const int rc = write_groups(ctx, groups);
    ctx.put_n(f::kDelayUnit, 5);
    ctx.put_n(f::kProgramEnd, 2);
    return rc;
}

}  // namespace lmv
