#pragma once
// The time-text rules of the three camera classes: each takes the parsed time values of the
// request, adjusts them (and the parameters that depend on the submode), and produces the new
// time text and the values that a commit stores in the board record.
#include <cstdint>
#include <string>
#include <vector>

#include "camera/api/board_record.h"
#include "camera/coc/CocParams.h"

namespace lmv {

struct coc_time_job {
    coc_time_job(const board_record& r, coc_parameters& params, const coc_time_list& t)
        : rec(r), p(params), times(t) {}

    const board_record& rec;
    coc_parameters& p;  // mode, trigger, region and binning as far as checked
    const coc_time_list& times;

    // Results.
    std::string text;             // the new time text
    std::vector<int32_t> stored;  // time values as the board record keeps them
    bool has_line_count = false;  // fast-shutter line-shift sequence: its first value
    int32_t line_count = 0;
    bool changed = false;  // a time value was clamped or rounded

    int submode() const { return coc_mode_submode(p.mode); }
    void set_mode(int low, int submode) {
        p.mode = coc_make_mode(low, coc_mode_options(p.mode), submode);
    }
    void clear_trigger_low() { p.trigger = coc_make_trigger(0, coc_trigger_flags(p.trigger)); }
    void set_trigger_low(int low) {
        p.trigger = coc_make_trigger(low, coc_trigger_flags(p.trigger));
    }
    // Appends the values and the end mark "-1,-1" to `stored` (as far as 400 values go).
    void store(std::initializer_list<int32_t> values);
    void store_end();
    // The request's text and values, unchanged.
    void keep_request();
};

void coc_long_exposure_times(coc_time_job& job);
void coc_fast_shutter_times(coc_time_job& job);
void coc_intensified_times(coc_time_job& job);

// Fast-shutter mode bytes 2, 3 and 4 are shortcuts for class 1 with submode 1, 2 and 3.
constexpr int kFastShortcutFirst = 2;
constexpr int kFastShortcutLast = 4;

}  // namespace lmv
