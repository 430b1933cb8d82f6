// The readable stage descriptions stagetool builds the maker database from: any text is either
// refused with a reason, or gives stages whose database image carries a valid checksum.
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "tools/stagetool/StageDatabaseImage.h"
#include "tools/stagetool/StageDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<StageParameterSet> stages;
    std::string error;
    if (!ParseStageDescription(text, stages, error)) {
        if (error.empty()) fuzz::Fail("a refused description gives no reason");
        return 0;
    }
    const std::vector<uint8_t> image = BuildMakerDatabaseImage(stages);
    if (image.size() != (stages.size() + 1) * kStageParameterSetSize + 2)
        fuzz::Fail("database image of the wrong size");
    if (CheckStageFileChecksum(image) != StageChecksum::Valid)
        fuzz::Fail("database image without a valid checksum");
    return 0;
}
