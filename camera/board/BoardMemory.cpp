#include "camera/board/BoardMemory.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"
#include "winport/Clock.h"

namespace lmv {
namespace {

constexpr uint32_t kPollMs = 5;
constexpr int kMaxLoggedErrors = 100;  // per pass: a dead memory must not flood the log
constexpr unsigned kLogFirstPass = kLogCocAndMemory | kLogErrors;
constexpr unsigned kLogSecondPass = kLogErrors;

int wait_for_pattern(int board) {
    const uint32_t start = winport::TickCount();
    const auto limit = static_cast<uint32_t>(library().imageTimeout.load());
    for (;;) {
        uint32_t status = 0;
        if (int rc = driver::read_status(board, &status); rc != kOk) return rc;
        if (camera::picture_waiting(status)) return kOk;
        if (winport::TicksSince(start) >= limit) return kTimeout;
        winport::SleepMs(kPollMs);
    }
}

// Reads the pattern into the zeroed buffer; the number of wrong words, or a read error.
int read_pass(int board, uint16_t* words, uint32_t count, int pass, unsigned log_bits, int* wrong) {
    std::memset(words, 0, size_t{count} * 2);
    if (int rc = driver::read_picture(board, ioctl::TransferMode::Pixels16, words, count * 2);
        rc != kOk)
        return rc;
    *wrong = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint16_t expected = static_cast<uint16_t>(i & 0xFFFF);
        if (words[i] == expected) continue;
        if (++*wrong <= kMaxLoggedErrors)
            log_message(log_bits,
                        "board buffer %d memory error number %d\r\nwrongvalue %04x at offset %d\r\n"
                        "should be  %04x\r\n",
                        pass, *wrong, words[i], static_cast<int>(i), expected);
    }
    return kOk;
}

int test_memory(int board, uint16_t* words, uint32_t count) {
    if (int rc = camera::empty_board_buffer(board); rc != kOk) return rc;
    if (int rc = driver::board_command(board, ioctl::kCmdMemoryTest); rc != kOk) return rc;
    if (int rc = wait_for_pattern(board); rc != kOk) return rc;
    int first = 0, second = 0;
    if (int rc = read_pass(board, words, count, 1, kLogFirstPass, &first); rc != kOk) return rc;
    if (int rc = read_pass(board, words, count, 2, kLogSecondPass, &second); rc != kOk) return rc;
    // Only the second read decides: the first may meet a pattern still being written.
    if (second > 0) return kMemoryTestFailed;
    if (first > 0) return kOk;
    log_message(kLogCocAndMemory, "board memory check no errors found \r\n");
    return kOk;
}

}  // namespace

int check_board_memory(int board, int words) {
    if (board_state(board) < kBoardOpened) return kNotInitialised;
    const board_record* rec = record_of(board);
    const int type = rec ? rec->board_type & 0xFF : 0;
    if (type != 2 && type != 3) return kFunctionMissing;
    if (words < 1 || words > kBoardMemoryWords) return kWrongParameter;
    const auto count = static_cast<uint32_t>(words);
    std::unique_ptr<uint16_t[]> buffer(new (std::nothrow) uint16_t[count]);
    if (!buffer) return kNoMemory;
    const int rc = test_memory(board, buffer.get(), count);
    (void)camera::empty_board_buffer(board);
    return rc;
}

}  // namespace lmv

extern "C" LMV_API int CHECK_BOARD_MEMORY(int board, int words) {
    const int resolved = lmv::resolve_board(board);
    if (resolved < 0) return resolved;
    return lmv::check_board_memory(resolved, words);
}
