#include "camera/image/ImageSize.h"

#include <climits>

#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"

namespace lmv {

int64_t image_bytes(int width, int height, int pixel_bytes, image_empty empty, int64_t pictures) {
    if (width < 0 || height < 0 || pixel_bytes < 1 || pictures < 1) return -1;
    if (empty == image_empty::refused && (width == 0 || height == 0)) return -1;
    // Each factor is below 2^31, so every partial product is checked before it could overflow.
    const int64_t pixels = int64_t{width} * height;
    if (pixels > INT_MAX / pixel_bytes) return -1;
    const int64_t picture = pixels * pixel_bytes;
    if (picture > 0 && pictures > INT_MAX / picture) return -1;
    return picture * pictures;
}

int image_size_check(int width, int height, int pixel_bytes, image_empty empty, int64_t pictures) {
    return image_bytes(width, height, pixel_bytes, empty, pictures) < 0 ? kWrongParameter : kOk;
}

int conversion_buffers_check(int width, int height, const void* src, const void* dst) {
    const bool empty = width == 0 || height == 0;
    if (!src && !empty) {
        log_message(kLogErrors, "convert bad pointer 16-Bit\r\n");
        return kNoMemory;
    }
    if (!dst && !empty) {
        log_message(kLogErrors, "convert bad pointer 8-Bit\r\n");
        return kNoMemory;
    }
    return kOk;
}

}  // namespace lmv
