#pragma once
// Words of the camera operation code that the long-exposure builders emit. Bits 8-11 hold the
// word class (0xF ends the table), the low byte the action within the class.
#include <cstdint>

namespace lmv::coc_word {

constexpr uint16_t kEnd = 4064;  // end of the table, written twice

// Waiting slots: one line time, or a block of 1024 line times.
constexpr uint16_t kWait = 193;
constexpr uint16_t kWaitBlock = 449;
constexpr uint16_t kPowerDownWait = 199;
constexpr uint16_t kPowerDownWaitBlock = 455;

constexpr uint16_t kBoundary = 209;        // delay/exposure boundary mark
constexpr uint16_t kExposureEnd = 207;     // end of the exposure section
constexpr uint16_t kExposureStart = 576;   // + 0, 2, 4, 6 for hbin 1, 2, 4, 8, plus the option base
constexpr uint16_t kPowerDownStart = 582;  // + option base, three times

// Row-shift and read words of the readout and flush sections.
constexpr uint16_t kShift8Read = 192;
constexpr uint16_t kShift2 = 194;
constexpr uint16_t kShift8 = 197;
constexpr uint16_t kShift16 = 198;
constexpr uint16_t kRead = 201;
constexpr uint16_t kReadBin2 = 202;
constexpr uint16_t kStartMarkOffset = 16;  // added to a readout word that starts an exposure

// Arm words closing the flush.
constexpr uint16_t kArmExternal = 2497;
constexpr uint16_t kArmInternal = 2241;

// Timed-mark words: added to the word whose line time holds the mark.
constexpr uint16_t kMark1Offset = 2304;
constexpr uint16_t kMark2Offset = 2048;
constexpr uint16_t kMark1AfterBoundary = 2497;
constexpr uint16_t kMark2AfterBoundary = 2241;
constexpr uint16_t kMark1End = 2498;
constexpr uint16_t kMark2End = 2242;

// Header programs of the CCD 21-22 submodes 16-19.
constexpr uint16_t kHeaderOpen = 640;
constexpr uint16_t kHeaderClose = 641;
constexpr uint16_t kNibbleBase = 672;
constexpr uint16_t kTransferStart = 204;

constexpr int kBlockSlots = 1024;

}  // namespace lmv::coc_word
