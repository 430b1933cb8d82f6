// SET_COC: the checked parameters are committed into a copy of the board record, the preparatory
// runs of the camera are made with it, the table is loaded from it, and only then the copy
// replaces the record.
#include <algorithm>
#include <cstdint>
#include <new>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/coc/CocParamCommit.h"
#include "camera/session/CocReload.h"
#include "lmvntcam.h"
#include "winport/Clock.h"

namespace lmv {
namespace {

constexpr int32_t kStatusExtraOptions = 0x100;    // status_extra bit 8
constexpr int32_t kStatusExtraProgram = 0x10000;  // status_extra bit 16: option program
constexpr int32_t kIntensifiedRunFlag = 0x100;    // bit 8 of the third time value
constexpr int64_t kNsPerMs = 1000000;
constexpr int32_t kShortGate = 20;
constexpr int kSingleRunMode = 4;

// Runs the copy's table once in single-picture mode and clears the picture it leaves.
void run_once(int board, board_record& copy) {
    const int32_t run_mode = copy.run_mode;
    copy.run_mode = kSingleRunMode;
    session_run_once(board, copy);
    copy.run_mode = run_mode;
}

// The option program of a camera whose option bits changed.
void run_option_program(int board, board_record& copy) {
    copy.status_extra |= kStatusExtraProgram;
    run_once(board, copy);
    copy.status_extra &= ~kStatusExtraProgram;
}

int64_t gate_of(const board_record& r) {
    return int64_t{r.timevalues[6]} * kNsPerMs + r.timevalues[7];
}

bool intensified_needs_run(const board_record& old, const board_record& copy) {
    if (copy.camera_typ != 5) return false;
    if (old.timevalues[1] != copy.timevalues[1]) return true;
    if ((old.submode == 0) != (copy.submode == 0)) return true;
    if (copy.submode != 0) return false;
    const int64_t before = gate_of(old);
    const int64_t now = gate_of(copy);
    return (before < kShortGate && now != before) || (before >= kShortGate && now < kShortGate);
}

// The intensifier is prepared with one run of the new table before it is loaded for good.
void run_intensified_preparation(int board, board_record& copy) {
    const int32_t third = copy.timevalues[2];
    copy.timevalues[2] = third | kIntensifiedRunFlag;
    run_once(board, copy);
    winport::SleepMs(static_cast<uint32_t>(std::max(copy.toram_wait, 0)));
    copy.timevalues[2] = third;
}

}  // namespace

// The whole of SET_COC for a board: check (-3 when anything would change), commit, the
// preparatory runs, the reload. -1 when the board has no record.
int session_set_coc(int board, const coc_parameters& request) {
    board_record* record = record_of(board);
    if (!record) return kNotInitialised;
    coc_check checked;
    const int check = coc_check_parameters(*record, request, checked);
    if (check == kCocChanged) return kWrongParameter;  // settings that need adjusting are refused
    if (check < 0) return check;

    board_record copy = *record;
    if (int rc = coc_commit_parameters(copy, checked); rc != kOk) return rc;
    if ((copy.status_extra & kStatusExtraOptions) && copy.status_extra != record->status_extra)
        run_option_program(board, copy);
    if (intensified_needs_run(*record, copy)) run_intensified_preparation(board, copy);
    const int rc = session_reload(board, copy);
    if (rc == kOk) *record = copy;
    return rc;
}

}  // namespace lmv

using namespace lmv;

extern "C" LMV_API int SET_COC(int mode, int trig, int roixmin, int roixmax, int roiymin,
                               int roiymax, int hbin, int vbin, char* timevalues) {
    if (!timevalues) return kNoMemory;  // as TEST_COC: no text is no setting
    try {
        coc_parameters request;
        request.mode = mode;
        request.trigger = trig;
        request.roixmin = roixmin;
        request.roixmax = roixmax;
        request.roiymin = roiymin;
        request.roiymax = roiymax;
        request.hbin = hbin;
        request.vbin = vbin;
        request.text = timevalues;
        return session_set_coc(library().currentBoard.load(), request);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
}
