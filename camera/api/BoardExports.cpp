// Board selection and the per-board values that need no driver.
#include <algorithm>

#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr int kSelectOnly = 0x100;  // select without touching the hardware
constexpr int kMinToramWait = 200;

float TimeOfCurrent(float board_record::*field) {
    const board_record* r = CurrentRecord();
    return r ? r->*field : 0.0f;
}

}  // namespace

extern "C" {

LMV_API int SET_BOARD(int board) {
    LogMessage(kLogApi, "SET_BOARD(%d) \r\n", board);
    const int number = board & 0xFF;
    if (number >= kSelectableBoards) return kWrongParameter;
    CameraLibrary& lib = Library();
    if (number == lib.currentBoard.load()) return kOk;
    if (!lib.boardLock.Wait(kBoardLockWaitMs)) return kTimeout;
    if (int rc = EnsureRecord(number); rc != kOk) return rc;
    lib.currentBoard = number;
    if ((board & kSelectOnly) || BoardState(number) == kBoardNotInitialised) return kOk;
    auto reload = Hooks().reloadCoc;
    return reload ? reload(number) : kFunctionMissing;
}

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
