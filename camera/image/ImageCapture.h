#pragma once
// How the automatic functions take a picture when the caller passes none. The picture itself is
// started and read by the acquisition layer, whose procedures the caller passes in (the session
// passes the acquisition's; tests pass stand-ins); without them taking a picture is refused with
// -13 (function missing).
#include <cstdint>
#include <vector>

#include "camera/api/board_record.h"

namespace lmv {

struct image_capture_procedures {
    // The start procedure of RUN_COC: starts `board` with `run_mode` (4 = single picture).
    // Called while the caller holds the board's sync_event.
    int (*start)(int board, int run_mode) = nullptr;
    // Reads the picture waiting in the board buffer as width x height 12-bit pixels, as
    // READ_IMAGE_12BIT with mode 0 does once it holds the sync_event (100 when none waits).
    // Called while the caller holds the board's sync_event.
    int (*read_12bit)(int board, int width, int height, uint16_t* dst) = nullptr;
};

// A picture in its own memory.
struct captured_image {
    std::vector<uint16_t> pixels;
    int width = 0;
    int height = 0;
};

// The image size of the board's current COC (as GET_IMAGE_SIZE gives it); false when none.
bool image_size_of(const board_record& rec, int& width, int& height);

// Polls the status word until a picture waits in the board buffer: 0, -2 after `limit_ms`, or a
// driver error. `each_poll` (may be null) runs between polls.
int image_wait_picture(int board, uint32_t limit_ms, void (*each_poll)(void*) = nullptr,
                       void* context = nullptr);

// Takes a picture of the current board at the size of its COC: -1 when the board is not ready,
// -13 without capture procedures, -23 without memory or record, -28 while a recorder transfer
// owns the board, -2 when the sync_event or the picture does not come in time (the picture has
// image_ms + 5000 ms), or the start's or read's error. When no picture waits, the camera takes a
// single one and its run mode is set back afterwards.
int image_take_picture(const image_capture_procedures& procs, captured_image& out);

}  // namespace lmv
