// Starting and stopping the camera: RUN_COC, STOP_COC and the start and stop procedures that the
// COC reload and the picture taking reuse.
#include <cstdint>

#include "camera/acquire/Acquire.h"
#include "camera/api/SyncHold.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/CcdTraits.h"
#include "camera/coc/CocReload.h"
#include "lmvntcam.h"
#include "winport/Clock.h"

namespace lmv {
namespace {

constexpr int kDirectCommand = 0x100;                   // RUN_COC: write the low byte as it is
constexpr int kHighestRunMode = kDirectCommand | 0xFF;  // no bit above it has a meaning
constexpr uint32_t kBusyPollMs = 600;

int trigger_mode(const board_record& rec) {
    return rec.trigger & 0xFF;
}

int trigger_flags(const board_record& rec) {
    return (rec.trigger >> 8) & 0xFF;
}

// Long-exposure cameras in the double-shutter submodes run one picture per start.
bool double_shutter(const board_record& rec) {
    return (rec.camera_typ == 2 || rec.camera_typ == 3) &&
           (rec.submode == 1 || rec.submode == 3 || rec.submode == 5);
}

int busy_check(int board) {
    uint32_t busy = 0;
    if (int rc = driver::read_busy(board, &busy); rc != kOk) return rc;
    return busy & ioctl::kBusyCamera ? kCameraBusy : kOk;
}

// Run command sets: the arm command that goes first (0 for none) and the command.
struct run_sequence {
    bool busy_check;
    uint32_t arm;
};

int send_run_command(int board, uint32_t d) {
    run_sequence seq{};
    switch (d) {
        case 4:
        case 5:
        case 6:
            return driver::write_register(board, 0, d);
        case 8:
        case 14:
            seq = {true, camera::kArmInternal};
            break;
        case 9:
        case 15:
            seq = {true, camera::kArmExternal};
            break;
        case 10:
        case 11:
            seq = {true, 0};
            break;
        default:
            return kWrongParameter;
    }
    if (int rc = busy_check(board); rc != kOk) return rc;
    if (seq.arm)
        if (int rc = driver::write_register(board, 0, seq.arm); rc != kOk) return rc;
    return driver::write_register(board, 0, d);
}

uint32_t continuous_command(const board_record& rec) {
    if (!(rec.camera_flags & 1)) return 5;
    const int flags = trigger_flags(rec);
    return flags == 2 ? 15 : flags == 1 ? 14 : 6;
}

}  // namespace

int acquire_start(int board, board_record& rec, int mode) {
    rec.clear_needed = 0;
    rec.firstread = 0;
    if (double_shutter(rec) && rec.run_mode != kCameraStopped) {
        if (int rc = acquire_stop(board, rec, 0); rc != kOk) return rc;
        if (int rc = camera::empty_board_buffer(board); rc != kOk) return rc;
    }
    rec.run_mode = mode & 0xF;
    uint32_t d = static_cast<uint32_t>(rec.run_mode);
    if (d == 4) {
        const int flags = trigger_flags(rec);
        d = flags == 2 ? 9 : flags == 1 ? 8 : 4;
        if (double_shutter(rec)) {
            rec.firstread = 1;
            d = 0;
        }
        if (rec.pics_per_start > 1) {
            rec.firstread = 1;
            d = 0;
        }
    }
    if (d == 0) d = continuous_command(rec);
    const int rc = send_run_command(board, d);
    if (double_shutter(rec)) rec.clear_needed = 1;
    show_warning("end run_coc");
    return rc;
}

int acquire_start_board(int board, int mode) {
    board_record* rec = record_of(board);
    return rec ? acquire_start(board, *rec, mode) : kNoMemory;
}

int acquire_stop(int board, board_record& rec, int stop_mode) {
    if (rec.run_mode == kCameraStopped) return kOk;
    rec.run_mode = kCameraStopped;
    if (rec.trigger < 0x100) {
        uint32_t busy = 0;
        if (int rc = driver::read_busy(board, &busy); rc != kOk) return rc;
        if (busy == 0) return kOk;
    }
    if (stop_mode >= 0 && stop_mode <= 5) {
        const bool single = stop_mode == 2 || stop_mode == 3;
        if (int rc =
                driver::write_register(board, 0, single ? camera::kSinglePicture : camera::kStop);
            rc != kOk)
            return rc;
    }
    int rc = camera::wait_not_busy(board, kBusyPollMs);
    if (rc != kOk && rc != kTimeout) return rc;
    if (stop_mode != 4 && stop_mode != 5)
        if (uint32_t ms = ccd_traits_or_unknown(rec.ccd_typ).settle_ms) winport::SleepMs(ms);
    if (rc == kOk) rc = driver::write_register(board, 0, coc_arm_command(rec.trigger));
    return rc;
}

}  // namespace lmv

using namespace lmv;

extern "C" {

LMV_API int RUN_COC(int mode) {
    const int board = library().currentBoard.load();
    if (board_state(board) < kBoardOpened) return kNotInitialised;
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    if (rec->recorder_busy) return kRecorderOwnsBoard;
    log_message(kLogApi, "RUN_COC(%d) \r\n", mode);
    if (mode < 0 || mode > kHighestRunMode) return kWrongParameter;
    if (mode & kDirectCommand) return driver::write_register(board, 0, mode & 0xFF);
    sync_hold sync(rec->sync_event);
    if (!sync.acquired()) return kTimeout;
    return acquire_start(board, *rec, mode);
}

LMV_API int STOP_COC(int mode) {
    const int board = library().currentBoard.load();
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    log_message(kLogApi, "STOP_COC(%d) \r\n", mode);
    if (board_state(board) < kBoardOpened) return kNotInitialised;
    if (rec->recorder_busy) return kRecorderOwnsBoard;
    if (mode < 0) return kWrongParameter;
    sync_hold sync(rec->sync_event);
    int rc = sync.acquired() ? kOk : kTimeout;
    rec->clear_needed = 0;
    rec->firstread = 0;
    const int trigger = trigger_mode(*rec);
    if (trigger == 1 || trigger == 2) {
        const int arm = driver::write_register(
            board, 0, trigger == 1 ? camera::kArmExternal : camera::kArmInternal);
        if (arm != kOk) return arm;
        rc = arm;
    }
    if (mode <= 5) {
        rc = acquire_stop(board, *rec, mode);
        if (mode == 0 || mode == 2 || mode == 4) {
            // Emptied also when the camera stayed busy: the pictures of the stop go.
            const int emptied = camera::empty_board_buffer(board);
            if (rc == kOk) rc = emptied;
        }
    }
    show_warning("end stop_coc");
    return rc;
}

}  // extern "C"
