#include "camera/coc/CocGateProgram.h"

#include <algorithm>
#include <iterator>

#include "camera/coc/CocFastWords.h"
#include "camera/coc/CocGateWriter.h"

namespace lmv {

using coc_gate::gate_writer;
using coc_gate::kGainOperand;
namespace f = coc_fast_word;

int coc_gate_program_words(const coc_gate_request& request, std::vector<uint16_t>& words) {
    words.clear();
    gate_writer g(words);
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
    if (g.error != 0) return g.error;
    return static_cast<int>(words.size());
}

int coc_gate_program(coc_context& ctx, const coc_gate_request& request) {
    std::vector<uint16_t> words;
    words.reserve(256);
    const int rc = coc_gate_program_words(request, words);
    if (rc < 0) return rc;
    ctx.put_words(words);
    return rc;
}

}  // namespace lmv
