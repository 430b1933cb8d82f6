#include "camera/coc/CocGateProgram.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "camera/coc/CocFastWords.h"
#include "camera/coc/CocGateWriter.h"

namespace lmv {

using coc_gate::gate_writer;
using coc_gate::kGainOperand;
namespace f = coc_fast_word;

namespace {

// Writes the program into `buffer` (kGateProgramCapacityWords words).
int write_program(const coc_gate_request& request, uint16_t* buffer, size_t& count) {
    gate_writer g(buffer);
    g.code(kGainOperand);
    g.byte_operand(0, f::kEndByte);
    g.byte_operand(1, f::kEndByte);
    const int64_t gain = request.gain;
    g.operand12(((4 * gain) / 6 + 334) * 4095 / 1000, f::kEndGain);
    g.byte_operand(request.repetitions, f::kEndRepeats);
    g.step(coc_gate::resolution_step(request));
    if (request.gain_step < 255) coc_gate::timing_body(g, request.body, request.entries);
    const int closing = coc_gate::closing_code(g, request);
    g.code(closing);
    g.byte_operand(0, f::kEndByte);
    g.byte_operand(0, f::kEndByte);
    g.byte_operand(g.closing_value, f::kEndByte);
    g.code(closing);
    g.code(closing);
    count = g.size();
    if (g.error != 0) return g.error;
    return static_cast<int>(count);
}

}  // namespace

int coc_gate_program_words(const coc_gate_request& request, std::vector<uint16_t>& words) {
    words.resize(kGateProgramCapacityWords);
    size_t count = 0;
    const int rc = write_program(request, words.data(), count);
    words.resize(count);
    return rc;
}

int coc_gate_program(coc_context& ctx, const coc_gate_request& request) {
    // One scratch program per thread: builds on several boards may run side by side.
    thread_local std::unique_ptr<uint16_t[]> scratch(new uint16_t[kGateProgramCapacityWords]);
    size_t count = 0;
    const int rc = write_program(request, scratch.get(), count);
    if (rc < 0) return rc;
    ctx.put_words(scratch.get(), count);
    return rc;
}

}  // namespace lmv
