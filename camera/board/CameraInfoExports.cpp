// Camera identification and single status values of a ready board (board -1: the current one).
#include <cstdint>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

enum stat_item {
    kStatStatus = 1,
    kStatCcdTemp,
    kStatEleTemp,
    kStatReg22,
    kStatReg23,
    kStatType,
    kStatVersion
};

// The ready board's record, or the refusal: -3 outside the tables, -1 not ready.
int ready_record(int board, int* resolved, board_record** rec) {
    const int b = resolve_board(board);
    if (b < 0) return b;
    board_record* r = record_of(b);
    if (board_state(b) < kBoardReady || !r) return kNotInitialised;
    *resolved = b;
    *rec = r;
    return kOk;
}

int store_field(int board, int* value, int32_t board_record::*field) {
    int b = 0;
    board_record* rec = nullptr;
    if (int rc = ready_record(board, &b, &rec); rc != kOk) return rc;
    if (!value) return kNoMemory;
    *value = rec->*field;
    return kOk;
}

bool is_board_type_three(const board_record& rec) {
    return (rec.board_type & 0xFF) == 3;
}

int register_value(int board, uint32_t selector, int* value) {
    uint32_t v = 0;
    if (int rc = driver::read_register(board, selector, &v); rc != kOk) return rc;
    *value = static_cast<int>(v);
    return kOk;
}

int temperature_at(int board, int shift, int* value) {
    uint32_t raw = 0;
    if (int rc = driver::read_register(board, 7, &raw); rc != kOk) return rc;
    *value = static_cast<int>((raw >> shift) & 0xFF) - 128;
    return kOk;
}

int status_value(int board, const board_record& rec, int what, int* value) {
    switch (what) {
        case kStatStatus: {
            int status = 0;
            if (int rc = register_value(board, 6, &status); rc != kOk) return rc;
            *value = status | (((rec.status_extra >> 8) & 0xFF) << 16);
            return kOk;
        }
        case kStatCcdTemp:
            return temperature_at(board, 0, value);
        case kStatEleTemp:
            return temperature_at(board, 8, value);
        case kStatReg22:
        case kStatReg23:
            if (!is_board_type_three(rec)) return kWrongParameter;
            return register_value(board, what == kStatReg22 ? 22 : 23, value);
        case kStatType:
            *value = rec.board_type;
            return kOk;
        case kStatVersion:
            *value = rec.board_version;
            return kOk;
        default:
            return kWrongParameter;
    }
}

}  // namespace

extern "C" {

LMV_API int GET_CAMERA_ID(int board, int* id) {
    return store_field(board, id, &board_record::camera_id);
}

LMV_API int GET_CAMERA_CCD(int board, int* ccd) {
    return store_field(board, ccd, &board_record::ccd_typ);
}

LMV_API int GET_CAMERA_TYP(int board, int* typ) {
    return store_field(board, typ, &board_record::camera_typ);
}

LMV_API int GET_CAMERA_STAT(int board, int what, int* value) {
    int b = 0;
    board_record* rec = nullptr;
    if (int rc = ready_record(board, &b, &rec); rc != kOk) return rc;
    if (!value) return kNoMemory;
    int v = 0;
    const int rc = status_value(b, *rec, what, &v);
    if (rc == kOk) *value = v;
    return rc;
}

LMV_API int SET_CAMERA_VAL(int board, int what, int value) {
    int b = 0;
    board_record* rec = nullptr;
    if (int rc = ready_record(board, &b, &rec); rc != kOk) return rc;
    if (!is_board_type_three(*rec) || (what != 1 && what != 2)) return kWrongParameter;
    return driver::write_register(b, what == 1 ? 16 : 17, static_cast<uint32_t>(value));
}

}  // extern "C"
