#include "camera/coc/CocFastSeam.h"

#include "camera/coc/CocCcd912.h"
#include "camera/coc/CocFastShutter.h"
#include "camera/coc/CocIntensified.h"

namespace lmv {

int coc_build_fast(coc_fast_family family, coc_context& ctx) {
    switch (family) {
        case coc_fast_family::fast_shutter:
            return coc_build_fast_shutter(ctx);
        case coc_fast_family::intensified:
            return coc_build_intensified(ctx);
        case coc_fast_family::ccd_9_12:
            return coc_build_ccd_912(ctx);
    }
    return kWrongParameter;
}

}  // namespace lmv
