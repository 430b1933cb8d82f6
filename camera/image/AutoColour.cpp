#include "camera/image/AutoColour.h"
#include "camera/image/ImageSize.h"

#include <algorithm>

#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

constexpr uint16_t kTopLevel = kLutMaxLimit;

inline uint16_t level(uint16_t v) {
    return std::min(v, kTopLevel);
}

void add(mosaic_statistics& s, int channel, uint16_t v) {
    s.sum[channel] += level(v);
    s.max[channel] = std::max<uint32_t>(s.max[channel], level(v));
}

// Green first on a tie, then red, then blue.
int brightest_channel(const mosaic_statistics& s) {
    if (s.max[kGreen] >= s.max[kRed] && s.max[kGreen] >= s.max[kBlue]) return kGreen;
    return s.max[kRed] >= s.max[kBlue] ? kRed : kBlue;
}

int new_maximum(double factor, uint64_t average) {
    const auto v = static_cast<int64_t>(factor * static_cast<double>(average));
    if (v > kLutMaxLimit) return kLutMaxLimit;
    return v <= kAutoColourTableMin ? kAutoColourTableMin + 1 : static_cast<int>(v);
}

}  // namespace

mosaic_statistics mosaic_statistics_of(const uint16_t* image, int width, int height) {
    mosaic_statistics s;
    const size_t w = static_cast<size_t>(width);
    for (int y = 0; y + 1 < height; y += 2) {
        const uint16_t* top = image + static_cast<size_t>(y) * w;
        const uint16_t* bottom = top + w;
        for (size_t x = 0; x + 1 < w; x += 2) {
            add(s, kRed, top[x]);
            add(s, kGreen, top[x + 1]);
            add(s, kGreen, bottom[x]);
            add(s, kBlue, bottom[x + 1]);
            ++s.cells;
        }
    }
    return s;
}

bool auto_colour_parameters(const mosaic_statistics& s, colour_parameters& out) {
    if (s.cells == 0) return false;
    const uint64_t average[kColourChannels] = {s.sum[kRed] / s.cells, s.sum[kGreen] / (2 * s.cells),
                                               s.sum[kBlue] / s.cells};
    for (uint64_t a : average)
        if (a <= kAutoColourDarkAverage || a > kAutoColourSaturatedAverage) return false;
    const int c = brightest_channel(s);
    const double factor = static_cast<double>(s.max[c]) / static_cast<double>(average[c]);
    out = colour_parameters{kAutoColourTableMin,
                            new_maximum(factor, average[kRed]),
                            kAutoColourTableMin,
                            new_maximum(factor, average[kGreen]),
                            kAutoColourTableMin,
                            new_maximum(factor, average[kBlue]),
                            kBwLinear};
    return true;
}

int auto_colour(const image_capture_procedures& procs, int width, int height,
                const uint16_t* image) {
    captured_image taken;
    if (!image) {
        if (int rc = image_take_picture(procs, taken); rc != kOk) return rc;
        image = taken.pixels.data();
        width = taken.width;
        height = taken.height;
    }
    // A picture without a whole cell has nothing to balance (and no average to divide by).
    if (width < 2 || height < 2) return kWrongParameter;
    if (int rc = image_size_check(width, height, 2, image_empty::refused); rc != kOk) return rc;
    colour_parameters p;
    if (!auto_colour_parameters(mosaic_statistics_of(image, width, height), p))
        return kAutoColourUnbalanced;
    return colour_set_dialog(p);
}

}  // namespace lmv
