#pragma once
// Orientation transforms applied in place after a transfer: images of `height` rows of `width`
// pixels. False when the row buffer of the vertical flip cannot be had (the image is unchanged).
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

namespace lmv {

template <typename Pixel>
bool flip_vertical(Pixel* image, size_t width, size_t height) {
    std::vector<Pixel> row;
    try {
        row.resize(width);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const size_t bytes = width * sizeof(Pixel);
    for (size_t k = 0; k < height / 2; ++k) {
        Pixel* top = image + k * width;
        Pixel* bottom = image + (height - 1 - k) * width;
        std::memcpy(row.data(), top, bytes);
        std::memcpy(top, bottom, bytes);
        std::memcpy(bottom, row.data(), bytes);
    }
    return true;
}

template <typename Pixel>
void mirror_rows(Pixel* image, size_t width, size_t height) {
    for (size_t k = 0; k < height; ++k) std::reverse(image + k * width, image + (k + 1) * width);
}

template <typename Pixel>
void rotate_180(Pixel* image, size_t width, size_t height) {
    std::reverse(image, image + width * height);
}

}  // namespace lmv
