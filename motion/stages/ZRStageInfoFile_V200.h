#pragma once
// Stage database file of the current layout: 2048-byte header, then 2048-byte stage parameter
// sets. The library creates these files with revision 3 and edits files up to revision 3.
#include <string>

#include "motion/stages/ZRStageInfoFile.h"

class ZRStageInfoFile_V200 : public ZRStageInfoFile {
  public:
    static constexpr int kVersion = 200;
    static constexpr int kRevision = 3;

    ZRStageInfoFile_V200();

    bool AddNStages_V200(const StageParameterSet* records, int count) override;

    // Typed forms of the record operations.
    bool GetStageByName(const std::string& name, StageParameterSet& set) {
        return ZRStageInfoFile::GetStageByName(name, set.Bytes());
    }
    bool GetStageByIndex(int index, StageParameterSet& set) {
        return ZRStageInfoFile::GetStageByIndex(index, set.Bytes());
    }
    bool AddStage(const StageParameterSet& set) { return ZRStageInfoFile::AddStage(set.Bytes()); }
    bool ReplaceStage(int index, const StageParameterSet& set) {
        return ZRStageInfoFile::ReplaceStage(index, set.Bytes());
    }
    using ZRStageInfoFile::AddStage;
    using ZRStageInfoFile::GetStageByIndex;
    using ZRStageInfoFile::GetStageByName;
    using ZRStageInfoFile::ReplaceStage;

  protected:
    const char* ClassName() const override { return "ZRStageInfoFile_V200"; }
    std::string RecordName(const uint8_t* record) const override;
    std::string RecordControllerType(const uint8_t* record) const override;
    StageParameterSet ToParameterSet(const uint8_t* record) const override;
};

// The layout version of the file on disk: 200 or 100 (the first layout that opens it), 0 when
// neither does. Nothing is written or created.
int StageFileVersion(const std::string& path, bool useTALTranslatorDirectory = true);
