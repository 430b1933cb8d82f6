#pragma once
// Entry to the builders of the fast-shutter and intensified cameras and of the CCD types 9-12.
// The context carries the constants and option base of the build; the builder writes its
// header and body, readout and flush, but not the final end words.
#include "camera/coc/CocContext.h"

namespace lmv {

enum class coc_fast_family { fast_shutter, intensified, ccd_9_12 };

// 0 or an error: -3 for a camera class or submode without a table or settings the builder
// refuses, -21 for a table too long.
int coc_build_fast(coc_fast_family family, coc_context& ctx);

}  // namespace lmv
