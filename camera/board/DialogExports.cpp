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

using OpenFn = int (*)(int, void*, int, char*);
using BoardFn = int (*)(int);
using LockFn = int (*)(int, int);
using StatusFn = int (*)(int, int*, int*);
using SetFn = int (*)(int, int, int, int, int, int, int, int, int, char*);
using GetFn = int (*)(int, int*, int*, int*, int*, int*, int*, int*, int*, char*);

int CurrentBoard() {
    return Library().currentBoard.load();
}

int EnsureModule(int board) {
    if (DialogModule(board)) return kOk;
    const board_record* rec = Record(board);
    if (!rec) return kNoMemory;
    std::string name;
    if (int rc = SelectOpenModule(*rec, &name); rc != kOk) return rc;
    if (int rc = LoadDialogModule(board, name); rc != kOk) return rc;
    return InitDialogModule(board, *rec, kOpenedByDialog);
}

// The module's dialog status; 0 through both pointers and -13 without the entry point.
int Status(int board, int* window, int* status) {
    int w = 0, s = 0;
    auto fn = DialogEntryAs<StatusFn>(board, "STATUS_DIALOG_CAM");
    const int rc = fn ? fn(board, &w, &s) : kFunctionMissing;
    if (window) *window = w;
    if (status) *status = s;
    return rc;
}

void Store(int* to, int value) {
    if (to) *to = value;
}

}  // namespace

extern "C" {

LMV_API int OPEN_DIALOG_CAM(void* parent, int flags, char* title) {
    const int board = CurrentBoard();
    if (int rc = EnsureModule(board); rc != kOk) return rc;
    auto open = DialogEntryAs<OpenFn>(board, "OPEN_DIALOG_CAM");
    if (!open) return kFunctionMissing;
    const int rc = open(board, parent, flags, title);
    int window = 0, status = 0;
    if (Status(board, &window, &status) == kOk)
        SetDialogWindow(board, reinterpret_cast<void*>(static_cast<intptr_t>(window)));
    return rc;
}

LMV_API int CLOSE_DIALOG_CAM(void) {
    const int board = CurrentBoard();
    auto close = DialogEntryAs<BoardFn>(board, "CLOSE_DIALOG_CAM");
    if (!close) return kFunctionMissing;
    const int rc = close(board);
    SetDialogWindow(board, nullptr);
    return rc;
}

LMV_API int GET_DIALOG_CAM(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin,
                           int* roiymax, int* hbin, int* vbin, char* timevalues) {
    const int board = CurrentBoard();
    auto get = DialogEntryAs<GetFn>(board, "GET_DIALOG_CAM");
    if (!get) return kFunctionMissing;
    int v[8] = {};
    const int rc = get(board, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], timevalues);
    int* out[8] = {mode, trig, roixmin, roixmax, roiymin, roiymax, hbin, vbin};
    for (int i = 0; i < 8; ++i) Store(out[i], v[i]);
    return rc;
}

LMV_API int SET_DIALOG_CAM(int mode, int trig, int roixmin, int roixmax, int roiymin, int roiymax,
                           int hbin, int vbin, char* timevalues) {
    const int board = CurrentBoard();
    auto set = DialogEntryAs<SetFn>(board, "SET_DIALOG_CAM");
    if (!set) return kFunctionMissing;
    return set(board, mode, trig, roixmin, roixmax, roiymin, roiymax, hbin, vbin, timevalues);
}

LMV_API int LOCK_DIALOG_CAM(int lock) {
    const int board = CurrentBoard();
    auto fn = DialogEntryAs<LockFn>(board, "LOCK_DIALOG_CAM");
    return fn ? fn(board, lock) : kFunctionMissing;
}

LMV_API int STATUS_DIALOG_CAM(int* window, int* status) {
    return Status(CurrentBoard(), window, status);
}

}  // extern "C"
