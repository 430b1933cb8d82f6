#pragma once
// 12-bit pictures to 24-bit (blue, green, red) or 32-bit (blue, green, red, 0) colour images:
// colour interpolation of the R G / G B mosaic by a quarter-pixel shift or by nearest-neighbour
// means, or pseudo colour of B/W pictures. Each method and orientation has its own loop.
#include <cstddef>
#include <cstdint>

namespace lmv {

// Bits of the mode word.
constexpr int kColourFlip = 0x01;    // output rows bottom-up
constexpr int kColour32Bit = 0x02;   // 4 bytes per pixel, the fourth 0
constexpr int kColourMirror = 0x08;  // each output row written from right to left
constexpr int kColourMethodShift = 4;
constexpr int kColourMethodMask = 0x30;

enum colour_method : int {
    kColourQuarterShift = 0,  // the colour at the centre of the cell left and below each pixel
    kColourPseudo = 1,        // B/W table, then the pseudo-colour tables
    kColourNearestMean = 2,   // own sample, means of the nearest samples of the other colours
};

// Valid: 0-3, 8-11, 16-19, 24-27, 32-35, 40-43.
bool colour_mode_valid(int mode);
// 3 or 4.
size_t colour_bytes_per_pixel(int mode);

// The tables a conversion reads: the three colour conversion tables and the B/W conversion table
// (65536 entries each) and the three pseudo-colour tables (256 entries each).
struct colour_conversion_tables {
    const uint8_t* red;
    const uint8_t* green;
    const uint8_t* blue;
    const uint8_t* bw;
    const uint8_t* pseudo_red;
    const uint8_t* pseudo_green;
    const uint8_t* pseudo_blue;
};
// The library's tables.
colour_conversion_tables colour_tables_in_use();

// Converts width x height pixels of `src` into `dst` (width x height x 3 or 4 bytes) with up to
// `max_threads` (1 or 2) threads for large images. 0; -3 for an invalid mode or a negative size;
// -23 for a null source or destination (logged).
int convert_12tocol(int mode, int width, int height, const uint16_t* src, uint8_t* dst,
                    const colour_conversion_tables& tables, int max_threads = 2);

}  // namespace lmv
