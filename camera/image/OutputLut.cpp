#include "camera/image/OutputLut.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

constexpr uint8_t kWhite = 255;
constexpr int kMidLevel = 128;

// The only copy of the B/W output table: its first 4096 entries are the table itself.
struct conversion_table {
    uint8_t entries[kConversionEntries];
    conversion_table() { std::memset(entries, kWhite, sizeof entries); }
};

conversion_table& conversion() {
    static conversion_table table;
    return table;
}

std::array<uint8_t, kGammaLevels> make_gamma_curve() {
    std::array<uint8_t, kGammaLevels> curve{};
    const double base = std::pow(5.0, 0.45);
    const double span = std::pow(260.0, 0.45) - base;
    for (int k = 0; k < kGammaLevels; ++k)
        curve[k] = static_cast<uint8_t>(255.0 * (std::pow(k + 5.0, 0.45) - base) / span);
    return curve;
}

}  // namespace

lut_range lut_clamp(int min, int max) {
    lut_range r{std::clamp(min, 0, kLutMinLimit), std::clamp(max, 1, kLutMaxLimit)};
    if (r.max < r.min) r.max = r.min + 1;
    return r;
}

const uint8_t* lut_gamma_curve() {
    static const std::array<uint8_t, kGammaLevels> curve = make_gamma_curve();
    return curve.data();
}

int lut_build(int min, int max, int gamma, uint8_t table[kLutEntries]) {
    const lut_range r = lut_clamp(min, max);
    const uint8_t* curve = lut_gamma_curve();
    const double step = (r.max - r.min) / 256.0;
    std::memset(table, 0, static_cast<size_t>(r.min));
    int level = 0;
    double threshold = r.min;
    for (int i = r.min; i < r.max; ++i) {
        const int capped = std::min(level, kGammaLevels - 1);
        table[i] = gamma ? curve[capped] : static_cast<uint8_t>(capped);
        // The level rises once per threshold passed; a step below one pixel still rises by one.
        if (i >= static_cast<int>(threshold)) {
            ++level;
            threshold += step;
            while (threshold < i) threshold += step;
        }
    }
    std::memset(table + r.max, kWhite, static_cast<size_t>(kLutEntries - r.max));
    for (int i = kLutEntries - 1; i >= 0; --i)
        if (table[i] == kMidLevel) return i;
    return (r.min + r.max) / 2;
}

const uint8_t* bw_conversion_table() {
    return conversion().entries;
}

void bw_store_table(const uint8_t table[kLutEntries]) {
    std::memcpy(conversion().entries, table, kLutEntries);
}

void bw_reset_table() {
    std::memset(conversion().entries, kWhite, kConversionEntries);
}

int load_output_lut(const uint8_t* table) {
    log_message(kLogApi, "LOAD_OUTPUT_LUT()\r\n");
    if (!table) return kNoMemory;
    bw_store_table(table);
    const int board = library().currentBoard.load();
    if (board_state(board) > kBoardOpened)
        (void)driver::load_lut(board, table);  // best effort; the table is kept for the next load
    return kOk;
}

}  // namespace lmv
