#include "StageDatabaseImage.h"

#include <algorithm>
#include <span>

#include "motion/stages/ByteOrder.h"
#include "motion/stages/Crc16.h"
#include "motion/stages/StageFileHeader.h"

std::vector<uint8_t> BuildMakerDatabaseImage(const std::vector<StageParameterSet>& stages) {
    const std::size_t s = StageParameterSet::kSize;
    const std::size_t covered = (stages.size() + 1) * s;
    std::vector<uint8_t> image(covered + 2, 0);
    BuildStageFileHeader(kStageFileLayoutV200, std::span<uint8_t>(image.data(), s),
                         StageFileLocalTime(), kMakerDatabaseRevision);
    stage_bytes::StoreLE<int32_t>(image.data() + kStageFileLayoutV200.revisionOffset,
                                  kMakerDatabaseRevision);
    stage_bytes::StoreLE<int32_t>(image.data() + kStageFileLayoutV200.writeFlagOffset, 0);
    for (std::size_t k = 0; k < stages.size(); ++k)
        std::copy_n(stages[k].data(), s, image.begin() + static_cast<long>((k + 1) * s));
    stage_bytes::StoreLE<uint16_t>(image.data() + covered,
                                   Crc16(std::span<const uint8_t>(image.data(), covered)));
    return image;
}

StageChecksum CheckStageFileChecksum(const std::vector<uint8_t>& content) {
    const std::size_t s = StageParameterSet::kSize;
    if (content.size() < s) return StageChecksum::Missing;
    const std::size_t covered = (content.size() / s) * s;
    if (content.size() < covered + 2) return StageChecksum::Missing;
    const uint16_t stored = stage_bytes::LoadLE<uint16_t>(content.data() + covered);
    return stored == Crc16(std::span<const uint8_t>(content.data(), covered))
               ? StageChecksum::Valid
               : StageChecksum::Invalid;
}
