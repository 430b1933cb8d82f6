#include "camera/coc/CocCcd912.h"

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

constexpr int kFastShutterCamera = 1;
constexpr int64_t kGateFirstNs = 1000;
constexpr int kGatePairs = 5;
constexpr float kGateOpeningUs = 0.4f;
constexpr float kGateSequenceUs = 3.0f;
constexpr int kTailLines = 11;

constexpr coc_word_list kGateSequence[] = {
    {8, {759, 759, 764, 765, 761, 761, 763, 763}},
    {7, {763, 763, 762, 762, 762, 766, 766}},
};
constexpr coc_trigger_words kFiveGatesTrigger{{2513, 0}, {2257, 1233}, {2513, 1489}};
constexpr coc_trigger_words kFiveGatesTrigger8{{0, 0}, {2257, 1233}, {2513, 1489}};
constexpr coc_trigger_words kBetweenGatesTrigger{{0, 0}, {2294, 1270}, {2550, 1526}};

void put_list(coc_context& ctx, const coc_word_list& list) {
    for (int i = 0; i < list.count; ++i) ctx.put(list.words[i]);
}

int exposure_list(coc_context& ctx) {
    return coc_exposure_list(ctx, kExposureList912);
}

int multi_exposure(coc_context& ctx) {
    return coc_multi_exposure(ctx, kMultiHeader912);
}

// Five gates; the second form re-arms the trigger after each of the first three sequences.
int gates(coc_context& ctx, bool rearm) {
    coc_ns_pair pairs[kGatePairs];
    for (int i = 0; i < kGatePairs; ++i) {
        if (!coc_pair_or_last(ctx.rec, i, pairs[i])) return kWrongParameter;
    }
    coc_plain_start(ctx);
    coc_put_trigger_words(ctx, rearm ? kFiveGatesTrigger8 : kFiveGatesTrigger);
    ctx.put(f::kGatedProgram);
    ctx.put_n(f::kGateDelay, 2);
    ctx.t.deltime += kGateOpeningUs;
    for (int i = 0; i < kGatePairs - 1; ++i) {
        ctx.t.exptime += coc_ns_to_us(pairs[i].x);
        ctx.t.deltime += coc_ns_to_us(pairs[i].d);
        coc_gate_block(ctx, pairs[i], kGateFirstNs);
        for (const coc_word_list& list : kGateSequence) put_list(ctx, list);
        ctx.t.deltime += kGateSequenceUs;
        ctx.t.beltime = ctx.t.deltime + ctx.t.exptime;
        if (rearm && i < 3) {
            coc_put_trigger_words(ctx, kBetweenGatesTrigger);
            ctx.put_n(f::kGateDelay, 3);
        }
    }
    const coc_ns_pair& last = pairs[kGatePairs - 1];
    ctx.t.exptime += coc_ns_to_us(last.x);
    ctx.t.deltime += coc_ns_to_us(last.d);
    coc_gate_delay(ctx, last.d);
    ctx.put_n(f::kProgramEnd, 2);
    return kOk;
}

int five_gates(coc_context& ctx) {
    return gates(ctx, false);
}

int five_gates_rearmed(coc_context& ctx) {
    return gates(ctx, true);
}

int delay_and_exposure(coc_context& ctx) {
    coc_exposure_section(ctx, coc_exposure_form{});
    return ctx.check();
}

struct submode_plan {
    int submode;
    coc_word_list header[3];  // by trigger low byte 0, 1, 2; others none
    coc_word_list always;
    int (*body)(coc_context&);
};

// clang-format off
const submode_plan kSubmodes[] = {
    {0, {{2, {3009, 2545}}, {3, {3009, 1217, 2545}}, {3, {2753, 1473, 2289}}}, {0, {}}, exposure_list},
    {5, {}, {1, {2497}}, multi_exposure},
    {7, {}, {0, {}}, five_gates},
    {8, {}, {0, {}}, five_gates_rearmed},
    {9, {{2, {3009, 2497}}, {3, {3009, 1217, 2497}}, {3, {2753, 1473, 2241}}}, {0, {}}, delay_and_exposure},
};
// clang-format on

const submode_plan* plan_for(int submode) {
    for (const submode_plan& plan : kSubmodes)
        if (plan.submode == submode) return &plan;
    return nullptr;
}

bool hbin_has_start_word(int hbin) {
    return hbin == 1 || hbin == 2 || hbin == 4 || hbin == 8;
}

// Start words, then the black lines read and the rest of eleven lines waited.
void tail(coc_context& ctx) {
    const long long black = ctx.rec.blacklines;
    ctx.put_n(coc_exposure_start_word(ctx), 3);
    ctx.put_n(w::kRead, black);
    const long long waits = black > kTailLines - 1 ? 0 : kTailLines - black;
    ctx.put_n(w::kWait, waits);
    const long long lines = (black > 0 ? black : 0) + waits;
    for (long long i = 0; i < lines; ++i) ctx.t.coctime += ctx.k.T;
}

void flush(coc_context& ctx) {
    const float T = ctx.k.T;
    const int block_rows = ccd_traits_or_unknown(ctx.rec.ccd_typ).fast.flush_block_rows;
    const long long end = static_cast<long long>(ctx.rec.ccd_height) + ctx.k.X;
    ctx.put_n(w::kRead, 2);
    ctx.put_n(w::kWait, 2);
    ctx.t.coctime += 4.0f * T;
    long long row = static_cast<long long>(ctx.rec.roiymax) + 4;
    if (block_rows == 0) {
        for (; row < end && !ctx.overflow(); ++row) {
            ctx.put(w::kWait);
            ctx.t.coctime += T;
        }
    } else {
        for (; row < ctx.rec.ccd_height && !ctx.overflow(); row += block_rows) {
            ctx.put_n(w::kShift16, 2);
            ctx.put(w::kShift2);
            ctx.t.coctime += 4.0f * T;
        }
        for (; row < end && !ctx.overflow(); row += 2) {
            ctx.put(w::kShift2);
            ctx.t.coctime += T;
        }
    }
    ctx.t.coctime += 3.0f * T;
    ctx.put(coc_arm_word(ctx.rec.trigger, coc_arm_rule::whole_value));
}

}  // namespace

int coc_build_ccd_912(coc_context& ctx) {
    if (ctx.rec.camera_typ != kFastShutterCamera) return kWrongParameter;
    const submode_plan* plan = plan_for(ctx.rec.submode);
    if (plan == nullptr || !hbin_has_start_word(ctx.rec.hbin)) return kWrongParameter;
    const int trigger = ctx.rec.trigger & 0xFF;
    if (trigger < 3) put_list(ctx, plan->header[trigger]);
    put_list(ctx, plan->always);
    if (int rc = plan->body(ctx)) return rc;
    tail(ctx);
    coc_readout(ctx);
    if (int rc = ctx.check()) return rc;
    flush(ctx);
    return ctx.check();
}

}  // namespace lmv
