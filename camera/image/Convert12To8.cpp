#include "camera/image/Convert12To8.h"

#include <cstring>
#include <system_error>
#include <thread>

#include "camera/api/ResultCodes.h"
#include "camera/image/ImageSize.h"

namespace lmv {
namespace {

constexpr size_t kBlock = 8;        // pixels per unrolled step: two 64-bit loads of the source
constexpr size_t kSplitAlign = 64;  // split point of contiguous images, one cache line of output

inline uint32_t word(uint64_t words, int k) {
    return static_cast<uint32_t>(words >> (16 * k)) & 0xFFFF;
}

// dst[i] = t[src[i]] for i < n. Byte stores keep the table loads independent of each other;
// assembling a 64-bit output word, vector gathers and an arithmetic path for linear tables all
// measured no better than one table load per pixel.
void convert_forward(const uint16_t* src, uint8_t* dst, size_t n, const uint8_t* t) {
    size_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        uint64_t lo, hi;
        std::memcpy(&lo, src + i, 8);
        std::memcpy(&hi, src + i + 4, 8);
        uint8_t* d = dst + i;
        d[0] = t[word(lo, 0)];
        d[1] = t[word(lo, 1)];
        d[2] = t[word(lo, 2)];
        d[3] = t[word(lo, 3)];
        d[4] = t[word(hi, 0)];
        d[5] = t[word(hi, 1)];
        d[6] = t[word(hi, 2)];
        d[7] = t[word(hi, 3)];
    }
    for (; i < n; ++i) dst[i] = t[src[i]];
}

// dst[n - 1 - i] = t[src[i]] for i < n.
void convert_reverse(const uint16_t* src, uint8_t* dst, size_t n, const uint8_t* t) {
    size_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        uint64_t lo, hi;
        std::memcpy(&lo, src + i, 8);
        std::memcpy(&hi, src + i + 4, 8);
        uint8_t* d = dst + (n - i - kBlock);
        d[7] = t[word(lo, 0)];
        d[6] = t[word(lo, 1)];
        d[5] = t[word(lo, 2)];
        d[4] = t[word(lo, 3)];
        d[3] = t[word(hi, 0)];
        d[2] = t[word(hi, 1)];
        d[1] = t[word(hi, 2)];
        d[0] = t[word(hi, 3)];
    }
    for (; i < n; ++i) dst[n - 1 - i] = t[src[i]];
}

struct convert_job {
    const uint16_t* src;
    uint8_t* dst;
    size_t width;
    size_t height;
    const uint8_t* table;
};

// A part of a job: pixels [begin, end) of a contiguous mode, rows [begin, end) of a row mode.
using convert_part = void (*)(const convert_job& j, size_t begin, size_t end);

void part_same_order(const convert_job& j, size_t begin, size_t end) {
    convert_forward(j.src + begin, j.dst + begin, end - begin, j.table);
}

void part_rotate(const convert_job& j, size_t begin, size_t end) {
    const size_t total = j.width * j.height;
    convert_reverse(j.src + begin, j.dst + (total - end), end - begin, j.table);
}

void part_flip(const convert_job& j, size_t begin, size_t end) {
    for (size_t k = begin; k < end; ++k)
        convert_forward(j.src + k * j.width, j.dst + (j.height - 1 - k) * j.width, j.width,
                        j.table);
}

void part_mirror(const convert_job& j, size_t begin, size_t end) {
    for (size_t k = begin; k < end; ++k)
        convert_reverse(j.src + k * j.width, j.dst + k * j.width, j.width, j.table);
}

struct mode_entry {
    int mode;
    convert_part part;
    bool by_rows;
};

constexpr mode_entry kModes[] = {
    {kConvertSameOrder, part_same_order, false},
    {kConvertFlipVertical, part_flip, true},
    {kConvertMirror, part_mirror, true},
    {kConvertRotate180, part_rotate, false},
};

const mode_entry* find_mode(int mode) {
    for (const auto& m : kModes)
        if (m.mode == mode) return &m;
    return nullptr;
}

// Large images go to two threads, each with its half; when no thread can be started, one does all.
void run_parts(const mode_entry& m, const convert_job& j, int max_threads) {
    const size_t pixels = j.width * j.height;
    const size_t units = m.by_rows ? j.height : pixels;
    if (max_threads > 1 && pixels >= kConvertSplitPixels && units >= 2) {
        size_t mid = units / 2;
        if (!m.by_rows) mid -= mid % kSplitAlign;
        try {
            std::thread second(m.part, std::cref(j), mid, units);
            m.part(j, 0, mid);
            second.join();
            return;
        } catch (const std::system_error&) {
        }
    }
    m.part(j, 0, units);
}

int check_arguments(int mode, int width, int height, const void* src, const void* dst) {
    if (int rc = conversion_buffers_check(width, height, src, dst); rc != kOk) return rc;
    if (!find_mode(mode)) return kWrongParameter;
    if (int rc = image_size_check(width, height, 2, image_empty::allowed); rc != kOk) return rc;
    return kOk;
}

}  // namespace

int convert_12to8(int mode, int width, int height, const uint16_t* src, uint8_t* dst,
                  const uint8_t* table, int max_threads) {
    if (int rc = check_arguments(mode, width, height, src, dst); rc != kOk) return rc;
    const convert_job job{src, dst, static_cast<size_t>(width), static_cast<size_t>(height), table};
    if (job.width * job.height > 0) run_parts(*find_mode(mode), job, max_threads);
    return kOk;
}

int convert_12to8_reference(int mode, int width, int height, const uint16_t* src, uint8_t* dst,
                            const uint8_t* table) {
    if (int rc = check_arguments(mode, width, height, src, dst); rc != kOk) return rc;
    const bool flip = mode == kConvertFlipVertical || mode == kConvertRotate180;
    const bool mirror = mode == kConvertMirror || mode == kConvertRotate180;
    for (int y = 0; y < height; ++y) {
        const int ty = flip ? height - 1 - y : y;
        for (int x = 0; x < width; ++x) {
            const int tx = mirror ? width - 1 - x : x;
            dst[static_cast<size_t>(ty) * width + tx] =
                table[src[static_cast<size_t>(y) * width + x]];
        }
    }
    return kOk;
}

}  // namespace lmv
