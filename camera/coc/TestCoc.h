#pragma once
// The parameter check of TEST_COC and SET_COC: adjusts the nine parameters to what the camera of
// a board record can run, regenerates the time text and logs every change.
#include <cstdint>
#include <vector>

#include "camera/api/board_record.h"
#include "camera/coc/CocParams.h"

namespace lmv {

struct coc_check {
    coc_parameters adjusted;      // the parameters as the camera can run them, new text included
    std::vector<int32_t> stored;  // the time values a commit keeps in the record
    bool has_line_count = false;
    int32_t line_count = 0;
};

// 0 when nothing had to change, 103 when a value was adjusted.
int coc_check_parameters(const board_record& rec, const coc_parameters& request, coc_check& out);

}  // namespace lmv
