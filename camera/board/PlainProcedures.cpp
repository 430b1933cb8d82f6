#include "camera/board/PlainProcedures.h"

#include <cstddef>
#include <cstdint>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "winport/Clock.h"

namespace lmv::plain {
namespace {

constexpr size_t kSearchWords = 250000;
constexpr size_t kLimitWords = 230000;
constexpr int kMaxClearCommands = 100;
constexpr int32_t kStopped = 255;
constexpr uint32_t kStopWaitMs = 600;
constexpr uint32_t kArmInternal = 10;
constexpr uint32_t kArmExternal = 11;

bool IsEndWord(uint16_t word) {
    return ((word >> 8) & 0xF) == 0xF;
}

int TriggerFlags(int32_t trigger) {
    return (trigger >> 8) & 0xFF;
}

uint32_t ArmCommand(int32_t trigger) {
    return (trigger & 0xFF) == 1 || TriggerFlags(trigger) == 1 ? kArmExternal : kArmInternal;
}

// Settling time after a stop, by CCD type.
uint32_t SettleMs(int ccd) {
    if (ccd == 1 || ccd == 2) return 50;
    if ((ccd >= 3 && ccd <= 6) || (ccd >= 9 && ccd <= 12)) return 150;
    if (ccd == 17 || ccd == 18 || ccd == 19 || ccd == 21) return 110;
    return 0;
}

bool CameraBusy(int board, int* rc) {
    uint32_t busy = 0;
    *rc = driver::ReadBusy(board, &busy);
    return *rc == kOk && (busy & ioctl::kBusyCamera);
}

}  // namespace

int LoadUserCoc(unsigned short* table) {
    const int board = Library().currentBoard.load();
    board_record* rec = Record(board);
    if (!rec || BoardState(board) < kBoardOpened) return kNotInitialised;
    if (rec->recorder_busy) return kRecorderOwnsBoard;
    if (!table) return kNoMemory;
    size_t end = 0;
    while (end < kSearchWords && !IsEndWord(table[end])) ++end;
    if (end >= kLimitWords) return kCocTooLong;
    const int rc = driver::LoadCoc(board, table, static_cast<uint32_t>(end + 1));
    if (rc == kOk) rec->user_coc = 1;
    return rc;
}

int StartCamera(int board, board_record& rec, int run_mode) {
    rec.clear_needed = 0;
    rec.firstread = 0;
    const int nibble = run_mode & 0xF;
    uint32_t command;
    if (nibble == 0) {
        const int flags = TriggerFlags(rec.trigger);
        command = !(rec.camera_flags & 1) ? 5 : flags == 2 ? 15 : flags == 1 ? 14 : 6;
    } else if (nibble >= 4 && nibble <= 6) {
        command = static_cast<uint32_t>(nibble);
    } else {
        return kWrongParameter;  // triggered starts belong to the acquisition layer
    }
    rec.run_mode = nibble;
    return driver::WriteRegister(board, 0, command);
}

int StopCamera(int board, board_record& rec, int stop_mode) {
    if (rec.run_mode == kStopped) return kOk;
    rec.run_mode = kStopped;
    int rc = kOk;
    if (rec.trigger < 256) {
        uint32_t busy = 0;
        if (driver::ReadBusy(board, &busy) == kOk && busy == 0) return kOk;
    }
    if (stop_mode == 2 || stop_mode == 3)
        rc = driver::WriteRegister(board, 0, 4);
    else if (stop_mode <= 5)
        rc = driver::WriteRegister(board, 0, 0);
    if (rc != kOk) return rc;
    const uint32_t start = winport::TickCount();
    while (CameraBusy(board, &rc)) {
        if (winport::TicksSince(start) >= kStopWaitMs) {
            rc = kTimeout;
            break;
        }
        winport::SleepMs(1);
    }
    if (stop_mode != 4 && stop_mode != 5) winport::SleepMs(SettleMs(rec.ccd_typ));
    if (rc != kOk) return rc;
    return driver::WriteRegister(board, 0, ArmCommand(rec.trigger));
}

int EmptyBoardBuffer(int board) {
    uint32_t status = 0;
    if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
    for (int commands = 0; status & ioctl::kStatusPicture; ++commands) {
        if (commands >= kMaxClearCommands) return kBufferNotEmptied;
        if (int rc = driver::BoardCommand(board, ioctl::kCmdClearBuffer); rc != kOk) return rc;
        if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
    }
    return kOk;
}

int ReadImage12Bit(int mode, int width, int height, unsigned short* buffer) {
    if (mode != 0 || width <= 0 || height <= 0) return kWrongParameter;
    if (!buffer) return kNoMemory;
    const int board = Library().currentBoard.load();
    const board_record* rec = Record(board);
    if (!rec) return kNoMemory;
    uint32_t status = 0;
    if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
    if (!(status & ioctl::kStatusPicture)) {
        if (rec->image_ms < 1000) winport::SleepMs(static_cast<uint32_t>(rec->image_ms + 5));
        if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
        if (!(status & ioctl::kStatusPicture)) return kNoPicture;
    }
    const uint64_t bytes =
        uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) * 2;
    if (bytes > UINT32_MAX) return kWrongParameter;
    return driver::ReadPicture(board, ioctl::TransferMode::Pixels16, buffer,
                               static_cast<uint32_t>(bytes));
}

}  // namespace lmv::plain
