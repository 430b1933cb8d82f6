#pragma once
// 12-to-8-bit conversion through a conversion table of 65536 entries (one per 16-bit pixel word).
// Each orientation has its own loop, so no pixel pays for a test of the mode.
#include <cstddef>
#include <cstdint>

namespace lmv {

enum convert_mode : int {
    kConvertSameOrder = 0,
    kConvertFlipVertical = 1,  // source row k goes to destination row height - 1 - k
    kConvertMirror = 8,        // each row reversed
    kConvertRotate180 = 9,     // both
};

// Images of at least this many pixels are converted by two threads.
constexpr size_t kConvertSplitPixels = size_t{1} << 20;

// Converts with `table` (65536 entries), with up to `max_threads` (1 or 2) threads for large
// images. 0; -3 for an unknown mode or a negative size; -23 for a null source or destination
// (logged).
int convert_12to8(int mode, int width, int height, const uint16_t* src, uint8_t* dst,
                  const uint8_t* table, int max_threads = 2);

// The plain one-pixel-at-a-time conversion, kept as the reference the fast loops must match.
int convert_12to8_reference(int mode, int width, int height, const uint16_t* src, uint8_t* dst,
                            const uint8_t* table);

}  // namespace lmv
