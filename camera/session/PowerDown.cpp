// SET_POWERDOWN: the camera's power-down counts from two times, by the CCD's clock.
#include <cmath>
#include <cstdint>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/CcdTraits.h"
#include "camera/session/CocReload.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr int kUpperFloor = 3070;  // the upper count must lie above it

// The lower count may not fall below the CCD type's default.
bool power_down_valid(const ccd_traits& ccd, double lo, double hi) {
    if (hi - 2 < lo || hi > INT32_MAX) return false;
    return std::trunc(hi) > kUpperFloor && std::trunc(lo) >= ccd.powerdown_lo;
}

// Camera types whose operation code carries the power-down counts.
bool reloads_coc(int camera_typ) {
    return camera_typ == 2 || camera_typ == 3 || camera_typ == 6 || camera_typ == 7;
}

}  // namespace

extern "C" LMV_API int SET_POWERDOWN(int hi_time, int lo_time) {
    if (lo_time >= hi_time) return kWrongParameter;
    const int board = library().currentBoard.load();
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    const ccd_traits& ccd = ccd_traits_or_unknown(rec->ccd_typ);
    const double factor = ccd.powerdown_counts_per_unit;
    const double lo = factor > 0 ? lo_time * factor : lo_time;
    const double hi = factor > 0 ? hi_time * factor : hi_time;
    if (!power_down_valid(ccd, lo, hi)) return kWrongParameter;
    board_record copy = *rec;
    copy.powerdown_lo = static_cast<int32_t>(lo);
    copy.powerdown_hi = static_cast<int32_t>(hi);
    if (reloads_coc(copy.camera_typ)) {
        if (int rc = session_reload(board, copy); rc != kOk) return rc;
    }
    *rec = copy;
    return kOk;
}
