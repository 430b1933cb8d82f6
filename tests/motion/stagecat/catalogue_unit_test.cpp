// The catalogue class on its own, without a TALTranslator folder: the files next to the base
// paths, single-stage files from the stage databases' folder, and the version and revision
// limits of the sources.
#include <gtest/gtest.h>

#include "ZR_Corvane_TAL.h"
#include "motion/stages/ByteOrder.h"
#include "motion/stages/CZRStageInfoTAL.h"
#include "motion/stages/ZRStageInfoFile_V200.h"
#include "tests/motion/stages/StageTestSupport.h"
#include "tools/stagetool/StageDatabaseImage.h"

namespace {

const ::testing::Environment* const kRegistry =
    ::testing::AddGlobalTestEnvironment(new stage_test::EmptyRegistry);

StageParameterSet Stage(const std::string& name) {
    StageParameterSet s;
    s.SetStageName(name);
    s.SetControllerType("ALL");
    return s;
}

std::vector<std::string> Names(const StageMap& stages) {
    std::vector<std::string> names;
    for (const auto& entry : stages) names.push_back(entry.first);
    return names;
}

class CatalogueUnitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(catalogue.SetZRStagesFileName(folder.File("zrstages")));
        ASSERT_TRUE(catalogue.SetUserStagesFileName(folder.File("corvaneuserstages")));
        catalogue.SetControllerType("CORVANE");
        stage_test::WriteFile(folder.File("zrstages2.dat"),
                              BuildMakerDatabaseImage({Stage("MAKER")}));
    }
    void WriteUser(const std::vector<StageParameterSet>& sets) {
        ZRStageInfoFile_V200 file;
        ASSERT_TRUE(file.OpenStageParameterFile(folder.File("corvaneuserstages2.dat")));
        ASSERT_TRUE(file.AddNStages_V200(sets.data(), static_cast<int>(sets.size())));
    }

    stage_test::TempFolder folder;
    CZRStageInfoTAL catalogue;
};

TEST_F(CatalogueUnitTest, FilesLieNextToTheBasePaths) {
    EXPECT_FALSE(catalogue.SetZRStagesFileName(""));
    EXPECT_FALSE(catalogue.SetUserStagesFileName(""));
    EXPECT_EQ(catalogue.ZrStagesDatabaseName(), folder.File("zrstages2.dat"));
    EXPECT_EQ(catalogue.UserStagesDatabaseName(), folder.File("corvaneuserstages2.dat"));
    EXPECT_EQ(catalogue.OldUserStagesDatabaseName(), folder.File("corvaneuserstages.dat"));
    // not the root of the drive: the folder of the stage databases
    EXPECT_EQ(catalogue.SingleStageFolder(), folder.path().string());

    stage_test::WriteFile(folder.File("single.dat"), BuildMakerDatabaseImage({Stage("SINGLE")}));
    WriteUser({Stage("USER")});
    StageMap stages;
    EXPECT_TRUE(catalogue.GetAvailableStages(stages, 200, 0));
    EXPECT_EQ(catalogue.TakeError(), 0);
    EXPECT_EQ(Names(stages), (std::vector<std::string>{"MAKER", "SINGLE", "USER"}));
}

TEST_F(CatalogueUnitTest, SourcesCanBeSwitchedOff) {
    stage_test::WriteFile(folder.File("single.dat"), BuildMakerDatabaseImage({Stage("SINGLE")}));
    WriteUser({Stage("USER")});
    catalogue.SetLookInUserDatabase(false);
    catalogue.SetLookForSingleStageFiles(false);
    StageMap stages;
    catalogue.GetAvailableStages(stages, 200, 0);
    EXPECT_EQ(Names(stages), (std::vector<std::string>{"MAKER"}));
}

TEST_F(CatalogueUnitTest, VersionAndRevisionLimits) {
    WriteUser({Stage("USER")});  // its revision field reads 0 after the header rewrite
    const struct {
        int version, revision, error;
        std::vector<std::string> names;
    } cases[] = {
        {200, 0, 0, {"MAKER", "USER"}},
        {300, 0, ZR_PARAMETER_DAT_FILE_INVALID_VERSION, {}},
        // the maker database (revision 3) passes revision 3; the user stages are discarded
        {200, 3, ZR_USERSTAGES_DAT_FILE_INVALID_REVISION, {"MAKER"}},
        {200, 4, ZR_USERSTAGES_DAT_FILE_INVALID_REVISION, {}},
    };
    for (const auto& c : cases) {
        StageMap stages;
        EXPECT_TRUE(catalogue.GetAvailableStages(stages, c.version, c.revision));
        EXPECT_EQ(catalogue.TakeError(), c.error) << c.version << " " << c.revision;
        EXPECT_EQ(Names(stages), c.names) << c.version << " " << c.revision;
    }
    // the maker's own error stands when only the maker's revision is too low
    stage_test::WriteFile(folder.File("corvaneuserstages2.dat"), {});
    StageMap stages;
    catalogue.GetAvailableStages(stages, 200, 4);
    EXPECT_EQ(catalogue.TakeError(), ZR_PARAMETER_DAT_FILE_INVALID_REVISION);
}

TEST_F(CatalogueUnitTest, MakerDatabaseOfTheOldLayoutIsTooOld) {
    ZRStageInfoFile old;
    ASSERT_TRUE(old.OpenStageParameterFile(folder.File("old-maker.dat")));
    old.Close();
    std::filesystem::rename(folder.File("old-maker.dat"), folder.File("zrstages2.dat"));
    StageMap stages;
    catalogue.GetAvailableStages(stages, 200, 0);
    EXPECT_EQ(catalogue.TakeError(), ZR_PARAMETER_DAT_FILE_INVALID_VERSION);
}

TEST_F(CatalogueUnitTest, ShortMakerDatabaseIsNotFoundAndNotWritten) {
    const std::vector<uint8_t> stub = {0xC8, 0x00, 0x00, 0x00};
    stage_test::WriteFile(folder.File("zrstages2.dat"), stub);
    StageMap stages;
    catalogue.GetAvailableStages(stages, 200, 0);
    EXPECT_EQ(catalogue.TakeError(), ZR_STAGE_DATABASE_NOT_FOUND);
    EXPECT_EQ(stage_test::ReadFile(folder.File("zrstages2.dat")), stub);
}

}  // namespace
