#include "camera/coc/CocFastShutter.h"

#include <iterator>

#include "camera/coc/CocExposureList.h"
#include "camera/coc/CocFastSections.h"
#include "camera/coc/CocFastWords.h"
#include "camera/coc/CocMultiExposure.h"
#include "camera/coc/CocSections.h"
#include "camera/coc/CocWords.h"

namespace lmv {
namespace {

namespace w = coc_word;
namespace f = coc_fast_word;

constexpr int kLineCountMin = 32;
constexpr int kLineCountMax = 1024;
constexpr float kDoubleGateDelayUs = 2.4f;
constexpr float kCountedDelayUs = 1.4f;
constexpr float kCountedBlockUs = 100.0f;
constexpr float kCountedExposureUs = 1.0f;
constexpr int64_t kGateFirstNs = 800;

// Submodes 1 and 2: the double shutter's fixed words; no time is accumulated.
struct double_shutter_words {
    coc_word_list program;
    uint16_t trigger2_end;
    uint16_t trigger1_end;
    int closing_units;
};
constexpr double_shutter_words kDoubleShutter[] = {
    {{5, {753, 767, 765, 765, 765}}, 1270, 1526, 0},
    {{5, {753, 763, 761, 761, 761}}, 1273, 1529, 4},
};
constexpr coc_trigger_words kDoubleShutterTrigger{{0, 0}, {2257, 1245}, {2513, 1501}};
constexpr coc_trigger_words kDoubleGateTrigger{{2513, 0}, {2257, 1245}, {2513, 1501}};

void put_list(coc_context& ctx, const coc_word_list& list) {
    for (int i = 0; i < list.count; ++i) ctx.put(list.words[i]);
}

int double_shutter(coc_context& ctx) {
    const double_shutter_words& words = kDoubleShutter[ctx.rec.submode == 2 ? 1 : 0];
    coc_plain_start(ctx);
    coc_put_trigger_words(ctx, kDoubleShutterTrigger);
    put_list(ctx, words.program);
    const int trigger = ctx.rec.trigger & 0xFF;
    if (trigger == 2) ctx.put(words.trigger2_end);
    if (trigger == 1) ctx.put(words.trigger1_end);
    ctx.put_n(f::kExposureUnitLast, words.closing_units);
    ctx.put_n(f::kProgramEnd, 2);
    return ctx.check(kCocFastLimitWords);
}

constexpr coc_word_list kCountedOpening{7, {2257, 2257, 221, 221, 2257, 753, 767}};
constexpr uint16_t kCountedBlocksStart = 2557;  // around the counted 20-us blocks
constexpr uint16_t kCountedBlocksEnd = 2303;
constexpr int64_t kCountedBlocksPerCount = 5;

int counted_exposure(coc_context& ctx) {
    const int64_t n = ctx.rec.timevalues[0];
    put_list(ctx, kCountedOpening);
    ctx.put_n(f::kExposureUnitLast, 5);
    ctx.put(kCountedBlocksStart);
    if (n > 0) ctx.put_n(f::kCountedBlock, n * kCountedBlocksPerCount);
    ctx.put(kCountedBlocksEnd);
    ctx.put_n(f::kDelayUnit, 5);
    ctx.put_n(f::kProgramEnd, 2);
    coc_plain_start(ctx);
    const float T = ctx.k.T;
    ctx.t.deltime += 2.0f * T + kCountedDelayUs;
    ctx.t.exptime += static_cast<float>(n > 0 ? n : 0) * kCountedBlockUs + kCountedExposureUs;
    ctx.t.beltime = ctx.t.exptime + ctx.t.deltime;
    ctx.t.coctime += T;
    return ctx.check(kCocFastLimitWords);
}

constexpr coc_word_list kDoubleGateMiddle[] = {
    {8, {759, 759, 764, 764, 765, 765, 761, 763}},
    {4, {763, 762, 766, 766}},
};

int double_gate(coc_context& ctx) {
    coc_ns_pair pairs[3];
    for (int i = 0; i < 3; ++i) {
        if (!coc_pair_or_last(ctx.rec, i, pairs[i])) return kWrongParameter;
    }
    int64_t exposure = 0, delay = 0;
    for (const coc_ns_pair& p : pairs) {
        exposure += p.x;
        delay += p.d;
    }
    ctx.t.exptime += coc_ns_to_us(exposure);
    ctx.t.deltime += coc_ns_to_us(delay) + kDoubleGateDelayUs;
    ctx.t.beltime = ctx.t.deltime + ctx.t.exptime;

    coc_plain_start(ctx);
    coc_put_trigger_words(ctx, kDoubleGateTrigger);
    ctx.put(f::kGatedProgram);
    coc_gate_block(ctx, pairs[0], kGateFirstNs);
    for (const coc_word_list& list : kDoubleGateMiddle) put_list(ctx, list);
    coc_gate_block(ctx, pairs[1], kGateFirstNs);
    ctx.put(f::kGateLead);
    ctx.put(f::kGateDelay);
    coc_gate_delay(ctx, pairs[2].d);
    ctx.put_n(f::kProgramEnd, 2);
    coc_plain_start(ctx);
    return ctx.check(kCocFastLimitWords);
}

constexpr coc_word_list kLineShift[] = {
    {5, {764, 764, 765, 765, 761}},
    {5, {763, 763, 762, 766, 766}},
};

int line_shift_gates(coc_context& ctx) {
    const int lines = ctx.rec.line_count;
    if (lines < kLineCountMin || lines > kLineCountMax) return kWrongParameter;
    const int count = kLineCountMax / lines;
    coc_plain_start(ctx);
    ctx.put(f::kGatedProgram);
    for (int i = 0; i < count; ++i) {
        coc_ns_pair p;
        if (!coc_pair_or_last(ctx.rec, i, p)) return kWrongParameter;
        ctx.t.exptime += coc_ns_to_us(p.x);
        ctx.t.deltime += coc_ns_to_us(p.d);
        ctx.t.beltime += coc_ns_to_us(p.d + p.x);
        coc_gate_block(ctx, p, kGateFirstNs);
        const bool last = i == count - 1;
        if ((p.x != 0) != last) ctx.put_n(f::kGateLead, 2);
        if (last) break;
        for (int l = 0; l < lines; ++l) {
            for (const coc_word_list& list : kLineShift) put_list(ctx, list);
        }
    }
    ctx.put_n(f::kProgramEnd, 2);
    coc_plain_start(ctx);
    return ctx.check(kCocFastLimitWords);
}

int exposure_list(coc_context& ctx) {
    return coc_exposure_list(ctx, kExposureListFast);
}

int multi_exposure(coc_context& ctx) {
    return coc_multi_exposure(ctx, kMultiHeaderFast);
}

struct fast_submode {
    coc_word_list header[3];  // by trigger low byte 0, 1, 2; others none
    coc_word_list always;     // header whatever the trigger
    int (*body)(coc_context&);
    coc_image_count images;
};

// clang-format off
const fast_submode kFastSubmodes[] = {
    {{{2, {3010, 2545}}, {3, {3010, 1218, 2545}}, {3, {2754, 1474, 2289}}}, {0, {}},
     exposure_list, coc_image_count::single},
    {{}, {0, {}}, double_shutter, coc_image_count::two},
    {{}, {0, {}}, double_shutter, coc_image_count::two},
    {{}, {0, {}}, counted_exposure, coc_image_count::single},
    {{}, {0, {}}, double_gate, coc_image_count::two},
    {{}, {1, {2497}}, multi_exposure, coc_image_count::single},
    {{{1, {3009}}, {2, {3009, 1245}}, {2, {2753, 1501}}}, {0, {}},
     line_shift_gates, coc_image_count::single},
};
// clang-format on

}  // namespace

int coc_fast_images(coc_context& ctx, coc_image_count images) {
    coc_fast_tail(ctx, coc_time_rule::counted);
    coc_readout(ctx);
    if (int rc = ctx.check()) return rc;
    if (images == coc_image_count::two) {
        coc_second_image(ctx);
        coc_readout(ctx);
        if (int rc = ctx.check()) return rc;
    }
    coc_flush(ctx);
    return ctx.check();
}

int coc_build_fast_shutter(coc_context& ctx) {
    const int submode = ctx.rec.submode;
    if (submode < 0 || submode >= static_cast<int>(std::size(kFastSubmodes)))
        return kWrongParameter;
    const fast_submode& plan = kFastSubmodes[submode];
    const int trigger = ctx.rec.trigger & 0xFF;
    if (trigger < 3) put_list(ctx, plan.header[trigger]);
    put_list(ctx, plan.always);
    if (int rc = plan.body(ctx)) return rc;
    return coc_fast_images(ctx, plan.images);
}

}  // namespace lmv
