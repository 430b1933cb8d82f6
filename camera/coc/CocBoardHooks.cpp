// The operation-code layer's procedures for board set-up and the power-down setting.
#include "camera/board/BoardHooks.h"
#include "camera/coc/CocReload.h"
#include "lmvntcam.h"

namespace lmv {
namespace {

const bool kRegistered = [] {
    board_hooks& hooks = BoardHooks();
    hooks.load_user_coc = &LOAD_USER_COC;
    hooks.reload_coc = &coc_reload;
    return true;
}();

}  // namespace
}  // namespace lmv
