#pragma once
// The board tables (20 slots: record, state, dialog module, dialog window) and the library-wide
// camera state. Boards 0 to 9 can be selected; every slot can be addressed internally.
#include <atomic>
#include <cstdint>
#include <memory>

#include "camera/api/board_record.h"
#include "winport/Event.h"
#include "winport/Module.h"

namespace lmv {

inline constexpr int kBoardSlots = 20;
inline constexpr int kSelectableBoards = 10;
inline constexpr uint32_t kBoardLockWaitMs = 5000;
inline constexpr int kDefaultDriverTimeout = 1500;
inline constexpr int kDefaultImageTimeout = 4000;
inline constexpr int kOutputLutSize = 4096;

// board_state values.
inline constexpr int16_t kBoardNotInitialised = -1;
inline constexpr int16_t kBoardOpened = 0;
inline constexpr int16_t kBoardReady = 1;

struct camera_library {
    std::atomic<int> currentBoard{0};
    std::atomic<int> driverTimeout{kDefaultDriverTimeout};
    std::atomic<int> imageTimeout{kDefaultImageTimeout};
    std::atomic<int> readBusy{0};
    std::atomic<int> lastImageStatus{0};
    std::atomic<int> showMessages{0};
    // Reset while a board is being set up; board selection waits for it.
    winport::Event boardLock{true, true};
};

camera_library& library();

bool is_board_slot(int board);
// `board`, or the current board for -1; -3 when the number is outside the tables.
int resolve_board(int board);

board_record* record_of(int board);  // null when the slot has none or is outside the tables
board_record* current_record();
int16_t board_state(int board);  // -1 outside the tables
void set_board_state(int board, int16_t state);
std::shared_ptr<winport::Module> dialog_module(int board);
void set_dialog_module(int board, std::shared_ptr<winport::Module> module);
void* dialog_window(int board);
void set_dialog_window(int board, void* window);

// Allocates a zero-filled record with its sync_event when the slot has none: 0, -3, -23 or -27.
int ensure_record(int board);
// Closes the sync_event and frees the record of the slot.
void free_record(int board);

// Library load and unload of the tables.
int initialise_board_tables();
void release_board_tables();

}  // namespace lmv
