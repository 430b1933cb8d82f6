#pragma once
// Everything the library knows about a CCD type, one record per type. Every per-type rule reads
// a field of this table; adding a CCD type is adding a row in CcdTraits.cpp.
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

// Short fixed word lists (pre-readout, line-sequence rows).
struct coc_word_list {
    int count;
    uint16_t words[8];
};

struct ccd_words {
    coc_word_list pre_readout;
    coc_word_list line_sequence;  // written after each 207 of the line-sequence table
    bool short_flush;             // 201, 193 lead and the flush starting two rows below the region
};

// Words of the fine-time tables: the fast tail after the exposure program (shifts of two rows,
// then single waits) and the flush of the CCD types 9-12 (rows per block of 198, 198, 194; 0:
// one 193 per row).
struct ccd_fast_words {
    int tail_shifts;
    int tail_waits;
    int flush_block_rows;
};

// Allowed binning factors; a list without values allows any factor.
struct ccd_bin_list {
    int count;
    int32_t values[13];
};

// The camera dialog module a CCD type asks for before the camera type decides.
enum class ccd_dialog { by_camera, interline, hsf, hsl };

struct ccd_traits {
    int ccd_typ;
    bool colour;  // colour mosaic on the sensor
    // Geometry and defaults written at identification.
    int width;
    int height;
    int aoi_offset;
    int powerdown_lo;  // also the lowest power-down count SET_POWERDOWN accepts
    int powerdown_hi;
    // Readout.
    ccd_constants constants;
    ccd_words words;
    ccd_fast_words fast;
    uint32_t settle_ms;                // after a stop, before the arm command
    int32_t exp_max;                   // fixed longest exposure; 0: the camera type's
    int row_shortfall;                 // rows the last region block lacks (0: blocks are whole)
    double powerdown_counts_per_unit;  // 0: the times are counts
    // Binning and settings.
    ccd_bin_list vbin;
    ccd_bin_list hbin;
    bool double_binning_switch;  // binning 1, or up to 2 with init_mode bit 13
    bool black_lines;            // black lines 0, 2 or 4 may be read
    int trigger_limit;           // highest trigger mode
    int mode_option_bits;        // option bits a COC mode may carry (1 or 2)
    bool option_sensor;          // status_extra bit 1 adds 1 to the option base
    uint32_t fast_submodes;      // bit n: the fast-shutter special submode n runs
    bool header_programs;        // long-exposure submodes 16 to 19
    bool board_type_three;       // the only CCD a board of type 3 carries
    // Camera dialog module.
    ccd_dialog init_dialog;
    ccd_dialog open_dialog;
};

// The record of a CCD type; null for a type the library does not know.
const ccd_traits* ccd_lookup(int ccd_typ);

// What the rules assume of a type without a record: no fixed values, any vertical binning.
const ccd_traits& ccd_traits_or_unknown(int ccd_typ);

}  // namespace lmv
