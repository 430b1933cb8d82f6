#include "camera/api/CameraCommands.h"

#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "winport/Clock.h"
#include "winport/Thread.h"

namespace lmv::camera {
namespace {

constexpr int kMaxClearCommands = 100;
constexpr uint32_t kAoiMask = 0xFFE0;

}  // namespace

bool picture_waiting(uint32_t status) {
    return (status & ioctl::kStatusPicture) != 0;
}

int read_picture_waiting(int board, bool& waiting) {
    uint32_t status = 0;
    const int rc = driver::read_status(board, &status);
    waiting = rc == kOk && picture_waiting(status);
    return rc;
}

int wait_not_busy(int board, uint32_t limit_ms) {
    const uint32_t start = winport::TickCount();
    for (;;) {
        uint32_t busy = 0;
        if (int rc = driver::read_busy(board, &busy); rc != kOk) return rc;
        if (!(busy & ioctl::kBusyCamera)) return kOk;
        if (winport::TicksSince(start) >= limit_ms) return kTimeout;
        winport::SleepMs(1);
    }
}

int empty_board_buffer(int board) {
    uint32_t status = 0;
    if (int rc = driver::read_status(board, &status); rc != kOk) return rc;
    for (int commands = 0; picture_waiting(status); ++commands) {
        if (commands >= kMaxClearCommands) return kBufferNotEmptied;
        if (int rc = driver::board_command(board, ioctl::kCmdClearBuffer); rc != kOk) return rc;
        if (int rc = driver::read_status(board, &status); rc != kOk) return rc;
    }
    return kOk;
}

aoi_words aoi_words_of(int32_t roixmin, int32_t roixmax, int32_t aoi_offset) {
    const auto offset = static_cast<uint32_t>(aoi_offset);
    return {(static_cast<uint32_t>(roixmin) & kAoiMask) + offset + kAoiStart,
            (static_cast<uint32_t>(roixmax) & kAoiMask) + offset + kAoiEnd};
}

}  // namespace lmv::camera
