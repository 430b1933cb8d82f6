#include "camera/session/CocReload.h"

#include <cstdint>
#include <vector>

#include "camera/acquire/Acquire.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/coc/CocReload.h"
#include "winport/Clock.h"
#include "winport/Thread.h"

namespace lmv {
namespace {

constexpr uint32_t kPictureWaitMs = 100;

}  // namespace

int session_reload(int board, board_record& rec) {
    std::vector<uint16_t> table;
    if (int rc = coc_build_table(rec, table); rc != kOk) return rc;
    if (rec.recorder_busy) return kRecorderOwnsBoard;
    winport::Event* sync = rec.sync_event;
    if (!sync) return kNoResource;
    if (!sync->Wait(static_cast<uint32_t>(library().imageTimeout.load()))) {
        sync->Set();
        return kTimeout;
    }
    int rc;
    {
        winport::ScopedThreadPriority raised(winport::ThreadPriority::Highest);
        rc = coc_load_held(board, rec, &table, true);
        // A running camera goes on with the new table; how that start ends is its own matter.
        if (rc == kOk && rec.run_mode != kCameraStopped)
            (void)acquire_start(board, rec, rec.run_mode);
    }
    sync->Set();
    return rc;
}

int session_reload_board(int board) {
    board_record* rec = record_of(board);
    return rec ? session_reload(board, *rec) : kNoMemory;
}

void session_run_once(int board, board_record& rec) {
    if (session_reload(board, rec) != kOk) return;
    const uint32_t start = winport::TickCount();
    do {
        bool waiting = false;
        if (camera::read_picture_waiting(board, waiting) != kOk) return;
        if (waiting) {
            (void)driver::board_command(board, ioctl::kCmdClearBuffer);
            return;
        }
        winport::SleepMs(1);
    } while (winport::TicksSince(start) < kPictureWaitMs);
}

}  // namespace lmv
