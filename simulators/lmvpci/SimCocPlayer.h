#pragma once
// What a camera does with the operation code the board plays to it: which rows it reads out and
// how they are binned, how long it exposes and how long the readout takes. A pure function of the
// loaded words and the camera's own properties; a table the camera cannot play (no end word, no
// exposure, no read lines) gives no picture.
//
// The camera's reading of the words: bits 8-11 are the word class (0xF ends the table). Class-0
// words 192-206 each take one line time and shift rows towards the readout register (192: 0,
// 193: 1, 194: 2, 195: 0, 196: 4, 197: 8, 198: 16, 206: 2 rows); 200-203 read a line out after
// shifting 0-3 more rows. 449 and 455 wait 1024 line times, 193 and 199 one. 576-591 start an
// exposure (bits 1-2: horizontal binning 1, 2, 4, 8). 209 marks the boundary between delay and
// exposure, 207 ends the exposure. A readout word with 16 added (208-222) acts as the word
// itself. Words of classes 8 and up (trigger, arm and mark words) take no time. A program without
// 207 exposes from its last start word through the waits after it. The fast-shutter cameras'
// fine-time programs run from 753 or 754 to 204, 204 in units of 200 ns (763, 767, 758, 759
// delay; 761, 765, 757, 756 exposure; 762, 764, 766 100 ns of each) and 20-us blocks (1014,
// 1019 delay; 1012, 1017, 1021 exposure); the words after them are read out. Gate-program
// words (640-702) take no line time.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace lmvpci {

struct CocCamera {
    int ccdTyp = 1;
    uint32_t ccdWidth = 640;
    uint32_t ccdHeight = 480;
    // The last area-of-interest words written to the camera command register (commands 12 and
    // 13); without them the camera reads whole rows.
    std::optional<uint32_t> aoiStart;
    std::optional<uint32_t> aoiEnd;
};

struct PlayedPicture {
    bool picture = false;  // false: the camera takes no picture with this table
    uint32_t width = 0;    // pixels per line after horizontal binning
    uint32_t height = 0;   // lines read out
    uint32_t hbin = 1;
    uint32_t vbin = 1;
    uint32_t xmin = 0;      // first sensor column of a line
    uint32_t firstRow = 0;  // rows shifted out before the first line (leading rows included)
    double delayUs = 0;
    double exposureUs = 0;
    double readoutUs = 0;

    double CycleUs() const { return delayUs + exposureUs + readoutUs; }
};

PlayedPicture PlayCoc(const uint16_t* words, size_t count, const CocCamera& camera);

// The camera of a CCD type with its sensor size (colour variants share their sensor); unknown
// types get the 640 x 480 sensor.
CocCamera CocCameraFor(int ccdTyp);

// Line time of a CCD type in microseconds, as its camera clocks it.
double CocLineTimeUs(int ccdTyp);
// Constant the camera subtracts from an area-of-interest word to get the column.
uint32_t CocAoiOffset(int ccdTyp);

// Set by a board that plays its loaded table, so programs can tell it from a board that
// delivers a fixed test pattern.
void NoteTablePlayer();
bool TablePlayerPresent();

}  // namespace lmvpci
