#pragma once
// One COC setting on one camera, as bytes or as values, and the promise made about it: what
// TEST_COC's check returns passes a second check unchanged and SET_COC's commit, and the table
// build of the committed record succeeds or finds the table too long for the board memory. Shared
// by the random property test and the fuzz target.
//
// Bytes: camera, CCD, flags and limits (one byte each), the eight parameters (mode, trigger,
// roixmin, roixmax, roiymin, roiymax, hbin, vbin; 32-bit little-endian), then the time text.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "camera/api/ResultCodes.h"
#include "camera/api/board_record.h"
#include "camera/board/BoardLimits.h"
#include "camera/board/CcdTraits.h"
#include "camera/coc/CocBuilder.h"
#include "camera/coc/CocParamCommit.h"
#include "camera/coc/CocParams.h"
#include "camera/coc/TestCoc.h"

namespace coc_round_trip {

// The camera types with a COC class, and the CCD types the library knows.
inline constexpr int kCameras[] = {1, 2, 3, 5, 6, 7};
inline constexpr int kCcds[] = {1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 17, 18, 19, 20, 21, 22};
// Limits as the set-up derives them (the flags choose the registry test flags and the intensifier
// gain mode), or, for the last ones, far beyond them.
struct limits {
    int32_t exp_min, exp_max, delay_max;
};
inline constexpr limits kExtremeLimits[] = {{1, INT_MAX, 500}};
inline constexpr int kSetUpLimits = 15;  // limit bytes below this (modulo 16) take the set-up's

inline constexpr size_t kHeaderBytes = 4 + 8 * 4;

struct coc_case {
    uint8_t camera = 1;  // index into kCameras
    uint8_t ccd = 0;     // index into kCcds
    // bit 0 alternate run commands, 1 extended shutter, 2 option flags available, 3 option
    // sensor bit, 4 double binning switch, 5-7 intensifier gain mode
    uint8_t flags = 0;
    // bits 0-3 the set-up's limits or extreme ones, 4 long exposures, 5 short exposures
    uint8_t limit = 0;
    lmv::coc_parameters request;
};

inline int32_t take_i32(const uint8_t* data) {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= uint32_t{data[k]} << (8 * k);
    return static_cast<int32_t>(v);
}

// Short inputs read as zeros.
inline coc_case decode(const uint8_t* data, size_t size) {
    std::vector<uint8_t> head(kHeaderBytes, 0);
    for (size_t k = 0; k < kHeaderBytes && k < size; ++k) head[k] = data[k];
    coc_case c;
    c.camera = head[0];
    c.ccd = head[1];
    c.flags = head[2];
    c.limit = head[3];
    int32_t* fields[] = {&c.request.mode,    &c.request.trigger, &c.request.roixmin,
                         &c.request.roixmax, &c.request.roiymin, &c.request.roiymax,
                         &c.request.hbin,    &c.request.vbin};
    for (size_t k = 0; k < std::size(fields); ++k) *fields[k] = take_i32(&head[4 + 4 * k]);
    if (size > kHeaderBytes)
        c.request.text.assign(reinterpret_cast<const char*>(data) + kHeaderBytes,
                              size - kHeaderBytes);
    return c;
}

inline lmv::board_record record_of(const coc_case& c) {
    lmv::board_record rec{};
    rec.camera_typ = kCameras[c.camera % std::size(kCameras)];
    const lmv::ccd_traits& ccd = *lmv::ccd_lookup(kCcds[c.ccd % std::size(kCcds)]);
    rec.ccd_typ = ccd.ccd_typ;
    rec.ccd_width = ccd.width;
    rec.ccd_height = ccd.height;
    rec.aoi_offset = ccd.aoi_offset;
    rec.bits = 12;
    rec.camera_flags = (c.flags & 1 ? 0x1 : 0) | (c.flags & 2 ? 0x100 : 0);
    rec.status_extra = (c.flags & 4 ? 0x100 : 0) | (c.flags & 8 ? 0x2 : 0);
    // Registry test flags: long exposure, short exposure, double binning.
    rec.init_mode =
        (c.flags & 16 ? 0x2000 : 0) | (c.limit & 16 ? 0x100 : 0) | (c.limit & 32 ? 0x200 : 0);
    lmv::set_exposure_limits(rec);
    rec.delay_max = 500;
    if (rec.camera_typ == 5) lmv::set_intensifier_limits(rec, c.flags >> 5);
    if (c.limit % 16 >= kSetUpLimits) {
        const limits& l = kExtremeLimits[c.limit % 16 - kSetUpLimits];
        rec.exp_min = l.exp_min;
        rec.exp_max = l.exp_max;
        rec.delay_max = l.delay_max;
    }
    rec.roixmax = ccd.width;
    rec.roiymax = ccd.height;
    rec.hbin = 1;
    rec.vbin = 1;
    rec.run_mode = 255;
    rec.pics_per_start = 1;
    return rec;
}

inline bool same(const lmv::coc_parameters& a, const lmv::coc_parameters& b) {
    return a.mode == b.mode && a.trigger == b.trigger && a.roixmin == b.roixmin &&
           a.roixmax == b.roixmax && a.roiymin == b.roiymin && a.roiymax == b.roiymax &&
           a.hbin == b.hbin && a.vbin == b.vbin && a.text == b.text;
}

inline std::string describe(const lmv::coc_parameters& p) {
    return "mode " + std::to_string(p.mode) + " trig " + std::to_string(p.trigger) + " x " +
           std::to_string(p.roixmin) + ".." + std::to_string(p.roixmax) + " y " +
           std::to_string(p.roiymin) + ".." + std::to_string(p.roiymax) + " hbin " +
           std::to_string(p.hbin) + " vbin " + std::to_string(p.vbin) + " text \"" + p.text + "\"";
}

// The long-exposure tables of checked settings are always built (or too long); the fine-time
// builders may still refuse a list the check leaves as it is (exposures adding up to less than
// exp_min, gates the intensifier cannot time).
inline bool builds_tables(const lmv::board_record& rec) {
    const lmv::ccd_constants* constants = lmv::coc_constants_for(rec.ccd_typ);
    return lmv::coc_class_of(rec.camera_typ) == lmv::coc_camera_class::long_exposure && constants &&
           constants->builder != lmv::coc_builder_kind::ccd_9_12;
}

// What every build promises: a refusal the builders know, or a table with its end words within
// the buffer and times that are finite and not negative.
inline std::string table_failure(int built, const std::vector<uint16_t>& table,
                                 const lmv::board_record& rec) {
    if (built != 0) {
        if (built == lmv::kWrongParameter || built == lmv::kCocTooLong || built == lmv::kNoMemory ||
            built == lmv::kTypeNotSupported)
            return table.empty() ? std::string{} : "refused build left words";
        return "build gave " + std::to_string(built);
    }
    if (table.size() < 2 || table.size() > lmv::kCocBufferWords) return "table size";
    if (table[table.size() - 1] != 4064 || table[table.size() - 2] != 4064) return "no end words";
    for (float v : {rec.coctime, rec.beltime, rec.exptime, rec.deltime})
        if (!(v >= 0.0f && v < 3.4e38f)) return "time " + std::to_string(v);
    return {};
}

// The fine-time builders straight from the bytes, without the check: camera class 1 or 5, the
// CCD, submode and trigger of the request, the time text's numbers as the time values, the line
// count from roixmin and the gain index from the flags.
inline std::string fine_time_failure(const coc_case& c) {
    lmv::board_record rec = record_of(c);
    rec.camera_typ = c.camera % 2 ? 1 : 5;
    rec.submode = (c.request.mode >> 16) & 0xFF;
    rec.trigger = c.request.trigger;
    rec.hbin = c.request.hbin;
    rec.vbin = c.request.vbin & 0xFFFF;
    rec.roiymin = std::abs(c.request.roiymin % 2048);
    rec.roiymax = std::abs(c.request.roiymax % 2048);
    rec.line_count = c.request.roixmin;
    rec.gain_index = c.flags >> 4;
    rec.blacklines = c.request.roixmax;
    rec.powerdown_lo = 1900;
    rec.powerdown_hi = 3071;
    std::fill(std::begin(rec.timevalues), std::end(rec.timevalues), -1);
    const std::string& text = c.request.text;
    size_t n = 0;
    for (size_t i = 0; i < text.size() && n < std::size(rec.timevalues);) {
        char* end = nullptr;
        const long long v = std::strtoll(text.c_str() + i, &end, 10);
        const size_t used = static_cast<size_t>(end - (text.c_str() + i));
        if (used == 0) {
            ++i;
            continue;
        }
        rec.timevalues[n++] = static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
        i += used;
    }
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    const int built = lmv::coc_build(rec, previous, table);
    const std::string broken = table_failure(built, table, rec);
    if (broken.empty()) return {};
    return broken + " (fine-time stage, camera " + std::to_string(rec.camera_typ) + " ccd " +
           std::to_string(rec.ccd_typ) + " submode " + std::to_string(rec.submode) + ")";
}

// Empty when the promise holds, else what broke.
inline std::string failure(const coc_case& c) {
    const lmv::board_record rec = record_of(c);
    const std::string camera =
        " [camera " + std::to_string(rec.camera_typ) + " ccd " + std::to_string(rec.ccd_typ) + "]";
    lmv::coc_check first;
    const int rc = lmv::coc_check_parameters(rec, c.request, first);
    if (rc != 0 && rc != lmv::kCocChanged) return "first check gave " + std::to_string(rc) + camera;
    lmv::coc_check second;
    const int again = lmv::coc_check_parameters(rec, first.adjusted, second);
    if (again != 0 || !same(first.adjusted, second.adjusted))
        return "second check gave " + std::to_string(again) + ": " + describe(first.adjusted) +
               " became " + describe(second.adjusted) + camera;
    lmv::board_record copy = rec;
    if (int commit = lmv::coc_commit_parameters(copy, second); commit != 0)
        return "commit gave " + std::to_string(commit) + " for " + describe(first.adjusted) +
               camera;
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    const int built = lmv::coc_build(copy, previous, table);
    if (built == 0 && table.size() > lmv::kCocBufferWords)
        return "table of " + std::to_string(table.size()) + " words" + camera;
    // A table longer than the board memory shows only when it is built (marks or exposures of
    // hours): SET_COC refuses it with -21, which the check cannot foresee.
    if (builds_tables(rec) && built != 0 && built != lmv::kCocTooLong)
        return "build gave " + std::to_string(built) + " for " + describe(first.adjusted) + camera;
    if (const std::string broken = table_failure(built, table, copy); !broken.empty())
        return broken + " for " + describe(first.adjusted) + camera;
    return {};
}

}  // namespace coc_round_trip
