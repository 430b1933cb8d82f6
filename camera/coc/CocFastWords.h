#pragma once
// Words of the fine-time programs of the fast-shutter and intensified cameras (units of 200 ns
// unless stated) and of the intensifier's gate program.
#include <cstdint>

namespace lmv::coc_fast_word {

constexpr uint16_t kExposureProgram = 753;  // start of an exposure program
constexpr uint16_t kGatedProgram = 754;     // start of a gated program
constexpr uint16_t kProgramEnd = 204;       // end of a fine-time program, written twice

// Exposure-list and multi-exposure words.
constexpr uint16_t kDelayUnit = 763;
constexpr uint16_t kDelayUnitNear = 767;  // last units before a short exposure, units after one
constexpr uint16_t kDelayBlock = 1019;    // 20 us
constexpr uint16_t kOddDelayShort = 766;  // odd 100 ns of delay joined to a short exposure
constexpr uint16_t kOddDelayLong = 762;   // odd 100 ns of delay joined to a long exposure
constexpr uint16_t kFiftyStart = 757;     // start of the 50-ns exposure
constexpr uint16_t kExposureUnit = 761;
constexpr uint16_t kExposureUnitLast = 765;  // last units of an exposure, owed units
constexpr uint16_t kExposureBlock = 1017;    // 20 us
constexpr uint16_t kOddExposure = 764;       // odd 100 ns of exposure joined to the delay
constexpr uint16_t kFiftyEnd = 759;          // end of the 50-ns exposure

// Gate-block words.
constexpr uint16_t kGateDelay = 758;
constexpr uint16_t kGateDelayBlock = 1014;
constexpr uint16_t kGateLead = 759;
constexpr uint16_t kGateExposure = 756;
constexpr uint16_t kGateExposureBlock = 1012;
constexpr uint16_t kGateFirst = 757;  // exposure unit within the first part of a gate

constexpr uint16_t kCountedBlock = 1021;  // 20 us of the counted exposure

// Header words of the fine-time tables.
constexpr uint16_t kHeaderArm = 3009;
constexpr uint16_t kHeaderArmTriggered = 2753;

// Intensified tables.
constexpr uint16_t kExposureMark = 215;  // after the power-down start words
constexpr uint16_t kRepeatEnd = 1729;    // end of a gate repetition
constexpr uint16_t kRepeatEndPd = 1735;  // the same in power-down form
constexpr uint16_t kTwoGateEnd = 1745;

// Gate-program primitives.
constexpr uint16_t kCodeBase = 640;
constexpr uint16_t kOperandLow = 656;
constexpr uint16_t kOperandHigh = 672;
constexpr uint16_t kTripleEnd = 696;
constexpr uint16_t kEndRepeats = 697;
constexpr uint16_t kEndGain = 698;
constexpr uint16_t kEndStep = 699;
constexpr uint16_t kEndByte = 702;
constexpr uint16_t kEndDelay0 = 688;
constexpr uint16_t kEndDelay1 = 689;
constexpr uint16_t kEndDelay2 = 690;
constexpr uint16_t kEndGate0 = 692;
constexpr uint16_t kEndGate1 = 693;
constexpr uint16_t kEndGate2 = 694;

// Fine-time values in ns.
constexpr int64_t kUnitNs = 200;
constexpr int64_t kHalfUnitNs = 100;
constexpr int64_t kBlockNs = 20000;

}  // namespace lmv::coc_fast_word
