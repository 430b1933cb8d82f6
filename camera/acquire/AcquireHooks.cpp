// The acquisition layer's procedures for board set-up and for the automatic image functions.
#include "camera/acquire/Acquire.h"
#include "camera/board/BoardHooks.h"
#include "camera/image/ImageCapture.h"
#include "lmvntcam.h"

namespace lmv {
namespace {

const bool kRegistered = [] {
    board_hooks& hooks = BoardHooks();
    hooks.start_camera = &acquire_start;
    hooks.stop_camera = &acquire_stop;
    hooks.empty_board_buffer = &acquire_empty_board_buffer;
    hooks.read_image_12bit = &READ_IMAGE_12BIT;
    image_set_capture({&acquire_start_board, &acquire_read_12bit_held});
    return true;
}();

}  // namespace
}  // namespace lmv
