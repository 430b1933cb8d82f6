#include "motion/stages/ZRStageInfoFile_V200.h"

#include <cstring>
#include <vector>

ZRStageInfoFile_V200::ZRStageInfoFile_V200() : ZRStageInfoFile(kStageFileLayoutV200, kRevision) {}

namespace {

StageParameterSet Load(const uint8_t* record) {
    StageParameterSet set;
    std::memcpy(set.data(), record, StageParameterSet::kSize);
    return set;
}

}  // namespace

std::string ZRStageInfoFile_V200::RecordName(const uint8_t* record) const {
    return Load(record).StageName();
}

std::string ZRStageInfoFile_V200::RecordControllerType(const uint8_t* record) const {
    return Load(record).ControllerType();
}

StageParameterSet ZRStageInfoFile_V200::ToParameterSet(const uint8_t* record) const {
    return Load(record);
}

bool ZRStageInfoFile_V200::AddNStages_V200(const StageParameterSet* records, int count) {
    if (records == nullptr || count < 0) return AddRecords(nullptr, count);
    std::vector<uint8_t> bytes(count * StageParameterSet::kSize);
    for (int i = 0; i < count; ++i)
        std::memcpy(bytes.data() + i * StageParameterSet::kSize, records[i].data(),
                    StageParameterSet::kSize);
    return AddRecords(bytes.data(), count);
}

int StageFileVersion(const std::string& path, bool useTALTranslatorDirectory) {
    ZRStageInfoFile_V200 current;
    current.SetUseTALTranslatorDirectory(useTALTranslatorDirectory);
    if (current.OpenStageParameterFile(path, {.writes = StageFileWrites::kNothing}))
        return current.GetVersion();
    ZRStageInfoFile old;
    old.SetUseTALTranslatorDirectory(useTALTranslatorDirectory);
    if (old.OpenStageParameterFile(path, {.writes = StageFileWrites::kNothing}))
        return old.GetVersion();
    return 0;
}
