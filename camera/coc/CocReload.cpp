#include "camera/coc/CocReload.h"

#include <cstdint>
#include <mutex>
#include <vector>

#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/coc/CocBuilder.h"
#include "camera/coc/CocSections.h"

namespace lmv {
namespace {

constexpr uint32_t kStopWaitMs = 400;

// The builder keeps the constants of its last build for CCD types without their own.
struct build_state {
    std::mutex mutex;
    coc_previous previous;
};

build_state& builds() {
    static build_state state;
    return state;
}

}  // namespace

uint32_t coc_arm_command(int32_t trigger) {
    return coc_external_trigger(trigger) ? camera::kArmExternal : camera::kArmInternal;
}

int coc_build_table(board_record& rec, std::vector<uint16_t>& table) {
    std::lock_guard<std::mutex> lock(builds().mutex);
    return coc_build(rec, builds().previous, table);
}

int coc_load_held(int board, board_record& rec, const std::vector<uint16_t>* built, bool arm) {
    if (int rc = driver::write_register(board, 0, camera::kStop); rc != kOk) return rc;
    // A camera still busy after the wait gets the table all the same.
    (void)camera::wait_not_busy(board, kStopWaitMs);
    if (int rc = camera::empty_board_buffer(board); rc != kOk) return rc;
    std::vector<uint16_t> own;
    if (!built) {
        if (int rc = coc_build_table(rec, own); rc != kOk) return rc;
        built = &own;
    }
    if (board_state(board) >= kBoardOpened) {
        const int rc = driver::load_coc(board, built->data(), static_cast<uint32_t>(built->size()));
        if (rc != kOk) return rc;
    }
    rec.image_ms = static_cast<int32_t>((rec.beltime + rec.coctime) * 0.001);
    rec.user_coc = 0;
    const camera::aoi_words aoi = camera::aoi_words_of(rec.roixmin, rec.roixmax, rec.aoi_offset);
    if (int rc = driver::write_register(board, 0, aoi.start); rc != kOk) return rc;
    if (int rc = driver::write_register(board, 0, aoi.end); rc != kOk) return rc;
    return arm ? driver::write_register(board, 0, coc_arm_command(rec.trigger)) : kOk;
}

}  // namespace lmv
