#include "camera/coc/CocFastSeam.h"

namespace lmv {

int coc_build_fast(coc_fast_family, coc_context&) {
    // No table for these cameras yet: refuse rather than load a table without exposure.
    return kWrongParameter;
}

}  // namespace lmv
