#pragma once
// The exposure list of the fast-shutter cameras: pairs (delay, exposure) in ns, compacted and
// written as 200-ns units with 100-ns corrections and 20-us blocks.
#include <cstdint>

#include "camera/coc/CocContext.h"

namespace lmv {

// Where the CCD types differ: how many units of a short exposure's delay and of an exposure's end
// take the near-words, when a block is borrowed and owed units are paid.
struct coc_exposure_list_form {
    int max_steps;            // compaction steps
    int opening_words;        // after 753
    int64_t opening_short_x;  // the opening is 767 for a first exposure below this ...
    int64_t opening_short_d;  // ... with a delay below this
    int64_t short_exposure;   // exposures below this take near-words before them
    int64_t near_delay_units;
    int64_t borrow_below;  // units below which a 20-us block is borrowed
    int64_t owed_above;    // units above which owed units are paid
    int64_t last_units;    // last units of an exposure written as 765
};

extern const coc_exposure_list_form kExposureListFast;
extern const coc_exposure_list_form kExposureList912;

// 753, the pairs and the tail; 0, -3 (a list below exp_min, a 50-ns exposure without 100 ns
// of delay on either side) or -21.
int coc_exposure_list(coc_context& ctx, const coc_exposure_list_form& form);

}  // namespace lmv
