#include "camera/api/BoardTable.h"

#include <cstring>
#include <mutex>
#include <new>

#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

struct BoardSlots {
    std::mutex mutex;  // guards allocation and release of records
    board_record* records[kBoardSlots] = {};
    std::atomic<int16_t> states[kBoardSlots];
    std::shared_ptr<winport::Module> modules[kBoardSlots];
    void* windows[kBoardSlots] = {};
    BoardSlots() {
        for (auto& s : states) s = kBoardNotInitialised;
    }
};

BoardSlots& Slots() {
    static BoardSlots slots;
    return slots;
}

}  // namespace

CameraLibrary& Library() {
    static CameraLibrary library;
    return library;
}

bool IsBoardSlot(int board) {
    return board >= 0 && board < kBoardSlots;
}

int ResolveBoard(int board) {
    if (board == -1) return Library().currentBoard.load();
    return IsBoardSlot(board) ? board : kWrongParameter;
}

board_record* Record(int board) {
    if (!IsBoardSlot(board)) return nullptr;
    std::lock_guard<std::mutex> lock(Slots().mutex);
    return Slots().records[board];
}

board_record* CurrentRecord() {
    return Record(Library().currentBoard.load());
}

int16_t BoardState(int board) {
    return IsBoardSlot(board) ? Slots().states[board].load() : kBoardNotInitialised;
}

void SetBoardState(int board, int16_t state) {
    if (IsBoardSlot(board)) Slots().states[board] = state;
}

std::shared_ptr<winport::Module> DialogModule(int board) {
    if (!IsBoardSlot(board)) return nullptr;
    std::lock_guard<std::mutex> lock(Slots().mutex);
    return Slots().modules[board];
}

void SetDialogModule(int board, std::shared_ptr<winport::Module> module) {
    if (!IsBoardSlot(board)) return;
    std::lock_guard<std::mutex> lock(Slots().mutex);
    Slots().modules[board] = std::move(module);
}

void* DialogWindow(int board) {
    if (!IsBoardSlot(board)) return nullptr;
    std::lock_guard<std::mutex> lock(Slots().mutex);
    return Slots().windows[board];
}

void SetDialogWindow(int board, void* window) {
    if (!IsBoardSlot(board)) return;
    std::lock_guard<std::mutex> lock(Slots().mutex);
    Slots().windows[board] = window;
}

int EnsureRecord(int board) {
    if (!IsBoardSlot(board)) return kWrongParameter;
    std::lock_guard<std::mutex> lock(Slots().mutex);
    if (Slots().records[board]) return kOk;
    auto* record = new (std::nothrow) board_record{};
    if (!record) return kNoMemory;
    record->sync_event = new (std::nothrow) winport::Event(false, true);
    if (!record->sync_event) {
        delete record;
        return kNoResource;
    }
    Slots().records[board] = record;
    return kOk;
}

void FreeRecord(int board) {
    if (!IsBoardSlot(board)) return;
    board_record* record = nullptr;
    {
        std::lock_guard<std::mutex> lock(Slots().mutex);
        record = Slots().records[board];
        Slots().records[board] = nullptr;
    }
    if (record) {
        delete record->sync_event;
        delete record;
    }
}

int InitialiseBoardTables() {
    auto& lib = Library();
    lib.driverTimeout = kDefaultDriverTimeout;
    lib.imageTimeout = kDefaultImageTimeout;
    for (int b = 0; b < kBoardSlots; ++b) {
        FreeRecord(b);
        SetBoardState(b, kBoardNotInitialised);
        SetDialogModule(b, nullptr);
        SetDialogWindow(b, nullptr);
    }
    lib.currentBoard = 0;
    std::memset(lib.lutRed, 255, sizeof lib.lutRed);
    std::memset(lib.lutGreen, 255, sizeof lib.lutGreen);
    std::memset(lib.lutBlue, 255, sizeof lib.lutBlue);
    lib.boardLock.Set();
    return EnsureRecord(0);
}

void ReleaseBoardTables() {
    for (int b = 0; b < kBoardSlots; ++b) {
        FreeRecord(b);
        SetBoardState(b, kBoardNotInitialised);
        SetDialogModule(b, nullptr);
        SetDialogWindow(b, nullptr);
    }
}

}  // namespace lmv
