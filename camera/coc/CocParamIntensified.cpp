// Time values of the intensified camera: a head (exposure, gain, gain step, repetitions), then
// the gate timing of the submode in milliseconds and nanoseconds.
#include <cstdint>

#include "camera/coc/CocParamTimes.h"

namespace lmv {
namespace {

constexpr int kHeadValues = 4;
constexpr int32_t kHeadTimeMax = 1000;
constexpr int32_t kGainStepMax = 3;
constexpr int32_t kRepetitionsMax = 256;
constexpr int32_t kNsMax = 999999;
constexpr int32_t kMsMax = 999;
constexpr int32_t kGainIndexFine = 8;  // gain_index bit 3: fine gate steps
constexpr int32_t kGateStep = 20;
constexpr int32_t kNsPerMs = 1000000;
constexpr size_t kMaxGroups = (kCocMaxTimeValues - kHeadValues - 2) / 4;

struct gain_step {
    int32_t below;  // the step covers values below this
    int32_t result;
};

struct gain_table {
    int32_t gain_index;
    std::initializer_list<gain_step> steps;
};

// Short gates below 30 ns by gain index; 12 to 15 always give 20.
const gain_table kGainTables[] = {
    {8, {{10, 5}, {20, 10}, {25, 20}, {30, 25}}},
    {9, {{10, 3}, {20, 10}, {25, 20}, {30, 25}}},
    {10, {{3, 1}, {5, 3}, {8, 5}, {20, 8}, {25, 20}, {30, 25}}},
    {11, {{25, 20}, {30, 25}}},
};
constexpr int32_t kGainFixedFirst = 12;
constexpr int32_t kGainFixedLast = 15;
constexpr int32_t kGainFixedGate = 20;

int32_t snap_short_gate(int32_t gain_index, int32_t gate) {
    if (gain_index >= kGainFixedFirst && gain_index <= kGainFixedLast) return kGainFixedGate;
    for (const gain_table& t : kGainTables) {
        if (t.gain_index != gain_index) continue;
        for (const gain_step& s : t.steps)
            if (gate < s.below) return s.result;
    }
    return gate;
}

void store_head(coc_time_job& job, int32_t head[kHeadValues]) {
    head[0] = coc_clamp(job.times.at(0), 0, kHeadTimeMax, job.changed);
    head[1] = coc_clamp(job.times.at(1), 0, kHeadTimeMax, job.changed);
    head[2] = job.times.at(2);
    if (head[2] < 0 || head[2] > kGainStepMax) {
        head[2] = 0;
        job.changed = true;
    }
    head[3] = coc_clamp(job.times.at(3), 1, kRepetitionsMax, job.changed);
    job.store({head[0], head[1], head[2], head[3]});
}

int32_t ns_value(coc_time_job& job, size_t i) {
    return coc_clamp(job.times.at(i), 0, kNsMax, job.changed);
}

// Delay (t1 ms, t2 ns) and gate (t3 ms, t4 ns).
void single_gate(coc_time_job& job, const int32_t head[kHeadValues]) {
    bool& changed = job.changed;
    const int32_t t1 = ns_value(job, 4);
    int32_t t2 = ns_value(job, 5);
    const int32_t t3 = ns_value(job, 6);
    int32_t t4 = ns_value(job, 7);
    if (t1 > 1000)
        t2 = coc_round_down(t2, 1000, changed);
    else if (t1 > 0)
        t2 = coc_round_down(t2, kGateStep, changed);
    if (t2 > 100)
        t2 = coc_round_down(t2, kGateStep, changed);
    else if (t2 > 50)
        t2 = coc_round_down(t2, 5, changed);

    if (t3 > 1000) {
        t4 = coc_round_down(t4, 1000, changed);
    } else if (t3 > 0 || t4 > 100) {
        t4 = coc_round_down(t4, kGateStep, changed);
    } else if (t4 < 30) {
        if (job.rec.gain_index & kGainIndexFine) {
            const int32_t snapped = snap_short_gate(job.rec.gain_index, t4);
            if (snapped != t4) changed = true;
            t4 = snapped;
        } else {
            if (t4 > 4) {
                t4 = coc_round_down(t4, 5, changed);
            } else if (t4 != 3) {
                t4 = 3;
                changed = true;
            }
            t4 = coc_raise(t4, job.rec.exp_min, changed);
        }
    } else {
        t4 = coc_round_down(t4, 10, changed);
    }
    job.text = coc_format("%d,%d,%d,%d,\n%d,%d,%d,%d,\n-1,-1", head[0], head[1], head[2], head[3],
                          t1, t2, t3, t4);
    job.store({t1, t2, t3, t4});
    job.store_end();
}

// Exposure and delay groups (a ms, t ns, b ms, u ns).
void gate_list(coc_time_job& job, const int32_t head[kHeadValues]) {
    bool& changed = job.changed;
    job.text = coc_format("%d,%d,%d,%d,\r\n", head[0], head[1], head[2], head[3]);
    size_t i = kHeadValues;
    for (size_t groups = 0; groups < kMaxGroups && job.times.has(i) && job.times.at(i) != -1;
         ++groups, i += 4) {
        const int32_t a = coc_clamp(job.times.at(i), 0, kMsMax, changed);
        // The raise to exp_min may leave the grid: only the final value counts as a change.
        const int32_t t_in = ns_value(job, i + 1);
        bool moved = false;
        int32_t t = coc_round_down(t_in, kGateStep, moved);
        int32_t b = coc_clamp(job.times.at(i + 2), 0, kMsMax, changed);
        int32_t u = coc_round_down(ns_value(job, i + 3), kGateStep, changed);
        if (a == 0) t = coc_raise(t, job.rec.exp_min, moved);
        if (t != t_in) changed = true;
        if (int64_t{b} * kNsPerMs + u < job.rec.delay_max) {
            b = job.rec.delay_max / kNsPerMs;
            u = job.rec.delay_max % kNsPerMs;
            changed = true;
        }
        job.text += coc_format("%d,%d,%d,%d,\r\n", a, t, b, u);
        job.store({a, t, b, u});
    }
    if (job.times.has(i) && job.times.at(i) != -1) changed = true;  // beyond the limit
    job.text += "-1,-1\r\n";
    job.store_end();
}

// Two gates: (p1 ms, p2 ns) delay, (p3 ms, p4 ns) gate, then the same for the second image.
void double_gate(coc_time_job& job, const int32_t head[kHeadValues]) {
    bool& changed = job.changed;
    const int32_t q = job.rec.gain_index & kGainIndexFine ? 20 : 100;
    int32_t p[8];
    const int32_t highs[8] = {10, kNsMax, kMsMax, kNsMax, 10, kNsMax, kMsMax, kNsMax};
    for (int k = 0; k < 8; ++k) {
        p[k] = coc_clamp(job.times.at(kHeadValues + k), 0, highs[k], changed);
        if (k % 2) p[k] = coc_round_down(p[k], q, changed);
    }
    if (p[4] == 0) p[5] = coc_raise(p[5], job.rec.delay_max, changed);
    if (p[2] == 0) p[3] = coc_raise(p[3], q, changed);
    if (p[6] == 0) p[7] = coc_raise(p[7], q, changed);
    if (p[0] == 0 && p[2] == 0 && p[4] == 0 && p[1] + p[5] + p[3] < 1000) {
        p[1] = 1000 - p[5] - p[3];
        changed = true;
    }
    job.text = coc_format("%d,%d,%d,%d,\n%d,%d,%d,%d,\n%d,%d,%d,%d,\n-1,-1", head[0], head[1],
                          head[2], head[3], p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
    job.store({p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]});
    job.store_end();
}

}  // namespace

void coc_intensified_times(coc_time_job& job) {
    const int submode = job.submode() <= 2 ? job.submode() : 0;
    job.set_mode(5, submode);
    int32_t head[kHeadValues];
    store_head(job, head);
    switch (submode) {
        case 1:
            return gate_list(job, head);
        case 2:
            return double_gate(job, head);
        default:
            return single_gate(job, head);
    }
}

}  // namespace lmv
