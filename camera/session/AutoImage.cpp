// The automatic functions that may take their own picture: the image layer computes, the
// acquisition layer starts the camera and reads the picture.
#include <cstdint>

#include "camera/acquire/Acquire.h"
#include "camera/image/AutoMinMax.h"
#include "camera/image/AutoRange.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr image_capture_procedures kAcquisition{&acquire_start_board, &acquire_read_12bit_held};

}  // namespace

extern "C" {

LMV_API int AUTO_MINMAX(int mode, int* min, int* max, int width, int height,
                        unsigned short* image) {
    return auto_minmax(kAcquisition, mode, min, max, width, height, image);
}

LMV_API int AUTO_MINMAX_OFF(int mode, int* min, int* max, int low_percent, int high_percent,
                            int width, int height, unsigned short* image) {
    return auto_minmax_off(kAcquisition, mode, min, max, low_percent, high_percent, width, height,
                           image);
}

LMV_API int AUTO_RANGE(int flags, int* exposure, int percent, int width, int height,
                       unsigned short* image) {
    return auto_range(kAcquisition, flags, exposure, percent, width, height, image);
}

}  // extern "C"
