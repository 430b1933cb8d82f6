#include "camera/image/ColourTables.h"

#include <cstring>

#include "camera/api/ResultCodes.h"

namespace lmv {
namespace {

constexpr uint8_t kWhite = 255;

struct colour_tables {
    uint8_t conversion[kColourChannels][kConversionEntries];
    uint8_t pseudo[kColourChannels][kPseudoEntries];
    colour_tables() { fill_white(); }
    void fill_white() {
        std::memset(conversion, kWhite, sizeof conversion);
        std::memset(pseudo, kWhite, sizeof pseudo);
    }
};

colour_tables& tables() {
    static colour_tables t;
    return t;
}

}  // namespace

const uint8_t* colour_conversion_table(colour_channel channel) {
    return tables().conversion[channel];
}

const uint8_t* pseudo_colour_table(colour_channel channel) {
    return tables().pseudo[channel];
}

int colour_load_tables(const uint8_t* red, const uint8_t* green, const uint8_t* blue) {
    if (!red || !green || !blue) return kNoMemory;
    std::memcpy(tables().conversion[kRed], red, kLutEntries);
    std::memcpy(tables().conversion[kGreen], green, kLutEntries);
    std::memcpy(tables().conversion[kBlue], blue, kLutEntries);
    return kOk;
}

int pseudo_colour_load_tables(const uint8_t* red, const uint8_t* green, const uint8_t* blue) {
    if (!red || !green || !blue) return kNoMemory;
    std::memcpy(tables().pseudo[kRed], red, kPseudoEntries);
    std::memcpy(tables().pseudo[kGreen], green, kPseudoEntries);
    std::memcpy(tables().pseudo[kBlue], blue, kPseudoEntries);
    return kOk;
}

void pseudo_colour_load_grey_ramp() {
    uint8_t ramp[kPseudoEntries];
    for (int k = 0; k < kPseudoEntries; ++k) ramp[k] = static_cast<uint8_t>(k);
    (void)pseudo_colour_load_tables(ramp, ramp, ramp);
}

void colour_reset_tables() {
    tables().fill_white();
}

}  // namespace lmv
