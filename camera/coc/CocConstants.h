#pragma once
// The CCD type's timing constants and words as the general builder reads them.
#include <cstdint>

#include "camera/board/CcdTraits.h"

namespace lmv {

// The constants a build used. A CCD type without constants of its own builds with those the
// previous build left; the caller keeps this between builds.
struct coc_previous {
    bool valid = false;
    ccd_timing timing{};
    int c = 0;
};

// Constants of a CCD type, or nullptr when the type has none.
const ccd_constants* coc_constants_for(int ccd_typ);

// Per-type words; empty lists for types without their own.
const ccd_words& coc_words_for(int ccd_typ);

// Option base c from the CCD type and status_extra.
int coc_option_base(int ccd_typ, int32_t status_extra);

}  // namespace lmv
