// Transfers of the picture in the board buffer into the caller's memory: by read after the
// read-picture request in the four transfer modes, or directly with the image request.
#include <cstdint>
#include <cstdio>

#include "camera/acquire/Acquire.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

using ioctl::TransferMode;

// Pixel count of a width x height image; 0 for sizes that are empty, negative or too large for
// the 32-bit byte count of a transfer.
uint32_t pixel_count(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    return pixels > UINT32_MAX / 4 ? 0 : static_cast<uint32_t>(pixels);
}

int picture_check(int board) {
    uint32_t status = 0;
    if (int rc = driver::read_status(board, &status); rc != kOk) return rc;
    return camera::picture_waiting(status) ? kOk : kNoPicture;
}

void box(const char* format, int value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    show_warning(text);
}

// The 12-bit transfer reports what went wrong in the log and, when asked for, in boxes.
void report_12bit(int stage, int rc) {
    if (stage == 0) {
        if (rc == kTimeout) log_message(kLogErrors, "GETPIC12 SET_READPIC failed\r\n");
        return;
    }
    switch (rc) {
        case kNoResource:
            log_message(kLogErrors, "GETPIC12 ReadFile failed GetLastError()=%d\r\n", rc);
            box("GetLastError() returned %d\n", rc);
            break;
        case kTimeout:
            box("read12bit wait failed %d", rc);
            log_message(kLogErrors, "GETPIC12 ReadFile Timeout GetLastError()=%d\r\n", rc);
            break;
        case kTransferIncomplete:
            box("read12bit failed %d", rc);
            break;
        default:
            break;
    }
}

int transfer(int board, TransferMode mode, int width, int height, void* buffer, bool report) {
    if (!driver::is_open(board)) return kDriverNotOpen;
    const uint32_t bytes = driver::transfer_bytes(mode, pixel_count(width, height));
    if (bytes == 0) return kWrongParameter;
    if (!buffer) return kNoMemory;
    if (int rc = picture_check(board); rc != kOk) return rc;
    if (int rc = driver::set_read_pic(board, mode); rc != kOk) {
        if (report) report_12bit(0, rc);
        return rc;
    }
    const int rc = driver::read_announced(board, buffer, bytes);
    if (rc != kOk && report) report_12bit(1, rc);
    return rc;
}

}  // namespace

int acquire_transfer_12bit(int board, int width, int height, uint16_t* buffer) {
    return transfer(board, TransferMode::Pixels16, width, height, buffer, true);
}

int acquire_transfer_8bit(int board, int width, int height, uint8_t* buffer) {
    return transfer(board, TransferMode::Pixels8, width, height, buffer, false);
}

int acquire_transfer_average16(int board, int width, int height, uint16_t* buffer) {
    return transfer(board, TransferMode::Average16, width, height, buffer, false);
}

int acquire_transfer_sums32(int board, int width, int height, uint32_t* buffer) {
    return transfer(board, TransferMode::Sums32, width, height, buffer, false);
}

int acquire_direct_read(int board, uint32_t pixels, uint16_t* buffer) {
    if (!buffer) return kNoMemory;
    if (pixels == 0 || pixels > UINT32_MAX / 2) return kWrongParameter;
    if (int rc = picture_check(board); rc != kOk) return rc;
    if (int rc = driver::board_command(board, ioctl::kCmdPrepareDirectRead); rc != kOk) return rc;
    if (int rc = driver::board_command(board, ioctl::kCmdStartTransfer); rc != kOk) return rc;
    if (int rc = driver::read_image(board, buffer, pixels); rc != kOk) return rc;
    return driver::board_command(board, ioctl::kCmdClearBuffer);
}

}  // namespace lmv
