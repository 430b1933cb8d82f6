// The B/W table at board set-up: linear defaults and the registry settings restored, both kept by
// the library and sent to the open board.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "camera/image/BwSettings.h"
#include "camera/image/BwSetup.h"
#include "camera/image/OutputLut.h"
#include "image_fixture.h"
#include "simulators/lmvpci/SimTrace.h"
#include "winport/Registry.h"

namespace {

using winport::Hive;
using winport::RegistryKey;

std::vector<uint8_t> Built(int min, int max, int lin) {
    std::vector<uint8_t> t(lmv::kLutEntries);
    lmv::lut_build(min, max, lin, t.data());
    return t;
}

class BwSetupTest : public testing_image::BoardFixture {
  protected:
    void TearDown() override {
        lmv::bw_store_parameters({});
        lmv::bw_reset_table();
        BoardFixture::TearDown();
    }
    std::vector<uint8_t> Kept() const {
        return std::vector<uint8_t>(lmv::bw_conversion_table(), lmv::bw_conversion_table() + 4096);
    }
    std::vector<std::string> LutLoads() const {
        std::vector<std::string> loads;
        for (const auto& line : env_.TraceLines())
            if (line.rfind("0 ioctl 0x222058 ", 0) == 0) loads.push_back(line);
        return loads;
    }
    static std::string LoadLine(const std::vector<uint8_t>& t) {
        return "0 ioctl 0x222058 in=" + lmvpci::HexBytes(t.data(), 4096) + " out=-";
    }
};

TEST_F(BwSetupTest, TheBoardSetUpBuildsTheLinearTableBeforeTheDeviceOpens) {
    lmv::bw_set_lut_maximum(1);
    lmv::bw_store_parameters({100, 200, 1});
    ASSERT_EQ(SET_INIT(0), lmv::kOk);
    env_.ClearTrace();
    ASSERT_EQ(SET_INIT(1), lmv::kOk);
    EXPECT_EQ(lmv::bw_lut_maximum(), 4096);
    EXPECT_EQ(Kept(), Built(0, 4095, 0));
    EXPECT_TRUE(LutLoads().empty());  // kept only: the device opens after the defaults
}

TEST_F(BwSetupTest, DefaultsAreLinearOverTheWholeRange) {
    lmv::bw_store_parameters({100, 200, 1});
    ASSERT_EQ(lmv::bw_build_default(0), lmv::kOk);
    int min = -1, max = -1, lin = -1;
    lmv::bw_get_dialog(&min, &max, &lin);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 4095);
    EXPECT_EQ(lin, 0);
    EXPECT_EQ(Kept(), Built(0, 4095, 0));
    EXPECT_EQ(LutLoads(), std::vector<std::string>{LoadLine(Built(0, 4095, 0))});
    // A board whose device is not open yet keeps the table for later.
    lmv::driver::close_all();
    env_.ClearTrace();
    ASSERT_EQ(lmv::bw_build_default(0), lmv::kOk);
    EXPECT_TRUE(LutLoads().empty());
}

TEST_F(BwSetupTest, RestoreCreatesTheMissingKeyWithDefaults) {
    lmv::bw_store_parameters({100, 200, 1});
    ASSERT_EQ(lmv::bw_restore(0), lmv::kOk);
    auto key = RegistryKey::Open(Hive::CurrentUser, lmv::bw_registry_key(0));
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadDword("LutBW min"), 0u);
    EXPECT_EQ(key->ReadDword("LutBW max"), 4095u);
    EXPECT_EQ(key->ReadDword("LutBW lin"), 0u);
    EXPECT_EQ(Kept(), Built(0, 4095, 0));
}

TEST_F(BwSetupTest, RestoreUsesTheStoredSettings) {
    auto key = RegistryKey::Create(Hive::CurrentUser, lmv::bw_registry_key(0));
    ASSERT_TRUE(key);
    key->WriteDword("LutBW min", 100);
    key->WriteDword("LutBW max", 1650);
    key->WriteDword("LutBW lin", 1);
    ASSERT_EQ(lmv::bw_restore(0), lmv::kOk);
    int min = -1, max = -1, lin = -1;
    lmv::bw_get_dialog(&min, &max, &lin);
    EXPECT_EQ(min, 100);
    EXPECT_EQ(max, 1650);
    EXPECT_EQ(lin, 1);
    EXPECT_EQ(Kept(), Built(100, 1650, 1));
    EXPECT_EQ(LutLoads(), std::vector<std::string>{LoadLine(Built(100, 1650, 1))});
}

}  // namespace
