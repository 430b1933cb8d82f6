#include "camera/board/InitBoard.h"

#include <cstring>
#include <vector>

#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BitFile.h"

namespace lmv {
namespace {

constexpr size_t kLetterByte = 4;
constexpr size_t kVersionBytes = 5;
constexpr uint8_t kVariantBit = 0x04;  // first byte of register 6

int HexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

int Identify(int board, board_identity& identity) {
    uint8_t text[ioctl::kIdentAnswer] = {};
    if (int rc = driver::ReadIdent(board, text); rc != kOk) return rc;
    int32_t type = BoardTypeOfLetter(text[kLetterByte]);
    uint8_t status[8] = {};
    if (int rc = driver::ReadRegisterWide(board, 6, status); rc != kOk) return rc;
    type += (status[0] & kVariantBit) ? 0x200 : 0x100;
    if (int rc = driver::ReadIdent(board, text); rc != kOk) return rc;
    identity.board_type = type;
    identity.board_version = BoardVersionOfDigits(text[kVersionBytes], text[kVersionBytes + 1]);
    return kOk;
}

int LoadFpga(int board, int board_type) {
    const std::string base = BitFileBase(board_type);
    if (base.empty()) return kOk;
    const auto path = FindBitFile(base);
    std::vector<uint8_t> data;
    bool no_memory = false;
    if (!path || !ReadBitFile(*path, data, no_memory)) {
        if (no_memory) {
            LogMessage(kLogErrors, "Not enough memory to load Pib-file");
            return kNoMemory;
        }
        LogMessage(kLogErrors, "Pib-File not found or open error");
        return kBitFileNotFound;
    }
    LogMessage(kLogInit, "file load size %d data %x", static_cast<int>(data.size()), data[0]);
    uint32_t first = 0;
    std::memcpy(&first, data.data(), std::min(data.size(), sizeof first));
    LogMessage(kLogInit, "IOCTL_RELOAD_FPGA: *data %x", first);
    const int rc =
        driver::ReloadFpga(board, data.data(), static_cast<uint32_t>(data.size()), nullptr);
    if (rc != kOk) LogMessage(kLogErrors, "Error %d loading fpga", rc);
    return rc;
}

}  // namespace

int BoardTypeOfLetter(uint8_t letter) {
    if (letter == 'C' || letter == 'c') return 3;
    if (letter == 'L' || letter == 'l') return 2;
    return 1;
}

int32_t BoardVersionOfDigits(uint8_t high, uint8_t low) {
    return HexDigit(high) * 16 + HexDigit(low);
}

int InitBoard(int board, board_identity& identity) {
    if (int rc = driver::Open(board); rc != kOk) return rc;
    if (int rc = Identify(board, identity); rc != kOk) return rc;
    return LoadFpga(board, identity.board_type);
}

}  // namespace lmv
