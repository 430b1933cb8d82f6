#include "camera/board/BoardHooks.h"

#include "camera/board/PlainProcedures.h"

namespace lmv {

board_hooks& BoardHooks() {
    static board_hooks hooks{
        .load_user_coc = &plain::LoadUserCoc,
        .reload_coc = nullptr,
        .start_camera = &plain::StartCamera,
        .stop_camera = &plain::StopCamera,
        .empty_board_buffer = &plain::EmptyBoardBuffer,
        .read_image_12bit = &plain::ReadImage12Bit,
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
