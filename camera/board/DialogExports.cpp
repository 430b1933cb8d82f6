// The camera dialog exports: thin forwarders to the current board's camera dialog module, which
// get the current board first.
#include <cstdint>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/DialogModule.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr int32_t kOpenedByDialog = 1;  // parameter word 16 when OPEN_DIALOG_CAM loads the module

using open_fn = int (*)(int, void*, int, char*);
using board_fn = int (*)(int);
using lock_fn = int (*)(int, int);
using status_fn = int (*)(int, int*, int*);
using set_fn = int (*)(int, int, int, int, int, int, int, int, int, char*);
using get_fn = int (*)(int, int*, int*, int*, int*, int*, int*, int*, int*, char*);

int current_board() {
    return library().currentBoard.load();
}

int ensure_module(int board) {
    if (dialog_module(board)) return kOk;
    const board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    std::string name;
    if (int rc = select_open_module(*rec, &name); rc != kOk) return rc;
    if (int rc = load_dialog_module(board, name); rc != kOk) return rc;
    return init_dialog_module(board, *rec, kOpenedByDialog);
}

// The module's dialog status; 0 through both pointers and -13 without the entry point.
int dialog_status(int board, int* window, int* status) {
    int w = 0, s = 0;
    auto fn = dialog_entry_as<status_fn>(board, "STATUS_DIALOG_CAM");
    const int rc = fn ? fn(board, &w, &s) : kFunctionMissing;
    if (window) *window = w;
    if (status) *status = s;
    return rc;
}

void store_value(int* to, int value) {
    if (to) *to = value;
}

}  // namespace

extern "C" {

LMV_API int OPEN_DIALOG_CAM(void* parent, int flags, char* title) {
    const int board = current_board();
    if (int rc = ensure_module(board); rc != kOk) return rc;
    auto open = dialog_entry_as<open_fn>(board, "OPEN_DIALOG_CAM");
    if (!open) return kFunctionMissing;
    const int rc = open(board, parent, flags, title);
    int window = 0, status = 0;
    if (dialog_status(board, &window, &status) == kOk)
        set_dialog_window(board, reinterpret_cast<void*>(static_cast<intptr_t>(window)));
    return rc;
}

LMV_API int CLOSE_DIALOG_CAM(void) {
    const int board = current_board();
    auto close = dialog_entry_as<board_fn>(board, "CLOSE_DIALOG_CAM");
    if (!close) return kFunctionMissing;
    const int rc = close(board);
    set_dialog_window(board, nullptr);
    return rc;
}

LMV_API int GET_DIALOG_CAM(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin,
                           int* roiymax, int* hbin, int* vbin, char* timevalues) {
    const int board = current_board();
    auto get = dialog_entry_as<get_fn>(board, "GET_DIALOG_CAM");
    if (!get) return kFunctionMissing;
    int v[8] = {};
    const int rc = get(board, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], timevalues);
    int* out[8] = {mode, trig, roixmin, roixmax, roiymin, roiymax, hbin, vbin};
    for (int i = 0; i < 8; ++i) store_value(out[i], v[i]);
    return rc;
}

LMV_API int SET_DIALOG_CAM(int mode, int trig, int roixmin, int roixmax, int roiymin, int roiymax,
                           int hbin, int vbin, char* timevalues) {
    const int board = current_board();
    auto set = dialog_entry_as<set_fn>(board, "SET_DIALOG_CAM");
    if (!set) return kFunctionMissing;
    return set(board, mode, trig, roixmin, roixmax, roiymin, roiymax, hbin, vbin, timevalues);
}

LMV_API int LOCK_DIALOG_CAM(int lock) {
    const int board = current_board();
    auto fn = dialog_entry_as<lock_fn>(board, "LOCK_DIALOG_CAM");
    return fn ? fn(board, lock) : kFunctionMissing;
}

LMV_API int STATUS_DIALOG_CAM(int* window, int* status) {
    return dialog_status(current_board(), window, status);
}

}  // extern "C"
