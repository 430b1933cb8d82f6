// Colour and pseudo-colour tables: LOAD_COLOR_LUT, LOAD_PSEUDO_COLOR_LUT, SET_DIALOG_COL and
// GET_DIALOG_COL, the registry values with their repair rules, and the tables at board set-up.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/image/ColourSettings.h"
#include "camera/image/ColourTables.h"
#include "camera/image/OutputLut.h"
#include "image_fixture.h"
#include "lmvntcam.h"
#include "winport/Registry.h"

namespace {

using winport::Hive;
using winport::RegistryKey;

std::vector<uint8_t> Built(int min, int max, int lin) {
    std::vector<uint8_t> t(lmv::kLutEntries);
    (void)lmv::lut_build(min, max, lin, t.data());
    return t;
}

std::vector<uint8_t> Kept(lmv::colour_channel c, size_t from = 0, size_t to = 4096) {
    const uint8_t* t = lmv::colour_conversion_table(c);
    return std::vector<uint8_t>(t + from, t + to);
}

std::vector<uint8_t> Pseudo(lmv::colour_channel c) {
    const uint8_t* t = lmv::pseudo_colour_table(c);
    return std::vector<uint8_t>(t, t + 256);
}

std::optional<uint32_t> Stored(const char* name, int board = 0) {
    auto key = RegistryKey::Open(Hive::CurrentUser, lmv::bw_registry_key(board));
    return key ? key->ReadDword(name) : std::nullopt;
}

bool TakeEverything(const lmv::colour_parameters&, const uint8_t*, const uint8_t*, const uint8_t*) {
    return true;
}

class ColourSettingsTest : public testing_image::BoardFixture {
  protected:
    void SetUp() override {
        BoardFixture::SetUp();
        lmv::colour_set_dialog_observer(nullptr);
    }
    void TearDown() override {
        lmv::colour_set_dialog_observer(nullptr);
        lmv::colour_build_default();
        lmv::colour_reset_tables();
        BoardFixture::TearDown();
    }
};

TEST_F(ColourSettingsTest, BoardSetUpBuildsLinearTablesAndTheGreyPseudoRamp) {
    lmv::colour_reset_tables();
    ASSERT_EQ(Kept(lmv::kGreen)[0], 255);
    ASSERT_EQ(SET_INIT(1), lmv::kOk);
    const std::vector<uint8_t> linear = Built(0, 4095, 0);
    std::vector<uint8_t> ramp(256);
    for (int k = 0; k < 256; ++k) ramp[k] = static_cast<uint8_t>(k);
    for (auto c : {lmv::kRed, lmv::kGreen, lmv::kBlue}) {
        EXPECT_EQ(Kept(c), linear) << c;
        EXPECT_EQ(Kept(c, 4096, 65536), std::vector<uint8_t>(65536 - 4096, 255)) << c;
        EXPECT_EQ(Pseudo(c), ramp) << c;
    }
    int v[7] = {};
    EXPECT_EQ(GET_DIALOG_COL(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]), lmv::kOk);
    EXPECT_EQ(std::vector<int>(v, v + 7), (std::vector<int>{0, 4095, 0, 4095, 0, 4095, 0}));
}

TEST_F(ColourSettingsTest, LoadCopiesTheTablesAndRefusesNulls) {
    std::vector<uint8_t> r(4096, 1), g(4096, 2), b(4096, 3);
    r[4095] = 99;
    env_.ClearTrace();
    ASSERT_EQ(LOAD_COLOR_LUT(r.data(), g.data(), b.data()), lmv::kOk);
    EXPECT_EQ(Kept(lmv::kRed), r);
    EXPECT_EQ(Kept(lmv::kGreen), g);
    EXPECT_EQ(Kept(lmv::kBlue), b);
    EXPECT_EQ(Kept(lmv::kRed, 4096, 4097)[0], 255);  // values above 4095 stay white
    EXPECT_TRUE(env_.TraceLines().empty());          // nothing goes to the board
    std::vector<uint8_t> other(4096, 7);
    EXPECT_EQ(LOAD_COLOR_LUT(other.data(), nullptr, other.data()), lmv::kNoMemory);
    EXPECT_EQ(Kept(lmv::kRed), r);

    std::vector<uint8_t> pr(256, 4), pg(256, 5), pb(256, 6);
    ASSERT_EQ(LOAD_PSEUDO_COLOR_LUT(pr.data(), pg.data(), pb.data()), lmv::kOk);
    EXPECT_EQ(Pseudo(lmv::kRed), pr);
    EXPECT_EQ(Pseudo(lmv::kBlue), pb);
    EXPECT_EQ(LOAD_PSEUDO_COLOR_LUT(nullptr, pg.data(), pb.data()), lmv::kNoMemory);
    EXPECT_EQ(Pseudo(lmv::kRed), pr);
}

TEST_F(ColourSettingsTest, PixelsAbove4095ConvertToWhiteInEveryChannel) {
    std::vector<uint8_t> zero(4096, 0);
    ASSERT_EQ(LOAD_COLOR_LUT(zero.data(), zero.data(), zero.data()), lmv::kOk);
    std::vector<uint16_t> src(4 * 4, 65535);
    std::vector<uint8_t> dst(4 * 4 * 3, 0);
    for (int mode : {0, 32}) {
        ASSERT_EQ(CONVERT_BUFFER_12TOCOL(mode, 4, 4, src.data(), dst.data()), lmv::kOk);
        EXPECT_EQ(dst, std::vector<uint8_t>(dst.size(), 255)) << mode;
    }
}

TEST_F(ColourSettingsTest, SetDialogRefusesValuesOutsideTheirRanges) {
    ASSERT_EQ(SET_DIALOG_COL(10, 20, 30, 40, 50, 60, 1), lmv::kOk);
    const std::vector<uint8_t> kept = Kept(lmv::kRed);
    struct bad {
        int v[7];
    };
    const bad cases[] = {
        {{200, 200, 0, 4095, 0, 4095, 0}}, {{-1, 100, 0, 4095, 0, 4095, 0}},
        {{0, 4096, 0, 4095, 0, 4095, 0}},  {{0, 4095, 4095, 4095, 0, 4095, 0}},
        {{0, 4095, 0, 0, 0, 4095, 0}},     {{0, 4095, 0, 4095, 300, 200, 0}},
        {{0, 4095, 0, 4095, 0, 4095, 2}},  {{0, 4095, 0, 4095, 0, 4095, -1}},
    };
    for (const bad& c : cases)
        EXPECT_EQ(SET_DIALOG_COL(c.v[0], c.v[1], c.v[2], c.v[3], c.v[4], c.v[5], c.v[6]),
                  lmv::kWrongParameter)
            << c.v[0] << " " << c.v[1] << " " << c.v[4] << " " << c.v[6];
    int v[7] = {};
    EXPECT_EQ(GET_DIALOG_COL(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]), lmv::kOk);
    EXPECT_EQ(std::vector<int>(v, v + 7), (std::vector<int>{10, 20, 30, 40, 50, 60, 1}));
    EXPECT_EQ(Kept(lmv::kRed), kept);
}

TEST_F(ColourSettingsTest, SetDialogLoadsTheTablesAndWritesTheRegistry) {
    env_.ClearTrace();
    ASSERT_EQ(SET_DIALOG_COL(100, 1650, 200, 3000, 0, 4095, 1), lmv::kOk);
    EXPECT_EQ(Kept(lmv::kRed), Built(100, 1650, 1));
    EXPECT_EQ(Kept(lmv::kGreen), Built(200, 3000, 1));
    EXPECT_EQ(Kept(lmv::kBlue), Built(0, 4095, 1));
    EXPECT_TRUE(env_.TraceLines().empty());  // the colour tables stay in the library
    const std::pair<const char*, uint32_t> values[] = {
        {"LutRED min", 100},    {"LutRED max", 1650},    {"LutGREEN min", 200},
        {"LutGREEN max", 3000}, {"LutBLUE min", 0},      {"LutBLUE max", 4095},
        {"LutCOLOR lin", 1},    {"LutBG39 installed", 0}};
    for (const auto& [name, value] : values) EXPECT_EQ(Stored(name), value) << name;
    EXPECT_EQ(Stored("LutCOLOR xpos"), std::nullopt);  // no dialog window
}

TEST_F(ColourSettingsTest, AnOpenDialogTakesTheValuesItself) {
    ASSERT_EQ(SET_DIALOG_COL(0, 4095, 0, 4095, 0, 4095, 0), lmv::kOk);
    lmv::colour_set_dialog_observer(TakeEverything);
    ASSERT_EQ(SET_DIALOG_COL(100, 200, 100, 200, 100, 200, 0), lmv::kOk);
    EXPECT_EQ(Kept(lmv::kRed), Built(0, 4095, 0));  // not loaded: the dialog does it
    EXPECT_EQ(Stored("LutRED max"), 4095u);
    int red_max = 0;
    EXPECT_EQ(GET_DIALOG_COL(nullptr, &red_max, nullptr, nullptr, nullptr, nullptr, nullptr),
              lmv::kOk);
    EXPECT_EQ(red_max, 200);
}

TEST_F(ColourSettingsTest, RegistryReadRepairsEveryBadValue) {
    {
        auto key = RegistryKey::Create(Hive::CurrentUser, lmv::bw_registry_key(3));
        ASSERT_TRUE(key);
        ASSERT_EQ(key->WriteString("Update_Comand_Color", "x"), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutRED min", 5000), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutGREEN min", 300), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutGREEN max", 300), winport::RegStatus::Ok);  // not above min
        ASSERT_EQ(key->WriteDword("LutBLUE min", 10), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutBLUE max", 20), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutCOLOR lin", 2), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutBG39 installed", 1), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutCOLOR xpos", 5000), winport::RegStatus::Ok);
    }
    lmv::colour_settings s;
    ASSERT_EQ(lmv::colour_registry_read(3, nullptr, s), lmv::kOk);
    EXPECT_EQ(s.update_command, 1002u);
    EXPECT_EQ(Stored("Update_Comand_Color", 3), 1002u);
    const lmv::colour_parameters& p = s.lut;
    EXPECT_EQ(std::vector<int>(
                  {p.red_min, p.red_max, p.green_min, p.green_max, p.blue_min, p.blue_max, p.lin}),
              (std::vector<int>{0, 4095, 300, 4095, 10, 20, 0}));
    EXPECT_EQ(s.bg39_installed, 1);
    EXPECT_EQ(Stored("LutRED min", 3), 0u);
    EXPECT_EQ(Stored("LutRED max", 3), 4095u);
    EXPECT_EQ(Stored("LutGREEN max", 3), 4095u);
    EXPECT_EQ(Stored("LutCOLOR lin", 3), 0u);
    EXPECT_EQ(Stored("LutCOLOR xpos", 3), 5000u);  // positions only with a desktop
    EXPECT_EQ(Stored("LutCOLOR ypos", 3), std::nullopt);

    const lmv::bw_dialog_geometry desktop{0, 0, 1920, 1080, 400, 300};
    ASSERT_EQ(lmv::colour_registry_read(3, &desktop, s), lmv::kOk);
    EXPECT_EQ(s.xpos, 1920 - 400 - 10);
    EXPECT_EQ(s.ypos, 10);
    EXPECT_EQ(Stored("LutCOLOR xpos", 3), 1510u);
    EXPECT_EQ(Stored("LutCOLOR ypos", 3), 10u);
}

TEST_F(ColourSettingsTest, RestoreCreatesAMissingKeyAndUsesStoredValues) {
    EXPECT_EQ(lmv::colour_registry_read(5, nullptr, *std::make_unique<lmv::colour_settings>()),
              lmv::kRegistryMissing);
    ASSERT_EQ(lmv::colour_restore(5), lmv::kOk);
    EXPECT_EQ(Stored("LutBLUE max", 5), 4095u);
    EXPECT_EQ(Stored("Update_Comand_Color", 5), 1002u);
    {
        auto key = RegistryKey::Create(Hive::CurrentUser, lmv::bw_registry_key(5));
        ASSERT_EQ(key->WriteDword("LutGREEN min", 400), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutGREEN max", 900), winport::RegStatus::Ok);
        ASSERT_EQ(key->WriteDword("LutCOLOR lin", 1), winport::RegStatus::Ok);
    }
    ASSERT_EQ(lmv::colour_restore(5), lmv::kOk);
    EXPECT_EQ(Kept(lmv::kGreen), Built(400, 900, 1));
    EXPECT_EQ(Kept(lmv::kRed), Built(0, 4095, 1));
}

}  // namespace
