#pragma once
// Request codes of the board driver and the wire records that are more than one word. All
// fields are little-endian 32-bit.
#include <cstdint>

namespace lmv::ioctl {

// Device type 0x22, buffered, any access: (0x22 << 16) | (function << 2).
constexpr uint32_t Code(uint32_t function) {
    return (0x22u << 16) | (function << 2);
}

inline constexpr uint32_t kBoardCommand = Code(0x801);
inline constexpr uint32_t kReadRegister = Code(0x806);
inline constexpr uint32_t kWriteRegister = Code(0x807);
inline constexpr uint32_t kLoadCoc = Code(0x80A);
inline constexpr uint32_t kReadStatus = Code(0x80E);
inline constexpr uint32_t kReloadFpga = Code(0x80F);
inline constexpr uint32_t kReadBusy = Code(0x811);
inline constexpr uint32_t kReadImage = Code(0x814);
inline constexpr uint32_t kSetReadPic = Code(0x815);
inline constexpr uint32_t kLoadLut = Code(0x816);
inline constexpr uint32_t kEndWaitImage = Code(0x81E);
inline constexpr uint32_t kBeginWaitImage = Code(0x81F);
inline constexpr uint32_t kAllocateDeviceBuffer = Code(0x878);
inline constexpr uint32_t kFreeDeviceBuffer = Code(0x879);
inline constexpr uint32_t kGetFreeDevBuf = Code(0x87D);
inline constexpr uint32_t kGetStatusDevBuf = Code(0x87E);
inline constexpr uint32_t kMapDeviceBuffer = Code(0x889);
inline constexpr uint32_t kUnmapDeviceBuffer = Code(0x88A);
inline constexpr uint32_t kReadIdent = Code(0x896);

static_assert(kReadStatus == 0x222038 && kReadIdent == 0x222258 && kMapDeviceBuffer == 0x222224);

// Board commands (kBoardCommand).
inline constexpr uint32_t kCmdRestartLink = 2;
inline constexpr uint32_t kCmdStartTransfer = 3;
inline constexpr uint32_t kCmdClearBuffer = 4;
inline constexpr uint32_t kCmdReset = 5;
inline constexpr uint32_t kCmdPrepareDirectRead = 8;
inline constexpr uint32_t kCmdMemoryTest = 244;

// Status word bit: a complete picture waits in the board buffer.
inline constexpr uint32_t kStatusPicture = 0x04000000;
// Busy word bit: the camera is exposing or reading out.
inline constexpr uint32_t kBusyCamera = 0x2;

// Transfer modes of the read-picture request and their bytes per pixel.
enum class TransferMode : uint32_t { Pixels16 = 0, Pixels8 = 1, Average16 = 2, Sums32 = 3 };
inline constexpr uint32_t kTransferModeCount = 4;
inline constexpr uint32_t kBytesPerPixel[kTransferModeCount] = {2, 1, 2, 4};

// Sizes of the fixed records.
inline constexpr uint32_t kDeviceBufferRecord = 20;
inline constexpr uint32_t kMapAnswer = 12;
inline constexpr uint32_t kUnmapRecord = 8;
inline constexpr uint32_t kDevBufStatusMax = 400;
inline constexpr uint32_t kReadPicRecord = 40;
inline constexpr uint32_t kIdentAnswer = 8;
inline constexpr uint32_t kLutBytes = 4096;

}  // namespace lmv::ioctl
