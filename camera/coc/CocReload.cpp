#include "camera/coc/CocReload.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/coc/CocBuilder.h"
#include "camera/coc/CocSections.h"
#include "winport/Clock.h"
#include "winport/Thread.h"

namespace lmv {
namespace {

constexpr uint32_t kStopWaitMs = 400;
constexpr uint32_t kPictureWaitMs = 100;
constexpr int kMaxClearCommands = 100;
constexpr int32_t kStopped = 255;
constexpr uint32_t kStopCommand = 0;
constexpr uint32_t kAoiStartCommand = 12;
constexpr uint32_t kAoiEndCommand = 13;
constexpr uint32_t kAoiMask = 0xFFE0;
constexpr uint32_t kArmInternal = 10;
constexpr uint32_t kArmExternal = 11;

std::atomic<coc_start_procedure> start_procedure{nullptr};

// The builder keeps the constants of its last build for CCD types without their own.
struct build_state {
    std::mutex mutex;
    coc_previous previous;
};

build_state& builds() {
    static build_state state;
    return state;
}

bool has_picture(uint32_t status) {
    return status & ioctl::kStatusPicture;
}

void wait_camera_stopped(int board) {
    const uint32_t start = winport::TickCount();
    for (;;) {
        uint32_t busy = 0;
        if (driver::ReadBusy(board, &busy) != kOk || !(busy & ioctl::kBusyCamera)) return;
        if (winport::TicksSince(start) >= kStopWaitMs) return;
        winport::SleepMs(1);
    }
}

}  // namespace

uint32_t coc_arm_command(int32_t trigger) {
    return coc_external_trigger(trigger) ? kArmExternal : kArmInternal;
}

int coc_build_table(board_record& rec, std::vector<uint16_t>& table) {
    std::lock_guard<std::mutex> lock(builds().mutex);
    return coc_build(rec, builds().previous, table);
}

int coc_load_held(int board, board_record& rec, const std::vector<uint16_t>* built, bool arm) {
    if (int rc = driver::WriteRegister(board, 0, kStopCommand); rc != kOk) return rc;
    wait_camera_stopped(board);
    if (int rc = coc_empty_board_buffer(board); rc != kOk) return rc;
    std::vector<uint16_t> own;
    if (!built) {
        if (int rc = coc_build_table(rec, own); rc != kOk) return rc;
        built = &own;
    }
    if (BoardState(board) >= kBoardOpened) {
        const int rc = driver::LoadCoc(board, built->data(), static_cast<uint32_t>(built->size()));
        if (rc != kOk) return rc;
    }
    rec.image_ms = static_cast<int32_t>((rec.beltime + rec.coctime) * 0.001);
    rec.user_coc = 0;
    const auto offset = static_cast<uint32_t>(rec.aoi_offset);
    const uint32_t aoi_start =
        (static_cast<uint32_t>(rec.roixmin) & kAoiMask) + offset + kAoiStartCommand;
    const uint32_t aoi_end =
        (static_cast<uint32_t>(rec.roixmax) & kAoiMask) + offset + kAoiEndCommand;
    if (int rc = driver::WriteRegister(board, 0, aoi_start); rc != kOk) return rc;
    if (int rc = driver::WriteRegister(board, 0, aoi_end); rc != kOk) return rc;
    return arm ? driver::WriteRegister(board, 0, coc_arm_command(rec.trigger)) : kOk;
}

void coc_set_start_procedure(coc_start_procedure start) {
    start_procedure = start;
}

int coc_empty_board_buffer(int board) {
    uint32_t status = 0;
    if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
    for (int commands = 0; has_picture(status); ++commands) {
        if (commands >= kMaxClearCommands) return kBufferNotEmptied;
        if (int rc = driver::BoardCommand(board, ioctl::kCmdClearBuffer); rc != kOk) return rc;
        if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
    }
    return kOk;
}

int coc_reload(int board, board_record& rec) {
    std::vector<uint16_t> table;
    if (int rc = coc_build_table(rec, table); rc != kOk) return rc;
    if (rec.recorder_busy) return kRecorderOwnsBoard;
    winport::Event* sync = rec.sync_event;
    if (!sync) return kNoResource;
    if (!sync->Wait(static_cast<uint32_t>(Library().imageTimeout.load()))) {
        sync->Set();
        return kTimeout;
    }
    int rc;
    {
        winport::ScopedThreadPriority raised(winport::ThreadPriority::Highest);
        rc = coc_load_held(board, rec, &table, true);
        // A running camera goes on with the new table; how that start ends is its own matter.
        if (rc == kOk && rec.run_mode != kStopped) {
            if (coc_start_procedure start = start_procedure.load()) start(board, rec, rec.run_mode);
        }
    }
    sync->Set();
    return rc;
}

int coc_reload_board(int board) {
    board_record* rec = Record(board);
    return rec ? coc_reload(board, *rec) : kNoMemory;
}

void coc_run_once(int board, board_record& rec) {
    if (coc_reload(board, rec) != kOk) return;
    const uint32_t start = winport::TickCount();
    do {
        uint32_t status = 0;
        if (driver::ReadStatus(board, &status) != kOk) return;
        if (has_picture(status)) {
            driver::BoardCommand(board, ioctl::kCmdClearBuffer);
            return;
        }
        winport::SleepMs(1);
    } while (winport::TicksSince(start) < kPictureWaitMs);
}

namespace {

// SET_BOARD reloads the COC of an initialised board through this.
const bool kRegistered = [] {
    Hooks().reloadCoc = &coc_reload_board;
    return true;
}();

}  // namespace

}  // namespace lmv
