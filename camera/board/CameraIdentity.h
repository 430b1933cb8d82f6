#pragma once
// Camera and CCD type from the camera status word (register 6) and the identification byte,
// with the geometry and power-down defaults of the CCD type's record.
#include <cstdint>

#include "camera/api/board_record.h"
#include "camera/board/CcdTraits.h"

namespace lmv {

// The CCD of the identification byte and status word; null for an unrecognised camera.
const ccd_traits* find_ccd(uint32_t ident_byte, uint32_t status);

// Writes camera_typ, camera_id (intensified camera), ccd_typ, geometry and camera_flags into the
// record. 0, or -8 for an unrecognised camera (CCD fields then unchanged).
int decode_camera(board_record& rec, uint32_t ident_byte, uint32_t status);

}  // namespace lmv
