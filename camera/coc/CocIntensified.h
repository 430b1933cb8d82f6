#pragma once
// Tables of the intensified camera (camera class 5): submodes 0 to 2, each with its gate program.
#include <cstdint>

#include "camera/coc/CocContext.h"

namespace lmv {

// Header, body and, unless bit 8 of the gain step makes the body the whole table, fast tail,
// readout(s) and flush. 0, -3 (other submodes, a delay or gate the rules refuse, a gate program
// that fails in submodes 1 and 2) or -21.
int coc_build_intensified(coc_context& ctx);

// Delay and gate-width rules for a millisecond part m and a nanosecond part n; the gate width
// with its lower bound and the gain index.
bool coc_intensified_delay_valid(int64_t m, int64_t n);
bool coc_intensified_gate_valid(int64_t m, int64_t n, int64_t lower, int32_t gain_index);

}  // namespace lmv
