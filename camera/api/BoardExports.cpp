// Board selection's read-back and the per-board values that need no driver.
#include <algorithm>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr int kMinToramWait = 200;

float time_of_current(float board_record::*field) {
    const board_record* r = current_record();
    return r ? r->*field : 0.0f;
}

}  // namespace

extern "C" {

LMV_API int GET_BOARD(int* board) {
    if (!board) return kWrongParameter;
    *board = library().currentBoard.load();
    return kOk;
}

LMV_API int SET_TORAM_WAIT(int wait) {
    board_record* r = current_record();
    if (!r) return kNotInitialised;
    r->toram_wait = std::max(wait, kMinToramWait);
    return kOk;
}

LMV_API float GET_COCTIME(void) {
    return time_of_current(&board_record::coctime);
}

LMV_API float GET_BELTIME(void) {
    return time_of_current(&board_record::beltime);
}

LMV_API float GET_EXPTIME(void) {
    return time_of_current(&board_record::exptime);
}

LMV_API float GET_DELTIME(void) {
    return time_of_current(&board_record::deltime);
}

}  // extern "C"
