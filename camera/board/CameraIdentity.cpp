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

uint32_t Bits(uint32_t value, int low, int count) {
    return (value >> low) & ((1u << count) - 1);
}

int CcdOfStatus(uint32_t status) {
    switch (Bits(status, 14, 2)) {
        case 0:
        case 1:
            return 1;
        case 2:
            return 3;
        default:
            return Bits(status, 9, 3) == 7 ? 5 : 0;
    }
}

int CcdOfIdentByte(uint32_t ident_byte) {
    for (const auto& e : kIdentBytes)
        if (e.ident_byte == ident_byte) return e.ccd_typ;
    return 0;
}

void DecodeCameraType(board_record& rec, uint32_t status) {
    switch (Bits(status, 12, 2)) {
        case 1:
            rec.camera_typ = 1;
            break;
        case 3:
            rec.camera_typ = 5;
            rec.camera_id = static_cast<int32_t>(Bits(status, 6, 2));
            break;
        default:
            rec.camera_typ = 2;
            break;
    }
}

void DecodeFlags(board_record& rec, uint32_t status) {
    const bool extended = Bits(status, 9, 3) >= 2 && Bits(status, 6, 2) == 3;
    rec.camera_flags = extended ? rec.camera_flags | 0x100 : rec.camera_flags & ~0x100;
    const bool alternate = !(status & 0x10);
    rec.camera_flags = alternate ? rec.camera_flags | 1 : rec.camera_flags & ~1;
}

}  // namespace

const ccd_traits* FindCcd(uint32_t ident_byte, uint32_t status) {
    return ccd_lookup(ident_byte == 0 ? CcdOfStatus(status) : CcdOfIdentByte(ident_byte));
}

int DecodeCamera(board_record& rec, uint32_t ident_byte, uint32_t status) {
    DecodeCameraType(rec, status);
    DecodeFlags(rec, status);
    const ccd_traits* ccd = FindCcd(ident_byte, status);
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
