#include "camera/coc/CocBuilder.h"

#include <algorithm>

#include "camera/coc/CocCcd2122.h"
#include "camera/coc/CocFastSeam.h"
#include "camera/coc/CocLongExposure.h"
#include "camera/coc/CocSections.h"
#include "camera/coc/CocWords.h"

namespace lmv {
namespace {

constexpr int32_t kOptionProgram = 0x10000;  // status_extra bit 16

bool is_long_exposure(int camera_typ) {
    return camera_typ == 2 || camera_typ == 3 || camera_typ == 6 || camera_typ == 7;
}

int build_by_class(coc_context& ctx, coc_builder_kind kind) {
    if (ctx.rec.status_extra & kOptionProgram) {
        coc_option_program(ctx);
        return kOk;
    }
    switch (kind) {
        case coc_builder_kind::ccd_9_12:
            return coc_build_fast(coc_fast_family::ccd_9_12, ctx);
        case coc_builder_kind::ccd_21_22:
            return coc_build_ccd_2122(ctx);
        case coc_builder_kind::general:
            break;
    }
    if (is_long_exposure(ctx.rec.camera_typ)) return coc_build_long_exposure(ctx);
    if (ctx.rec.camera_typ == 1) return coc_build_fast(coc_fast_family::fast_shutter, ctx);
    if (ctx.rec.camera_typ == 5) return coc_build_fast(coc_fast_family::intensified, ctx);
    return kWrongParameter;
}

}  // namespace

bool coc_has_long_exposure_table(int ccd_typ, int submode) {
    constexpr int kLastGeneral = 6, kLastOverlapped = 3, kFirstHeader = 16, kLastHeader = 19;
    if (!ccd_traits_or_unknown(ccd_typ).header_programs)
        return submode >= 0 && submode <= kLastGeneral;
    return (submode >= 0 && submode <= kLastOverlapped) ||
           (submode >= kFirstHeader && submode <= kLastHeader);
}

int coc_build(board_record& rec, coc_previous& previous, std::vector<uint16_t>& table) {
    table.clear();
    ccd_timing timing;
    int c;
    coc_builder_kind kind = coc_builder_kind::general;
    if (const ccd_constants* constants = coc_constants_for(rec.ccd_typ)) {
        timing = constants->timing;
        c = coc_option_base(rec.ccd_typ, rec.status_extra);
        kind = constants->builder;
        previous = coc_previous{true, timing, c};
    } else if (previous.valid) {
        timing = previous.timing;
        c = previous.c;
    } else {
        return kTypeNotSupported;
    }

    coc_context ctx(rec, timing, c, table, kCocBufferWords);
    int rc = build_by_class(ctx, kind);
    if (rc == kOk) {
        ctx.put_raw(coc_word::kEnd);
        ctx.put_raw(coc_word::kEnd);
        if (ctx.overflow()) rc = kCocTooLong;
    }
    if (rc != kOk) {
        table.clear();
        return rc;
    }
    rec.coctime = ctx.t.coctime;
    rec.beltime = ctx.t.beltime;
    rec.exptime = ctx.t.exptime;
    rec.deltime = ctx.t.deltime;
    return kOk;
}

int coc_build(board_record& rec, coc_previous& previous, uint16_t* buffer, size_t capacity,
              size_t* word_count) {
    if (buffer == nullptr || word_count == nullptr) return kNoMemory;
    *word_count = 0;
    board_record trial = rec;
    std::vector<uint16_t> table;
    table.reserve(4096);
    const int rc = coc_build(trial, previous, table);
    if (rc != kOk) return rc;
    if (table.size() > capacity) return kCocTooLong;
    std::copy(table.begin(), table.end(), buffer);
    *word_count = table.size();
    rec.coctime = trial.coctime;
    rec.beltime = trial.beltime;
    rec.exptime = trial.exptime;
    rec.deltime = trial.deltime;
    return kOk;
}

}  // namespace lmv
