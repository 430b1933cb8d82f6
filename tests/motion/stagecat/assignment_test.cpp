// Stage assignment and user stages through the exported functions: CST, qCST, AddStage,
// RemoveStage and the edit-dialog exports.
#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/motion/stagecat/StageCatalogueFixture.h"

namespace stagecat_test {
namespace {

TEST_F(StageCatalogueTest, CstAssignsAndQcstReports) {
    WriteMakerDatabase({{"DC-STAGE", 0, 210}, {"STEP-STAGE", 6}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qCST(id, ""), "A=NOSTAGE \nB=NOSTAGE\n");
    ASSERT_TRUE(Corvane_CST(id, "ab", "dc-stage\tSTEP-STAGE\n")) << Corvane_GetError(id);
    EXPECT_EQ(qCST(id, "BA"), "B=STEP-STAGE \nA=DC-STAGE\n");
    EXPECT_EQ(qCST(id, "A"), "A=DC-STAGE\n");

    ASSERT_TRUE(Corvane_CST(id, "A", "NOSTAGE"));
    EXPECT_EQ(qCST(id, ""), "A=NOSTAGE \nB=STEP-STAGE\n");

    char tiny[10];
    EXPECT_FALSE(Corvane_qCST(id, "B", tiny, static_cast<int>(sizeof tiny)));  // 13 characters
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_FALSE(Corvane_qCST(id, "Z", tiny, static_cast<int>(sizeof tiny)));
    EXPECT_EQ(Corvane_GetError(id), ZR_UNKNOWN_AXIS_IDENTIFIER);
}

TEST_F(StageCatalogueTest, CstRefusals) {
    WriteMakerDatabase({{"DC-STAGE", 0}, {"STEP-STAGE", 6}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    const struct {
        const char* axes;
        const char* names;
        int error;
    } cases[] = {
        {"", "DC-STAGE", ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {nullptr, "DC-STAGE", ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {"AB", "DC-STAGE", ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {"A", "DC-STAGE STEP-STAGE", ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {"A", "", ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {"Z", "DC-STAGE", ZR_UNKNOWN_AXIS_IDENTIFIER},
        {"A", "NO-SUCH-STAGE", ZR_CNTR_INVALID_STAGE_NAME},
        {"B", "DC-STAGE", ZR_CNTR_INVALID_STAGE_NAME},  // a DC stage on a stepper board
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Corvane_CST(id, c.axes, c.names)) << (c.axes ? c.axes : "null") << c.names;
        EXPECT_EQ(Corvane_GetError(id), c.error) << (c.axes ? c.axes : "null") << c.names;
    }
    EXPECT_EQ(qCST(id, ""), "A=NOSTAGE \nB=NOSTAGE\n");

    // the axes before the failing one keep their new stage
    EXPECT_FALSE(Corvane_CST(id, "AB", "DC-STAGE DC-STAGE"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_STAGE_NAME);
    EXPECT_EQ(qCST(id, ""), "A=DC-STAGE \nB=NOSTAGE\n");
}

TEST_F(StageCatalogueTest, AddStageThenAssignItToAnotherAxis) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    WriteUserDatabase({{"SERVO-1", 0, 271}});
    const int id = ConnectTwoServos();
    ASSERT_GE(id, 0);
    ASSERT_TRUE(Corvane_CST(id, "A", "SERVO-1"));

    ASSERT_TRUE(Corvane_RemoveStage(id, "servo-1")) << Corvane_GetError(id);
    EXPECT_EQ(qVST(id), "MAKER-DC \nNOSTAGE\n");
    EXPECT_FALSE(Corvane_CST(id, "B", "SERVO-1"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_STAGE_NAME);

    ASSERT_TRUE(Corvane_AddStage(id, "A")) << Corvane_GetError(id);
    EXPECT_EQ(qVST(id), "MAKER-DC \nSERVO-1 \nNOSTAGE\n");
    sims.at(kCom)->ClearTranscript();
    ASSERT_TRUE(Corvane_CST(id, "B", "SERVO-1")) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_INI(id, "B"));
    const auto lines = Lines(1);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DP271"), lines.end());

    // once more: the name is taken
    const Bytes before = ReadFile(StageFolderEnvironment::File("corvaneuserstages2.dat"));
    EXPECT_FALSE(Corvane_AddStage(id, "AB"));
    EXPECT_EQ(Corvane_GetError(id), ZR_STAGE_NAME_NOT_UNIQUE);
    EXPECT_EQ(ReadFile(StageFolderEnvironment::File("corvaneuserstages2.dat")), before);
}

TEST_F(StageCatalogueTest, AddStageOfTwoAxesWithOneNameKeepsTheFirst) {
    WriteMakerDatabase({{"TWIN", 0, 281}});
    const int id = ConnectTwoServos();
    ASSERT_GE(id, 0);
    ASSERT_TRUE(Corvane_CST(id, "AB", "TWIN TWIN"));
    EXPECT_FALSE(Corvane_AddStage(id, "AB"));
    EXPECT_EQ(Corvane_GetError(id), ZR_STAGE_NAME_NOT_UNIQUE);
    const auto user = StagesOf(StageFolderEnvironment::File("corvaneuserstages2.dat"));
    ASSERT_EQ(user.size(), 1u);
    EXPECT_EQ(user[0].StageName(), "TWIN");
    EXPECT_EQ(user[0].Get(StageFields::kMotP), 281);
}

TEST_F(StageCatalogueTest, AddStageOfAStepperAxisStoresFullSteps) {
    WriteUserDatabase({{"STEP-1", 6, 200, 320}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    ASSERT_TRUE(Corvane_CST(id, "B", "STEP-1"));
    ASSERT_TRUE(Corvane_RemoveStage(id, "STEP-1"));
    ASSERT_TRUE(Corvane_AddStage(id, "B")) << Corvane_GetError(id);
    const auto user = StagesOf(StageFolderEnvironment::File("corvaneuserstages2.dat"));
    ASSERT_EQ(user.size(), 1u);
    EXPECT_EQ(user[0].Get(StageFields::kMotCpuZ), 320);

    // and back on the board with sixteen counts per step
    sims.at(kCom)->ClearTranscript();
    ASSERT_TRUE(Corvane_CST(id, "B", "STEP-1"));
    ASSERT_TRUE(Corvane_INI(id, "B"));
    const auto lines = Lines(1);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SV51200"), lines.end());  // 10 x 320 x 16
}

TEST_F(StageCatalogueTest, AddStageRefusesAnAxisWithoutName) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_FALSE(Corvane_AddStage(id, "A"));  // still the default set of the scan
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_STAGE_NAME);
    EXPECT_TRUE(StagesOf(StageFolderEnvironment::File("corvaneuserstages2.dat")).empty());
    EXPECT_FALSE(Corvane_AddStage(id, "Q"));
    EXPECT_EQ(Corvane_GetError(id), ZR_UNKNOWN_AXIS_IDENTIFIER);
}

TEST_F(StageCatalogueTest, RemoveStageChangesOnlyTheUserDatabase) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    WriteUserDatabase({{"USER-A", 0}, {"USER-B", 0}});
    WriteSingleStageFile("single.dat", {{"SINGLE", 0}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    qVST(id);  // the single-stage file gets its checksum checked here
    const Bytes maker = ReadFile(StageFolderEnvironment::File("zrstages2.dat"));
    const Bytes single = ReadFile(StageFolderEnvironment::File("single.dat"));

    const struct {
        const char* name;
        int error;
    } refused[] = {{"MAKER-DC", ZR_STAGE_DOES_NOT_EXIST},
                   {"SINGLE", ZR_STAGE_DOES_NOT_EXIST},
                   {"USER-C", ZR_STAGE_DOES_NOT_EXIST},
                   {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", ZR_CNTR_INVALID_STAGE_NAME}};
    for (const auto& r : refused) {
        EXPECT_FALSE(Corvane_RemoveStage(id, r.name)) << r.name;
        EXPECT_EQ(Corvane_GetError(id), r.error) << r.name;
    }
    EXPECT_EQ(ReadFile(StageFolderEnvironment::File("zrstages2.dat")), maker);
    EXPECT_EQ(ReadFile(StageFolderEnvironment::File("single.dat")), single);

    ASSERT_TRUE(Corvane_RemoveStage(id, "user-a"));
    EXPECT_EQ(qVST(id), "MAKER-DC \nSINGLE \nUSER-B \nNOSTAGE\n");
}

TEST_F(StageCatalogueTest, QvstBufferAndNullBuffer) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_TRUE(Corvane_qVST(id, nullptr, 0));
    apitest::MarkedBuffer buffer(17);
    // "MAKER-DC \nNOSTAGE\n" is 18 characters
    EXPECT_FALSE(Corvane_qVST(id, buffer.data(), 18));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_TRUE(Corvane_qVST(id, buffer.data(), 19));
    EXPECT_EQ(buffer.Text(), "MAKER-DC \nNOSTAGE\n");
}

TEST_F(StageCatalogueTest, EditDialogsDoNotExist) {
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(Corvane_OpenUserStagesEditDialog(id), nullptr);
    EXPECT_EQ(Corvane_GetError(id), COM_FUNCTION_NOT_SUPPORTED);
    EXPECT_EQ(Corvane_OpenZrStagesEditDialog(id), nullptr);
    EXPECT_EQ(Corvane_GetError(id), COM_FUNCTION_NOT_SUPPORTED);
    EXPECT_EQ(Corvane_GetError(id), 0);
    EXPECT_EQ(Corvane_OpenZrStagesEditDialog(id + 100), nullptr);
    EXPECT_FALSE(Corvane_CST(id + 100, "A", "X"));
    EXPECT_FALSE(Corvane_qVST(id + 100, nullptr, 0));
}

}  // namespace
}  // namespace stagecat_test

namespace stagecat_test {
namespace {

std::string SourceText(const std::string& relative) {
    const Bytes bytes = ReadFile(std::string(ZR_SOURCE_DIR) + "/" + relative);
    return std::string(bytes.begin(), bytes.end());
}

// The shipped stages on the simulated chain made for them: assigned, initialised, referenced and
// moved; no stage is assigned while the reference procedure runs.
TEST_F(StageCatalogueTest, ShippedStagesOnTheirSimulatedChain) {
    std::filesystem::copy_file(std::string(ZR_BUILD_DIR) + "/stages/zrstages2.dat",
                               StageFolderEnvironment::File("zrstages2.dat"));
    StartChain(kCom, SourceText("data/stages/corvane-sim-stages.conf"));
    const int id = Connect(kCom, 2);
    ASSERT_GE(id, 0);
    ASSERT_TRUE(Corvane_CST(id, "AB", "LT-50-DC LT-100-STEP")) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_INI(id, "AB")) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_REF(id, "AB")) << Corvane_GetError(id);

    EXPECT_FALSE(Corvane_CST(id, "A", "LT-25-DC-NR"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    ZR_BOOL referencing[2] = {1, 1};
    while ((referencing[0] || referencing[1]) && std::chrono::steady_clock::now() < deadline) {
        ASSERT_TRUE(Corvane_IsReferencing(id, "AB", referencing));
        std::this_thread::sleep_for(50ms);
    }
    ZR_BOOL referenced[2] = {0, 0};
    ASSERT_TRUE(Corvane_IsReferenceOK(id, "AB", referenced));
    ASSERT_TRUE(referenced[0] && referenced[1]) << Corvane_GetError(id);
    EXPECT_EQ(qCST(id, ""), "A=LT-50-DC \nB=LT-100-STEP\n");

    sims.at(kCom)->ClearTranscript();
    const double targets[2] = {1.0, -1.0};
    ASSERT_TRUE(Corvane_MOV(id, "AB", targets)) << Corvane_GetError(id);
    // the lines may still be on their way when MOV returns
    EXPECT_TRUE(sims.at(kCom)->WaitForLine(0, "MA2000", 10s));   // 2000 counts per mm
    EXPECT_TRUE(sims.at(kCom)->WaitForLine(1, "MA-3200", 10s));  // 200 full steps, 16 counts each
    ZR_BOOL moving[1] = {1};
    while (moving[0] && std::chrono::steady_clock::now() < deadline) {
        ASSERT_TRUE(Corvane_IsMoving(id, "", moving));
        std::this_thread::sleep_for(50ms);
    }
    double positions[2] = {0, 0};
    ASSERT_TRUE(Corvane_qPOS(id, "AB", positions));
    EXPECT_NEAR(positions[0], 1.0, 0.01);
    EXPECT_NEAR(positions[1], -1.0, 0.01);
}

}  // namespace
}  // namespace stagecat_test
