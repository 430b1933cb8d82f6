// Which delays and gate widths the intensifier can time.
#include <algorithm>
#include <iterator>

#include "camera/coc/CocIntensified.h"

namespace lmv {
namespace {

constexpr int32_t kFineGain = 0x8;  // gain_index bit 3

// Gate widths below 20 ns the intensifier times at a fine gain index.
struct fine_widths {
    int32_t gain_index;
    int count;
    int64_t ns[4];
};
constexpr fine_widths kFineWidths[] = {
    {8, 2, {5, 10}},
    {9, 2, {3, 10}},
    {10, 4, {1, 3, 5, 8}},
};
constexpr int64_t kCoarseWidths[] = {3, 5, 10, 15};

bool short_width_valid(int64_t n, int32_t gain_index) {
    if (!(gain_index & kFineGain))
        return std::find(std::begin(kCoarseWidths), std::end(kCoarseWidths), n) !=
               std::end(kCoarseWidths);
    for (const fine_widths& w : kFineWidths) {
        if (w.gain_index == gain_index) return std::find(w.ns, w.ns + w.count, n) != w.ns + w.count;
    }
    return false;
}

}  // namespace

bool coc_intensified_delay_valid(int64_t m, int64_t n) {
    if (m < 0 || n < 0) return false;
    if (m != 0) return n % 20 == 0;
    if (n <= 54) return true;
    if (n <= 100) return n % 5 == 0;
    return n % 20 == 0;
}

bool coc_intensified_gate_valid(int64_t m, int64_t n, int64_t lower, int32_t gain_index) {
    if (m < 0 || n < 0) return false;
    if (m != 0) return n % 20 == 0;
    if (n == 0) return true;
    for (int64_t bound : {100, 20, 5}) {
        if (lower >= bound && n < bound) return false;
    }
    if (n < 20) return short_width_valid(n, gain_index);
    if (n < 30) return (gain_index & kFineGain) ? n % 5 == 0 : (n == 20 || n == 25);
    if (n <= 100) return n % 10 == 0;
    return n % 20 == 0;
}

}  // namespace lmv
