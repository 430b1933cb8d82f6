#pragma once
// White balance by channel maxima (AUTO_COLOR): the channel with the largest maximum sets the
// factor maximum / average; every channel's table maximum becomes factor x its average.
#include <cstdint>

#include "camera/image/ColourSettings.h"
#include "camera/image/ImageCapture.h"

namespace lmv {

constexpr int kAutoColourDarkAverage = 100;        // an average at or below: too dark
constexpr int kAutoColourSaturatedAverage = 4050;  // an average above: saturated
constexpr int kAutoColourTableMin = 100;           // minimum of every channel afterwards
constexpr int kAutoColourUnbalanced = 100;         // result: too dark or saturated

// Sums, maxima and cell count of the R G / G B cells of a picture. Pixel values above 4095 count
// as 4095, as the conversion shows them.
struct mosaic_statistics {
    uint64_t sum[kColourChannels] = {};
    uint32_t max[kColourChannels] = {};
    uint64_t cells = 0;
};
mosaic_statistics mosaic_statistics_of(const uint16_t* image, int width, int height);

// The new colour parameters from the statistics; false (100) when an average is at most 100 or
// above 4050.
bool auto_colour_parameters(const mosaic_statistics& s, colour_parameters& out);

// AUTO_COLOR. A null image takes a picture of the current board at its COC size (see
// image_take_picture). 0, 100 (too dark or saturated, nothing changed), -3 for a picture
// narrower or lower than 2, or the picture's error.
int auto_colour(const image_capture_procedures& procs, int width, int height,
                const uint16_t* image);

}  // namespace lmv
