#pragma once
// Settings of the simulated boards, from LMVSIM_* environment variables. A variable with the
// suffix _<n> (LMVSIM_CCD_TYP_1=21) sets the value for board n alone and wins over the plain one.
#include <cstdint>
#include <optional>
#include <string>

namespace lmvpci {

inline constexpr int kExtraSensorByCcd = -2;

struct BoardConfig {
    int boardType = 2;             // LMVSIM_BOARD_TYPE: 1, 2 or 3
    uint32_t boardVersion = 0x21;  // LMVSIM_BOARD_VERSION: two hex digits in the identification
    int cameraTyp = 2;             // LMVSIM_CAMERA_TYP: 1, 2 or 5
    int ccdTyp = 1;                // LMVSIM_CCD_TYP
    int cameraId = 0;              // LMVSIM_CAMERA_ID
    int ccdTemp = -10;             // LMVSIM_CCD_TEMP, degrees C
    int eleTemp = 25;              // LMVSIM_ELE_TEMP, degrees C
    // LMVSIM_EXTRA_SENSOR: the extended camera byte of a camera with the extra sensor, -1 for a
    // camera without. Unset: only cameras whose CCD needs an identification byte have the sensor
    // (byte 0). Without the sensor the set-up programs read the temperatures like any other.
    int extraSensor = kExtraSensorByCcd;
    uint32_t statusBits = 0;  // LMVSIM_STATUS_BITS: bits OR-ed into the camera status word
    // LMVSIM_MEMORY_FAULT: word of the board memory that reads back wrong in the memory test.
    std::optional<uint32_t> memoryFault;
    uint32_t imageMs = 20;  // LMVSIM_IMAGE_MS: time from start (or last picture) to a picture
    std::optional<uint32_t> hangCode;  // LMVSIM_HANG: request code that never completes
    bool hangRead = false;             // LMVSIM_HANG=read: reads never complete
    std::optional<uint32_t> failCode;  // LMVSIM_FAIL: request code that fails
    bool noCamera = false;             // LMVSIM_NO_CAMERA=1: the temperature register reads 0x795E
    uint32_t shortRead = 0;            // LMVSIM_SHORT_READ: reads deliver this many bytes fewer
    // LMVSIM_FRAME_NUMBER=1: the first two pixels of a picture carry its frame number (low and
    // high 16 bits), so that long recordings can be checked past the pattern's period.
    bool frameNumber = false;
};

// Number of boards present (LMVSIM_BOARDS, default 1; board 0 first).
int BoardCount();
BoardConfig ConfigForBoard(int board);
// LMVSIM_TRACE: file that gets one line per request; empty when unset.
std::string TracePath();
// LMVSIM_LOCK_DIR: folder of the "device busy" lock files; default $XDG_RUNTIME_DIR, else /tmp.
std::string LockDir();

}  // namespace lmvpci
