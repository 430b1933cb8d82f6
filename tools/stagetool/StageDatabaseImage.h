#pragma once
// A whole maker stage database built in memory: header (revision, protected), the records and
// the checksum.
#include <cstdint>
#include <vector>

#include "motion/stages/StageParameterSet.h"

inline constexpr int kMakerDatabaseRevision = 3;

std::vector<uint8_t> BuildMakerDatabaseImage(const std::vector<StageParameterSet>& stages);

// What the checksum at the end of a version-200 file says.
enum class StageChecksum { Valid, Invalid, Missing };
StageChecksum CheckStageFileChecksum(const std::vector<uint8_t>& content);
