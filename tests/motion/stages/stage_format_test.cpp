// Checksum, parameter set layout, name rules and header block of the stage database files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "motion/stages/Crc16.h"
#include "motion/stages/StageFileHeader.h"
#include "motion/stages/StageName.h"
#include "motion/stages/StageParameterSet.h"

namespace {

std::span<const uint8_t> Bytes(const char* text) {
    return {reinterpret_cast<const uint8_t*>(text), std::strlen(text)};
}

TEST(Crc16, StandardCheckInputGivesTheX25CheckValue) {
    EXPECT_EQ(Crc16X25(Bytes("123456789")), 0x906E);
    EXPECT_EQ(Crc16(Bytes("123456789")), 0x6E90);  // byte-swapped as the files carry it
}

TEST(Crc16, StoredLittleEndianTheFileHoldsTheX25ValueMostSignificantByteFirst) {
    const uint16_t crc = Crc16(Bytes("123456789"));
    uint8_t stored[2];
    stage_bytes::StoreLE(stored, crc);
    EXPECT_EQ(stored[0], 0x90);
    EXPECT_EQ(stored[1], 0x6E);
}

TEST(Crc16, EmptyAndSingleBytes) {
    EXPECT_EQ(Crc16({}), 0);
    EXPECT_EQ(Crc16X25({}), 0);
    // One zero byte: reflected 0x1021 from 0xFFFF, complemented.
    const uint8_t zero = 0;
    EXPECT_EQ(Crc16X25({&zero, 1}), 0xF078);
    EXPECT_EQ(Crc16({&zero, 1}), 0x78F0);
}

TEST(StageParameterSet, NamedFieldsSitAtTheirOffsetsLittleEndian) {
    StageParameterSet set;
    set.Set(StageFields::kMotType, 6);
    set.Set(StageFields::kMotCpuZ, int64_t{0x0102030405060708});
    set.Set(StageFields::kMotFactor, 2.5);
    set.Set(StageFields::kReferenceResult, -2);
    EXPECT_EQ(set.data()[0x000], 6);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(set.data()[0x04C + i], 8 - i);
    double factor;
    std::memcpy(&factor, set.data() + 0x044, 8);
    EXPECT_EQ(factor, 2.5);
    EXPECT_EQ(set.GetAt<int32_t>(0x5C8), -2);
    EXPECT_EQ(set.Get(StageFields::kMotCpuZ), 0x0102030405060708);
}

TEST(StageParameterSet, OffsetsOfTheNamedFields) {
    using namespace StageFields;
    struct {
        std::size_t actual, expected;
    } const cases[] = {
        {kMotMinTravel.kOffset, 0x004},
        {kMotMaxTravel.kOffset, 0x00C},
        {kMotWertBeiRef.kOffset, 0x014},
        {kMotAbsNegRef.kOffset, 0x024},
        {kMotAbsPosRef.kOffset, 0x02C},
        {kMotFactor.kOffset, 0x044},
        {kMotCpuN.kOffset, 0x054},
        {kMotInvert.kOffset, 0x060},
        {kMotRadial.kOffset, 0x064},
        {kMotHatRef.kOffset, 0x068},
        {kMotRefInvert.kOffset, 0x06C},
        {kMotNoLimitSwitch.kOffset, 0x070},
        {kMotHatBremse.kOffset, 0x074},
        {kMotAchsLimMode.kOffset, 0x078},
        {kMotSettleTimeSec.kOffset, 0x204},
        {kMotSettleWindow.kOffset, 0x20C},
        {kMotP.kOffset, 0x244},
        {kMotI.kOffset, 0x248},
        {kMotD.kOffset, 0x24C},
        {kMotILim.kOffset, 0x254},
        {kMotStepperHc.kOffset, 0x294},
        {kMotStepperDc.kOffset, 0x298},
        {kMotStepperHt.kOffset, 0x29C},
        {kMotStepperMaxCurrent.kOffset, 0x2A0},
        {kMotMaxVel10.kOffset, 0x554},
        {kMotCurrentVel73.kOffset, 0x564},
        {kMotRefVel80.kOffset, 0x56C},
        {kMotMaxAccel74.kOffset, 0x574},
        {kMotCurrAccel11.kOffset, 0x584},
        {kMotMaxPosError.kOffset, 0x5BC},
        {kControllerTypeOffset, 0x5CC},
        {kStageNameOffset, 0x7E0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(StageParameterSet, NameIsCutTo31CharactersAndAlwaysTerminated) {
    StageParameterSet set;
    std::memset(set.data() + 0x7E0, 'Z', 32);
    EXPECT_EQ(set.StageName(), std::string(32, 'Z'));  // a full field without NUL stays bounded
    EXPECT_TRUE(set.SetStageName(std::string(31, 'A')));
    EXPECT_EQ(set.data()[0x7FF], 0);
    EXPECT_FALSE(set.SetStageName(std::string(40, 'B')));
    EXPECT_EQ(set.StageName(), std::string(31, 'B'));
    EXPECT_TRUE(set.SetStageName("S"));
    for (int i = 1; i < 32; ++i) EXPECT_EQ(set.data()[0x7E0 + i], 0);
}

TEST(StageParameterSet, OutOfRangeOffsetsAreHarmless) {
    StageParameterSet set;
    set.SetAt<double>(2044, 1.0);  // would reach past the end
    EXPECT_EQ(set, StageParameterSet());
    EXPECT_EQ(set.GetAt<int64_t>(2041), 0);
    set.SetAt<int32_t>(2044, 7);
    EXPECT_EQ(set.GetAt<int32_t>(2044), 7);
}

TEST(StageName, CharacterAndLengthRules) {
    struct {
        const char* name;
        std::size_t max;
        bool valid;
    } const cases[] = {
        {"M-511.DD", 31, true},
        {"x-12.ab", 31, true},
        {"A@B_C-D+E&F.1", 31, true},
        {"", 31, true},
        {"A B", 31, false},
        {"A/B", 31, false},
        {"A\\B", 31, false},
        {"Ä", 31, false},
        {"A*", 31, false},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", 31, true},  // 31 characters
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", 31, false},
        {"ABCDEFGHIJKLMNO", 15, true},
        {"ABCDEFGHIJKLMNOP", 15, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidStageName(c.name, c.max), c.valid) << c.name;
    EXPECT_FALSE(IsValidStageName(std::string_view("A\0B", 3), 31));
}

TEST(StageFileHeader, TextOfTheHeader) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 14;
    t.tm_min = 3;
    t.tm_sec = 59;
    EXPECT_EQ(StageFileHeaderText(200, t, 3), "Achsenparameter V2.00 08.12.2026 14:03:59 Rev: 03 ");
    EXPECT_EQ(StageFileHeaderText(100, t, 0), "Achsenparameter V1.00 08.12.2026 14:03:59 Rev: 00 ");
}

TEST(StageFileHeader, FieldMapEncodesTo72BytesAndDecodesBack) {
    const std::vector<uint8_t>& map = StageFieldMap();
    ASSERT_EQ(map.size(), 72u);
    std::vector<uint8_t> decoded;
    for (std::size_t i = 0; i < map.size(); i += 2) {
        ASSERT_GE(map[i + 1], 1);
        decoded.insert(decoded.end(), map[i + 1], map[i]);
    }
    ASSERT_EQ(decoded.size(), 2048u);
    EXPECT_EQ(decoded[0xA6], 'X');
    EXPECT_EQ(decoded[0xA7], 0);
    EXPECT_EQ(decoded[0xA7 + 92], 0);
    EXPECT_EQ(decoded[0xA7 + 93], 'X');
    EXPECT_EQ(decoded[0x7DF], 0);  // last byte of the range at 0x684
    EXPECT_EQ(decoded[0x7E0], 'X');
}

TEST(StageFileHeader, RunLengthEncoderSplitsLongRuns) {
    const std::vector<uint8_t> data(600, 7);
    EXPECT_EQ(RunLengthEncode(data), (std::vector<uint8_t>{7, 255, 7, 255, 7, 90}));
    const uint8_t mixed[] = {1, 1, 2, 3, 3, 3};
    EXPECT_EQ(RunLengthEncode(mixed), (std::vector<uint8_t>{1, 2, 2, 1, 3, 3}));
    EXPECT_TRUE(RunLengthEncode({}).empty());
}

TEST(StageFileHeader, Version200BlockHoldsFieldsTextMarkerAndMap) {
    std::vector<uint8_t> header(2048, 0xEE);
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 0;
    t.tm_mday = 2;
    t.tm_hour = 3;
    t.tm_min = 4;
    t.tm_sec = 5;
    BuildStageFileHeader(kStageFileLayoutV200, header, t, 3);
    const StageFileHeaderInfo info = ReadStageFileHeader(kStageFileLayoutV200, header);
    EXPECT_EQ(info.version, 200);
    EXPECT_EQ(info.year, 2026);
    EXPECT_EQ(info.month, 1);
    EXPECT_EQ(info.day, 2);
    EXPECT_EQ(info.hour, 3);
    EXPECT_EQ(info.minute, 4);
    EXPECT_EQ(info.second, 5);
    EXPECT_EQ(info.revision, 0);                     // the revision field is rebuilt as zero
    EXPECT_EQ(info.writeFlag, int32_t(0xEEEEEEEE));  // the flag is not part of the rebuilt block
    const char* text = reinterpret_cast<const char*>(header.data() + 14);
    EXPECT_STREQ(text, "Achsenparameter V2.00 02.01.2026 03:04:05 Rev: 03 ");
    const char* marker = text + std::strlen(text) + 1;
    EXPECT_STREQ(marker, "#0072*");
    const uint8_t* map = reinterpret_cast<const uint8_t*>(marker) + 7;
    EXPECT_TRUE(std::equal(StageFieldMap().begin(), StageFieldMap().end(), map));
    EXPECT_EQ(map[72], 0);
}

TEST(StageFileHeader, Version100BlockHasNoFieldMap) {
    std::vector<uint8_t> header(256, 0xEE);
    std::tm t{};
    t.tm_year = 124;
    t.tm_mday = 1;
    BuildStageFileHeader(kStageFileLayoutV100, header, t, 0);
    const char* text = reinterpret_cast<const char*>(header.data() + 14);
    EXPECT_STREQ(text, "Achsenparameter V1.00 01.01.2024 00:00:00 Rev: 00 ");
    for (std::size_t i = 14 + std::strlen(text); i < 252; ++i) ASSERT_EQ(header[i], 0) << i;
    EXPECT_EQ(ReadStageFileHeader(kStageFileLayoutV100, header).version, 100);
}

}  // namespace
