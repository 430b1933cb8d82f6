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

bool PictureWaiting(uint32_t status) {
    return (status & ioctl::kStatusPicture) != 0;
}

int ReadPictureWaiting(int board, bool& waiting) {
    uint32_t status = 0;
    const int rc = driver::ReadStatus(board, &status);
    waiting = rc == kOk && PictureWaiting(status);
    return rc;
}

int WaitNotBusy(int board, uint32_t limit_ms) {
    const uint32_t start = winport::TickCount();
    for (;;) {
        uint32_t busy = 0;
        if (int rc = driver::ReadBusy(board, &busy); rc != kOk) return rc;
        if (!(busy & ioctl::kBusyCamera)) return kOk;
        if (winport::TicksSince(start) >= limit_ms) return kTimeout;
        winport::SleepMs(1);
    }
}

int EmptyBoardBuffer(int board) {
    uint32_t status = 0;
    if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
    for (int commands = 0; PictureWaiting(status); ++commands) {
        if (commands >= kMaxClearCommands) return kBufferNotEmptied;
        if (int rc = driver::BoardCommand(board, ioctl::kCmdClearBuffer); rc != kOk) return rc;
        if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
    }
    return kOk;
}

aoi_words AoiWords(int32_t roixmin, int32_t roixmax, int32_t aoi_offset) {
    const auto offset = static_cast<uint32_t>(aoi_offset);
    return {(static_cast<uint32_t>(roixmin) & kAoiMask) + offset + kAoiStart,
            (static_cast<uint32_t>(roixmax) & kAoiMask) + offset + kAoiEnd};
}

}  // namespace lmv::camera
