#include "camera/coc/CocConstants.h"

namespace lmv {

const ccd_constants* coc_constants_for(int ccd_typ) {
    const ccd_traits* traits = ccd_lookup(ccd_typ);
    return traits ? &traits->constants : nullptr;
}

const ccd_words& coc_words_for(int ccd_typ) {
    return ccd_traits_or_unknown(ccd_typ).words;
}

int coc_option_base(int ccd_typ, int32_t status_extra) {
    int c = 0;
    if (ccd_traits_or_unknown(ccd_typ).option_sensor && (status_extra & 0x2)) c += 1;
    if ((status_extra & 0x100) && (status_extra & 0x1)) c += 8;
    return c;
}

}  // namespace lmv
