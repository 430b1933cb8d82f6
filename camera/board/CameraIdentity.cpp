#include "camera/board/CameraIdentity.h"

#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

// Identification bytes other than 0 name their CCD type directly.
struct ident_entry {
    uint32_t ident_byte;
    int ccd_typ;
};
constexpr ident_entry kIdentBytes[] = {{1, 9}, {2, 10}, {3, 11}, {16, 17}, {18, 21}, {20, 19}};

uint32_t bit_field(uint32_t value, int low, int count) {
    return (value >> low) & ((1u << count) - 1);
}

int ccd_of_status(uint32_t status) {
    switch (bit_field(status, 14, 2)) {
        case 0:
        case 1:
            return 1;
        case 2:
            return 3;
        default:
            return bit_field(status, 9, 3) == 7 ? 5 : 0;
    }
}

int ccd_of_ident_byte(uint32_t ident_byte) {
    for (const auto& e : kIdentBytes)
        if (e.ident_byte == ident_byte) return e.ccd_typ;
    return 0;
}

void decode_camera_type(board_record& rec, uint32_t status) {
    switch (bit_field(status, 12, 2)) {
        case 1:
            rec.camera_typ = 1;
            break;
        case 3:
            rec.camera_typ = 5;
            rec.camera_id = static_cast<int32_t>(bit_field(status, 6, 2));
            break;
        default:
            rec.camera_typ = 2;
            break;
    }
}

void decode_flags(board_record& rec, uint32_t status) {
    const bool extended = bit_field(status, 9, 3) >= 2 && bit_field(status, 6, 2) == 3;
    rec.camera_flags = extended ? rec.camera_flags | 0x100 : rec.camera_flags & ~0x100;
    const bool alternate = !(status & 0x10);
    rec.camera_flags = alternate ? rec.camera_flags | 1 : rec.camera_flags & ~1;
}

}  // namespace

const ccd_traits* find_ccd(uint32_t ident_byte, uint32_t status) {
    return ccd_lookup(ident_byte == 0 ? ccd_of_status(status) : ccd_of_ident_byte(ident_byte));
}

int decode_camera(board_record& rec, uint32_t ident_byte, uint32_t status) {
    decode_camera_type(rec, status);
    decode_flags(rec, status);
    const ccd_traits* ccd = find_ccd(ident_byte, status);
    if (!ccd) return kTypeNotSupported;
    rec.ccd_typ = ccd->ccd_typ + ((status & 0x100) ? 1 : 0);
    rec.ccd_width = ccd->width;
    rec.ccd_height = ccd->height;
    rec.aoi_offset = ccd->aoi_offset;
    rec.powerdown_lo = ccd->powerdown_lo;
    rec.powerdown_hi = ccd->powerdown_hi;
    return kOk;
}

}  // namespace lmv
