#include "camera/api/BoardTable.h"

#include <cstring>
#include <mutex>
#include <new>

#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

struct board_slot_table {
    std::mutex mutex;  // guards allocation and release of records
    board_record* records[kBoardSlots] = {};
    std::atomic<int16_t> states[kBoardSlots];
    std::shared_ptr<winport::Module> modules[kBoardSlots];
    void* windows[kBoardSlots] = {};
    board_slot_table() {
        for (auto& s : states) s = kBoardNotInitialised;
    }
};

board_slot_table& slot_table() {
    static board_slot_table slots;
    return slots;
}

}  // namespace

camera_library& library() {
    static camera_library library;
    return library;
}

bool is_board_slot(int board) {
    return board >= 0 && board < kBoardSlots;
}

int resolve_board(int board) {
    if (board == -1) return library().currentBoard.load();
    return is_board_slot(board) ? board : kWrongParameter;
}

board_record* record_of(int board) {
    if (!is_board_slot(board)) return nullptr;
    std::lock_guard<std::mutex> lock(slot_table().mutex);
    return slot_table().records[board];
}

board_record* current_record() {
    return record_of(library().currentBoard.load());
}

int16_t board_state(int board) {
    return is_board_slot(board) ? slot_table().states[board].load() : kBoardNotInitialised;
}

void set_board_state(int board, int16_t state) {
    if (is_board_slot(board)) slot_table().states[board] = state;
}

std::shared_ptr<winport::Module> dialog_module(int board) {
    if (!is_board_slot(board)) return nullptr;
    std::lock_guard<std::mutex> lock(slot_table().mutex);
    return slot_table().modules[board];
}

void set_dialog_module(int board, std::shared_ptr<winport::Module> module) {
    if (!is_board_slot(board)) return;
    std::lock_guard<std::mutex> lock(slot_table().mutex);
    slot_table().modules[board] = std::move(module);
}

void* dialog_window(int board) {
    if (!is_board_slot(board)) return nullptr;
    std::lock_guard<std::mutex> lock(slot_table().mutex);
    return slot_table().windows[board];
}

void set_dialog_window(int board, void* window) {
    if (!is_board_slot(board)) return;
    std::lock_guard<std::mutex> lock(slot_table().mutex);
    slot_table().windows[board] = window;
}

int ensure_record(int board) {
    if (!is_board_slot(board)) return kWrongParameter;
    std::lock_guard<std::mutex> lock(slot_table().mutex);
    if (slot_table().records[board]) return kOk;
    auto* record = new (std::nothrow) board_record{};
    if (!record) return kNoMemory;
    record->sync_event = new (std::nothrow) winport::Event(false, true);
    if (!record->sync_event) {
        delete record;
        return kNoResource;
    }
    slot_table().records[board] = record;
    return kOk;
}

void free_record(int board) {
    if (!is_board_slot(board)) return;
    board_record* record = nullptr;
    {
        std::lock_guard<std::mutex> lock(slot_table().mutex);
        record = slot_table().records[board];
        slot_table().records[board] = nullptr;
    }
    if (record) {
        delete record->sync_event;
        delete record;
    }
}

int initialise_board_tables() {
    auto& lib = library();
    lib.driverTimeout = kDefaultDriverTimeout;
    lib.imageTimeout = kDefaultImageTimeout;
    for (int b = 0; b < kBoardSlots; ++b) {
        free_record(b);
        set_board_state(b, kBoardNotInitialised);
        set_dialog_module(b, nullptr);
        set_dialog_window(b, nullptr);
    }
    lib.currentBoard = 0;
    lib.boardLock.Set();
    return ensure_record(0);
}

void release_board_tables() {
    for (int b = 0; b < kBoardSlots; ++b) {
        free_record(b);
        set_board_state(b, kBoardNotInitialised);
        set_dialog_module(b, nullptr);
        set_dialog_window(b, nullptr);
    }
}

}  // namespace lmv
