// Timing bodies of the gate program: one gate (types 1 and 9), a list of gates (2 and 10) and
// two gates (3 and 11).
#include <algorithm>
#include <iterator>

#include "camera/coc/CocGateWriter.h"

namespace lmv::coc_gate {
namespace {

constexpr int64_t kTickNs = 20;
constexpr int64_t kFirstScaleNs = 100;

// Classes of a time for the one-gate body.
struct time_class {
    bool has;  // a negative millisecond part has no class
    bool is_long;
    bool very_short;
};
time_class classify(const coc_gate_time& t) {
    return time_class{t.ms >= 0, t.ms > 0 || (t.ms == 0 && t.ns >= 120), t.ms == 0 && t.ns <= 200};
}

// Short delay: coarse index and its base by nanoseconds.
struct delay_step {
    int64_t from;
    int coarse;
    int64_t base;
};
constexpr delay_step kShortDelays[] = {
    {0, 0, 0},    {5, 1, 5},    {10, 2, 10},  {15, 3, 15},    {20, 4, 20},  {25, 5, 25},
    {30, 6, 30},  {35, 7, 35},  {40, 8, 40},  {45, 9, 45},    {50, 10, 50}, {60, 11, 60},
    {70, 12, 70}, {80, 13, 80}, {90, 14, 90}, {100, 15, 100},
};

// Short gate: gate code by nanoseconds up to `to`, for type 1 and type 9.
struct gate_code {
    int64_t to;
    int type1;
    int type9;
};
constexpr gate_code kShortGates[] = {
    {3, 0, 15},   {5, 1, 15},   {10, 2, 15},  {15, 3, 15},  {19, 4, 15},
    {20, 4, 4},   {25, 5, 5},   {30, 8, 8},   {40, 9, 9},   {50, 10, 10},
    {60, 11, 11}, {70, 12, 12}, {80, 13, 13}, {90, 14, 14}, {100, 15, 15},
};
constexpr int kGateCodeLong = 7;
constexpr int kFineDelayLong = 7;
constexpr int kFineDelayShortGate = 8;  // added to the fine code of a short delay with long gate

struct resolution {
    int64_t to;
    int step;
};
constexpr resolution kResolutions[] = {{0, 207}, {1, 205},  {3, 206},
                                       {5, 204}, {12, 202}, {19, 203}};
constexpr int kResolutionDefault = 207;

int short_gate_code(int64_t ns, bool fine) {
    for (const gate_code& c : kShortGates)
        if (ns <= c.to) return fine ? c.type9 : c.type1;
    return kGateCodeLong;
}

// A time as 20-ns ticks in three 12-bit operands; `less` ns are taken off.
void ticks(gate_writer& g, coc_gate_time t, int64_t less, const uint16_t (&terminators)[3]) {
    int64_t whole = t.ms / 20;
    const int64_t rest = t.ms % 20;
    int64_t ns = t.ns;
    if (rest == 0 && ns < 100) {
        whole -= 1;
        ns += 20000000;
    }
    const int64_t u = (rest * 1000000 + ns - less) / kTickNs;
    if (whole < 0) {
        g.record(kGateProgramNegativeDelay);
        whole = 0;
    }
    int64_t v[3];
    if (whole <= 2000) {
        const int64_t V = whole * 1000000 + u;
        v[0] = V & 0xFFF, v[1] = (V >> 12) & 0xFFF, v[2] = V >> 24;
    } else {
        const int64_t V = (((whole % 16) * 1000000 + u) >> 4) + (whole / 16) * 1000000;
        v[0] = (V & 0xFF) << 4, v[1] = (V >> 8) & 0xFFF, v[2] = V >> 20;
    }
    for (int i = 0; i < 3; ++i) g.operand12(v[i], terminators[i]);
}

constexpr uint16_t kDelayTerminators[3] = {f::kEndDelay0, f::kEndDelay1, f::kEndDelay2};
constexpr uint16_t kGateTerminators[3] = {f::kEndGate0, f::kEndGate1, f::kEndGate2};

void unit_operands(gate_writer& g, const uint16_t (&terminators)[3]) {
    g.operand12(1, terminators[0]);
    g.operand12(0, terminators[1]);
    g.operand12(0, terminators[2]);
}

void one_gate(gate_writer& g, const coc_gate_entry& e, bool fine) {
    const time_class dc = classify(e.delay), gc = classify(e.gate);
    const int combination = dc.has && gc.has ? 1 + (dc.is_long ? 2 : 0) + (gc.is_long ? 1 : 0) : 0;
    if (dc.very_short && gc.very_short) {
        g.closing_value = 4;
    } else if (dc.has && gc.has) {
        g.closing_value = 5;
    }
    int coarse = 0, fine_code = 0, gate = 0;
    if (dc.has && !dc.is_long) {
        const delay_step* s = &kShortDelays[0];
        for (const delay_step& d : kShortDelays)
            if (e.delay.ns >= d.from) s = &d;
        coarse = s->coarse;
        const int64_t over = e.delay.ns - s->base;
        fine_code =
            over >= 1 && over <= 4 ? static_cast<int>(over) : (over >= 5 && over <= 9 ? 5 : 0);
    } else if (dc.is_long) {
        fine_code = kFineDelayLong;
    }
    if (gc.has && !gc.is_long) {
        gate = short_gate_code(e.gate.ns, fine);
        unit_operands(g, kGateTerminators);
    }
    if (dc.is_long) ticks(g, e.delay, 60, kDelayTerminators);
    if (gc.is_long) {
        ticks(g, e.gate, dc.is_long ? 40 : 60, kGateTerminators);
        gate = kGateCodeLong;
    }
    if (combination == 2) {
        fine_code += kFineDelayShortGate;
        unit_operands(g, kDelayTerminators);
    }
    g.triple(coarse, fine_code, gate);
    g.steps(33, 2);
    g.steps(225, 3);
    if (combination == 0) g.record(kGateProgramStepLimit);
}

void gate_list(gate_writer& g, const std::vector<coc_gate_entry>& entries) {
    g.closing_value = kClosingValueList;
    g.triple(kTripleOpen, kTripleFine, kTripleFine);
    tick_pattern p;
    for (const coc_gate_entry& e : entries) {
        if (g.stopped()) return;
        int64_t x = e.delay.total_ns() / kTickNs;
        int64_t y = e.gate.total_ns() / kTickNs;
        if (p.open() && x >= 5) p.fill(g, 1, &x);
        g.run(x, kDelayRun, scale::second);
        for (; x > 0 && !g.stopped(); --x) p.add(g, 1);
        if (p.open() && y >= 5) p.fill(g, 0, &y);
        g.run(y, kGateRun, scale::second);
        for (; y > 0 && !g.stopped(); --y) p.add(g, 0);
    }
    p.fill(g, 1, nullptr);
    g.steps(225, 3);
}

void two_gates(gate_writer& g, const std::vector<coc_gate_entry>& entries) {
    g.closing_value = kClosingValueList;
    g.triple(kTripleOpen, kTripleFine, kTripleFine);
    const coc_gate_entry& a = entries[0];
    const coc_gate_entry& b = entries[1];
    int64_t d1 = a.delay.total_ns() / kFirstScaleNs, g1 = a.gate.total_ns() / kFirstScaleNs;
    if (d1 == 0) {
        g.step(66);
        g1 -= 1;
    } else {
        g.step(67);
        d1 -= 1;
    }
    g.run(d1, kDelayRun, scale::first);
    g.run(g1, kGateRun, scale::first);
    int64_t d2 = std::max<int64_t>(b.delay.total_ns() / kFirstScaleNs - 5, 0);
    int64_t g2 = std::max<int64_t>(b.gate.total_ns() / kFirstScaleNs - 1, 0);
    g.run(d2, kDelayRun, scale::first);
    g.steps(71, 5);
    g.step(66);
    g.run(g2, kGateRun, scale::first);
    g.step(65);
    g.steps(225, 3);
}

// A pattern that starts with the ticks of `first` (bit `bit`), then, for a delay pattern, gate
// ticks while any remain, then filler 1-bits; returns the filler count.
int64_t pattern_from(gate_writer& g, int64_t& first, int bit, int64_t* then_gate) {
    if (first <= 0 || g.stopped()) return 0;
    tick_pattern p{pattern_base::first_tick};
    for (; first > 0; --first) p.add(g, bit);
    while (then_gate && *then_gate > 0 && p.open()) {
        p.add(g, 0);
        --*then_gate;
    }
    return p.fill(g, 1, nullptr);
}

struct second_delay_step {
    int64_t from;
    int64_t less;
    int steps71;
    int steps67;
};
constexpr second_delay_step kSecondDelays[] = {
    {50, 50, 6, 4}, {46, 45, 5, 4}, {41, 40, 4, 4},        {36, 35, 4, 3},
    {31, 30, 3, 3}, {26, 25, 2, 3}, {INT64_MIN, 20, 2, 2},
};

void two_gates_fine(gate_writer& g, const std::vector<coc_gate_entry>& entries) {
    g.closing_value = kClosingValueList;
    g.triple(kTripleOpen, kTripleFine, kTripleFine);
    int64_t d1 = entries[0].delay.total_ns() / kTickNs, g1 = entries[0].gate.total_ns() / kTickNs;
    int64_t d2 = entries[1].delay.total_ns() / kTickNs, g2 = entries[1].gate.total_ns() / kTickNs;
    g.step(d2 <= 49 ? 71 : 67);
    g.run(d1, kDelayRun, scale::second);
    int64_t filler = pattern_from(g, d1, 1, &g1);
    if (g1 > 4) g.run(g1, kGateRun, scale::second);
    filler += pattern_from(g, g1, 0, nullptr);
    int64_t d = std::max<int64_t>(d2, 25) - filler;
    const second_delay_step* s = &kSecondDelays[0];
    while (d < s->from) ++s;
    d = std::max<int64_t>(d - s->less, 0);
    if (d > 4) g.run(d, kDelayRun, scale::second);
    g.steps(71, s->steps71);
    g.steps(67, s->steps67);
    (void)pattern_from(g, d, 1, &g2);
    if (g2 > 4) g.run(g2, kGateRun, scale::second);
    (void)pattern_from(g, g2, 0, nullptr);
    g.step(33);
    g.step(65);
    g.steps(225, 3);
}

// The fixed body: entries (0, 100) and then (100, 100) ns.
std::vector<coc_gate_entry> fixed_entries(size_t count) {
    std::vector<coc_gate_entry> entries;
    for (size_t i = 0; i < std::max<size_t>(count, 1); ++i) {
        entries.push_back(coc_gate_entry{{0, i == 0 ? 0 : 100}, {0, 100}});
    }
    return entries;
}

}  // namespace

void timing_body(gate_writer& g, coc_gate_body body, const std::vector<coc_gate_entry>& entries) {
    if (entries.empty()) {
        g.record(kGateProgramStepLimit);
        return;
    }
    switch (body) {
        case coc_gate_body::one_gate:
        case coc_gate_body::one_gate_fine:
            return one_gate(g, entries[0], body == coc_gate_body::one_gate_fine);
        case coc_gate_body::gate_list:
        case coc_gate_body::gate_list_fine:
            return gate_list(g, entries);
        case coc_gate_body::two_gates:
        case coc_gate_body::two_gates_fine:
            if (entries.size() < 2) return g.record(kGateProgramStepLimit);
            if (body == coc_gate_body::two_gates) return two_gates(g, entries);
            return two_gates_fine(g, entries);
    }
}

int resolution_step(const coc_gate_request& request) {
    if (request.body != coc_gate_body::one_gate_fine || request.entries.empty())
        return kResolutionDefault;
    const coc_gate_time& gate = request.entries[0].gate;
    if (gate.ms != 0 || gate.ns < 0 || gate.ns >= 20) return kResolutionDefault;
    for (const resolution& r : kResolutions)
        if (gate.ns <= r.to) return r.step;
    return kResolutionDefault;
}

int closing_code(gate_writer& g, const coc_gate_request& request) {
    switch (request.gain_step) {
        case 1:
            return 15;
        case 2:
            return 6;
        case 3:
            return 7;
        case 4:
            return 2;
        case 256:
        case 257: {
            const std::vector<coc_gate_entry> fixed = fixed_entries(request.entries.size());
            if (request.body == coc_gate_body::two_gates) {
                two_gates(g, fixed.size() < 2 ? fixed_entries(2) : fixed);
            } else {
                gate_list(g, fixed);
            }
            return 6;
        }
        default:
            return 14;
    }
}

}  // namespace lmv::coc_gate
