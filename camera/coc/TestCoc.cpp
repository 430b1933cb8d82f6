#include "camera/coc/TestCoc.h"
#include "camera/board/CcdTraits.h"

#include <algorithm>

#include "camera/api/MessageLog.h"
#include "camera/coc/CocParamTimes.h"

namespace lmv {
namespace {

constexpr unsigned kLogCoc = kLogCocAndMemory;
constexpr int32_t kStatusExtraOptions = 0x100;  // status_extra bit 8: option flags available
constexpr int32_t kCameraFlagAltRun = 0x1;      // camera_flags bit 0: trigger flags usable
constexpr int kMaxTriggerFlags = 2;

struct named_field {
    const char* name;
    int32_t coc_parameters::*field;
};

// Parameters whose change is logged by name, in the order they are compared.
const named_field kLoggedFields[] = {
    {"mode", &coc_parameters::mode},       {"trigger", &coc_parameters::trigger},
    {"roixmin", &coc_parameters::roixmin}, {"roixmax", &coc_parameters::roixmax},
    {"roiymin", &coc_parameters::roiymin}, {"roiymax", &coc_parameters::roiymax},
    {"hbin", &coc_parameters::hbin},
};

int32_t black_lines_of(int32_t vbin) {
    return static_cast<int32_t>(static_cast<uint32_t>(vbin) >> 16);
}

void check_region(const board_record& rec, coc_parameters& p) {
    const int32_t columns = rec.ccd_width / kCocRegionUnit;
    const int32_t rows = rec.ccd_height / kCocRegionUnit;
    const int32_t last_row = rows + (coc_has_partial_row_block(rec.ccd_typ) ? 1 : 0);
    p.roixmin = std::min(std::max(p.roixmin, 1), columns);
    p.roiymin = std::min(std::max(p.roiymin, 1), rows);
    p.roixmax = std::min(std::max(p.roixmax, p.roixmin), columns);
    p.roiymax = std::min(std::max(p.roiymax, p.roiymin), last_row);
}

int32_t check_vbin(const board_record& rec, const coc_parameters& p) {
    const int32_t rows = (p.roiymax - p.roiymin + 1) * kCocRegionUnit;
    return coc_fit_vbin(rec, p.vbin & 0xFFFF, rows);
}

int32_t check_trigger(const board_record& rec, int32_t trigger) {
    int low = coc_trigger_low(trigger);
    int flags = coc_trigger_flags(trigger);
    if (low > coc_trigger_limit(rec.ccd_typ)) low = 0;
    if (flags > kMaxTriggerFlags) flags = 0;
    if (!(rec.camera_flags & kCameraFlagAltRun)) flags = 0;
    return coc_make_trigger(low, flags);
}

void check_times(coc_time_job& job) {
    switch (coc_class_of(job.rec.camera_typ)) {
        case coc_camera_class::long_exposure:
            return coc_long_exposure_times(job);
        case coc_camera_class::fast_shutter:
            return coc_fast_shutter_times(job);
        case coc_camera_class::intensified:
            return coc_intensified_times(job);
        case coc_camera_class::other:
            return job.keep_request();
    }
}

int32_t check_options(const board_record& rec, int32_t mode) {
    int options = 0;
    if (rec.status_extra & kStatusExtraOptions) {
        const bool two_bits = ccd_traits_or_unknown(rec.ccd_typ).mode_option_bits == 2;
        options = coc_mode_options(mode) & (two_bits ? 0x3 : 0x1);
    }
    return coc_make_mode(coc_mode_low(mode), options, coc_mode_submode(mode));
}

bool log_changes(const coc_parameters& request, const coc_parameters& adjusted) {
    bool changed = false;
    for (const named_field& f : kLoggedFields) {
        if (request.*f.field == adjusted.*f.field) continue;
        log_message(kLogCoc, "TEST_COC: %s parameter changed from %d to %d", f.name,
                    request.*f.field, adjusted.*f.field);
        changed = true;
    }
    if ((request.vbin & 0xFFFF) != (adjusted.vbin & 0xFFFF)) {
        log_message(kLogCoc, "WRONGVAL vbinnning parameter\r\n");
        changed = true;
    }
    if (black_lines_of(request.vbin) != black_lines_of(adjusted.vbin)) {
        log_message(kLogCoc, "WRONGVAL blacklines parameter\r\n");
        changed = true;
    }
    return changed;
}

}  // namespace

int coc_check_parameters(const board_record& rec, const coc_parameters& request, coc_check& out) {
    log_message(kLogCoc, "TEST_COC()");
    coc_parameters p = request;
    const int32_t black = coc_black_lines(rec.ccd_typ, black_lines_of(request.vbin));
    p.hbin = coc_snap_hbin(rec.ccd_typ, rec.init_mode, p.hbin);
    check_region(rec, p);
    p.vbin = (black << 16) | check_vbin(rec, p);
    p.trigger = check_trigger(rec, p.trigger);

    const coc_time_list times(request.text.c_str(), request.text.size());
    coc_time_job job(rec, p, times);
    check_times(job);
    p.mode = check_options(rec, p.mode);
    p.text = job.text;

    if (job.changed) log_message(kLogCoc, "WRONGVAL in timestring \r\n");
    const bool changed = log_changes(request, p) || job.changed;
    out.adjusted = std::move(p);
    out.stored = std::move(job.stored);
    out.has_line_count = job.has_line_count;
    out.line_count = job.line_count;
    return changed ? kCocChanged : 0;
}

}  // namespace lmv
