#include "camera/coc/CocParams.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "camera/board/CcdTraits.h"

namespace lmv {
namespace {

constexpr int32_t kInitModeDoubleBinning = 0x2000;  // init_mode bit 13: CCD 9 and 10 bin by 2
constexpr char kSeparators[] = ", '\r\n";
constexpr char kControl19 = 19;

bool kept_in_time_text(char ch) {
    return (ch >= '0' && ch <= '9') || ch == '-' || ch == ',' || ch == ' ' || ch == '\n' ||
           ch == kControl19;
}

// atoi of one token: optional sign, digits, stop at anything else; saturates.
int32_t read_number(const char* token) {
    bool negative = false;
    if (*token == '-') {
        negative = true;
        ++token;
    }
    long long value = 0;
    for (; *token >= '0' && *token <= '9'; ++token) {
        value = value * 10 + (*token - '0');
        if (value > INT_MAX) {
            value = INT_MAX + 1LL;
            break;
        }
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Largest listed value not above the request; the smallest one below it.
int32_t snap_down(const ccd_bin_list& allowed, int32_t value) {
    int32_t best = allowed.values[0];
    for (int i = 0; i < allowed.count; ++i)
        if (allowed.values[i] <= value) best = std::max(best, allowed.values[i]);
    return best;
}

// Binning 1, or up to 2 when the registry test flags allow it.
int32_t snap_switched(int32_t init_mode, int32_t value) {
    constexpr ccd_bin_list kUpToTwo{2, {1, 2}};
    if (init_mode & kInitModeDoubleBinning) return snap_down(kUpToTwo, value);
    return 1;
}

}  // namespace

coc_camera_class coc_class_of(int camera_typ) {
    switch (camera_typ) {
        case 2:
        case 3:
        case 6:
        case 7:
            return coc_camera_class::long_exposure;
        case 1:
            return coc_camera_class::fast_shutter;
        case 5:
            return coc_camera_class::intensified;
        default:
            return coc_camera_class::other;
    }
}

coc_time_list::coc_time_list(const char* text, size_t length) {
    if (!text) return;
    std::string copy(text, strnlen(text, length));
    for (char& ch : copy)
        if (!kept_in_time_text(ch)) ch = ' ';
    char* rest = copy.data();
    while (values_.size() < static_cast<size_t>(kCocMaxTimeValues)) {
        rest += std::strspn(rest, kSeparators);
        if (*rest == '\0') break;
        const size_t len = std::strcspn(rest, kSeparators);
        const char saved = rest[len];
        rest[len] = '\0';
        values_.push_back(read_number(rest));
        rest[len] = saved;
        rest += len;
    }
}

std::string coc_format(const char* format, ...) {
    char line[128];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    return n > 0 ? std::string(line, std::min<size_t>(n, sizeof line - 1)) : std::string();
}

int32_t coc_snap_hbin(int ccd_typ, int32_t init_mode, int32_t hbin) {
    const ccd_traits& ccd = ccd_traits_or_unknown(ccd_typ);
    if (ccd.double_binning_switch) return snap_switched(init_mode, hbin);
    return snap_down(ccd.hbin, hbin);
}

int32_t coc_snap_vbin(int ccd_typ, int32_t init_mode, int32_t vbin) {
    const ccd_traits& ccd = ccd_traits_or_unknown(ccd_typ);
    if (ccd.double_binning_switch) return snap_switched(init_mode, vbin);
    return ccd.vbin.count ? snap_down(ccd.vbin, vbin) : vbin;
}

int32_t coc_fit_vbin(const board_record& rec, int32_t vbin, int32_t rows) {
    if (vbin == 0) vbin = 1;
    if (rows <= 0) return coc_snap_vbin(rec.ccd_typ, rec.init_mode, vbin);
    vbin = std::min(vbin, rows);
    while (vbin > kCocRegionUnit && rows % vbin != 0) vbin -= kCocRegionUnit;
    vbin = coc_snap_vbin(rec.ccd_typ, rec.init_mode, vbin);
    while (vbin > 1 && rows % vbin != 0) vbin = coc_snap_vbin(rec.ccd_typ, rec.init_mode, vbin - 1);
    return vbin;
}

int32_t coc_black_lines(int ccd_typ, int32_t requested) {
    if (!ccd_traits_or_unknown(ccd_typ).black_lines) return 0;
    if (requested <= 1) return 0;
    return requested < 4 ? 2 : 4;
}

int coc_trigger_limit(int ccd_typ) {
    return ccd_traits_or_unknown(ccd_typ).trigger_limit;
}

bool coc_has_partial_row_block(int ccd_typ) {
    return coc_partial_block_shortfall(ccd_typ) > 0;
}

int coc_partial_block_shortfall(int ccd_typ) {
    return ccd_traits_or_unknown(ccd_typ).row_shortfall;
}

coc_pixel_region coc_region_pixels(const board_record& rec, const coc_parameters& p) {
    coc_pixel_region r{(p.roixmin - 1) * kCocRegionUnit, p.roixmax * kCocRegionUnit,
                       (p.roiymin - 1) * kCocRegionUnit, p.roiymax * kCocRegionUnit};
    if (coc_has_partial_row_block(rec.ccd_typ) && p.roiymax > rec.ccd_height / kCocRegionUnit)
        r.roiymax -= coc_partial_block_shortfall(rec.ccd_typ);
    return r;
}

void coc_region_blocks(const board_record& rec, coc_parameters& p) {
    p.roixmin = rec.roixmin / kCocRegionUnit + 1;
    p.roixmax = rec.roixmax / kCocRegionUnit;
    p.roiymin = rec.roiymin / kCocRegionUnit + 1;
    p.roiymax = rec.roiymax / kCocRegionUnit;
    // A region that ends inside the partial last block names that block.
    if (coc_has_partial_row_block(rec.ccd_typ) && rec.roiymax == rec.ccd_height &&
        rec.ccd_height % kCocRegionUnit != 0)
        p.roiymax = rec.ccd_height / kCocRegionUnit + 1;
}

int32_t coc_clamp(int32_t value, int32_t low, int32_t high, bool& changed) {
    const int32_t v = std::clamp(value, low, std::max(low, high));
    if (v != value) changed = true;
    return v;
}

int32_t coc_round_down(int32_t value, int32_t step, bool& changed) {
    if (step <= 1) return value;
    const int32_t rest = ((value % step) + step) % step;
    if (rest != 0) changed = true;
    return value - rest;
}

int32_t coc_raise(int32_t value, int32_t minimum, bool& changed) {
    if (value >= minimum) return value;
    changed = true;
    return minimum;
}

}  // namespace lmv
