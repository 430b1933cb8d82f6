// SET_BOARD: selects a board and reloads the COC of an initialised one.
#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/session/CocReload.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr int kSelectOnly = 0x100;  // select without touching the hardware

}  // namespace

extern "C" LMV_API int SET_BOARD(int board) {
    log_message(kLogApi, "SET_BOARD(%d) \r\n", board);
    const int number = board & 0xFF;
    if (number >= kSelectableBoards) return kWrongParameter;
    camera_library& lib = library();
    if (number == lib.currentBoard.load()) return kOk;
    if (!lib.boardLock.Wait(kBoardLockWaitMs)) return kTimeout;
    if (int rc = ensure_record(number); rc != kOk) return rc;
    lib.currentBoard = number;
    if ((board & kSelectOnly) || board_state(number) == kBoardNotInitialised) return kOk;
    return session_reload_board(number);
}
