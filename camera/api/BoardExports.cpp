// Board selection's read-back and the per-board values that need no driver.
#include <algorithm>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr int kMinToramWait = 200;

float TimeOfCurrent(float board_record::*field) {
    const board_record* r = CurrentRecord();
    return r ? r->*field : 0.0f;
}

}  // namespace

extern "C" {

LMV_API int GET_BOARD(int* board) {
    if (!board) return kWrongParameter;
    *board = Library().currentBoard.load();
    return kOk;
}

LMV_API int SET_TORAM_WAIT(int wait) {
    board_record* r = CurrentRecord();
    if (!r) return kNotInitialised;
    r->toram_wait = std::max(wait, kMinToramWait);
    return kOk;
}

LMV_API float GET_COCTIME(void) {
    return TimeOfCurrent(&board_record::coctime);
}

LMV_API float GET_BELTIME(void) {
    return TimeOfCurrent(&board_record::beltime);
}

LMV_API float GET_EXPTIME(void) {
    return TimeOfCurrent(&board_record::exptime);
}

LMV_API float GET_DELTIME(void) {
    return TimeOfCurrent(&board_record::deltime);
}

}  // extern "C"
