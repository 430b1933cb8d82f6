#include "motion/stages/StageFileProbe.h"

#include <sys/stat.h>

#include <fstream>

#include "motion/stages/ByteOrder.h"

StageFileProbe StageFileProbe::Of(const std::string& path) {
    StageFileProbe probe;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return probe;
    probe.exists = true;
    probe.regular = S_ISREG(info.st_mode);
    if (!probe.regular) return probe;
    probe.size = static_cast<std::size_t>(info.st_size);
    std::ifstream in(path, std::ios::binary);
    uint8_t head[2] = {};
    if (probe.size >= sizeof head && in.read(reinterpret_cast<char*>(head), sizeof head))
        probe.version = stage_bytes::LoadLE<uint16_t>(head);
    return probe;
}

bool StageFileProbe::HoldsDatabase(int layoutVersion, std::size_t recordSize,
                                   std::size_t minRecords) const {
    return exists && regular && version == layoutVersion && recordSize > 0 &&
           size >= (minRecords + 1) * recordSize;
}

bool StageFileProbe::HasWholeRecords(std::size_t recordSize) const {
    if (recordSize == 0 || size < recordSize) return false;
    const std::size_t rest = size % recordSize;
    return rest == 0 || rest == 2;
}
