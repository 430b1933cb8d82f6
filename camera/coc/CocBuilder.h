#pragma once
// Builds the camera operation code of a board record: the word table the board plays to the
// camera, and the coc, exposure-with-marks, exposure and delay times written into the record.
// Touches no hardware. On failure the record keeps its previous times.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/api/board_record.h"
#include "camera/coc/CocConstants.h"
#include "camera/coc/CocContext.h"

namespace lmv {

// Builds the table into `table` (cleared first; it ends with the end word 4064 twice).
// `previous` holds the constants of the last build, used for CCD types without their own;
// without any, such a type returns -8.
// Results: 0; -3 camera class or submode without a table, or settings the table cannot encode;
// -8 CCD type without constants; -21 table longer than the board memory.
int coc_build(board_record& rec, coc_previous& previous, std::vector<uint16_t>& table);

// Whether the long-exposure builder of the CCD type has a table for the submode: 0 to 6, or on
// the CCD types with header programs 0 to 3 and 16 to 19.
bool coc_has_long_exposure_table(int ccd_typ, int submode);

// Same into a caller buffer of `capacity` words; the word count, end words included, goes to
// *word_count. -23 for a null buffer or count; -21 when the table does not fit.
int coc_build(board_record& rec, coc_previous& previous, uint16_t* buffer, size_t capacity,
              size_t* word_count);

}  // namespace lmv
