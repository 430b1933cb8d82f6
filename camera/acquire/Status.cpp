// Camera and board-buffer state: GET_STATUS and GET_IMAGE_STATUS.
#include <atomic>
#include <cstdint>

#include "camera/acquire/Acquire.h"
#include "camera/api/SyncHold.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"

namespace lmv {
namespace {

constexpr uint32_t kStatusRegister = 6;
constexpr uint32_t kTemperatureRegister = 7;
constexpr uint32_t kNoCameraAnswer = 0x795E;
constexpr int kTemperatureOffset = 128;
constexpr int kLowestTemperature = -30;
constexpr int kHighestTemperature = 65;
constexpr int kCcdAboveElectronics = 20;

constexpr uint32_t kImageReadInProgress = 1u << 0;
constexpr uint32_t kImageNoPicture = 1u << 1;
constexpr uint32_t kImageCallerBits = 0x00FFFFE0;  // bits 5-23 as the caller passed them
constexpr uint32_t kTopByte = 0xFF000000;

std::atomic<int> last_camera_status{0};

// Camera register 6 bits that the image status reports: register bit, image status bit.
struct register_bit {
    uint32_t from;
    uint32_t to;
};
constexpr register_bit kRegisterBits[] = {
    {1u << 1, 1u << 2}, {1u << 4, 1u << 3}, {1u << 0, 1u << 4}};

bool in_range(int t) {
    return t >= kLowestTemperature && t <= kHighestTemperature;
}

void cached_status(const board_record& rec, int* status, int* ele_temp, int* ccd_temp) {
    *status = last_camera_status.load();
    *ele_temp = rec.ele_temp;
    *ccd_temp = rec.ccd_temp;
}

int read_camera_status(int board, board_record& rec, int* status, int* ele_temp, int* ccd_temp) {
    uint32_t reg6 = 0, reg7 = 0;
    if (int rc = driver::read_register(board, kStatusRegister, &reg6); rc != kOk) return rc;
    *status = static_cast<int>((reg6 & 0xFFFF) |
                               ((static_cast<uint32_t>(rec.status_extra) >> 8) & 0xFF) << 16);
    if (int rc = driver::read_register(board, kTemperatureRegister, &reg7); rc != kOk) return rc;
    if (reg7 == kNoCameraAnswer) {
        *status = static_cast<int>(kNoCameraAnswer);
        *ele_temp = 0;
        *ccd_temp = 0;
        return kOk;
    }
    const int ccd = static_cast<int>(reg7 & 0xFF) - kTemperatureOffset;
    const int ele = static_cast<int>((reg7 >> 8) & 0xFF) - kTemperatureOffset;
    *ccd_temp = ccd;
    *ele_temp = ele;
    if (!in_range(ccd) || !in_range(ele) || ccd > ele + kCcdAboveElectronics)
        return kTemperatureRange;
    last_camera_status = *status;
    rec.ele_temp = ele;
    rec.ccd_temp = ccd;
    return kOk;
}

uint32_t compose_image_status(uint32_t status_word, uint32_t reg6, uint32_t caller) {
    uint32_t s = (caller & kImageCallerBits) | (status_word & kTopByte);
    if (!camera::picture_waiting(status_word)) s |= kImageNoPicture;
    for (const auto& b : kRegisterBits)
        if (reg6 & b.from) s |= b.to;
    return s;
}

int image_status_held(int board, board_record& rec, uint32_t caller, uint32_t* out) {
    uint32_t word = 0;
    if (int rc = driver::read_status(board, &word); rc != kOk) return rc;
    if (rec.clear_needed && camera::picture_waiting(word)) {
        if (int rc = driver::board_command(board, ioctl::kCmdClearBuffer); rc != kOk) return rc;
        rec.clear_needed = 0;
        if (int rc = driver::read_status(board, &word); rc != kOk) return rc;
    }
    uint32_t reg6 = 0;
    if (int rc = driver::read_register(board, kStatusRegister, &reg6); rc != kOk) return rc;
    *out = compose_image_status(word, reg6, caller);
    return kOk;
}

}  // namespace

int acquire_last_camera_status() {
    return last_camera_status.load();
}

}  // namespace lmv

using namespace lmv;

extern "C" {

LMV_API int GET_STATUS(int* status, int* ele_temp, int* ccd_temp) {
    const int board = library().currentBoard.load();
    if (board_state(board) < kBoardOpened) return kNotInitialised;
    board_record* rec = record_of(board);
    if (!rec || !status || !ele_temp || !ccd_temp) return kNoMemory;
    if (rec->recorder_busy) {
        cached_status(*rec, status, ele_temp, ccd_temp);
        return kOk;
    }
    sync_hold sync(rec->sync_event);
    if (!sync.acquired()) {
        cached_status(*rec, status, ele_temp, ccd_temp);
        return kOk;
    }
    return read_camera_status(board, *rec, status, ele_temp, ccd_temp);
}

LMV_API int GET_IMAGE_STATUS(int* status) {
    log_message(kLogApi, "GET_IMAGE_STATUS\r\n");
    if (!status) return kNoMemory;
    const int board = library().currentBoard.load();
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    camera_library& lib = library();
    if (lib.readBusy.load() || rec->dma_active) {
        uint32_t s =
            (static_cast<uint32_t>(lib.lastImageStatus.load()) & 0xFFFFFE) | kImageReadInProgress;
        uint32_t word = 0;
        if (driver::read_status(board, &word) == kOk) s |= word & kTopByte;
        *status = static_cast<int>(s);
        return kOk;
    }
    sync_hold sync(rec->sync_event);
    if (!sync.acquired()) return kTimeout;
    uint32_t composed = 0;
    const int rc = image_status_held(board, *rec, static_cast<uint32_t>(*status), &composed);
    if (rc != kOk) return rc;
    *status = static_cast<int>(composed);
    lib.lastImageStatus = *status;
    return kOk;
}

}  // extern "C"
