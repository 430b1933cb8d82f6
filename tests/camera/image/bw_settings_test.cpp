// B/W table parameters: SET_DIALOG_BW and GET_DIALOG_BW, the registry values with their repair
// rules, and the table sent to the board.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/image/BwSettings.h"
#include "camera/image/OutputLut.h"
#include "image_fixture.h"
#include "lmvntcam.h"
#include "simulators/lmvpci/SimTrace.h"
#include "winport/Registry.h"

namespace {

using winport::Hive;
using winport::RegistryKey;

std::string LoadLutLine(const std::vector<uint8_t>& table) {
    return "0 ioctl 0x222058 in=" + lmvpci::HexBytes(table.data(), 4096) + " out=-";
}

std::vector<uint8_t> Built(int min, int max, int lin) {
    std::vector<uint8_t> t(lmv::kLutEntries);
    lmv::lut_build(min, max, lin, t.data());
    return t;
}

std::optional<uint32_t> Stored(int board, const char* name) {
    auto key = RegistryKey::Open(Hive::CurrentUser, lmv::bw_registry_key(board));
    return key ? key->ReadDword(name) : std::nullopt;
}

class BwSettingsTest : public testing_image::BoardFixture {
  protected:
    void SetUp() override {
        BoardFixture::SetUp();
        lmv::bw_store_parameters({});
        lmv::bw_set_dialog_observer(nullptr);
    }
    void TearDown() override {
        lmv::bw_set_dialog_observer(nullptr);
        lmv::bw_store_parameters({});
        lmv::bw_reset_table();
        BoardFixture::TearDown();
    }
};

TEST_F(BwSettingsTest, RegistryKeyNamesByBoard) {
    EXPECT_EQ(lmv::bw_registry_key(0), "Software\\RVD\\Camera Settings\\LUT");
    EXPECT_EQ(lmv::bw_registry_key(4), "Software\\RVD\\Camera Settings 4\\LUT");
}

TEST_F(BwSettingsTest, SetDialogRefusesValuesOutsideTheirRanges) {
    ASSERT_EQ(SET_DIALOG_BW(10, 20, 1), lmv::kOk);
    struct bad {
        int min, max, lin;
    };
    const bad cases[] = {{-1, 100, 0},  {4095, 4095, 0}, {0, 0, 0},   {0, 4096, 0},
                         {100, 100, 0}, {200, 100, 0},   {0, 100, 2}, {0, 100, -1}};
    env_.ClearTrace();
    for (const auto& c : cases)
        EXPECT_EQ(SET_DIALOG_BW(c.min, c.max, c.lin), lmv::kWrongParameter)
            << c.min << " " << c.max << " " << c.lin;
    int min = -1, max = -1, lin = -1;
    EXPECT_EQ(GET_DIALOG_BW(&min, &max, &lin), lmv::kOk);
    EXPECT_EQ(min, 10);
    EXPECT_EQ(max, 20);
    EXPECT_EQ(lin, 1);
    EXPECT_TRUE(env_.TraceLines().empty());
}

TEST_F(BwSettingsTest, SetDialogLoadsTheTableAndWritesTheRegistry) {
    ASSERT_EQ(SET_DIALOG_BW(100, 1650, 1), lmv::kOk);
    const std::vector<uint8_t> expected = Built(100, 1650, 1);
    const uint8_t* conv = lmv::bw_conversion_table();
    EXPECT_EQ(std::vector<uint8_t>(conv, conv + 4096), expected);
    EXPECT_TRUE(std::all_of(conv + 4096, conv + 65536, [](uint8_t v) { return v == 255; }));
    const auto lines = env_.TraceLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], LoadLutLine(expected));
    EXPECT_EQ(Stored(0, "LutBW min"), 100u);
    EXPECT_EQ(Stored(0, "LutBW max"), 1650u);
    EXPECT_EQ(Stored(0, "LutBW lin"), 1u);
    // Another board writes its own key.
    lmv::library().currentBoard = 3;
    ASSERT_EQ(SET_DIALOG_BW(5, 6, 0), lmv::kOk);
    EXPECT_EQ(Stored(3, "LutBW max"), 6u);
    EXPECT_EQ(Stored(0, "LutBW max"), 1650u);
}

TEST_F(BwSettingsTest, OpenDialogTakesTheValuesItself) {
    static lmv::bw_parameters seen;
    static std::vector<uint8_t> seen_table;
    lmv::bw_set_dialog_observer([](const lmv::bw_parameters& p, const uint8_t* table) {
        seen = p;
        seen_table.assign(table, table + 4096);
        return true;
    });
    ASSERT_EQ(SET_DIALOG_BW(300, 900, 0), lmv::kOk);
    EXPECT_EQ(seen.min, 300);
    EXPECT_EQ(seen.max, 900);
    EXPECT_EQ(seen_table, Built(300, 900, 0));
    EXPECT_TRUE(env_.TraceLines().empty());
    EXPECT_FALSE(Stored(0, "LutBW min"));
    int min = 0;
    EXPECT_EQ(GET_DIALOG_BW(&min, nullptr, nullptr), lmv::kNoMemory);
    EXPECT_EQ(min, 300);
}

TEST_F(BwSettingsTest, LoadOutputLutReachesOnlyAReadyBoard) {
    std::vector<uint8_t> table(4096);
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i * 3);
    lmv::set_board_state(0, lmv::kBoardOpened);
    EXPECT_EQ(LOAD_OUTPUT_LUT(table.data()), lmv::kOk);
    EXPECT_TRUE(env_.TraceLines().empty());
    EXPECT_EQ(lmv::bw_conversion_table()[4095], table[4095]);
    EXPECT_EQ(lmv::bw_conversion_table()[4096], 255);
    lmv::set_board_state(0, lmv::kBoardReady);
    EXPECT_EQ(LOAD_OUTPUT_LUT(table.data()), lmv::kOk);
    const auto lines = env_.TraceLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], LoadLutLine(table));
}

TEST_F(BwSettingsTest, RegistryReadWithoutKey) {
    lmv::bw_settings s;
    EXPECT_EQ(lmv::bw_registry_read(0, nullptr, s), lmv::kRegistryMissing);
}

TEST_F(BwSettingsTest, RegistryReadRepairsBadValues) {
    struct stored {
        std::optional<uint32_t> min, max, lin;
    };
    struct expected {
        int min, max, lin;
    };
    struct row {
        stored in;
        expected out;
    };
    const row rows[] = {
        {{10, 20, 1}, {10, 20, 1}},  // good values stay
        {{std::nullopt, std::nullopt, std::nullopt}, {0, 4095, 0}},
        {{5000, 0, 7}, {0, 4095, 0}},
        {{0xFFFFFFFF, 4096, 2}, {0, 4095, 0}},  // -1 is below 0
        {{3000, 2000, 1}, {3000, 4095, 1}},     // max not above min
        {{4094, 4095, 0}, {4094, 4095, 0}},
        {{4095, 4095, 0}, {0, 4095, 0}},
    };
    for (const auto& r : rows) {
        winport::DeleteRegistryKey(Hive::CurrentUser, lmv::bw_registry_key(2));
        auto key = RegistryKey::Create(Hive::CurrentUser, lmv::bw_registry_key(2));
        ASSERT_TRUE(key);
        if (r.in.min) key->WriteDword("LutBW min", *r.in.min);
        if (r.in.max) key->WriteDword("LutBW max", *r.in.max);
        if (r.in.lin) key->WriteDword("LutBW lin", *r.in.lin);
        lmv::bw_settings s;
        ASSERT_EQ(lmv::bw_registry_read(2, nullptr, s), lmv::kOk);
        EXPECT_EQ(s.lut.min, r.out.min);
        EXPECT_EQ(s.lut.max, r.out.max);
        EXPECT_EQ(s.lut.lin, r.out.lin);
        EXPECT_EQ(s.update_command, 1001u);
        // What was used is what is stored now.
        EXPECT_EQ(Stored(2, "LutBW min"), static_cast<uint32_t>(r.out.min));
        EXPECT_EQ(Stored(2, "LutBW max"), static_cast<uint32_t>(r.out.max));
        EXPECT_EQ(Stored(2, "LutBW lin"), static_cast<uint32_t>(r.out.lin));
    }
}

TEST_F(BwSettingsTest, RegistryReadTypesAndUpdateCommand) {
    auto key = RegistryKey::Create(Hive::CurrentUser, lmv::bw_registry_key(0));
    ASSERT_TRUE(key);
    key->WriteString("LutBW min", "12");
    key->WriteBinary("LutBW max", {0x10, 0});
    key->WriteBinary("Update_Comand_BW", {1, 2, 3, 4});
    lmv::bw_settings s;
    ASSERT_EQ(lmv::bw_registry_read(0, nullptr, s), lmv::kOk);
    EXPECT_EQ(s.lut.min, 0);
    EXPECT_EQ(s.lut.max, 4095);
    EXPECT_EQ(s.update_command, 1001u);
    EXPECT_EQ(Stored(0, "LutBW min"), 0u);
    EXPECT_FALSE(Stored(0, "Update_Comand_BW"));  // the default is used, not written
    key->WriteDword("Update_Comand_BW", 1234);
    ASSERT_EQ(lmv::bw_registry_read(0, nullptr, s), lmv::kOk);
    EXPECT_EQ(s.update_command, 1234u);
}

TEST_F(BwSettingsTest, RegistryReadRepairsTheDialogPosition) {
    const lmv::bw_dialog_geometry g{0, 0, 1920, 1080, 300, 200};
    struct row {
        std::optional<uint32_t> x, y;
        int xpos, ypos;
    };
    const row rows[] = {
        {100, 50, 100, 50},
        {1620, 880, 1620, 880},              // just fits
        {1621, 881, 1920 - 300 - 10, 10},    // one pixel too far
        {0xFFFFFFFB, 0xFFFFFFFF, 1610, 10},  // negative
        {std::nullopt, std::nullopt, 1610, 10},
    };
    for (const auto& r : rows) {
        winport::DeleteRegistryKey(Hive::CurrentUser, lmv::bw_registry_key(0));
        auto key = RegistryKey::Create(Hive::CurrentUser, lmv::bw_registry_key(0));
        ASSERT_TRUE(key);
        if (r.x) key->WriteDword("LutBW xpos", *r.x);
        if (r.y) key->WriteDword("LutBW ypos", *r.y);
        lmv::bw_settings s;
        ASSERT_EQ(lmv::bw_registry_read(0, &g, s), lmv::kOk);
        EXPECT_EQ(s.xpos, r.xpos);
        EXPECT_EQ(s.ypos, r.ypos);
        EXPECT_EQ(Stored(0, "LutBW xpos"), static_cast<uint32_t>(r.xpos));
        EXPECT_EQ(Stored(0, "LutBW ypos"), static_cast<uint32_t>(r.ypos));
    }
}

TEST_F(BwSettingsTest, RegistryWriteWithPosition) {
    const int x = 40, y = 60;
    ASSERT_EQ(lmv::bw_registry_write(1, {7, 8, 1}, &x, &y), lmv::kOk);
    EXPECT_EQ(Stored(1, "LutBW min"), 7u);
    EXPECT_EQ(Stored(1, "LutBw lin"), 1u);
    EXPECT_EQ(Stored(1, "LutBW xpos"), 40u);
    EXPECT_EQ(Stored(1, "LutBW ypos"), 60u);
}

}  // namespace
