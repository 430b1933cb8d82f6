#pragma once
// Writer of the gate program's words: primitives, timed steps with their limit, runs of steps and
// five-bit tick patterns. Shared by the program and its timing bodies.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "camera/coc/CocFastWords.h"
#include "camera/coc/CocGateProgram.h"

namespace lmv::coc_gate {

namespace f = coc_fast_word;

constexpr int kGainOperand = 4;  // code that opens the program
constexpr int kTripleOpen = 15, kTripleFine = 6;
constexpr int kClosingValueList = 6;
constexpr int kDelayPatternBase = 96;
constexpr int kGatePatternBase = 192;

// Step codes of the runs, largest first, in bytes: k = 1 for a delay, 0 for a gate. The first
// scale counts 100-ns units, the second 20-ns units.
struct run_step {
    int64_t units;
    int byte;
};
constexpr run_step kFirstScale[] = {{40000, 166}, {10000, 164}, {1000, 162},
                                    {100, 160},   {10, 128},    {1, 32}};
constexpr run_step kSecondScale[] = {{200000, 166}, {50000, 164}, {5000, 162},
                                     {500, 160},    {50, 128},    {5, 32}};
enum class scale { first, second };
constexpr int kDelayRun = 1, kGateRun = 0;

// Writes into a buffer of kGateProgramCapacityWords words. After an error the program is
// discarded, so the writer stops at the first one.
class gate_writer {
  public:
    explicit gate_writer(uint16_t* buffer) : buffer_(buffer) {}

    int error = 0;
    int closing_value = 0;

    size_t size() const { return size_; }
    void record(int code) {
        if (error == 0) error = code;
    }
    void put(uint16_t word) {
        if (size_ >= kGateProgramCapacityWords) {
            record(kGateProgramOverflow);
            return;
        }
        buffer_[size_++] = word;
    }
    void code(int k) { put(static_cast<uint16_t>(f::kCodeBase + k)); }
    void byte_operand(int64_t v, uint16_t terminator) {
        put(static_cast<uint16_t>((v & 15) | f::kOperandLow));
        put(static_cast<uint16_t>(((v >> 4) & 15) | f::kOperandHigh));
        put(terminator);
    }
    void operand12(int64_t v, uint16_t terminator) {
        put(static_cast<uint16_t>((v & 15) | f::kOperandLow));
        put(static_cast<uint16_t>(((v >> 4) & 15) | f::kOperandHigh));
        put(static_cast<uint16_t>(((v >> 8) & 15) | f::kOperandHigh));
        put(terminator);
    }
    void triple(int a, int b, int c) {
        put(static_cast<uint16_t>(f::kOperandLow + a));
        put(static_cast<uint16_t>(f::kOperandHigh + b));
        put(static_cast<uint16_t>(f::kOperandHigh + c));
        put(f::kTripleEnd);
    }
    void step(int k) { steps(k, 1); }
    // The same timed step `count` times.
    void steps(int k, int64_t count) {
        if (count <= 0 || error != 0) return;
        // The first error is the one a word-by-word writer would meet first: the step that
        // reaches the limit, or the step whose words no longer fit (the limit when both).
        const int64_t limit_at = kGateProgramStepLimitCount - steps_;
        const int64_t overflow_at =
            static_cast<int64_t>((kGateProgramCapacityWords - size_) / 3) + 1;
        if (count >= std::min(limit_at, overflow_at)) {
            record(limit_at <= overflow_at ? kGateProgramStepLimit : kGateProgramOverflow);
            return;
        }
        steps_ += static_cast<int>(count);
        const uint16_t low = static_cast<uint16_t>((k & 15) | f::kOperandLow);
        const uint16_t high = static_cast<uint16_t>(((k >> 4) & 15) | f::kOperandHigh);
        uint16_t* out = buffer_ + size_;
        for (int64_t i = 0; i < count; ++i, out += 3) {
            out[0] = low;
            out[1] = high;
            out[2] = f::kEndStep;
        }
        size_ += static_cast<size_t>(count) * 3;
    }
    // Writes the time as steps, largest first; the value keeps the rest.
    void run(int64_t& value, int k, scale s) {
        const run_step* table = s == scale::first ? kFirstScale : kSecondScale;
        for (int i = 0; i < 6 && error == 0; ++i) {
            if (value < table[i].units) continue;
            // Below the largest step fewer than ten of a step fit: counted without a division.
            int64_t count = 0;
            if (i == 0) {
                count = value / table[i].units;
                value -= count * table[i].units;
            } else {
                for (; value >= table[i].units; value -= table[i].units) ++count;
            }
            steps(table[i].byte + k, count);
        }
    }
    bool stopped() const { return error != 0; }

  private:
    uint16_t* buffer_;
    size_t size_ = 0;
    int steps_ = 0;
};

// Five-bit patterns of 20-ns ticks: 1 for a delay tick, 0 for a gate tick. Patterns of the gate
// list are all written on the delay base; those of the fine two-gate body take the base of
// their first tick.
enum class pattern_base { delay, first_tick };

struct tick_pattern {
    pattern_base rule = pattern_base::delay;
    int bits = 0;
    int value = 0;
    int base = kDelayPatternBase;

    bool open() const { return bits > 0; }
    // Adds a tick; a full pattern is written.
    void add(gate_writer& g, int bit) {
        if (bits == 0)
            base = rule == pattern_base::first_tick && !bit ? kGatePatternBase : kDelayPatternBase;
        value |= bit << bits;
        if (++bits < 5) return;
        g.step(base + value);
        bits = value = 0;
    }
    // Fills the open pattern with `bit`, taking the ticks from `ticks`; returns the ticks added.
    int fill(gate_writer& g, int bit, int64_t* ticks) {
        int added = 0;
        while (open()) {
            add(g, bit);
            if (ticks) --*ticks;
            ++added;
        }
        return added;
    }
};

// The timing body of the type over the entries, the resolution step and the closing code.
void timing_body(gate_writer& g, coc_gate_body body, const std::vector<coc_gate_entry>& entries);
int resolution_step(const coc_gate_request& request);
// Closing code by the gain step; the fixed body that goes before some of them is written here.
int closing_code(gate_writer& g, const coc_gate_request& request);

}  // namespace lmv::coc_gate
