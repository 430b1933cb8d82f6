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

int hex_digit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

int identify(int board, board_identity& identity) {
    uint8_t text[ioctl::kIdentAnswer] = {};
    if (int rc = driver::read_ident(board, text); rc != kOk) return rc;
    int32_t type = board_type_of_letter(text[kLetterByte]);
    uint8_t status[8] = {};
    if (int rc = driver::read_register_wide(board, 6, status); rc != kOk) return rc;
    type += (status[0] & kVariantBit) ? 0x200 : 0x100;
    if (int rc = driver::read_ident(board, text); rc != kOk) return rc;
    identity.board_type = type;
    identity.board_version = board_version_of_digits(text[kVersionBytes], text[kVersionBytes + 1]);
    return kOk;
}

int load_fpga(int board, int board_type) {
    const std::string base = bit_file_base(board_type);
    if (base.empty()) return kOk;
    const auto path = find_bit_file(base);
    std::vector<uint8_t> data;
    bool no_memory = false;
    if (!path || !read_bit_file(*path, data, no_memory)) {
        if (no_memory) {
            log_message(kLogErrors, "Not enough memory to load Pib-file");
            return kNoMemory;
        }
        log_message(kLogErrors, "Pib-File not found or open error");
        return kBitFileNotFound;
    }
    log_message(kLogInit, "file load size %d data %x", static_cast<int>(data.size()), data[0]);
    uint32_t first = 0;
    std::memcpy(&first, data.data(), std::min(data.size(), sizeof first));
    log_message(kLogInit, "IOCTL_RELOAD_FPGA: *data %x", first);
    const int rc =
        driver::reload_fpga(board, data.data(), static_cast<uint32_t>(data.size()), nullptr);
    if (rc != kOk) log_message(kLogErrors, "Error %d loading fpga", rc);
    return rc;
}

}  // namespace

int board_type_of_letter(uint8_t letter) {
    if (letter == 'C' || letter == 'c') return 3;
    if (letter == 'L' || letter == 'l') return 2;
    return 1;
}

int32_t board_version_of_digits(uint8_t high, uint8_t low) {
    return hex_digit(high) * 16 + hex_digit(low);
}

int init_board(int board, board_identity& identity) {
    if (int rc = driver::open_channel(board); rc != kOk) return rc;
    if (int rc = identify(board, identity); rc != kOk) return rc;
    return load_fpga(board, identity.board_type);
}

}  // namespace lmv
