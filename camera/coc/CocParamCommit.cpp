#include "camera/coc/CocParamCommit.h"
#include "camera/board/CcdTraits.h"

#include <algorithm>
#include <cstdint>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

constexpr unsigned kLogCocError = kLogCocAndMemory | kLogErrors;
constexpr int32_t kStatusExtraOptions = 0x100;  // status_extra bit 8
constexpr int32_t kCameraFlagExtendedShutter = 0x100;
constexpr int32_t kCountedMax = 10000;
constexpr int64_t kBoardMemoryBytes = 8388608;

int refuse(const char* text) {
    log_message(kLogCocError, "%s", text);
    return kWrongParameter;
}

// Values before the end mark.
size_t value_count(const std::vector<int32_t>& stored) {
    size_t n = stored.size();
    while (n > 0 && stored[n - 1] == -1) --n;
    return n;
}

void apply_option_bits(board_record& copy, int32_t mode) {
    if (!(copy.status_extra & kStatusExtraOptions)) return;
    if (mode & 0x100)
        copy.status_extra |= 0x1;
    else
        copy.status_extra &= ~0x1;
    if (mode & 0x200)
        copy.status_extra |= 0x3;
    else
        copy.status_extra &= ~0x2;
}

int check_long_exposure(const board_record& copy, const coc_check& checked, int submode) {
    const int camera = copy.camera_typ;
    if (camera == 0 || camera == 1 || camera == 5) return refuse("WRONGVAL wrong camera_typ\r\n");
    if (submode > 19) return refuse("WRONGVAL wrong submode\r\n");
    // The header programs exist for the CCD types 21 and 22 only.
    if (submode >= 16 && !ccd_traits_or_unknown(copy.ccd_typ).header_programs)
        return refuse("WRONGVAL wrong CCD-type\r\n");
    if (submode == 5) {
        const coc_parameters& p = checked.adjusted;
        const int32_t vbin = std::max(p.vbin & 0xFFFF, 1);
        const int32_t hbin = std::max(p.hbin, 1);
        const int64_t count = checked.stored.size() > 2 ? checked.stored[2] : 0;
        const int64_t lines = checked.stored.empty() ? 0 : checked.stored[0];
        if ((lines / vbin) * (copy.ccd_width / hbin) * count * 2 > kBoardMemoryBytes) {
            log_message(kLogCocError, "OUTRAM COC-table to big\r\n");
            return kCocTooLong;
        }
    }
    return kOk;
}

int check_delay_and_time(const board_record& copy, const std::vector<int32_t>& v) {
    if (v.empty()) return refuse("WRONGVAL no delay value\r\n");
    if (v.size() < 2) return refuse("WRONGVAL no time value\r\n");
    const int32_t delay = v[0];
    const int32_t time = v[1];
    if (delay < 0 || delay > copy.exp_max || time > copy.exp_max || time <= 0) {
        log_message(kLogCocError, "WRONGVAL delay %d time %d\r\n", delay, time);
        return kWrongParameter;
    }
    return kOk;
}

int check_fast_shutter(const board_record& copy, const coc_check& checked, int submode) {
    if (copy.camera_typ != 1) return refuse("WRONGVAL wrong camera_typ\r\n");
    if (submode > 9) return refuse("WRONGVAL wrong submode\r\n");
    const std::vector<int32_t>& v = checked.stored;
    const uint32_t runs = ccd_traits_or_unknown(copy.ccd_typ).fast_submodes;
    auto runs_submode = [runs](int n) { return (runs & (1u << n)) != 0; };
    const int trigger = coc_trigger_low(checked.adjusted.trigger);
    switch (submode) {
        case 1:
        case 2:
            return copy.camera_flags & kCameraFlagExtendedShutter ? kOk : kWrongParameter;
        case 3:
            if (trigger == 1 || trigger == 2 || v.empty() || v[0] < 1 || v[0] > kCountedMax)
                return kWrongParameter;
            return kOk;
        case 4:
            return value_count(v) > 10 ? refuse("WRONGVAL too much values\r\n") : kOk;
        case 5:
            for (size_t i = 1; i + 2 < value_count(v); i += 4) {
                if (v[i] >= 0 && v[i] <= 1000) continue;
                log_message(kLogCocError, "WRONGVAL delay %d time %d\r\n", v[i], v[i + 2]);
                return kWrongParameter;
            }
            return kOk;
        case 6:
            if (!runs_submode(6)) {
                log_message(kLogCocError, "WRONGVAL wrong CCD-type\r\n");
                return kTypeNotSupported;
            }
            return checked.line_count >= 32 && checked.line_count <= 1024 ? kOk : kWrongParameter;
        case 7:
        case 8:
            if (!runs_submode(submode)) return refuse("WRONGVAL wrong CCD-type\r\n");
            return value_count(v) > 12 ? refuse("WRONGVAL too much values\r\n") : kOk;
        case 9:
            if (!runs_submode(9)) return refuse("WRONGVAL wrong CCD-type\r\n");
            return check_delay_and_time(copy, v);
        default:
            return kOk;
    }
}

// The submode and trigger a mode byte stands for, or an error.
int resolve_mode_byte(const board_record& copy, const coc_check& checked, int& submode,
                      int32_t& trigger) {
    const coc_parameters& p = checked.adjusted;
    const int low = coc_mode_low(p.mode);
    const int trigger_low = coc_trigger_low(p.trigger);
    submode = coc_mode_submode(p.mode);
    trigger = p.trigger;
    switch (low) {
        case 0:
            return check_long_exposure(copy, checked, submode);
        case 1:
            return check_fast_shutter(copy, checked, submode);
        case 2:
        case 3:
            if (copy.camera_typ != 1 || !(copy.camera_flags & kCameraFlagExtendedShutter) ||
                trigger_low == 0)
                return kWrongParameter;
            submode = low - 1;
            return kOk;
        case 4:
            if (copy.camera_typ != 1 || trigger_low == 1 || trigger_low == 2 ||
                checked.stored.empty() || checked.stored[0] < 1 || checked.stored[0] > kCountedMax)
                return kWrongParameter;
            submode = 3;
            return kOk;
        case 5:
            if (copy.camera_typ != 5 || submode > 2) return kWrongParameter;
            trigger = trigger_low;
            return kOk;
        default:
            return kWrongParameter;
    }
}

void store_time_values(board_record& copy, const std::vector<int32_t>& stored) {
    const size_t n = std::min(stored.size(), static_cast<size_t>(kCocMaxTimeValues));
    std::copy_n(stored.begin(), n, copy.timevalues);
    // Every reader of the list stops at -1.
    std::fill(copy.timevalues + n, copy.timevalues + kCocMaxTimeValues, -1);
}

}  // namespace

int coc_commit_parameters(board_record& copy, const coc_check& checked) {
    const coc_parameters& p = checked.adjusted;
    apply_option_bits(copy, p.mode);

    const int32_t black = static_cast<int32_t>(static_cast<uint32_t>(p.vbin) >> 16);
    if (ccd_traits_or_unknown(copy.ccd_typ).black_lines) {
        if (black != 0 && black != 2 && black != 4) {
            log_message(kLogCocError, "WRONGVAL blacklines %d\r\n", black);
            return kWrongParameter;
        }
        copy.blacklines = black;
    } else {
        copy.blacklines = 0;
    }

    int submode = 0;
    int32_t trigger = 0;
    if (int rc = resolve_mode_byte(copy, checked, submode, trigger); rc != kOk) return rc;
    copy.submode = submode;
    copy.trigger = trigger;
    store_time_values(copy, checked.stored);
    if (checked.has_line_count) copy.line_count = checked.line_count;

    const coc_pixel_region region = coc_region_pixels(copy, p);
    copy.roixmin = region.roixmin;
    copy.roixmax = region.roixmax;
    copy.roiymin = region.roiymin;
    copy.roiymax = region.roiymax;
    copy.vbin = p.vbin & 0xFFFF;
    copy.hbin = p.hbin;
    return kOk;
}

}  // namespace lmv
