// Device buffers of the driver (ALLOC_PHYS, FREE_PHYS) and the board-buffer clear command.
#include <cstdint>
#include <cstring>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"

namespace lmv {
namespace {

constexpr uint32_t kDeviceBufferSize = 131072;
constexpr uint32_t kStatusBytes = 16;

int board_refusal(int board) {
    if (!is_board_slot(board)) return kWrongParameter;
    return driver::is_open(board) ? kOk : kDriverNotOpen;
}

struct allocated_buffer {
    int32_t number = -1;
    uint32_t status[kStatusBytes / 4] = {};
    uint32_t address = 0;
};

// Next free buffer, allocated, its status and its mapping; a buffer left half made is freed.
int allocate_and_map(int board, allocated_buffer& out) {
    if (int rc = driver::get_free_device_buffer(board, &out.number); rc != kOk) return rc;
    uint32_t size = 0;
    if (int rc = driver::allocate_device_buffer(board, out.number, kDeviceBufferSize, &size);
        rc != kOk)
        return rc;
    uint32_t copied = 0;
    int rc = driver::get_device_buffer_status(board, out.number, out.status, kStatusBytes, &copied);
    if (rc == kOk)
        rc = driver::map_device_buffer(board, out.number, kDeviceBufferSize, &out.address);
    if (rc != kOk)
        (void)driver::free_device_buffer(board,
                                         out.number);  // the allocation error is the one reported
    return rc;
}

}  // namespace
}  // namespace lmv

using namespace lmv;

extern "C" {

LMV_API int ALLOC_PHYS(int board, int* buffer, int* status1, int* status0, void** address) {
    if (int rc = board_refusal(board); rc != kOk) return rc;
    if (!buffer || !status1 || !status0 || !address) return kNoMemory;
    allocated_buffer b;
    if (int rc = allocate_and_map(board, b); rc != kOk) return rc;
    *buffer = b.number;
    *status1 = static_cast<int>(b.status[1]);
    *status0 = static_cast<int>(b.status[0]);
    *address = reinterpret_cast<void*>(static_cast<uintptr_t>(b.address));
    return kOk;
}

LMV_API int FREE_PHYS(int board, int buffer) {
    if (int rc = board_refusal(board); rc != kOk) return rc;
    // A buffer that was never mapped fails the unmap (logged) and is freed all the same.
    driver::unmap_device_buffer(board, buffer);
    return driver::free_device_buffer(board, buffer);
}

LMV_API int CLEAR_BOARD_BUFFER(int board) {
    if (!is_board_slot(board)) return kWrongParameter;
    if (board_state(board) == kBoardNotInitialised) return kNotInitialised;
    log_message(kLogApi, "CLEAR_BOARD_BUFFER(%d) \r\n, actual board %d \r\n", board,
                library().currentBoard.load());
    return driver::board_command(board, ioctl::kCmdClearBuffer);
}

}  // extern "C"
