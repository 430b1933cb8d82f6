// Exports of the 12-to-8-bit conversion, the B/W output table and the display palette.
#include <cstdint>

#include "camera/api/ResultCodes.h"
#include "camera/image/BwSettings.h"
#include "camera/image/Convert12To8.h"
#include "camera/image/OutputLut.h"
#include "camera/image/Palette.h"
#include "lmvntcam.h"

using namespace lmv;

extern "C" {

LMV_API int LOAD_OUTPUT_LUT(unsigned char* lut) {
    return load_output_lut(lut);
}

LMV_API int CONVERT_BUFFER_12TO8(int mode, int width, int height, short* src, unsigned char* dst) {
    return convert_12to8(mode, width, height, reinterpret_cast<const uint16_t*>(src), dst,
                         bw_conversion_table());
}

LMV_API int SET_DIALOG_BW(int min, int max, int lin) {
    return bw_set_dialog(min, max, lin);
}

LMV_API int GET_DIALOG_BW(int* min, int* max, int* lin) {
    const int rc = bw_get_dialog(min, max, lin);
    return rc == kOk && !(min && max && lin) ? kNoMemory : rc;  // a missing result is no success
}

LMV_API void** GET_PALETTE(void** palette) {
    if (palette) *palette = palette_handle();
    return palette;
}

}  // extern "C"
