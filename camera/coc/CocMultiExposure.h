#pragma once
// Groups of repeated exposures (fast-shutter submode 5 and its form on the CCD types 9-12).
#include <cstdint>

#include "camera/coc/CocContext.h"

namespace lmv {

// Header word before 753 by trigger low byte: 0 and 2, 1; others none.
struct coc_multi_header {
    uint16_t untriggered;
    uint16_t triggered;
};
extern const coc_multi_header kMultiHeaderFast;
extern const coc_multi_header kMultiHeader912;

// Groups (g, n, d, x) of the time values, each written n times; 0 or -21.
int coc_multi_exposure(coc_context& ctx, const coc_multi_header& header);

}  // namespace lmv
