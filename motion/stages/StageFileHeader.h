#pragma once
// The header block at the start of a stage database file: version, time of the last rewrite, a
// readable text, the field map (version 200 only), revision and write flag.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

// Where the two file layouts keep their header fields and how large their records are.
struct StageFileLayout {
    uint16_t version;
    std::size_t recordSize;
    std::size_t headerBlockSize;  // the part a header rewrite rebuilds from zero
    std::size_t revisionOffset;   // 0: the layout has no revision field
    std::size_t writeFlagOffset;
    bool fieldMap;
    std::size_t maxNameLength;
};

inline constexpr StageFileLayout kStageFileLayoutV200{200, 2048, 2044, 2040, 2044, true, 31};
inline constexpr StageFileLayout kStageFileLayoutV100{100, 256, 252, 0, 252, false, 15};

// The header fields as stored.
struct StageFileHeaderInfo {
    int version = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int revision = 0;
    int writeFlag = 0;
};

inline constexpr int32_t kStageFileWritable = 1;  // any other write flag protects the file

// "Achsenparameter V2.00 08.12.2026 14:03:59 Rev: 03 " (with its final space).
std::string StageFileHeaderText(uint16_t version, const std::tm& time, int revision);

// The marked byte ranges of the 2048-byte parameter set, run-length encoded as (value, run) pairs.
const std::vector<uint8_t>& StageFieldMap();
std::vector<uint8_t> RunLengthEncode(std::span<const uint8_t> data);

// Fills the first headerBlockSize bytes of header with a fresh header (the rest of the header,
// the write flag of version 200 in particular, stays as it was). Bytes of a revision field inside
// the rebuilt block read 0 afterwards; the revision shows only in the text.
void BuildStageFileHeader(const StageFileLayout& layout, std::span<uint8_t> header,
                          const std::tm& time, int revision);

StageFileHeaderInfo ReadStageFileHeader(const StageFileLayout& layout,
                                        std::span<const uint8_t> header);

// The current local time, as the header records it.
std::tm StageFileLocalTime();
