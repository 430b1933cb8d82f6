#pragma once
// Automatic exposure of long-exposure cameras: the exposure time is changed picture by picture
// until the brightest `percent` of the pixels begin at a level between 1400 and 1500.
#include <cstddef>
#include <cstdint>

#include "camera/image/ImageCapture.h"

namespace lmv {

constexpr int kAutoRangeLowLevel = 1400;
constexpr int kAutoRangeHighLevel = 1500;
constexpr int kAutoRangeLongestExposure = 2000;
constexpr uint32_t kAutoRangeTimeLimitMs = 24000;

// States that end the search without an exact exposure.
constexpr int kAutoRangeBreak = 100;  // "no exact exposure time possible" (or out of time)
constexpr int kAutoRangeUnder = 101;  // still too dark at the longest exposure
constexpr int kAutoRangeOver = 102;   // still too bright at the shortest exposure

// Flags.
constexpr int kAutoRangeSetDialogs = 1;  // set the B/W and camera dialogs from the result
constexpr int kAutoRangeInfoText = 2;    // report progress through the camera dialog module

// One step of the search: the exposure, the one before it and the last step.
struct exposure_search {
    int exposure = 0;
    int previous = 0;
    int step = 0;
    int state = 0;
};

// The first exposure: above 1999 starts at 1500, 1 or less at 4.
exposure_search exposure_search_start(int exposure);
// Moves the exposure for the level `n` of a picture. False when n is on target (1400..1499) and
// nothing changes; true when the exposure moved or a state was set.
bool exposure_search_step(exposure_search& s, int n);

// The level from which, walking down from 4095, the pixels counted exceed `target`; -1 if never.
// Values are taken modulo 4096.
int level_above_share(const uint16_t* image, size_t pixels, long long target);

// AUTO_RANGE on the current board. 0, a state (100, 101, 102), -8 for a camera that is not a
// long-exposure one, -28 while the recorder owns the board, -1 when the board is not ready, -23
// for a null exposure or no memory, -3 for a bad image size, -13 without capture procedures or
// with a dialog module lacking "AUTO_INFO_TEXT", -2 on time-outs, or a driver or build error.
int auto_range(const image_capture_procedures& procs, int flags, int* exposure, int percent,
               int width, int height, uint16_t* image);

}  // namespace lmv
