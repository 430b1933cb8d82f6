#pragma once
// Builder of the CCD types 21 and 22: long-exposure submodes 0 to 3 and the header programs of
// submodes 16 to 19.
#include "camera/coc/CocContext.h"

namespace lmv {

int coc_build_ccd_2122(coc_context& ctx);

// Sections of this builder.
void coc_2122_transfer(coc_context& ctx);
void coc_2122_readout(coc_context& ctx);
void coc_2122_flush_words(coc_context& ctx);
void coc_2122_flush(coc_context& ctx);

}  // namespace lmv
