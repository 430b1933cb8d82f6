#pragma once
// The nine parameters an application gives for a camera operation code (mode, trigger, region,
// binning, time text), the time text itself, and the per-CCD rules shared by checking, storing
// and reading them back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "camera/api/board_record.h"

namespace lmv {

constexpr int kCocMaxTimeValues = 400;
constexpr int kCocRegionUnit = 32;  // region parameters count blocks of 32 pixels

// Results of the parameter check besides 0 and the error codes.
constexpr int kCocChanged = 103;       // at least one value was adjusted
constexpr int kCocTextTooShort = 104;  // the caller's text buffer cannot take the new text

enum class coc_camera_class { long_exposure, fast_shutter, intensified, other };
coc_camera_class coc_class_of(int camera_typ);

struct coc_parameters {
    int32_t mode = 0;     // low byte camera class, bits 8-15 option flags, bits 16-23 submode
    int32_t trigger = 0;  // low byte trigger mode, bits 8-15 trigger flags
    int32_t roixmin = 0;  // region in 32-pixel blocks, 1-based, inclusive
    int32_t roixmax = 0;
    int32_t roiymin = 0;
    int32_t roiymax = 0;
    int32_t hbin = 0;
    int32_t vbin = 0;  // low 16 bits vertical binning, bits 16 and up black lines
    std::string text;
};

constexpr int coc_mode_low(int32_t mode) {
    return mode & 0xFF;
}
constexpr int coc_mode_options(int32_t mode) {
    return (mode >> 8) & 0xFF;
}
constexpr int coc_mode_submode(int32_t mode) {
    return (mode >> 16) & 0xFF;
}
constexpr int32_t coc_make_mode(int low, int options, int submode) {
    return (submode << 16) | (options << 8) | low;
}
constexpr int coc_trigger_low(int32_t trigger) {
    return trigger & 0xFF;
}
constexpr int coc_trigger_flags(int32_t trigger) {
    return (trigger >> 8) & 0xFF;
}
constexpr int32_t coc_make_trigger(int low, int flags) {
    return (flags << 8) | low;
}

// The numbers of a time text. Characters other than digits, '-', ',', space, line feed and the
// control code 19 count as spaces; comma, space, apostrophe, CR and LF separate numbers; at most
// 400 numbers are taken.
class coc_time_list {
  public:
    coc_time_list() = default;
    // Reads at most `length` characters and never beyond a terminating NUL; null reads nothing.
    coc_time_list(const char* text, size_t length);

    size_t size() const { return values_.size(); }
    bool has(size_t i) const { return i < values_.size(); }
    // A missing number reads as its default.
    int32_t at(size_t i, int32_t missing = 0) const { return has(i) ? values_[i] : missing; }
    const std::vector<int32_t>& values() const { return values_; }

  private:
    std::vector<int32_t> values_;
};

// printf into a string; the time texts are built from such pieces.
std::string coc_format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Binning, black lines and trigger limits by CCD type.
int32_t coc_snap_hbin(int ccd_typ, int32_t init_mode, int32_t hbin);
int32_t coc_snap_vbin(int ccd_typ, int32_t init_mode, int32_t vbin);
int32_t coc_black_lines(int ccd_typ, int32_t requested);
// The vertical binning for `rows` rows: a binning that does not divide them is reduced in steps
// of 32, then snapped to the CCD's list; a listed value that does not divide them either gives
// way to the next lower one, so that the result stays what it is when fitted again.
int32_t coc_fit_vbin(const board_record& rec, int32_t vbin, int32_t rows);
int coc_trigger_limit(int ccd_typ);
// CCD types whose last region block is a partial 33rd block (types 5, 6 and 17 to 22), and the
// rows that partial block lacks.
bool coc_has_partial_row_block(int ccd_typ);
int coc_partial_block_shortfall(int ccd_typ);

// Region of a record in pixels from 32-pixel blocks, and back.
struct coc_pixel_region {
    int32_t roixmin, roixmax, roiymin, roiymax;
};
coc_pixel_region coc_region_pixels(const board_record& rec, const coc_parameters& p);
void coc_region_blocks(const board_record& rec, coc_parameters& p);

// Clamps and roundings that note whether they changed the value.
int32_t coc_clamp(int32_t value, int32_t low, int32_t high, bool& changed);
int32_t coc_round_down(int32_t value, int32_t step, bool& changed);
int32_t coc_raise(int32_t value, int32_t minimum, bool& changed);

}  // namespace lmv
