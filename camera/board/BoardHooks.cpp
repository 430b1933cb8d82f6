#include "camera/board/BoardHooks.h"

#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

// A program that links the board layer without the operation-code and acquisition layers gets
// a clear refusal from set-up instead of a call through an empty entry.
int MissingLoadUserCoc(unsigned short*) {
    return kFunctionMissing;
}
int MissingCameraProcedure(int, board_record&, int) {
    return kFunctionMissing;
}
int MissingEmptyBoardBuffer(int) {
    return kFunctionMissing;
}
int MissingReadImage(int, int, int, unsigned short*) {
    return kFunctionMissing;
}

}  // namespace

board_hooks& BoardHooks() {
    static board_hooks hooks{
        .load_user_coc = &MissingLoadUserCoc,
        .reload_coc = nullptr,
        .start_camera = &MissingCameraProcedure,
        .stop_camera = &MissingCameraProcedure,
        .empty_board_buffer = &MissingEmptyBoardBuffer,
        .read_image_12bit = &MissingReadImage,
        .set_lut_maxima = nullptr,
        .build_default_luts = nullptr,
        .restore_luts = nullptr,
        .close_lut_dialogs = nullptr,
        .release_recorder = nullptr,
        .dialog_window_slots = nullptr,
    };
    return hooks;
}

}  // namespace lmv
