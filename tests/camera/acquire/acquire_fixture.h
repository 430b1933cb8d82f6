#pragma once
// A ready board on the simulated board for the acquisition tests, with the exports as an
// application calls them and the trace lines they leave.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "camera/cocparams/coc_values.h"
#include "camera/fixture/camera_fixture.h"
#include "lmvntcam.h"

namespace testing_acquire {

// Wire forms of the trace.
std::string StatusLine(bool picture);
std::string BusyLine(bool busy);
std::string BoardCommandLine(uint32_t command);
std::string Write(uint32_t value);  // camera command register

// Pixel steps of a picture modulo `period`: along a row and down a column. Both simulated
// pictures are affine in the column and the row modulo 1024 (12-bit) and 256 (8-bit, through an
// output table that keeps the low byte), so orientation shows in the signs of the steps.
struct Steps {
    int along;
    int down;
    bool operator==(const Steps&) const = default;
};
template <typename Pixel>
Steps StepsOf(const std::vector<Pixel>& p, int width, int period) {
    auto diff = [&](size_t a, size_t b) {
        return ((int(p[a]) - int(p[b])) % period + period) % period;
    };
    return Steps{diff(1, 0), diff(size_t(width), 0)};
}
inline Steps Negated(Steps s, int period) {
    return Steps{(period - s.along) % period, (period - s.down) % period};
}

// Side of the square pictures of the small table.
inline constexpr int kSize = 64;

class AcquireTest : public testing_lmv::ReadyBoardTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens board 0 again with these simulator settings.
    void Reopen(std::initializer_list<std::pair<const char*, const char*>> settings);
    // A 64 x 64 table (blocks 1..2 in both directions) with this exposure in ms.
    void LoadSmallTable(int exposure_ms = 1);
    // Waits up to `ms` for a picture in the board buffer.
    bool WaitPicture(int ms = 5000);
    // Starts a single picture and waits for it.
    void TakePicture();
    std::vector<uint16_t> Read12(int mode, int& rc);
    std::vector<uint8_t> Read8(int mode, int& rc);
    // An output table that keeps the low byte of each 12-bit value.
    void LoadLowByteLut();
};

}  // namespace testing_acquire
