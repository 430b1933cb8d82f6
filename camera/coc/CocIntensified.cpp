#include "camera/coc/CocIntensified.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "camera/api/MessageLog.h"
#include "camera/coc/CocFastSections.h"
#include "camera/coc/CocFastShutter.h"
#include "camera/coc/CocFastWords.h"
#include "camera/coc/CocGateProgram.h"
#include "camera/coc/CocSections.h"
#include "camera/coc/CocWords.h"

namespace lmv {
namespace {

namespace w = coc_word;
namespace f = coc_fast_word;

constexpr int32_t kWholeTable = 0x100;  // gain step bit 8: the body is the whole table
constexpr int32_t kTriggerHeader = 0x80;
constexpr int32_t kFineGain = 0x8;  // gain_index bit 3
constexpr int32_t kPowerDownMs = 250;
constexpr size_t kMaxGroups = 100;
constexpr int32_t kTwoGateMaxDelayMs = 10;
constexpr int64_t kTwoGateMinSpanNs = 1000;
constexpr int64_t kClosingDelayNs = 100;
constexpr unsigned kLogCocError = kLogCocAndMemory | kLogErrors;

// The time values of every intensified table.
struct head {
    int32_t exposure_ms;
    int32_t gain;
    int32_t gain_step;
    int32_t repetitions;
};
head head_of(const board_record& rec) {
    return head{rec.timevalues[0], rec.timevalues[1], rec.timevalues[2], rec.timevalues[3]};
}

coc_gate_entry entry_at(const board_record& rec, size_t i) {
    const int32_t* v = rec.timevalues + i;
    return coc_gate_entry{{v[0], v[1]}, {v[2], v[3]}};
}

bool whole_table(const head& h) {
    return (h.gain_step & kWholeTable) != 0;
}

// The exposure in line times and whether it runs powered down.
struct exposure_lines {
    long long blocks = 0;
    long long slots = 0;
    bool power_down = false;
};

exposure_lines lines_of(const coc_context& ctx, const head& h) {
    const double T = ctx.k.T, B = ctx.block_time();
    const double us = static_cast<double>(h.exposure_ms) * 1000.0;
    exposure_lines e;
    e.power_down = h.exposure_ms >= kPowerDownMs;
    if (!(us > 0)) return e;
    e.blocks = static_cast<long long>(std::floor(us / B));
    e.slots = static_cast<long long>(std::floor((us - static_cast<double>(e.blocks) * B) / T));
    return e;
}

void opening(coc_context& ctx) {
    ctx.put(w::kArmExternal);
    ctx.t.beltime += ctx.k.T;
    ctx.t.deltime += ctx.k.T;
}

void exposure_start(coc_context& ctx, bool power_down) {
    if (power_down) {
        ctx.put_n(static_cast<uint16_t>(w::kPowerDownStart + ctx.c), 3);
        ctx.put(f::kExposureMark);
    } else {
        ctx.put_n(coc_exposure_start_word(ctx), 3);
        ctx.put(w::kBoundary);
    }
    ctx.t.beltime += ctx.k.T;
    ctx.t.deltime += ctx.k.E;
    ctx.t.exptime += ctx.k.T - ctx.k.E;
}

long long blocks_above(long long n, long long floor_lines) {
    return n > floor_lines ? (n - floor_lines + w::kBlockSlots - 1) / w::kBlockSlots : 0;
}

// The exposure lines; powered down all but the last powerdown_lo lines.
void write_lines(coc_context& ctx, const exposure_lines& e) {
    const float T = ctx.k.T;
    const float time =
        static_cast<float>(e.blocks) * ctx.block_time() + static_cast<float>(e.slots) * T;
    ctx.t.beltime += time;
    ctx.t.exptime += time;
    if (!e.power_down) {
        ctx.put_n(w::kWaitBlock, e.blocks);
        ctx.put_n(w::kWait, e.slots);
        return;
    }
    const long long lo = std::max(ctx.rec.powerdown_lo, 0);
    long long n = e.blocks * w::kBlockSlots + e.slots;
    const long long off = blocks_above(n, lo + w::kBlockSlots);
    ctx.put_n(w::kPowerDownWaitBlock, off);
    n -= off * w::kBlockSlots;
    if (n > lo) {
        ctx.put_n(w::kPowerDownWait, n - lo);
        n = lo;
    }
    ctx.put_n(coc_exposure_start_word(ctx), 3);
    const long long on = blocks_above(n, w::kBlockSlots);
    ctx.put_n(w::kWaitBlock, on);
    ctx.put_n(w::kWait, n - on * w::kBlockSlots);
}

// The exposure lines, 207 and the arm word.
void exposure_end(coc_context& ctx, const exposure_lines& e) {
    write_lines(ctx, e);
    ctx.put(w::kExposureEnd);
    ctx.t.beltime += ctx.k.T;
    ctx.t.exptime += ctx.k.S;
    ctx.put(w::kArmInternal);
}

// Times of an entry repeated: the product may pass 64 bits, so it is taken in doubles.
void add_entry_times(coc_context& ctx, const coc_gate_entry& e, int64_t times) {
    const double n = static_cast<double>(times) * 0.001;
    const double d = static_cast<double>(e.delay.total_ns()) * n;
    const double g = static_cast<double>(e.gate.total_ns()) * n;
    ctx.t.beltime += static_cast<float>(d + g);
    ctx.t.deltime += static_cast<float>(d);
    ctx.t.exptime += static_cast<float>(g);
}

int log_gate_error(int code) {
    log_message(kLogCocError, "COC gate program error %d\r\n", code);
    return kWrongParameter;
}

coc_gate_body fine_or(const coc_context& ctx, coc_gate_body coarse, coc_gate_body fine) {
    return (ctx.rec.gain_index & kFineGain) ? fine : coarse;
}

// One gate, repeated; a failing gate program ends the repetitions.
int one_gate(coc_context& ctx, bool& whole) {
    const head h = head_of(ctx.rec);
    opening(ctx);
    const coc_gate_entry e = entry_at(ctx.rec, 4);
    if (!coc_intensified_delay_valid(e.delay.ms, e.delay.ns) ||
        !coc_intensified_gate_valid(e.gate.ms, e.gate.ns, ctx.rec.exp_min, ctx.rec.gain_index))
        return kWrongParameter;
    const exposure_lines lines = lines_of(ctx, h);
    exposure_start(ctx, lines.power_down);
    const coc_gate_request request{
        fine_or(ctx, coc_gate_body::one_gate, coc_gate_body::one_gate_fine),
        h.gain,
        h.gain_step,
        h.repetitions,
        {e}};
    for (int32_t r = 0; r < h.repetitions && !ctx.overflow(); ++r) {
        add_entry_times(ctx, e, 1);
        const int rc = coc_gate_program(ctx, request);
        if (rc < 0) {
            log_message(kLogCocError, "COC gate program error %d\r\n", rc);
            break;
        }
        if (!whole_table(h)) ctx.put(lines.power_down ? f::kRepeatEndPd : f::kRepeatEnd);
    }
    whole = whole_table(h);
    if (whole) {
        ctx.put(w::kShift8Read);
        ctx.put_n(w::kRead, 5);
        return ctx.check();
    }
    exposure_end(ctx, lines);
    return ctx.check();
}

// Groups of the gate list; -3 for one the rules refuse or gates closer than delay_max.
int gate_groups(const coc_context& ctx, std::vector<coc_gate_entry>& groups) {
    const int64_t lower = ctx.rec.exp_min < 21 ? 20 : 100;
    const int64_t delay_max = ctx.rec.delay_max;
    int64_t since_gate = 0;
    bool gate_seen = false;
    for (size_t i = 4; groups.size() < kMaxGroups && i + 3 < std::size(ctx.rec.timevalues);
         i += 4) {
        const coc_gate_entry e = entry_at(ctx.rec, i);
        if (e.delay.ms < 0 || e.delay.ns < 0) break;
        if (!coc_intensified_delay_valid(e.delay.ms, e.delay.ns) ||
            !coc_intensified_gate_valid(e.gate.ms, e.gate.ns, lower, ctx.rec.gain_index))
            return kWrongParameter;
        since_gate += e.delay.total_ns();
        if (e.gate.total_ns() != 0) {
            if (gate_seen && since_gate < delay_max) return kWrongParameter;
            gate_seen = true;
            since_gate = 0;
        }
        groups.push_back(e);
    }
    return groups.empty() ? kWrongParameter : kOk;
}

// The gate-less entry that closes the list: with repetitions, the delay around the wrap from the
// last gate to the first is made up to delay_max.
coc_gate_entry closing_entry(const coc_context& ctx, const std::vector<coc_gate_entry>& groups,
                             int32_t repetitions) {
    int64_t before_first = 0, after_last = 0;
    bool gate_seen = false;
    for (const coc_gate_entry& e : groups) {
        if (!gate_seen) before_first += e.delay.total_ns();
        after_last = e.gate.total_ns() != 0 ? 0 : after_last + e.delay.total_ns();
        if (e.gate.total_ns() != 0) gate_seen = true;
    }
    if (!gate_seen) after_last = 0;
    int64_t delay = kClosingDelayNs;
    const int64_t around = before_first + after_last;
    if (repetitions > 1 && around < ctx.rec.delay_max)
        delay = ctx.rec.delay_max - around + kClosingDelayNs;
    return coc_gate_entry{{delay / 1000000, delay % 1000000}, {0, 0}};
}

int gate_list(coc_context& ctx, bool& whole) {
    const head h = head_of(ctx.rec);
    opening(ctx);
    const exposure_lines lines = lines_of(ctx, h);
    exposure_start(ctx, lines.power_down);
    std::vector<coc_gate_entry> groups;
    if (int rc = gate_groups(ctx, groups)) return rc;
    groups.push_back(closing_entry(ctx, groups, h.repetitions));
    for (const coc_gate_entry& e : groups) add_entry_times(ctx, e, std::max(h.repetitions, 0));
    const coc_gate_request request{
        fine_or(ctx, coc_gate_body::gate_list, coc_gate_body::gate_list_fine), h.gain, h.gain_step,
        h.repetitions, groups};
    if (int rc = coc_gate_program(ctx, request); rc < 0) return log_gate_error(rc);
    whole = whole_table(h);
    if (whole) {
        ctx.put(w::kShift8Read);
        ctx.put_n(w::kRead, 5);
        return ctx.check();
    }
    ctx.put(lines.power_down ? f::kRepeatEndPd : f::kRepeatEnd);
    exposure_end(ctx, lines);
    return ctx.check();
}

bool two_gate_groups_valid(const coc_context& ctx, const coc_gate_entry (&e)[2]) {
    const bool fine = (ctx.rec.gain_index & kFineGain) != 0;
    const int64_t lower = fine ? 20 : 100;
    for (const coc_gate_entry& g : e) {
        if (!coc_intensified_delay_valid(g.delay.ms, g.delay.ns) ||
            !coc_intensified_gate_valid(g.gate.ms, g.gate.ns, lower, ctx.rec.gain_index))
            return false;
        if (g.delay.ms > kTwoGateMaxDelayMs || g.gate.total_ns() < lower) return false;
    }
    if (e[1].delay.total_ns() < ctx.rec.delay_max) return false;
    const int64_t span = e[0].delay.total_ns() + e[0].gate.total_ns() + e[1].delay.total_ns();
    return !(fine && span < kTwoGateMinSpanNs);
}

int two_gates(coc_context& ctx, bool& whole) {
    const head h = head_of(ctx.rec);
    opening(ctx);
    exposure_start(ctx, false);
    const coc_gate_entry e[2] = {entry_at(ctx.rec, 4), entry_at(ctx.rec, 8)};
    if (!two_gate_groups_valid(ctx, e)) return kWrongParameter;
    for (const coc_gate_entry& g : e) add_entry_times(ctx, g, 1);
    const coc_gate_request request{
        fine_or(ctx, coc_gate_body::two_gates, coc_gate_body::two_gates_fine),
        h.gain,
        h.gain_step,
        h.repetitions,
        {e[0], e[1]}};
    if (int rc = coc_gate_program(ctx, request); rc < 0) return log_gate_error(rc);
    whole = whole_table(h);
    if (whole) {
        ctx.put_n(w::kShift8Read, 5);
        ctx.put_n(w::kRead, 5);
    } else {
        ctx.put(f::kTwoGateEnd);
        ctx.put_n(w::kShift8Read, 2);
        ctx.put(w::kArmInternal);
    }
    return ctx.check();
}

struct intensified_submode {
    int (*body)(coc_context&, bool& whole);
    coc_image_count images;
};
const intensified_submode kSubmodes[] = {
    {one_gate, coc_image_count::single},
    {gate_list, coc_image_count::single},
    {two_gates, coc_image_count::two},
};

}  // namespace

int coc_build_intensified(coc_context& ctx) {
    const int submode = ctx.rec.submode;
    if (submode < 0 || submode >= static_cast<int>(std::size(kSubmodes))) return kWrongParameter;
    const head h = head_of(ctx.rec);
    if ((ctx.rec.trigger & kTriggerHeader) && !whole_table(h)) ctx.put(f::kHeaderArm);
    bool whole = false;
    if (int rc = kSubmodes[submode].body(ctx, whole)) return rc;
    if (whole) return kOk;
    return coc_fast_images(ctx, kSubmodes[submode].images);
}

}  // namespace lmv
