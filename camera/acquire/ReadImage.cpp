// Image reads from the board buffer: READ_IMAGE_12BIT, READ_IMAGE_12BIT_EXT and READ_IMAGE_8BIT.
#include <cstdint>
#include <cstring>

#include "camera/acquire/Acquire.h"
#include "camera/acquire/ImageOrientation.h"
#include "camera/api/SyncHold.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/ImageSize.h"
#include "lmvntcam.h"
#include "winport/Clock.h"

namespace lmv {
namespace {

enum read_mode : int {
    kAsIs = 0,
    kFlip = 1,
    kNoTransfer = 4,
    kMirror = 8,
    kRotate = 9,
    kDirect = 32,
};

constexpr int kLongImageMs = 1000;  // no pause before the second look from this image time on
constexpr int kPauseExtraMs = 5;
constexpr uint8_t kTestTop = 255;
constexpr uint8_t kTestBottom = 200;
constexpr uint8_t kTestEdge = 255;
constexpr uint8_t kTestInside = 64;

// Log lines of a read; null where the read writes none.
struct read_texts {
    const char* zero;
    const char* bad_pointer;
    const char* timeout;
    const char* no_picture;
    const char* transfer_error;
};

constexpr read_texts k12bitTexts = {
    "READ_IMAGE_12BIT() wrong value width or height is zero\r\n",
    "READ_IMAGE_12BIT() bad pointer 12bit buffer\r\n",
    "READ_IMAGE_12BIT() sync_event timeout\r\n",
    "READ_IMAGE_12BIT() no picture in board buffer\r\n",
    "READ_IMAGE_12BIT() error in transfer \r\n",
};
constexpr read_texts k8bitTexts = {
    "READ_IMAGE_8BIT() wrong value width or height is zero \r\n",
    "READ_IMAGE_8BIT() bad pointer 8Bit buffer\r\n",
    "READ_IMAGE_8BIT() wait for sync_event timeout\r\n",
    "READ_IMAGE_8BIT() no picture in board buffer\r\n",
    "READ_IMAGE_8BIT() error in transfer \r\n",
};
constexpr read_texts kSilent = {};

void log_text(unsigned bits, const char* text) {
    if (text) log_message(bits, "%s", text);
}

unsigned address_of(const void* p) {
    return static_cast<unsigned>(reinterpret_cast<uintptr_t>(p));
}

constexpr int k12bitPixel = 2;
constexpr int k8bitPixel = 1;

size_t pixels_of(int width, int height) {
    return size_t(width) * size_t(height);
}

// The camera gets one image time to finish a picture that is on its way.
void pause_for_picture(const board_record& rec) {
    if (rec.image_ms >= 0 && rec.image_ms < kLongImageMs)
        winport::SleepMs(static_cast<uint32_t>(rec.image_ms + kPauseExtraMs));
}

int look_again(int board, const board_record& rec, bool& present) {
    pause_for_picture(rec);
    uint32_t status = 0;
    const int rc = driver::read_status(board, &status);
    present = rc == kOk && camera::picture_waiting(status);
    return rc;
}

// The picture check of READ_IMAGE_12BIT and READ_IMAGE_8BIT: 0 when the transfer may go on.
int picture_ready(int board, board_record& rec, int mode, const read_texts& texts) {
    uint32_t status = 0;
    if (int rc = driver::read_status(board, &status); rc != kOk) return rc;
    bool present = camera::picture_waiting(status);
    if (!present && mode != kNoTransfer) {
        if (int rc = look_again(board, rec, present); rc != kOk) return rc;
        if (!present) {
            log_text(kLogApi, texts.no_picture);
            return kNoPicture;
        }
    }
    if (rec.clear_needed) {
        if (int rc = driver::board_command(board, ioctl::kCmdClearBuffer); rc != kOk) return rc;
        rec.clear_needed = 0;
        if (int rc = look_again(board, rec, present); rc != kOk) return rc;
        if (!present) {
            log_text(kLogApi, texts.no_picture);
            return kNoPicture;
        }
    }
    return kOk;
}

// The picture check of READ_IMAGE_12BIT_EXT: straight on when a picture waits and nothing must be
// cleared; otherwise clear when needed and look once more.
int picture_ready_ext(int board, board_record& rec, int mode) {
    uint32_t status = 0;
    if (int rc = driver::read_status(board, &status); rc != kOk) return rc;
    if ((camera::picture_waiting(status) || mode == kNoTransfer) && !rec.clear_needed) return kOk;
    if (rec.clear_needed) {
        if (int rc = driver::board_command(board, ioctl::kCmdClearBuffer); rc != kOk) return rc;
        rec.clear_needed = 0;
    }
    bool present = false;
    if (int rc = look_again(board, rec, present); rc != kOk) return rc;
    return present ? kOk : kNoPicture;
}

template <typename Pixel, typename Transfer>
int transfer_oriented(int board, int mode, int width, int height, Pixel* buffer,
                      Transfer transfer) {
    const int rc = transfer(board, width, height, buffer);
    if (rc != kOk) return rc;
    const size_t w = size_t(width), h = size_t(height);
    if (mode == kFlip && !flip_vertical(buffer, w, h)) return kNoMemory;
    if (mode == kMirror) mirror_rows(buffer, w, h);
    if (mode == kRotate) rotate_180(buffer, w, h);
    return kOk;
}

// 12-bit transfers by mode; `extended` knows no mirror and rotation.
int transfer_12bit(int board, int mode, int width, int height, uint16_t* buffer, bool extended) {
    switch (mode) {
        case kNoTransfer:
            std::memset(buffer, 0, pixels_of(width, height) * sizeof *buffer);
            return kOk;
        case kDirect:
            return acquire_direct_read(board, static_cast<uint32_t>(pixels_of(width, height)),
                                       buffer);
        case kMirror:
        case kRotate:
            if (extended) return kWrongParameter;
            [[fallthrough]];
        case kAsIs:
        case kFlip:
            return transfer_oriented(board, mode, width, height, buffer, acquire_transfer_12bit);
        default:
            return kWrongParameter;
    }
}

void test_picture(uint8_t* buffer, size_t width, size_t height) {
    for (size_t y = 0; y < height; ++y) {
        uint8_t* row = buffer + y * width;
        std::memset(row, kTestInside, width);
        row[0] = kTestEdge;
        row[width - 1] = kTestEdge;
    }
    std::memset(buffer, kTestTop, width);
    std::memset(buffer + (height - 1) * width, kTestBottom, width);
}

int transfer_8bit(int board, int mode, int width, int height, uint8_t* buffer) {
    switch (mode) {
        case kNoTransfer:
            test_picture(buffer, size_t(width), size_t(height));
            return kOk;
        case kAsIs:
        case kFlip:
        case kMirror:
        case kRotate:
            return transfer_oriented(board, mode, width, height, buffer, acquire_transfer_8bit);
        default:
            return kWrongParameter;
    }
}

// A start that wanted a single picture stops the camera after it has been read.
int finish_first_read(int board, board_record& rec, int rc) {
    if (!rec.firstread) return rc;
    log_message(kLogApi, "firstread TRUE\r\n");
    rec.firstread = 0;
    int stopped = acquire_stop(board, rec, 0);
    if (stopped == kOk) stopped = camera::empty_board_buffer(board);
    return rc == kOk ? stopped : rc;
}

// The part of READ_IMAGE_12BIT that runs while the sync_event is held.
int read_12bit_held(int board, board_record& rec, int mode, int width, int height,
                    uint16_t* buffer) {
    read_busy_mark busy;
    if (int rc = picture_ready(board, rec, mode, k12bitTexts); rc != kOk) return rc;
    if (!buffer) {
        log_text(kLogErrors, k12bitTexts.bad_pointer);
        return kNoMemory;
    }
    int rc = transfer_12bit(board, mode, width, height, buffer, false);
    if (rc != kOk) log_text(kLogErrors, k12bitTexts.transfer_error);
    return finish_first_read(board, rec, rc);
}

// Checks shared by the three reads before the sync_event is taken.
int read_refusal(const board_record* rec, int width, int height, int pixel_bytes,
                 const read_texts& texts, int64_t pictures = 1) {
    if (!rec) return kNoMemory;
    if (rec->recorder_busy) return kRecorderOwnsBoard;
    if (library().readBusy.load()) return kReadInProgress;
    if (image_size_check(width, height, pixel_bytes, image_empty::refused, pictures) != kOk) {
        log_text(kLogErrors, texts.zero);
        return kWrongParameter;
    }
    return kOk;
}

}  // namespace

int acquire_read_12bit_held(int board, int width, int height, uint16_t* buffer) {
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    if (int rc = image_size_check(width, height, k12bitPixel, image_empty::refused); rc != kOk)
        return rc;
    return read_12bit_held(board, *rec, kAsIs, width, height, buffer);
}

}  // namespace lmv

using namespace lmv;

extern "C" {

LMV_API int READ_IMAGE_12BIT(int mode, int width, int height, unsigned short* buffer) {
    log_message(kLogApi, "READ_IMAGE_12BIT(%d,%d,%d,%x)\r\n", mode, width, height,
                address_of(buffer));
    const int board = library().currentBoard.load();
    board_record* rec = record_of(board);
    if (int rc = read_refusal(rec, width, height, k12bitPixel, k12bitTexts); rc != kOk) return rc;
    sync_hold sync(rec->sync_event);
    if (!sync.acquired()) {
        log_text(kLogErrors, k12bitTexts.timeout);
        return kTimeout;
    }
    return read_12bit_held(board, *rec, mode, width, height, buffer);
}

LMV_API int READ_IMAGE_12BIT_EXT(int mode, int width, int height, int picnr,
                                 unsigned short* buffer) {
    const int board = library().currentBoard.load();
    board_record* rec = record_of(board);
    // The sequence buffer up to the slot must be addressable; a negative slot counts as none.
    const int64_t pictures = picnr < 0 ? 0 : int64_t{picnr} + 1;
    if (int rc = read_refusal(rec, width, height, k12bitPixel, kSilent, pictures); rc != kOk)
        return rc;
    sync_hold sync(rec->sync_event);
    if (!sync.acquired()) return kTimeout;
    read_busy_mark busy;
    if (int rc = picture_ready_ext(board, *rec, mode); rc != kOk) return rc;
    if (!buffer) return kNoMemory;
    uint16_t* slot = buffer + pixels_of(width, height) * size_t(picnr);
    const int rc = transfer_12bit(board, mode, width, height, slot, true);
    return finish_first_read(board, *rec, rc);
}

LMV_API int READ_IMAGE_8BIT(int mode, int width, int height, unsigned char* buffer) {
    log_message(kLogApi, "READ_IMAGE_8BIT(%d,%d,%d,%x)\r\n", mode, width, height,
                address_of(buffer));
    const int board = library().currentBoard.load();
    board_record* rec = record_of(board);
    if (int rc = read_refusal(rec, width, height, k8bitPixel, k8bitTexts); rc != kOk) return rc;
    if (!buffer) {
        log_text(kLogErrors, k8bitTexts.bad_pointer);
        return kNoMemory;
    }
    sync_hold sync(rec->sync_event);
    if (!sync.acquired()) {
        log_text(kLogErrors, k8bitTexts.timeout);
        return kTimeout;
    }
    read_busy_mark busy;
    if (int rc = picture_ready(board, *rec, mode, k8bitTexts); rc != kOk) return rc;
    int rc = transfer_8bit(board, mode, width, height, buffer);
    if (rc != kOk) log_text(kLogErrors, k8bitTexts.transfer_error);
    return finish_first_read(board, *rec, rc);
}

}  // extern "C"
