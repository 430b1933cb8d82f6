// Controllers connected through the exported functions to simulated chains, with the stage files
// in a temporary folder that the registry store names as the TALTranslator folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "motion/stages/ByteOrder.h"
#include "motion/stages/StageParameterSet.h"
#include "motion/stages/StageRecordV100.h"
#include "motion/stages/ZRStageInfoFile_V200.h"
#include "tests/motion/api/ApiFixture.h"
#include "tests/motion/stages/StageTestSupport.h"
#include "tools/stagetool/StageDatabaseImage.h"

namespace stagecat_test {

using stage_test::ReadFile;
using stage_test::WriteFile;
using Bytes = std::vector<uint8_t>;

// The registry store and the stage folder of the whole test program: the library keeps the
// TALTranslator folder once it has read it.
class StageFolderEnvironment : public ::testing::Environment {
  public:
    void SetUp() override;
    static const std::filesystem::path& Folder();
    static std::string File(const std::string& name) { return (Folder() / name).string(); }
};

// A stage record of the current layout.
struct StageRecipe {
    std::string name;
    int type = 0;  // 0 DC, 2 voice coil, 6 stepper, others for other controllers
    int p = 200;
    long long cpuZ = 1000;
    std::string controller = "ALL";
    StageParameterSet Make() const;
};

// A record of the old 256-byte layout (DC motor).
StageRecordV100 OldRecord(const std::string& name, int p);

std::vector<StageParameterSet> Sets(const std::vector<StageRecipe>& specs);

void WriteMakerDatabase(const std::vector<StageRecipe>& specs);
// A user database written with the file class (writable, no checksum).
void WriteUserDatabase(const std::vector<StageRecipe>& specs);
void WriteOldUserDatabase(const std::vector<StageRecordV100>& records);
// A read-only stage file with a checksum (valid or spoilt).
void WriteSingleStageFile(const std::string& name, const std::vector<StageRecipe>& specs,
                          bool validChecksum = true);
// The stages of a version-200 file, read without writing anything.
std::vector<StageParameterSet> StagesOf(const std::string& path);

class StageCatalogueTest : public apitest::ApiFixture {
  protected:
    static constexpr int kCom = 31;

    void SetUp() override;
    // R-220 at 0 (A) and R-210 at 1 (B), or two R-220 boards.
    int ConnectMixed();
    int ConnectTwoServos();

    std::string qVST(int id);
    std::string qCST(int id, const char* axes);
    std::vector<std::string> Lines(int board) const;
};

}  // namespace stagecat_test
