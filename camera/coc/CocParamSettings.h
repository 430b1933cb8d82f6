#pragma once
// Read-back of the stored COC settings as SET_COC takes them, and the image size they give.
#include <cstdint>

#include "camera/api/board_record.h"
#include "camera/coc/CocParams.h"

namespace lmv {

// The nine parameters of the record; the time text is regenerated from the stored values.
coc_parameters coc_settings_of(const board_record& rec);

struct coc_image_size {
    int32_t width;
    int32_t height;
};
coc_image_size coc_image_size_of(const board_record& rec);

}  // namespace lmv
