#include "camera/image/ImageCapture.h"

#include <new>

#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/api/SyncHold.h"
#include "camera/coc/CocParamSettings.h"
#include "winport/Clock.h"

namespace lmv {
namespace {

constexpr int kSinglePicture = 4;
constexpr uint32_t kPictureGraceMs = 5000;

}  // namespace

bool image_size_of(const board_record& rec, int& width, int& height) {
    const coc_image_size size = coc_image_size_of(rec);
    width = size.width;
    height = size.height;
    return width > 0 && height > 0;
}

int image_wait_picture(int board, uint32_t limit_ms, void (*each_poll)(void*), void* context) {
    const uint32_t start = winport::TickCount();
    for (;;) {
        bool waiting = false;
        if (int rc = camera::read_picture_waiting(board, waiting); rc != kOk) return rc;
        if (waiting) return kOk;
        if (winport::TicksSince(start) > limit_ms) return kTimeout;
        if (each_poll) each_poll(context);
        winport::SleepMs(1);
    }
}

int image_take_picture(const image_capture_procedures& procs, captured_image& out) {
    const int board = library().currentBoard.load();
    if (board_state(board) < kBoardReady) return kNotInitialised;
    if (!procs.start || !procs.read_12bit) return kFunctionMissing;
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    int width = 0, height = 0;
    if (!image_size_of(*rec, width, height)) return kWrongParameter;
    try {
        out.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    out.width = width;
    out.height = height;
    if (rec->recorder_busy) return kRecorderOwnsBoard;
    sync_hold sync(rec->sync_event);
    if (!sync.acquired()) return kTimeout;
    bool waiting = false;
    if (int rc = camera::read_picture_waiting(board, waiting); rc != kOk) return rc;
    if (!waiting) {
        const int32_t run_mode = rec->run_mode;
        int rc = procs.start(board, kSinglePicture);
        if (rc == kOk)
            rc = image_wait_picture(board, static_cast<uint32_t>(rec->image_ms) + kPictureGraceMs);
        rec->run_mode = run_mode;
        if (rc != kOk) return rc;
    }
    return procs.read_12bit(board, width, height, out.pixels.data());
}

}  // namespace lmv
