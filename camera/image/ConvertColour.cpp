#include "camera/image/ConvertColour.h"
#include "camera/image/ImageSize.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "camera/api/ResultCodes.h"
#include "camera/image/ColourTables.h"
#include "camera/image/Convert12To8.h"
#include "camera/image/OutputLut.h"

// Border rule of the interpolation: a sample position outside the picture is replaced by the
// nearest row (column) of the picture that holds the same colour, so every estimate stays on its
// own colour and a missing neighbour in one direction leaves the interpolation in the other
// (weights 12:4). A picture of one row (column) uses that row (column) for everything.

namespace lmv {
namespace {

constexpr int kValidModeBits = kColourFlip | kColour32Bit | kColourMirror | kColourMethodMask;

struct colour_job {
    const uint16_t* src;
    uint8_t* dst;
    int width;
    int height;
    size_t row_bytes;
    bool flip;
    const colour_conversion_tables* t;
};

// The index of parity `parity` nearest to `i` inside [0, n).
inline int clamp_to_parity(int i, int parity, int n) {
    if (i >= 0 && i < n) return i;
    if (n == 1) return 0;
    if (i < 0) return parity;
    return ((n - 1) & 1) == parity ? n - 1 : n - 2;
}

template <size_t Bpp>
inline void put(uint8_t* d, uint8_t blue, uint8_t green, uint8_t red) {
    d[0] = blue;
    d[1] = green;
    d[2] = red;
    if constexpr (Bpp == 4) d[3] = 0;
}

template <size_t Bpp>
inline void put_mapped(uint8_t* d, const colour_conversion_tables& t, uint32_t red, uint32_t green,
                       uint32_t blue) {
    put<Bpp>(d, t.blue[blue], t.green[green], t.red[red]);
}

template <bool Mirror, size_t Bpp>
inline uint8_t* out_at(uint8_t* row, int width, int x) {
    return row + static_cast<size_t>(Mirror ? width - 1 - x : x) * Bpp;
}

// --- quarter-shift interpolation: output (y, x) is the colour at (y + 1/2, x - 1/2) ---

// The rows of one output row: red near and far, blue near and far, and the green rows ordered
// so that an odd x takes (ga[x] + gb[x - 1]) / 2 and an even x (ga[x - 1] + gb[x]) / 2.
struct shift_rows {
    const uint16_t *ra, *rb, *ba, *bb, *ga, *gb;
};

shift_rows shift_rows_for(const colour_job& j, int y) {
    auto row = [&](int r, int parity) {
        return j.src + static_cast<size_t>(clamp_to_parity(r, parity, j.height)) * j.width;
    };
    const bool even = (y & 1) == 0;
    const uint16_t* g0 = row(y, y & 1);
    const uint16_t* g1 = row(y + 1, (y + 1) & 1);
    return shift_rows{row(even ? y : y + 1, 0), row(even ? y + 2 : y - 1, 0),
                      row(even ? y + 1 : y, 1), row(even ? y - 1 : y + 2, 1),
                      even ? g0 : g1,           even ? g1 : g0};
}

inline uint32_t weigh(const uint16_t* a, const uint16_t* b, int near, int far) {
    return (9u * a[near] + 3u * a[far] + 3u * b[near] + b[far]) >> 4;
}

// Any column, with the border rule; the first column takes green along column 0 alone.
template <size_t Bpp>
void shift_pixel(const shift_rows& r, const colour_job& j, int x, uint8_t* d) {
    const bool odd = x & 1;
    const int w = j.width;
    const int rn = clamp_to_parity(odd ? x - 1 : x, 0, w),
              rf = clamp_to_parity(odd ? x + 1 : x - 2, 0, w);
    const int bn = clamp_to_parity(odd ? x : x - 1, 1, w),
              bf = clamp_to_parity(odd ? x - 2 : x + 1, 1, w);
    uint32_t green;
    if (x == 0)
        green = (12u * r.ba[0] + 4u * r.bb[0]) >> 4;  // column-0 greens lie in the blue rows
    else
        green = odd ? (r.ga[x] + r.gb[x - 1]) >> 1 : (r.ga[x - 1] + r.gb[x]) >> 1;
    put_mapped<Bpp>(d, *j.t, weigh(r.ra, r.rb, rn, rf), green, weigh(r.ba, r.bb, bn, bf));
}

template <bool Mirror, size_t Bpp>
void shift_row(const colour_job& j, int y, uint8_t* out) {
    const shift_rows r = shift_rows_for(j, y);
    const colour_conversion_tables& t = *j.t;
    const int w = j.width, last_inner = w - 2;
    auto even = [&](int x) {
        put_mapped<Bpp>(out_at<Mirror, Bpp>(out, w, x), t, weigh(r.ra, r.rb, x, x - 2),
                        (r.ga[x - 1] + r.gb[x]) >> 1, weigh(r.ba, r.bb, x - 1, x + 1));
    };
    auto odd = [&](int x) {
        put_mapped<Bpp>(out_at<Mirror, Bpp>(out, w, x), t, weigh(r.ra, r.rb, x - 1, x + 1),
                        (r.ga[x] + r.gb[x - 1]) >> 1, weigh(r.ba, r.bb, x, x - 2));
    };
    int x = 0;
    for (; x < std::min(w, 2); ++x) shift_pixel<Bpp>(r, j, x, out_at<Mirror, Bpp>(out, w, x));
    if (x <= last_inner) even(x++);
    for (; x + 1 <= last_inner; x += 2) {
        odd(x);
        even(x + 1);
    }
    if (x <= last_inner) odd(x++);
    for (; x < w; ++x) shift_pixel<Bpp>(r, j, x, out_at<Mirror, Bpp>(out, w, x));
}

// --- nearest-neighbour means ---

// The mean of the in-picture neighbours of (y, x) among the eight that hold `colour`
// (0 red, 1 green, 2 blue); 0 when there is none.
uint32_t neighbour_mean(const colour_job& j, int y, int x, int colour) {
    uint32_t sum = 0, count = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int ny = y + dy, nx = x + dx;
            if ((dy == 0 && dx == 0) || ny < 0 || nx < 0 || ny >= j.height || nx >= j.width)
                continue;
            const int c = (ny & 1) + (nx & 1);  // 0 red, 1 green, 2 blue
            if (c != colour) continue;
            sum += j.src[static_cast<size_t>(ny) * j.width + nx];
            ++count;
        }
    return count ? sum / count : 0;
}

template <size_t Bpp>
void mean_pixel(const colour_job& j, int y, int x, uint8_t* d) {
    const int own = (y & 1) + (x & 1);
    uint32_t v[kColourChannels];
    for (int c = 0; c < kColourChannels; ++c)
        v[c] = c == own ? j.src[static_cast<size_t>(y) * j.width + x] : neighbour_mean(j, y, x, c);
    put_mapped<Bpp>(d, *j.t, v[kRed], v[kGreen], v[kBlue]);
}

// An inner row: red-or-blue sites take the cross mean for green and the diagonal mean for the
// other; green sites the row pair for the row's colour and the column pair for the other.
template <bool Mirror, size_t Bpp>
void mean_inner_row(const colour_job& j, int y, uint8_t* out) {
    const uint16_t* c = j.src + static_cast<size_t>(y) * j.width;
    const uint16_t* u = c - j.width;
    const uint16_t* dn = c + j.width;
    const colour_conversion_tables& t = *j.t;
    const int w = j.width;
    const bool red_row = (y & 1) == 0;
    for (int x = 1; x < w - 1; ++x) {
        uint8_t* d = out_at<Mirror, Bpp>(out, w, x);
        if (((x & 1) == 0) == red_row) {  // red site on a red row, blue site on a blue row
            const uint32_t own = c[x];
            const uint32_t cross = (u[x] + dn[x] + c[x - 1] + c[x + 1]) >> 2;
            const uint32_t diag = (u[x - 1] + u[x + 1] + dn[x - 1] + dn[x + 1]) >> 2;
            if (red_row)
                put_mapped<Bpp>(d, t, own, cross, diag);
            else
                put_mapped<Bpp>(d, t, diag, cross, own);
        } else {
            const uint32_t row_pair = (c[x - 1] + c[x + 1]) >> 1;
            const uint32_t column_pair = (u[x] + dn[x]) >> 1;
            if (red_row)
                put_mapped<Bpp>(d, t, row_pair, c[x], column_pair);
            else
                put_mapped<Bpp>(d, t, column_pair, c[x], row_pair);
        }
    }
}

template <bool Mirror, size_t Bpp>
void mean_row(const colour_job& j, int y, uint8_t* out) {
    const int w = j.width;
    if (y == 0 || y == j.height - 1 || w < 3) {
        for (int x = 0; x < w; ++x) mean_pixel<Bpp>(j, y, x, out_at<Mirror, Bpp>(out, w, x));
        return;
    }
    mean_pixel<Bpp>(j, y, 0, out_at<Mirror, Bpp>(out, w, 0));
    mean_inner_row<Mirror, Bpp>(j, y, out);
    mean_pixel<Bpp>(j, y, w - 1, out_at<Mirror, Bpp>(out, w, w - 1));
}

// --- pseudo colour ---

template <bool Mirror, size_t Bpp>
void pseudo_row(const colour_job& j, int y, uint8_t* out) {
    const uint16_t* s = j.src + static_cast<size_t>(y) * j.width;
    const colour_conversion_tables& t = *j.t;
    const int w = j.width;
    for (int x = 0; x < w; ++x) {
        const uint8_t k = t.bw[s[x]];
        put<Bpp>(out_at<Mirror, Bpp>(out, w, x), t.pseudo_blue[k], t.pseudo_green[k],
                 t.pseudo_red[k]);
    }
}

// --- dispatch ---

using row_function = void (*)(const colour_job& j, int y, uint8_t* out);

// [method][mirror][32-bit]
constexpr row_function kRows[3][2][2] = {
    {{shift_row<false, 3>, shift_row<false, 4>}, {shift_row<true, 3>, shift_row<true, 4>}},
    {{pseudo_row<false, 3>, pseudo_row<false, 4>}, {pseudo_row<true, 3>, pseudo_row<true, 4>}},
    {{mean_row<false, 3>, mean_row<false, 4>}, {mean_row<true, 3>, mean_row<true, 4>}},
};

void run_rows(row_function f, const colour_job& j, int begin, int end) {
    for (int y = begin; y < end; ++y) {
        const int out_row = j.flip ? j.height - 1 - y : y;
        f(j, y, j.dst + static_cast<size_t>(out_row) * j.row_bytes);
    }
}

// Large pictures go to two threads, each with half of the rows; when no thread can be started,
// one does all.
void run(row_function f, const colour_job& j, int max_threads) {
    const size_t pixels = static_cast<size_t>(j.width) * static_cast<size_t>(j.height);
    if (max_threads > 1 && pixels >= kConvertSplitPixels && j.height >= 2) {
        const int mid = j.height / 2;
        try {
            std::thread second(run_rows, f, std::cref(j), mid, j.height);
            run_rows(f, j, 0, mid);
            second.join();
            return;
        } catch (const std::system_error&) {
        }
    }
    run_rows(f, j, 0, j.height);
}

int check_arguments(int mode, int width, int height, const void* src, const void* dst) {
    if (int rc = conversion_buffers_check(width, height, src, dst); rc != kOk) return rc;
    if (width < 0 || height < 0 || !colour_mode_valid(mode)) return kWrongParameter;
    return image_size_check(width, height, static_cast<int>(colour_bytes_per_pixel(mode)),
                            image_empty::allowed);
}

}  // namespace

bool colour_mode_valid(int mode) {
    return (mode & ~kValidModeBits) == 0 &&
           (mode & kColourMethodMask) >> kColourMethodShift <= kColourNearestMean;
}

size_t colour_bytes_per_pixel(int mode) {
    return (mode & kColour32Bit) ? 4 : 3;
}

colour_conversion_tables colour_tables_in_use() {
    return colour_conversion_tables{colour_conversion_table(kRed),  colour_conversion_table(kGreen),
                                    colour_conversion_table(kBlue), bw_conversion_table(),
                                    pseudo_colour_table(kRed),      pseudo_colour_table(kGreen),
                                    pseudo_colour_table(kBlue)};
}

int convert_12tocol(int mode, int width, int height, const uint16_t* src, uint8_t* dst,
                    const colour_conversion_tables& tables, int max_threads) {
    if (int rc = check_arguments(mode, width, height, src, dst); rc != kOk) return rc;
    if (width == 0 || height == 0) return kOk;
    const size_t bpp = colour_bytes_per_pixel(mode);
    const colour_job job{
        src,    dst, width, height, static_cast<size_t>(width) * bpp, (mode & kColourFlip) != 0,
        &tables};
    const int method = (mode & kColourMethodMask) >> kColourMethodShift;
    run(kRows[method][(mode & kColourMirror) ? 1 : 0][bpp == 4 ? 1 : 0], job, max_threads);
    return kOk;
}

}  // namespace lmv
