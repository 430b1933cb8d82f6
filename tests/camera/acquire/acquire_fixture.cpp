#include "acquire_fixture.h"

#include <cstdlib>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "simulators/lmvpci/SimTrace.h"
#include "winport/Clock.h"

namespace testing_acquire {

std::string StatusLine(bool picture) {
    return std::string("0 ioctl 0x222038 in=- out=") + (picture ? "00000004" : "00000000");
}

std::string BusyLine(bool busy) {
    return std::string("0 ioctl 0x222044 in=- out=") + (busy ? "02000000" : "00000000");
}

std::string BoardCommandLine(uint32_t command) {
    return "0 ioctl 0x222004 in=" + testing_lmv::Le({command}) + " out=-";
}

std::string Write(uint32_t value) {
    return testing_lmv::RegisterWrite(0, 0, value);
}

void AcquireTest::SetUp() {
    ReadyBoardTest::SetUp();
}

void AcquireTest::TearDown() {
    lmv::library().readBusy = 0;
    ReadyBoardTest::TearDown();
}

void AcquireTest::Reopen(std::initializer_list<std::pair<const char*, const char*>> settings) {
    (void)lmv::driver::close_channel(0);
    for (const auto& [name, value] : settings) ::setenv(name, value, 1);
    ASSERT_EQ(testing_lmv::OpenReadyBoard(0), lmv::kOk);
    env_.ClearTrace();
}

void AcquireTest::LoadSmallTable(int exposure_ms) {
    testing_lmv::Coc c;
    c.xmin = 1;
    c.xmax = 2;
    c.ymin = 1;
    c.ymax = 2;
    c.text = "0," + std::to_string(exposure_ms) + ",-1,-1";
    ASSERT_EQ(testing_lmv::SetCoc(c), lmv::kOk);
    int w = 0, h = 0;
    ASSERT_EQ(GET_IMAGE_SIZE(&w, &h), lmv::kOk);
    ASSERT_EQ(w, kSize);
    ASSERT_EQ(h, kSize);
    env_.ClearTrace();
}

bool AcquireTest::WaitPicture(int ms) {
    const uint32_t start = winport::TickCount();
    do {
        uint32_t status = 0;
        if (lmv::driver::read_status(0, &status) == lmv::kOk &&
            (status & lmv::ioctl::kStatusPicture))
            return true;
        winport::SleepMs(1);
    } while (winport::TicksSince(start) < static_cast<uint32_t>(ms));
    return false;
}

void AcquireTest::TakePicture() {
    ASSERT_EQ(RUN_COC(4), lmv::kOk);
    ASSERT_TRUE(WaitPicture());
    env_.ClearTrace();
}

std::vector<uint16_t> AcquireTest::Read12(int mode, int& rc) {
    std::vector<uint16_t> p(kSize * kSize, 0xEEEE);
    rc = READ_IMAGE_12BIT(mode, kSize, kSize, p.data());
    return p;
}

std::vector<uint8_t> AcquireTest::Read8(int mode, int& rc) {
    std::vector<uint8_t> p(kSize * kSize, 0xEE);
    rc = READ_IMAGE_8BIT(mode, kSize, kSize, p.data());
    return p;
}

void AcquireTest::LoadLowByteLut() {
    uint8_t lut[lmv::ioctl::kLutBytes];
    for (uint32_t v = 0; v < lmv::ioctl::kLutBytes; ++v) lut[v] = static_cast<uint8_t>(v & 0xFF);
    ASSERT_EQ(lmv::driver::load_lut(0, lut), lmv::kOk);
}

}  // namespace testing_acquire
