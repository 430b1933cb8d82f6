// The stage catalogue through the exported functions: where the stages come from and in which
// priority, the files it must never write, and what it tells when files are missing or damaged.
#include <algorithm>

#include "tests/motion/stagecat/StageCatalogueFixture.h"

namespace stagecat_test {
namespace {

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += n + " \n";
    return text + "NOSTAGE\n";
}

TEST_F(StageCatalogueTest, MakerBeatsUserBeatsSingleStageFiles) {
    WriteMakerDatabase({{"SHARED", 0, 111}, {"MAKER-ONLY", 0, 112}});
    WriteUserDatabase({{"SHARED", 0, 222}, {"USER-ONLY", 0, 223}, {"SINGLE", 0, 224}});
    WriteSingleStageFile("a-single.dat", {{"SINGLE", 0, 333}});
    WriteSingleStageFile("b-shared.dat", {{"SHARED", 0, 334}});
    WriteSingleStageFile("c-own.dat", {{"OWN-SINGLE", 0, 335}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);

    EXPECT_EQ(qVST(id), Join({"MAKER-ONLY", "OWN-SINGLE", "SHARED", "SINGLE", "USER-ONLY"}));

    // The set that wins is the one the board gets at INI.
    const struct {
        const char* name;
        const char* line;
    } cases[] = {{"shared", "DP111"}, {"SINGLE", "DP224"}, {"own-single", "DP335"}};
    for (const auto& c : cases) {
        sims.at(kCom)->ClearTranscript();
        ASSERT_TRUE(Corvane_CST(id, "A", c.name)) << c.name << " " << Corvane_GetError(id);
        EXPECT_TRUE(Lines(0).empty()) << "CST itself sends nothing";
        ASSERT_TRUE(Corvane_INI(id, "A")) << Corvane_GetError(id);
        const auto lines = Lines(0);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.name;
        EXPECT_NE(std::find(lines.begin(), lines.end(), "DI10"), lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "DD500"), lines.end());
    }
}

TEST_F(StageCatalogueTest, RecordForTheControllerTypeBeatsAllRecordInOneFile) {
    WriteMakerDatabase({{"TUNED", 0, 100, 1000, "ALL"},
                        {"TUNED", 0, 150, 1000, "corvane"},
                        {"OTHER", 0, 160, 1000, "HEXFAMILY"}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qVST(id), Join({"TUNED"}));
    ASSERT_TRUE(Corvane_CST(id, "A", "TUNED"));
    ASSERT_TRUE(Corvane_INI(id, "A"));
    const auto lines = Lines(0);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DP150"), lines.end());
}

TEST_F(StageCatalogueTest, OnlyStageTypesOfCorvaneBoardsAreOffered) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    WriteUserDatabase(
        {{"VOICE", 2}, {"STEPPER", 6}, {"OTHER-4", 4}, {"OTHER-7", 7}, {"NOSTAGE", 0}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qVST(id), Join({"MAKER-DC", "STEPPER", "VOICE"}));
    EXPECT_FALSE(Corvane_CST(id, "A", "OTHER-4"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_STAGE_NAME);
}

TEST_F(StageCatalogueTest, OldUserDatabaseIsConvertedOnceAndLeftAsItWas) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    WriteOldUserDatabase({OldRecord("OLD-ONE", 321), OldRecord("OLD-TWO", 322)});
    const Bytes old = ReadFile(StageFolderEnvironment::File("corvaneuserstages.dat"));
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);

    EXPECT_EQ(qVST(id), Join({"MAKER-DC", "OLD-ONE", "OLD-TWO"}));
    EXPECT_EQ(qVST(id), Join({"MAKER-DC", "OLD-ONE", "OLD-TWO"}));
    const auto converted = StagesOf(StageFolderEnvironment::File("corvaneuserstages2.dat"));
    ASSERT_EQ(converted.size(), 2u) << "converted once, not at every call";
    EXPECT_EQ(converted[0].StageName(), "OLD-ONE");
    EXPECT_EQ(converted[0].ControllerType(), "ALL");
    EXPECT_EQ(ReadFile(StageFolderEnvironment::File("corvaneuserstages.dat")), old);

    ASSERT_TRUE(Corvane_CST(id, "A", "old-two"));
    ASSERT_TRUE(Corvane_INI(id, "A"));
    const auto lines = Lines(0);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DP322"), lines.end());
}

TEST_F(StageCatalogueTest, SingleStageFilesThatDoNotQualifyAreSkipped) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    WriteSingleStageFile("bad-crc.dat", {{"BAD-CRC", 0}}, false);
    WriteSingleStageFile("two.dat", {{"TWO-A", 0}, {"TWO-B", 0}});
    WriteSingleStageFile("upper.DAT", {{"UPPER-EXT", 0}});
    WriteSingleStageFile("good.dat", {{"GOOD", 0}});
    WriteSingleStageFile("other.txt", {{"NOT-DAT", 0}});
    {
        // a writable file is a user database, not a single-stage file
        ZRStageInfoFile_V200 file;
        file.SetUseTALTranslatorDirectory(false);
        ASSERT_TRUE(file.OpenStageParameterFile(StageFolderEnvironment::File("writable.dat")));
        const StageParameterSet set = StageRecipe{"WRITABLE", 0}.Make();
        ASSERT_TRUE(file.AddStage(set));
        ASSERT_TRUE(file.MakeCRC());
    }
    const Bytes bad = ReadFile(StageFolderEnvironment::File("bad-crc.dat"));
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qVST(id), Join({"GOOD", "MAKER-DC", "UPPER-EXT"}));
    EXPECT_EQ(ReadFile(StageFolderEnvironment::File("bad-crc.dat")), bad);
}

TEST_F(StageCatalogueTest, ReadOnlySingleStageFileWithoutChecksumGetsOne) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    Bytes image = BuildMakerDatabaseImage(Sets({{"NO-CRC-YET", 0}}));
    image.resize(image.size() - 2);
    WriteFile(StageFolderEnvironment::File("nocrc.dat"), image);
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qVST(id), Join({"MAKER-DC", "NO-CRC-YET"}));
    const Bytes after = ReadFile(StageFolderEnvironment::File("nocrc.dat"));
    ASSERT_EQ(after.size(), image.size() + 2);
    EXPECT_EQ(CheckStageFileChecksum(after), StageChecksum::Valid);
}

TEST_F(StageCatalogueTest, UnrelatedDatFilesAreNeverWritten) {
    WriteMakerDatabase({{"MAKER-DC", 0}});
    const struct {
        const char* name;
        Bytes content;
    } files[] = {{"empty.dat", {}},
                 {"one.dat", {0x41}},
                 {"zeros.dat", Bytes(100, 0)},
                 {"looks-like-200.dat", {0xC8, 0x00, 0x01, 0x02}},
                 {"notes.dat", {'h', 'e', 'l', 'l', 'o', '\n'}},
                 {"header-only.dat", BuildMakerDatabaseImage({})}};
    for (const auto& f : files) WriteFile(StageFolderEnvironment::File(f.name), f.content);
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qVST(id), Join({"MAKER-DC"}));
    EXPECT_FALSE(Corvane_CST(id, "A", "NOTES"));
    for (const auto& f : files)
        EXPECT_EQ(ReadFile(StageFolderEnvironment::File(f.name)), f.content) << f.name;
}

TEST_F(StageCatalogueTest, NoStageFilesAtAll) {
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qVST(id), "failed " + std::to_string(ZR_STAGE_DATABASE_NOT_FOUND));
    EXPECT_FALSE(Corvane_CST(id, "A", "ANY"));
    EXPECT_EQ(Corvane_GetError(id), ZR_STAGE_DATABASE_NOT_FOUND);
    // the user database is created all the same, empty
    const Bytes user = ReadFile(StageFolderEnvironment::File("corvaneuserstages2.dat"));
    EXPECT_EQ(user.size(), StageParameterSet::kSize);
    EXPECT_FALSE(std::filesystem::exists(StageFolderEnvironment::File("zrstages2.dat")));
}

TEST_F(StageCatalogueTest, WithoutMakerDatabaseTheUserStagesServe) {
    WriteUserDatabase({{"X", 0, 444}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qVST(id), "X \nNOSTAGE\n");
    EXPECT_TRUE(Corvane_CST(id, "A", "X"));
    EXPECT_FALSE(Corvane_CST(id, "A", "Y"));
    EXPECT_EQ(Corvane_GetError(id), ZR_STAGE_DATABASE_NOT_FOUND);
}

TEST_F(StageCatalogueTest, DamagedUserDatabaseIsRefusedAndLeftUntouched) {
    Bytes oldLayout(4096, 0);
    stage_bytes::StoreLE<uint16_t>(oldLayout.data(), 100);
    WriteUserDatabase({{"CUT", 0}});
    Bytes cutOff = ReadFile(StageFolderEnvironment::File("corvaneuserstages2.dat"));
    cutOff.resize(cutOff.size() - 1000);
    Bytes shortHeader(1000, 0);
    stage_bytes::StoreLE<uint16_t>(shortHeader.data(), 200);
    const struct {
        const char* what;
        Bytes content;
    } cases[] = {{"other layout", oldLayout}, {"cut-off record", cutOff}, {"short", shortHeader}};
    WriteMakerDatabase({{"MAKER-DC", 0}});
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    ASSERT_TRUE(Corvane_CST(id, "A", "MAKER-DC"));
    const std::string user = StageFolderEnvironment::File("corvaneuserstages2.dat");
    for (const auto& c : cases) {
        WriteFile(user, c.content);
        EXPECT_EQ(qVST(id), Join({"MAKER-DC"})) << c.what;
        EXPECT_FALSE(Corvane_AddStage(id, "A")) << c.what;
        EXPECT_EQ(Corvane_GetError(id), ZR_CANNOT_CREATE_PARAMETER_DAT_FILE) << c.what;
        EXPECT_FALSE(Corvane_RemoveStage(id, "MAKER-DC")) << c.what;
        EXPECT_EQ(Corvane_GetError(id), ZR_CANNOT_CREATE_PARAMETER_DAT_FILE) << c.what;
        EXPECT_EQ(ReadFile(user), c.content) << c.what;
    }
}

TEST_F(StageCatalogueTest, ShippedDatabaseIsOfferedAsBuilt) {
    const std::string shipped = std::string(ZR_BUILD_DIR) + "/stages/zrstages2.dat";
    ASSERT_TRUE(std::filesystem::exists(shipped)) << "built by the zrstages target";
    EXPECT_EQ(CheckStageFileChecksum(ReadFile(shipped)), StageChecksum::Valid);
    std::filesystem::copy_file(shipped, StageFolderEnvironment::File("zrstages2.dat"));
    const int id = ConnectMixed();
    ASSERT_GE(id, 0);
    EXPECT_EQ(qVST(id), Join({"LT-100-STEP", "LT-25-DC-NR", "LT-50-DC", "ROT-360-DC",
                              "ROT-360-STEP", "VC-5-LIN"}));
    ASSERT_TRUE(Corvane_CST(id, "AB", "LT-50-DC LT-100-STEP")) << Corvane_GetError(id);
    EXPECT_EQ(qCST(id, ""), "A=LT-50-DC \nB=LT-100-STEP\n");
    sims.at(kCom)->ClearTranscript();
    ASSERT_TRUE(Corvane_INI(id, "AB")) << Corvane_GetError(id);
    // 2000 counts per mm at 5 mm/s; 200 full steps per mm, 16 counts each, at 5 mm/s
    const auto servo = Lines(0);
    EXPECT_NE(std::find(servo.begin(), servo.end(), "SV10000"), servo.end());
    EXPECT_NE(std::find(servo.begin(), servo.end(), "DP200"), servo.end());
    const auto stepper = Lines(1);
    EXPECT_NE(std::find(stepper.begin(), stepper.end(), "SV16000"), stepper.end());
    EXPECT_NE(std::find(stepper.begin(), stepper.end(), "DC5"), stepper.end());
}

}  // namespace
}  // namespace stagecat_test
