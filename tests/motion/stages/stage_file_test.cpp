// Stage database files on disk: creating, reading, adding, replacing and removing records, the
// checksum, protection, name rules, version probing and failed writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "StageTestSupport.h"
#include "ZR_Corvane_TAL.h"
#include "motion/stages/ByteOrder.h"
#include "motion/stages/Crc16.h"
#include "motion/stages/StageRecordV100.h"
#include "motion/stages/ZRStageInfoFile_V200.h"

namespace {

using namespace stage_test;

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new EmptyRegistry);

int32_t I32At(const std::vector<uint8_t>& bytes, std::size_t offset) {
    return stage_bytes::LoadLE<int32_t>(bytes.data() + offset);
}

// A version-200 file with the given records, written by the class itself.
std::string MakeDatabase(const TempFolder& folder, const std::string& name,
                         const std::vector<StageParameterSet>& sets) {
    const std::string path = folder.File(name);
    ZRStageInfoFile_V200 file;
    EXPECT_TRUE(file.OpenStageParameterFile(path));
    if (!sets.empty()) {
        EXPECT_TRUE(file.AddNStages_V200(sets.data(), int(sets.size())));
    }
    file.Close();
    return path;
}

void SetWriteFlag(const std::string& path, int32_t flag) {
    std::vector<uint8_t> bytes = ReadFile(path);
    stage_bytes::StoreLE(bytes.data() + 2044, flag);
    WriteFile(path, bytes);
}

class StageFile : public ::testing::Test {
  protected:
    TempFolder folder_;
};

TEST_F(StageFile, MissingUserDatabaseIsCreatedWritableWithRevision3) {
    const std::string path = folder_.File("corvaneuserstages2.dat");
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    EXPECT_TRUE(file.GetWritable());
    EXPECT_EQ(file.GetNumberOfStages(), 0);
    EXPECT_EQ(file.GetVersion(), 200);
    EXPECT_EQ(file.GetRevision(), 3);
    EXPECT_EQ(file.RecordSize(), 2048);
    const std::vector<uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 2048u);
    EXPECT_EQ(stage_bytes::LoadLE<uint16_t>(bytes.data()), 200);
    EXPECT_EQ(I32At(bytes, 2040), 3);
    EXPECT_EQ(I32At(bytes, 2044), 1);
}

TEST_F(StageFile, RecordsRoundTripThroughTheFile) {
    const StageParameterSet a = MakeSet("STAGE-A");
    const StageParameterSet b = MakeSet("stage-b", "ALL", 6);
    const std::string path = MakeDatabase(folder_, "user2.dat", {a});
    EXPECT_EQ(ReadFile(path).size(), 4096u);  // header and one record, no checksum

    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    ASSERT_TRUE(file.AddStage(b));
    file.Close();

    ASSERT_TRUE(file.OpenStageParameterFile(path));
    EXPECT_EQ(file.GetNumberOfStages(), 2);
    StageParameterSet got;
    ASSERT_TRUE(file.GetStageByName("STAGE-A", got));
    EXPECT_EQ(got, a);
    ASSERT_TRUE(file.GetStageByIndex(1, got));
    EXPECT_EQ(got, b);
    EXPECT_EQ(got.StageName(), "stage-b");              // stored as given
    EXPECT_FALSE(file.GetStageByName("STAGE-B", got));  // names compare exactly
    EXPECT_EQ(file.TakeError(), 0);
    EXPECT_FALSE(file.GetStageByIndex(2, got));
    EXPECT_EQ(file.TakeError(), ZR_STAGE_DOES_NOT_EXIST);
    EXPECT_FALSE(file.GetStageByName(std::string(32, 'A'), got));
    EXPECT_EQ(file.TakeError(), ZR_CNTR_INVALID_STAGE_NAME);
    const std::vector<uint8_t> bytes = ReadFile(path);
    EXPECT_EQ(bytes.size(), 3u * 2048);
    EXPECT_TRUE(std::equal(a.data(), a.data() + 2048, bytes.begin() + 2048));
    EXPECT_TRUE(std::equal(b.data(), b.data() + 2048, bytes.begin() + 4096));
}

TEST_F(StageFile, AChangeRewritesTheHeaderWithTimeAndRevisionText) {
    const std::string path = MakeDatabase(folder_, "user2.dat", {});
    const std::time_t before = std::time(nullptr);
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    ASSERT_TRUE(file.AddStage(MakeSet("S1")));
    const std::time_t after = std::time(nullptr);
    StageFileHeaderInfo info;
    ASSERT_TRUE(file.GetHeaderInfo(info));
    EXPECT_EQ(info.version, 200);
    EXPECT_EQ(info.revision, 0);  // revision field zero, the text says 03
    EXPECT_EQ(info.writeFlag, 1);
    std::tm t{};
    t.tm_year = info.year - 1900;
    t.tm_mon = info.month - 1;
    t.tm_mday = info.day;
    t.tm_hour = info.hour;
    t.tm_min = info.minute;
    t.tm_sec = info.second;
    t.tm_isdst = -1;
    const std::time_t stamped = std::mktime(&t);
    EXPECT_GE(stamped, before - 1);
    EXPECT_LE(stamped, after + 1);
    const std::vector<uint8_t> bytes = ReadFile(path);
    const std::string text(reinterpret_cast<const char*>(bytes.data() + 14));
    EXPECT_EQ(text, StageFileHeaderText(200, t, 3));
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 15 + text.size()), "#0072*");
}

TEST_F(StageFile, AddSeveralReplaceRemoveAndListNames) {
    const std::string path =
        MakeDatabase(folder_, "user2.dat", {MakeSet("A"), MakeSet("B"), MakeSet("C")});
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    char names[32];
    ASSERT_TRUE(file.ListNames(names, sizeof names));
    EXPECT_STREQ(names, "A \nB \nC\n");
    char small[8];  // "A \nB \nC\n" needs 9 bytes with the NUL
    std::memset(small, '#', sizeof small);
    EXPECT_FALSE(file.ListNames(small, sizeof small));
    EXPECT_EQ(file.TakeError(), COM_BUFFER_OVERFLOW);
    EXPECT_EQ(small[0], '#');

    ASSERT_TRUE(file.ReplaceStage(1, MakeSet("B2", "ALL", 2)));
    EXPECT_FALSE(file.ReplaceStage(3, MakeSet("X")));
    EXPECT_EQ(file.TakeError(), ZR_STAGE_DOES_NOT_EXIST);
    EXPECT_FALSE(file.ReplaceStage(-1, MakeSet("X")));
    EXPECT_EQ(file.TakeError(), ZR_STAGE_DOES_NOT_EXIST);

    ASSERT_TRUE(file.RemoveStage("A"));
    EXPECT_FALSE(file.RemoveStage("A"));
    EXPECT_EQ(file.TakeError(), ZR_STAGE_DOES_NOT_EXIST);
    EXPECT_FALSE(file.RemoveStage(std::string(32, 'A')));
    EXPECT_EQ(file.TakeError(), ZR_CNTR_INVALID_STAGE_NAME);
    file.Close();

    EXPECT_EQ(ReadFile(path).size(), 3u * 2048);
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    ASSERT_TRUE(file.ListNames(names, sizeof names));
    EXPECT_STREQ(names, "B2 \nC\n");
    StageParameterSet got;
    ASSERT_TRUE(file.GetStageByIndex(0, got));
    EXPECT_EQ(got, MakeSet("B2", "ALL", 2));
    ASSERT_TRUE(file.GetStageByIndex(1, got));
    EXPECT_EQ(got, MakeSet("C"));
}

TEST_F(StageFile, EmptyDatabaseListsNoNames) {
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(folder_.File("user2.dat")));
    char names[4] = "xyz";
    ASSERT_TRUE(file.ListNames(names, 1));
    EXPECT_STREQ(names, "");
    EXPECT_FALSE(file.ListNames(nullptr, 10));
}

TEST_F(StageFile, ReadAllStagesPrefersTheControllerFamilyOverAll) {
    const std::string path = MakeDatabase(
        folder_, "user2.dat",
        {MakeSet("S1", "ALL", 0), MakeSet("S1", "Corvane", 2), MakeSet("S2", "OTHER", 0),
         MakeSet("S3", "ALL", 6), MakeSet("S4", "CORVANE", 0), MakeSet("S4", "ALL", 2),
         MakeSet("S5", "all", 0)});
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    StageMap map;
    map.emplace("S3", MakeSet("S3", "CORVANE", 0));  // already there: an "ALL" record adds nothing
    ASSERT_TRUE(file.ReadAllStages(map, "CORVANE"));
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(map.at("S1").Get(StageFields::kMotType), 2);
    EXPECT_EQ(map.at("S3").ControllerType(), "CORVANE");
    EXPECT_EQ(map.at("S4").Get(StageFields::kMotType), 0);
    EXPECT_EQ(map.count("S2"), 0u);
    EXPECT_EQ(map.count("S5"), 0u);  // "ALL" must be upper case
}

TEST_F(StageFile, OperationsNeedAnOpenFileAndOneFileAtATime) {
    ZRStageInfoFile_V200 file;
    StageParameterSet set;
    char names[8];
    EXPECT_FALSE(file.GetStageByIndex(0, set));
    EXPECT_EQ(file.TakeError(), ZR_NO_PARAMETER_FILE_OPEN);
    EXPECT_FALSE(file.AddStage(MakeSet("A")));
    EXPECT_EQ(file.TakeError(), ZR_NO_PARAMETER_FILE_OPEN);
    EXPECT_FALSE(file.RemoveStage("A"));
    EXPECT_EQ(file.TakeError(), ZR_NO_PARAMETER_FILE_OPEN);
    EXPECT_FALSE(file.ListNames(names, sizeof names));
    EXPECT_EQ(file.TakeError(), ZR_NO_PARAMETER_FILE_OPEN);
    EXPECT_FALSE(file.MakeCRC());
    EXPECT_EQ(file.TakeError(), ZR_NO_PARAMETER_FILE_OPEN);

    ASSERT_TRUE(file.OpenStageParameterFile(folder_.File("one2.dat")));
    EXPECT_FALSE(file.OpenStageParameterFile(folder_.File("two2.dat")));
    EXPECT_EQ(file.TakeError(), ZR_PARAMETER_FILE_ALREADY_OPEN);
    EXPECT_EQ(file.GetPath(), folder_.File("one2.dat"));
    EXPECT_FALSE(std::filesystem::exists(folder_.File("two2.dat")));
}

TEST_F(StageFile, RecordBuffersOfTheWrongSizeAreRefused) {
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(folder_.File("user2.dat")));
    ASSERT_TRUE(file.AddStage(MakeSet("A")));
    std::vector<uint8_t> small(256);
    EXPECT_FALSE(file.GetStageByIndex(0, std::span<uint8_t>(small)));
    EXPECT_EQ(file.TakeError(), ZR_INVALID_ARGUMENT);
    EXPECT_FALSE(file.AddStage(std::span<const uint8_t>(small)));
    EXPECT_EQ(file.TakeError(), ZR_INVALID_ARGUMENT);
    EXPECT_FALSE(file.AddNStages_V200(nullptr, 1));
    EXPECT_EQ(file.TakeError(), ZR_INVALID_ARGUMENT);
    EXPECT_EQ(file.GetNumberOfStages(), 1);
}

TEST_F(StageFile, SameNameTwiceForTheSameControllerTypeIsRefused) {
    const std::string path = MakeDatabase(folder_, "user2.dat", {MakeSet("DUP", "CORVANE")});
    const std::vector<uint8_t> before = ReadFile(path);
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    EXPECT_FALSE(file.AddStage(MakeSet("DUP", "corvane")));
    EXPECT_EQ(file.TakeError(), ZR_STAGE_NAME_NOT_UNIQUE);
    // a batch is checked as a whole: nothing of it is added
    const StageParameterSet batch[] = {MakeSet("NEW"), MakeSet("DUP", "CORVANE")};
    EXPECT_FALSE(file.AddNStages_V200(batch, 2));
    EXPECT_EQ(file.TakeError(), ZR_STAGE_NAME_NOT_UNIQUE);
    const StageParameterSet twice[] = {MakeSet("TWIN"), MakeSet("TWIN")};
    EXPECT_FALSE(file.AddNStages_V200(twice, 2));
    EXPECT_EQ(file.TakeError(), ZR_STAGE_NAME_NOT_UNIQUE);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(file.GetNumberOfStages(), 1);
    // the same name for another controller type is a different stage
    EXPECT_TRUE(file.AddStage(MakeSet("DUP", "ALL")));
    EXPECT_EQ(file.GetNumberOfStages(), 2);
}

TEST_F(StageFile, InvalidNamesAreRefusedWith16) {
    const std::string path = MakeDatabase(folder_, "user2.dat", {});
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    for (const char* bad : {"A B", "A/B", "TAB\tX", "STAR*"}) {
        EXPECT_FALSE(file.AddStage(MakeSet(bad))) << bad;
        EXPECT_EQ(file.TakeError(), ZR_CNTR_INVALID_STAGE_NAME) << bad;
        const StageParameterSet one[] = {MakeSet(bad)};
        EXPECT_FALSE(file.AddNStages_V200(one, 1)) << bad;
        EXPECT_EQ(file.TakeError(), ZR_CNTR_INVALID_STAGE_NAME) << bad;
    }
    StageParameterSet unterminated = MakeSet("");
    std::memset(unterminated.data() + 0x7E0, 'A', 32);  // 32 characters, no NUL
    EXPECT_FALSE(file.AddStage(unterminated));
    EXPECT_EQ(file.TakeError(), ZR_CNTR_INVALID_STAGE_NAME);
    EXPECT_EQ(ReadFile(path).size(), 2048u);
    ASSERT_TRUE(file.AddStage(MakeSet("x-12.ab")));
    StageParameterSet got;
    ASSERT_TRUE(file.GetStageByName("x-12.ab", got));
    EXPECT_EQ(got.StageName(), "x-12.ab");
}

TEST_F(StageFile, ProtectedFileRefusesEveryEdit) {
    const std::string path = MakeDatabase(folder_, "locked2.dat", {MakeSet("A"), MakeSet("B")});
    SetWriteFlag(path, 0);
    const std::vector<uint8_t> before = ReadFile(path);
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    EXPECT_FALSE(file.GetWritable());
    const StageParameterSet one[] = {MakeSet("C")};
    EXPECT_FALSE(file.AddStage(MakeSet("C")));
    EXPECT_EQ(file.TakeError(), ZR_PARAMETER_FILE_PROTECTED);
    EXPECT_FALSE(file.AddNStages_V200(one, 1));
    EXPECT_EQ(file.TakeError(), ZR_PARAMETER_FILE_PROTECTED);
    EXPECT_FALSE(file.ReplaceStage(0, MakeSet("C")));
    EXPECT_EQ(file.TakeError(), ZR_PARAMETER_FILE_PROTECTED);
    EXPECT_FALSE(file.RemoveStage("A"));
    EXPECT_EQ(file.TakeError(), ZR_PARAMETER_FILE_PROTECTED);
    EXPECT_FALSE(file.WriteImage());
    EXPECT_EQ(file.TakeError(), ZR_PARAMETER_FILE_PROTECTED);
    file.Close();
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(StageFile, RevisionAboveThreeIsReadOnly) {
    const std::string path = MakeDatabase(folder_, "later2.dat", {MakeSet("A")});
    std::vector<uint8_t> bytes = ReadFile(path);
    stage_bytes::StoreLE<int32_t>(bytes.data() + 2040, 4);
    WriteFile(path, bytes);
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    EXPECT_EQ(file.GetRevision(), 4);
    EXPECT_FALSE(file.GetWritable());
    EXPECT_FALSE(file.AddStage(MakeSet("B")));
    EXPECT_EQ(file.TakeError(), ZR_PARAMETER_FILE_PROTECTED);
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(StageFile, MakerDatabaseIsReadOnlyWhateverItsFlagSays) {
    for (const char* name : {"zrstages2.dat", "ZrStages2.DAT", "ZRSTAGES.DAT"}) {
        const std::string built = MakeDatabase(folder_, "build2.dat", {MakeSet("M1")});
        const std::string path = folder_.File(name);
        std::filesystem::rename(built, path);
        ZRStageInfoFile_V200 file;
        ASSERT_TRUE(file.OpenStageParameterFile(path)) << name;
        EXPECT_FALSE(file.GetWritable()) << name;
        EXPECT_FALSE(file.AddStage(MakeSet("M2")));
        EXPECT_EQ(file.TakeError(), ZR_PARAMETER_FILE_PROTECTED);
        file.Close();
        // the file now says so itself; its revision is kept
        const std::vector<uint8_t> bytes = ReadFile(path);
        EXPECT_EQ(I32At(bytes, 2044), 0) << name;
        EXPECT_EQ(bytes.size(), 4096u);
        std::filesystem::remove(path);
    }
}

TEST_F(StageFile, MissingMakerDatabaseIsNeverCreated) {
    ZRStageInfoFile_V200 file;
    EXPECT_FALSE(file.OpenStageParameterFile(folder_.File("zrstages2.dat")));
    EXPECT_EQ(file.TakeError(), ZR_STAGE_DATABASE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(folder_.File("zrstages2.dat")));
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(StageFile, WritableOverrideOpensAMakerDatabaseForEditing) {
    const std::string built = MakeDatabase(folder_, "build2.dat", {MakeSet("M1")});
    const std::string path = folder_.File("zrstages2.dat");
    std::filesystem::rename(built, path);
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path, {.writableOverride = true}));
    EXPECT_TRUE(file.GetWritable());
    EXPECT_TRUE(file.AddStage(MakeSet("M2")));
}

TEST_F(StageFile, MakeCRCAppendsTheChecksumOfHeaderAndRecords) {
    const std::string path = MakeDatabase(folder_, "user2.dat", {MakeSet("A"), MakeSet("B")});
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    ASSERT_TRUE(file.MakeCRC());
    const std::vector<uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 3u * 2048 + 2);
    const uint16_t crc = Crc16(std::span<const uint8_t>(bytes.data(), 3 * 2048));
    EXPECT_EQ(stage_bytes::LoadLE<uint16_t>(bytes.data() + 3 * 2048), crc);
    EXPECT_EQ(file.GetLastCRC(), crc);
    EXPECT_EQ(file.GetNumberOfStages(), 2);  // the checksum is no record
    EXPECT_TRUE(file.CheckCRC());
    file.Close();
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    EXPECT_EQ(file.GetLastCRC(), -1);  // nothing checked since this open

    // a record added later takes the checksum's place; two unfilled bytes stay at the end
    ASSERT_TRUE(file.AddStage(MakeSet("C")));
    const std::vector<uint8_t> grown = ReadFile(path);
    ASSERT_EQ(grown.size(), 4u * 2048 + 2);
    EXPECT_EQ(grown[4 * 2048], 0);
    EXPECT_EQ(grown[4 * 2048 + 1], 0);
    StageParameterSet got;
    ASSERT_TRUE(file.GetStageByIndex(2, got));
    EXPECT_EQ(got, MakeSet("C"));
}

TEST_F(StageFile, ProtectedModeChecksTheChecksumOfAReadOnlyFile) {
    const std::string path = MakeDatabase(folder_, "single.dat", {MakeSet("ONE")});
    SetWriteFlag(path, 0);
    const std::vector<uint8_t> plain = ReadFile(path);

    {  // opened normally: no checksum work
        ZRStageInfoFile_V200 file;
        ASSERT_TRUE(file.OpenStageParameterFile(path));
        EXPECT_EQ(file.GetLastCRC(), -1);
    }
    EXPECT_EQ(ReadFile(path), plain);

    {  // protected mode without checksum: it is appended
        ZRStageInfoFile_V200 file;
        ASSERT_TRUE(file.OpenStageParameterFile(path, {.protectedMode = true}));
        EXPECT_NE(file.GetLastCRC(), -1);
    }
    std::vector<uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), plain.size() + 2);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), bytes.begin()));

    {  // valid checksum
        ZRStageInfoFile_V200 file;
        EXPECT_TRUE(file.OpenStageParameterFile(path, {.protectedMode = true}));
    }
    bytes[2048 + 0x100] ^= 0x01;  // a flipped bit in the record
    WriteFile(path, bytes);
    {
        ZRStageInfoFile_V200 file;
        EXPECT_FALSE(file.OpenStageParameterFile(path, {.protectedMode = true}));
        EXPECT_EQ(file.TakeError(), ZR_CANNOT_OPEN_PARAMETER_FILE);
        EXPECT_FALSE(file.IsOpen());
        ZRStageInfoFile_V200 normal;  // an ordinary open does not look at it
        EXPECT_TRUE(normal.OpenStageParameterFile(path));
    }
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(StageFile, VersionConflictsFailWithoutTouchingTheFile) {
    const std::string v200 = MakeDatabase(folder_, "new2.dat", {MakeSet("A")});
    const std::vector<uint8_t> bytes200 = ReadFile(v200);
    ZRStageInfoFile old;
    EXPECT_FALSE(old.OpenStageParameterFile(v200));
    EXPECT_EQ(old.TakeError(), ZR_CANNOT_OPEN_PARAMETER_FILE);
    EXPECT_EQ(ReadFile(v200), bytes200);

    // an old file shorter than one new record is not mistaken for an empty new database
    const std::string v100 = folder_.File("old.dat");
    std::filesystem::copy_file(Fixture("stages_v100.dat"), v100);
    const std::vector<uint8_t> bytes100 = ReadFile(v100);
    ZRStageInfoFile_V200 current;
    EXPECT_FALSE(current.OpenStageParameterFile(v100));
    EXPECT_EQ(current.TakeError(), ZR_CANNOT_OPEN_PARAMETER_FILE);
    EXPECT_EQ(ReadFile(v100), bytes100);

    EXPECT_EQ(StageFileVersion(v200), 200);
    EXPECT_EQ(StageFileVersion(v100), 100);
    EXPECT_EQ(StageFileVersion(folder_.File("missing2.dat")), 0);
    EXPECT_FALSE(std::filesystem::exists(folder_.File("missing2.dat")));
    EXPECT_EQ(ReadFile(v100), bytes100);
}

TEST_F(StageFile, OldUserDatabaseReadsThroughTheConversion) {
    const std::string path = folder_.File("corvaneuserstages.dat");
    std::filesystem::copy_file(Fixture("stages_v100.dat"), path);
    ZRStageInfoFile old;
    ASSERT_TRUE(old.OpenStageParameterFile(
        path, {.protectedMode = true, .writes = StageFileWrites::kExistingOnly}));
    EXPECT_EQ(old.GetVersion(), 100);
    EXPECT_EQ(old.RecordSize(), 256);
    EXPECT_EQ(old.GetNumberOfStages(), 2);
    EXPECT_TRUE(old.GetWritable());
    char names[32];
    ASSERT_TRUE(old.ListNames(names, sizeof names));
    EXPECT_STREQ(names, "M-511A \nOLD-2\n");
    StageRecordV100 record;
    ASSERT_TRUE(old.GetStageByName("OLD-2", record.Bytes()));
    EXPECT_EQ(record.Name(), "OLD-2");
    EXPECT_FALSE(old.GetStageByName(std::string(16, 'A'), record.Bytes()));
    EXPECT_EQ(old.TakeError(), ZR_CNTR_INVALID_STAGE_NAME);
    StageMap map;
    ASSERT_TRUE(old.ReadAllStages(map, "CORVANE"));
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map.at("OLD-2"), record.ToV200(false));
    ASSERT_TRUE(old.GetStageByName("M-511A", record.Bytes()));
    EXPECT_EQ(map.at("M-511A"), record.ToV200(false));
    EXPECT_EQ(map.at("OLD-2").ControllerType(), "ALL");
    EXPECT_FALSE(old.AddNStages_V200(nullptr, 0));  // no such operation for the old layout

    // Import into a new user database, as the catalogue does it: full conversion, AddStage.
    ZRStageInfoFile_V200 user;
    ASSERT_TRUE(user.OpenStageParameterFile(folder_.File("corvaneuserstages2.dat")));
    for (int k = 0; k < old.GetNumberOfStages(); ++k) {
        StageRecordV100 r;
        ASSERT_TRUE(old.GetStageByIndex(k, r.Bytes()));
        ASSERT_TRUE(user.AddStage(r.ToV200(true)));
    }
    EXPECT_EQ(user.GetNumberOfStages(), 2);
    EXPECT_EQ(ReadFile(folder_.File("corvaneuserstages2.dat")).size(), 3u * 2048);
}

TEST_F(StageFile, OldLayoutHeaderRewriteSetsItsWriteFlag) {
    const std::string path = folder_.File("corvaneuserstages.dat");
    std::filesystem::copy_file(Fixture("stages_v100.dat"), path);
    ZRStageInfoFile old;
    ASSERT_TRUE(old.OpenStageParameterFile(path));
    ASSERT_TRUE(old.RemoveStage("M-511A"));
    const std::vector<uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(I32At(bytes, 252), 1);
    EXPECT_EQ(stage_bytes::LoadLE<uint16_t>(bytes.data()), 100);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 14), 22),
              "Achsenparameter V1.00 ");
    EXPECT_EQ(StageRecordV100(std::span<const uint8_t, 256>(bytes.data() + 256, 256)).Name(),
              "OLD-2");
}

// ---- failed writes leave the old file as it was ----

struct FailingChange {
    const char* what;
    rlim_t limit;  // largest file this process may write meanwhile
    bool (*change)(ZRStageInfoFile_V200&);
};

const FailingChange kFailingChanges[] = {
    {"add", 3 * 2048, [](ZRStageInfoFile_V200& f) { return f.AddStage(MakeSet("NEW")); }},
    {"add several", 3 * 2048,
     [](ZRStageInfoFile_V200& f) {
         const StageParameterSet sets[] = {MakeSet("N1"), MakeSet("N2")};
         return f.AddNStages_V200(sets, 2);
     }},
    {"replace", 4000, [](ZRStageInfoFile_V200& f) { return f.ReplaceStage(0, MakeSet("R")); }},
    {"remove", 1000, [](ZRStageInfoFile_V200& f) { return f.RemoveStage("A"); }},
    {"checksum", 4000, [](ZRStageInfoFile_V200& f) { return f.MakeCRC(); }},
};

TEST_F(StageFile, FullDiskLeavesTheOldFileByteForByte) {
    for (const FailingChange& c : kFailingChanges) {
        SCOPED_TRACE(c.what);
        const std::string path = MakeDatabase(folder_, "user2.dat", {MakeSet("A"), MakeSet("B")});
        const std::vector<uint8_t> before = ReadFile(path);
        ZRStageInfoFile_V200 file;
        ASSERT_TRUE(file.OpenStageParameterFile(path));
        bool changed;
        {
            FileSizeLimit full(c.limit);
            changed = c.change(file);
        }
        EXPECT_FALSE(changed);
        EXPECT_EQ(file.TakeError(), ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"user2.dat"});  // no left-overs
        // the object still holds the old content and works on
        EXPECT_EQ(file.GetNumberOfStages(), 2);
        StageParameterSet got;
        ASSERT_TRUE(file.GetStageByIndex(0, got));
        EXPECT_EQ(got, MakeSet("A"));
        EXPECT_TRUE(file.AddStage(MakeSet("LATER")));
        EXPECT_EQ(ReadFile(path).size(), 4u * 2048);
        file.Close();
        std::filesystem::remove(path);
    }
}

TEST_F(StageFile, ReadOnlyFolderLeavesTheOldFileByteForByte) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string path = MakeDatabase(folder_, "user2.dat", {MakeSet("A")});
    const std::vector<uint8_t> before = ReadFile(path);
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(file.AddStage(MakeSet("B")));
    EXPECT_EQ(file.TakeError(), ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(StageFile, FileInAFolderThatIsAFileCannotBeCreated) {
    WriteFile(folder_.File("plain"), {1, 2, 3});
    ZRStageInfoFile_V200 file;
    EXPECT_FALSE(file.OpenStageParameterFile(folder_.File("plain") + "/user2.dat"));
    EXPECT_EQ(file.TakeError(), ZR_CANNOT_OPEN_PARAMETER_FILE);
    EXPECT_EQ(ReadFile(folder_.File("plain")), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(file.OpenStageParameterFile(folder_.path().string()));  // a folder
    EXPECT_EQ(file.TakeError(), ZR_CANNOT_OPEN_PARAMETER_FILE);
}

TEST_F(StageFile, RewriteKeepsPermissionsAndSymbolicLinks) {
    const std::string path = MakeDatabase(folder_, "user2.dat", {MakeSet("A")});
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    const std::string link = folder_.File("link2.dat");
    std::filesystem::create_symlink(path, link);
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(link));
    ASSERT_TRUE(file.AddStage(MakeSet("B")));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(path).size(), 3u * 2048);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read);
}

TEST_F(StageFile, NoCreateProbeWritesNothing) {
    WriteFile(folder_.File("empty2.dat"), {});
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(folder_.File("empty2.dat"),
                                            {.writes = StageFileWrites::kNothing}));
    EXPECT_EQ(file.GetNumberOfStages(), 0);
    file.Close();
    EXPECT_TRUE(ReadFile(folder_.File("empty2.dat")).empty());
    EXPECT_FALSE(file.OpenStageParameterFile(folder_.File("absent2.dat"),
                                             {.writes = StageFileWrites::kNothing}));
    EXPECT_EQ(file.TakeError(), ZR_CANNOT_OPEN_PARAMETER_FILE);
    EXPECT_FALSE(std::filesystem::exists(folder_.File("absent2.dat")));
}

TEST_F(StageFile, ProtectedModeNeverCreatesAFile) {
    ZRStageInfoFile old;
    EXPECT_FALSE(
        old.OpenStageParameterFile(folder_.File("corvaneuserstages.dat"), {.protectedMode = true}));
    EXPECT_EQ(old.TakeError(), ZR_CANNOT_OPEN_PARAMETER_FILE);
    ZRStageInfoFile_V200 single;
    EXPECT_FALSE(
        single.OpenStageParameterFile(folder_.File("single.dat"), {.protectedMode = true}));
    EXPECT_EQ(single.TakeError(), ZR_CANNOT_OPEN_PARAMETER_FILE);
    EXPECT_TRUE(folder_.Entries().empty());
}

TEST_F(StageFile, PathIsTrimmedOfBlanks) {
    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(" \t" + folder_.File("user2.dat") + "\r\n"));
    EXPECT_EQ(file.GetPath(), folder_.File("user2.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder_.File("user2.dat")));
}

}  // namespace
