#pragma once
// Tables of the fast-shutter camera on the CCD types 9 to 12: submodes 0, 5, 7, 8 and 9, each
// with its header and body, then the tail with the black lines, the readout and the flush.
#include "camera/coc/CocContext.h"

namespace lmv {

// 0, -3 (another camera class or submode, an hbin other than 1, 2, 4, 8, a refused list) or -21.
int coc_build_ccd_912(coc_context& ctx);

}  // namespace lmv
