// Conversion of records of the old 256-byte layout into 2048-byte parameter sets, on the fixture
// record written by fixtures/make_fixtures.py (a linear DC stage with reference switch).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "StageTestSupport.h"
#include "motion/stages/StageRecordV100.h"

namespace {

using stage_test::Fixture;
using stage_test::ReadFile;

enum class Kind { I32, I64, F64 };
struct Expected {
    uint16_t offset;
    Kind kind;
    double value;
};

StageRecordV100 LoadFixture() {
    const std::vector<uint8_t> bytes = ReadFile(Fixture("record_v100_dc.bin"));
    EXPECT_EQ(bytes.size(), 256u);
    StageRecordV100 record;
    std::memcpy(record.data(), bytes.data(), std::min<std::size_t>(bytes.size(), 256));
    return record;
}

double Read(const StageParameterSet& set, const Expected& e) {
    switch (e.kind) {
        case Kind::I32:
            return set.GetAt<int32_t>(e.offset);
        case Kind::I64:
            return double(set.GetAt<int64_t>(e.offset));
        case Kind::F64:
            return set.GetAt<double>(e.offset);
    }
    return 0;
}

void Write(StageParameterSet& set, const Expected& e) {
    switch (e.kind) {
        case Kind::I32:
            set.SetAt<int32_t>(e.offset, int32_t(e.value));
            break;
        case Kind::I64:
            set.SetAt<int64_t>(e.offset, int64_t(e.value));
            break;
        case Kind::F64:
            set.SetAt<double>(e.offset, e.value);
            break;
    }
}

// Every field checked one by one, then the whole record against one built from the same list,
// so that a byte written where nothing is expected is caught too.
void ExpectConversion(const StageParameterSet& set, const std::vector<Expected>& fields,
                      const char* name) {
    StageParameterSet expected;
    expected.SetControllerType("ALL");
    expected.SetStageName(name);
    for (const Expected& e : fields) {
        EXPECT_DOUBLE_EQ(Read(set, e), e.value) << "offset 0x" << std::hex << e.offset;
        Write(expected, e);
    }
    EXPECT_EQ(set.ControllerType(), "ALL");
    EXPECT_EQ(set.StageName(), name);
    for (std::size_t i = 0; i < StageParameterSet::kSize; ++i)
        EXPECT_EQ(set.data()[i], expected.data()[i]) << "byte 0x" << std::hex << i;
}

// Fields every conversion of the fixture yields (r = 4000 / 2 = 2000 counts per unit).
std::vector<Expected> CommonFields() {
    return {
        {0x5C4, Kind::I32, 5},
        {0x214, Kind::I32, -5},
        {0x210, Kind::I32, 1234},
        {0x218, Kind::I32, 42},
        {0x204, Kind::F64, 0.25},
        {0x20C, Kind::I32, 77},
        {0x21C, Kind::I32, 1},
        {0x5BC, Kind::F64, (100 + 65536) / 2000.0},  // maximum position error
        {0x554, Kind::F64, 30.0},
        {0x55C, Kind::F64, 30.0},
        {0x564, Kind::F64, 15.0},
        {0x56C, Kind::F64, 10.0},  // the smaller of half the velocity and 10
        {0x574, Kind::F64, 150.0},
        {0x584, Kind::F64, 150.0},
        {0x594, Kind::F64, 150.0},
        {0x57C, Kind::F64, 160.0},
        {0x58C, Kind::F64, 160.0},
        {0x59C, Kind::F64, 160.0},
        {0x5A4, Kind::F64, 170.0},
        {0x5AC, Kind::F64, 170.0},
        {0x5B4, Kind::F64, 170.0},
        {0x2D4, Kind::F64, 100.0},
        {0x2EC, Kind::F64, 100.0},
        {0x2DC, Kind::F64, 200.0},
        {0x2F4, Kind::F64, 200.0},
        {0x2E4, Kind::F64, 300.0},
        {0x2FC, Kind::F64, 300.0},
        {0x304, Kind::I32, 500},
        {0x5C8, Kind::I32, 7},
        {0x01C, Kind::F64, 1.0},
        {0x078, Kind::I32, 3},
        {0x054, Kind::I64, 2},
        {0x04C, Kind::I64, 4000},
        {0x064, Kind::I32, 0},
        {0x014, Kind::F64, 5.0},
        {0x024, Kind::F64, 2.0},
        {0x044, Kind::F64, 1.0},
        {0x070, Kind::I32, 1},
        {0x068, Kind::I32, 1},
        {0x060, Kind::I32, -1},
        {0x06C, Kind::I32, 1},
        {0x03C, Kind::F64, 4.0},
        {0x034, Kind::F64, 3.0},
        {0x05C, Kind::I32, 3},
        {0x074, Kind::I32, 1},
        {0x29C, Kind::I32, 7},
        {0x298, Kind::I32, 6},
        {0x294, Kind::I32, 5},
        {0x2A0, Kind::I32, 8},
        {0x000, Kind::I32, 0},
        {0x220, Kind::I32, 4},
        {0x224, Kind::I32, 6},
        {0x228, Kind::I32, 2},
    };
}

// The gains of a DC motor (type 0).
std::vector<Expected> ServoFields() {
    return {
        {0x244, Kind::I32, 100},  {0x248, Kind::I32, 20},      {0x24C, Kind::I32, 300},
        {0x254, Kind::I32, 2000}, {0x260, Kind::I32, 9},       {0x250, Kind::I32, 7},
        {0x104, Kind::I32, 1},    {0x128, Kind::I32, 100},     {0x12C, Kind::I32, 20},
        {0x130, Kind::I32, 300},  {0x134, Kind::I32, 7},       {0x138, Kind::I32, 2000},
        {0x150, Kind::I32, 100},  {0x154, Kind::I32, 20},      {0x158, Kind::I32, 300},
        {0x15C, Kind::I32, 7},    {0x160, Kind::I32, 2000},    {0x140, Kind::I32, 77},
        {0x13C, Kind::I32, 77},   {0x1F8, Kind::F64, 32767.0}, {0x3F4, Kind::F64, 10000.0},
        {0x434, Kind::F64, 1.0},
    };
}

std::vector<Expected> Join(std::vector<Expected> a, const std::vector<Expected>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(StageRecordV100, FixtureNameIsReadFromLengthByteAndText) {
    EXPECT_EQ(LoadFixture().Name(), "M-511A");
}

TEST(StageRecordV100, ShortConversionOfADcStageFieldByField) {
    std::vector<Expected> fields = Join(CommonFields(), ServoFields());
    // travel as stored in counts: 50000 and -20000
    fields.push_back({0x00C, Kind::F64, 25.0});
    fields.push_back({0x004, Kind::F64, -10.0});
    fields.push_back({0x02C, Kind::F64, 25.0 - -10.0 - 2.0});  // no distance given at 0xE0
    ExpectConversion(LoadFixture().ToV200(false), fields, "M-511A");
}

TEST(StageRecordV100, FullConversionMeasuresLinearTravelFromTheReference) {
    std::vector<Expected> fields = Join(CommonFields(), ServoFields());
    // shifted by reference position minus distance to the negative limit: 10000 - 4000 counts
    fields.push_back({0x00C, Kind::F64, 56000 / 2000.0});
    fields.push_back({0x004, Kind::F64, -14000 / 2000.0});
    fields.push_back({0x02C, Kind::F64, 28.0 - -7.0 - 2.0});
    ExpectConversion(LoadFixture().ToV200(true), fields, "M-511A");
}

TEST(StageRecordV100, Type4RotaryWithoutReferenceFullConversion) {
    StageRecordV100 record = LoadFixture();
    uint8_t* p = record.data();
    p[0x63] = 4;
    p[0x64] = 0;
    p[0x46] = 1;  // rotary
    p[0x47] = 0;  // no reference switch
    std::memset(p + 0x4C, 0, 4);
    std::memset(p + 0x54, 0, 4);
    const int32_t denominator = 0;  // below 1: one count per unit
    std::memcpy(p + 0x38, &denominator, 4);
    const uint32_t distance = 36;
    std::memcpy(p + 0xE0, &distance, 4);
    p[0xF0] = 15;
    std::memcpy(p + 0xF1, "ROTARY-STAGE-15", 15);

    std::vector<Expected> fields = CommonFields();
    for (Expected& e : fields) {
        // fields that follow the changed bytes; r is 1 now
        switch (e.offset) {
            case 0x5BC:
                e.value = 100 + 65536;
                break;
            case 0x01C:
                e.value = 2000;
                break;
            case 0x054:
                e.value = 0;
                break;
            case 0x064:
                e.value = 1;
                break;
            case 0x014:
                e.value = 0;
                break;
            case 0x024:
                e.value = 0;
                break;
            case 0x068:
                e.value = 0;
                break;
            case 0x03C:
                e.value = 8000;
                break;
            case 0x034:
                e.value = 6000;
                break;
            case 0x000:
                e.value = 4;
                break;
            default:
                break;
        }
    }
    const std::vector<Expected> type4 = {
        {0x11C, Kind::I32, 21},
        {0x27C, Kind::I32, 15},
        {0x26C, Kind::I32, 12},
        {0x270, Kind::I32, 13},
        {0x274, Kind::I32, 14},
        {0x278, Kind::I32, 0},
        {0x118, Kind::I32, 11},
        {0x254, Kind::I32, 2000},
        {0x244, Kind::I32, 100},
        {0x248, Kind::I32, 20},
        {0x24C, Kind::I32, 300},
        {0x250, Kind::I32, 0},
        {0x10C, Kind::I32, 23},
        {0x108, Kind::I32, 22},
        {0x114, Kind::I32, 9},
        // additions of the full conversion
        {0x138, Kind::I32, 21},
        {0x128, Kind::I32, 10},
        {0x12C, Kind::I32, 13},
        {0x130, Kind::I64, 10},
        {0x140, Kind::I32, 77},
        {0x13C, Kind::I32, 77},
        {0x150, Kind::I32, 12},
        {0x160, Kind::I32, 15},
        {0x154, Kind::I32, 13},
        {0x15C, Kind::I32, 0},
        {0x158, Kind::I32, 14},
        {0x168, Kind::I32, 11},
        {0x164, Kind::I32, 11},
        {0x188, Kind::I32, 2000},
        {0x178, Kind::I32, 100},
        {0x17C, Kind::I32, 20},
        {0x180, Kind::I32, 300},
        {0x66C, Kind::I32, 1},
        {0x218, Kind::I32, 20000},
        {0x1F8, Kind::F64, 32767.0},
        {0x3F4, Kind::F64, 10000.0},
        {0x434, Kind::F64, 1.0},
        {0x1F0, Kind::F64, 300.0},
        {0x664, Kind::F64, 4000.0},
        {0x654, Kind::F64, 154.0},
        {0x65C, Kind::F64, 220.0},
        {0x64C, Kind::F64, 175.0},
        {0x184, Kind::I32, 0},
        {0x190, Kind::I32, 10000},
        {0x18C, Kind::I32, 10000},
        {0x104, Kind::I32, 3},
        {0x110, Kind::I32, 0},
        // rotary: travel unshifted, distance to the positive limit given
        {0x00C, Kind::F64, 50000},
        {0x004, Kind::F64, -20000},
        {0x02C, Kind::F64, 36},
    };
    fields.erase(std::remove_if(fields.begin(), fields.end(),
                                [](const Expected& e) { return e.offset == 0x218; }),
                 fields.end());
    fields = Join(fields, type4);
    ExpectConversion(record.ToV200(true), fields, "ROTARY-STAGE-15");
}

TEST(StageRecordV100, NameLengthByteBeyondTheRecordIsBounded) {
    StageRecordV100 record = LoadFixture();
    record.data()[0xF0] = 200;  // would reach far past the record
    std::memcpy(record.data() + 0xF1, "ABCDEFGHIJKLMNO", 15);
    const StageParameterSet set = record.ToV200(false);
    EXPECT_EQ(set.StageName(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(set.data()[0x7EF], 0);
}

TEST(StageRecordV100, ZeroCountsPerUnitDoesNotProduceInfinity) {
    StageRecordV100 record = LoadFixture();
    std::memset(record.data() + 0x34, 0, 4);
    const StageParameterSet set = record.ToV200(false);
    EXPECT_DOUBLE_EQ(set.Get(StageFields::kMotMaxTravel), 50000.0);
}

TEST(StageRecordV100, ReferenceInTheMiddleWhenNoSwitchAndNoDistance) {
    StageRecordV100 record = LoadFixture();
    record.data()[0x47] = 0;
    std::memset(record.data() + 0x54, 0, 4);
    const StageParameterSet set = record.ToV200(false);
    // travel -10 .. 25: reference at 7.5, 17.5 from the negative limit
    EXPECT_DOUBLE_EQ(set.Get(StageFields::kMotWertBeiRef), 7.5);
    EXPECT_DOUBLE_EQ(set.Get(StageFields::kMotAbsNegRef), 17.5);
    EXPECT_DOUBLE_EQ(set.Get(StageFields::kMotAbsPosRef), 25.0 + 10.0 - 17.5);
}

}  // namespace
