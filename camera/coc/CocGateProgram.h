#pragma once
// The intensifier's gate program: a small word program built into the table that sets the gain,
// the repetitions and the delays and gate widths of the intensifier.
#include <cstdint>
#include <vector>

#include "camera/coc/CocContext.h"

namespace lmv {

// Errors the generator records; they are no camera result codes.
constexpr int kGateProgramOverflow = -42;  // more words than the program holds
constexpr int kGateProgramNegativeDelay = -43;
constexpr int kGateProgramStepLimit = -45;  // too many timed steps, or a time without class

constexpr size_t kGateProgramCapacityWords = 50000;
constexpr int kGateProgramStepLimitCount = 31998;

// A time as a millisecond and a nanosecond part.
struct coc_gate_time {
    int64_t ms = 0;
    int64_t ns = 0;
    int64_t total_ns() const { return ms * 1000000 + ns; }
};

struct coc_gate_entry {
    coc_gate_time delay;
    coc_gate_time gate;
};

// Timing bodies: 1 and 9 one gate, 2 and 10 a list of gates, 3 and 11 two gates.
enum class coc_gate_body {
    one_gate = 1,
    gate_list = 2,
    two_gates = 3,
    one_gate_fine = 9,
    gate_list_fine = 10,
    two_gates_fine = 11
};

struct coc_gate_request {
    coc_gate_body body;
    int32_t gain;         // 0..1000
    int32_t gain_step;    // value 2 of the time values, with flag bit 8
    int32_t repetitions;  // value 3
    std::vector<coc_gate_entry> entries;
};

// Appends the program to the table: the number of words written, or one of the errors above
// (then nothing is written).
int coc_gate_program(coc_context& ctx, const coc_gate_request& request);

// The program's words alone; the same result.
int coc_gate_program_words(const coc_gate_request& request, std::vector<uint16_t>& words);

}  // namespace lmv
