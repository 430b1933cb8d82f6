#pragma once
// The record a set-up starts from and the camera limits it derives once the camera is known.
#include "camera/api/board_record.h"

namespace lmv {

// The set-up defaults (camera type 2, CCD type 1, 640 x 480, ...). What the record holds of the
// opened device, the board identification, init_mode and the recorder stays as it is.
void write_record_defaults(board_record& rec, int board);

// exp_min and exp_max by init_mode bits 8 and 9, camera type and CCD type.
void set_exposure_limits(board_record& rec);

// Intensified camera: exp_min, delay_max and gain_index by the gain mode (status bits 9-11) and
// the first eight time values.
void set_intensifier_limits(board_record& rec, unsigned gain_mode);

}  // namespace lmv
