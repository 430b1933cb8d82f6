#pragma once
// B/W table limits from an image: its extremes (AUTO_MINMAX) or the levels that leave given
// shares of the pixels below and above (AUTO_MINMAX_OFF). Pixel values above 4095 count as 4095,
// as the conversion shows them.
#include <cstddef>
#include <cstdint>

#include "camera/image/ImageCapture.h"

namespace lmv {

constexpr int kHistogramBins = 4096;
constexpr int kAutoMinMaxUpdateDialog = 1;  // mode: also set the B/W table from the result

struct level_range {
    int min;
    int max;
};

// Smallest and largest pixel, starting from min 4095 and max 1.
level_range image_extremes(const uint16_t* image, size_t pixels);
// Bins of 12-bit values; larger values fall into the last bin.
void image_histogram(const uint16_t* image, size_t pixels, uint32_t histogram[kHistogramBins]);
// min: the first level at which the pixels up to it exceed low_percent of all; max: the first
// level from the top at which the pixels down to it exceed high_percent (1 when none); min is
// kept below max.
level_range histogram_range(const uint32_t histogram[kHistogramBins], size_t pixels,
                            int low_percent, int high_percent);

// The exports. A null image takes a picture of the current board at its COC size (see
// image_take_picture). 0, -3 for a negative size, -23 for null results, or the picture's error.
int auto_minmax(const image_capture_procedures& procs, int mode, int* min, int* max, int width,
                int height, const uint16_t* image);
int auto_minmax_off(const image_capture_procedures& procs, int mode, int* min, int* max,
                    int low_percent, int high_percent, int width, int height,
                    const uint16_t* image);

}  // namespace lmv
