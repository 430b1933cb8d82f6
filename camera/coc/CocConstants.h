#pragma once
// Timing constants of the CCD types and the per-type words of the general builder.
#include <cstdint>

namespace lmv {

// Line time T, start correction S and end correction E in microseconds; X extra flush rows.
struct ccd_timing {
    float T;
    float S;
    float E;
    int X;
};

enum class coc_builder_kind { general, ccd_9_12, ccd_21_22 };

struct ccd_constants {
    ccd_timing timing;
    coc_builder_kind builder;
};

// Short fixed word lists (pre-readout, line-sequence rows) by CCD type.
struct coc_word_list {
    int count;
    uint16_t words[8];
};

struct ccd_words {
    coc_word_list pre_readout;
    coc_word_list line_sequence;  // written after each 207 of the line-sequence table
    bool short_flush;             // 201, 193 lead and the flush starting two rows below the region
};

// The constants a build used. A CCD type without constants of its own builds with those the
// previous build left; the caller keeps this between builds.
struct coc_previous {
    bool valid = false;
    ccd_timing timing{};
    int c = 0;
};

// Constants of a CCD type, or nullptr when the type has none. Types 19 and 20 share the sensor
// of types 17 and 18 and take their constants.
const ccd_constants* coc_constants_for(int ccd_typ);

// Per-type words; empty lists for types without their own.
const ccd_words& coc_words_for(int ccd_typ);

// Option base c from the CCD type and status_extra.
int coc_option_base(int ccd_typ, int32_t status_extra);

}  // namespace lmv
