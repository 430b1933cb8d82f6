#pragma once
// Tables of the fast-shutter camera (camera class 1) on the CCD types of the general builder.
#include "camera/coc/CocContext.h"

namespace lmv {

// Header, body, fast tail, readout(s) and flush of submodes 0 to 6; -3 for other submodes or
// settings the body refuses, -21 for a table too long.
int coc_build_fast_shutter(coc_context& ctx);

// Readout and flush after a body: the fast tail, the readout, for a double image the
// second-image interlude and a second readout, then the flush with its arm word.
enum class coc_image_count { single, two };
int coc_fast_images(coc_context& ctx, coc_image_count images);

}  // namespace lmv
