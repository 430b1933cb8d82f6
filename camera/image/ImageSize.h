#pragma once
// The one rule for the image sizes the exports take: width x height pixels, times the pictures of
// a sequence buffer, must come to a byte count the int-sized interface can hold. Checked before
// any memory is allocated or touched, so an impossible size is refused instead of overrunning.
#include <cstdint>

namespace lmv {

enum class image_empty { allowed, refused };

// Bytes of `pictures` pictures of width x height pixels of `pixel_bytes` each; -1 for a negative
// size, an empty one where refused, or a byte count beyond INT_MAX.
[[nodiscard]] int64_t image_bytes(int width, int height, int pixel_bytes, image_empty empty,
                                  int64_t pictures = 1);

// 0 for a size image_bytes accepts, else -3.
[[nodiscard]] int image_size_check(int width, int height, int pixel_bytes, image_empty empty,
                                   int64_t pictures = 1);

// The buffers of a conversion: a missing 16-bit source or 8-bit destination of a picture that is
// not empty is logged and gives -23; else 0.
[[nodiscard]] int conversion_buffers_check(int width, int height, const void* src, const void* dst);

}  // namespace lmv
