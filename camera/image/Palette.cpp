#include "camera/image/Palette.h"

#include <atomic>
#include <new>

namespace lmv {
namespace {

constexpr int kSmallScreenPalette = 256;  // screens above this get the large palette
constexpr int kShortRamp = 16;
constexpr int kLongRamp = 256;

enum colour_bits : unsigned { kBlue = 1, kGreen = 2, kRed = 4 };
constexpr unsigned kSmallRamps[] = {kBlue,          kGreen,       kRed,
                                    kGreen | kBlue, kRed | kBlue, kRed | kGreen};
constexpr unsigned kLargeLongRamps[] = {kBlue, kGreen, kRed, kGreen | kBlue};
constexpr unsigned kLargeShortRamps[] = {kRed | kBlue, kRed | kGreen};

std::atomic<display_palette*> current{nullptr};

palette_entry coloured(unsigned colours, int value) {
    const auto v = static_cast<uint8_t>(value);
    return {colours & kRed ? v : uint8_t{0}, colours & kGreen ? v : uint8_t{0},
            colours & kBlue ? v : uint8_t{0}, 0};
}

void add_grey(std::vector<palette_entry>& out, int levels) {
    const int step = 256 / levels;
    for (int i = 0; i < levels; ++i) out.push_back(coloured(kRed | kGreen | kBlue, i * step));
}

// Ramps of `steps` values ending at 255: 15, 31 .. 255 for 16 steps, 0 .. 255 for 256.
void add_ramp(std::vector<palette_entry>& out, unsigned colours, int steps) {
    const int step = 256 / steps;
    for (int i = 0; i < steps; ++i) out.push_back(coloured(colours, (i + 1) * step - 1));
}

}  // namespace

display_palette palette_build(int device_palette_size) {
    display_palette p;
    auto& e = p.entries;
    if (device_palette_size > kSmallScreenPalette) {
        e.reserve(kLargePaletteEntries);
        add_grey(e, kLongRamp);
        for (unsigned c : kLargeLongRamps) add_ramp(e, c, kLongRamp);
        for (unsigned c : kLargeShortRamps) add_ramp(e, c, kShortRamp);
        e.resize(kLargePaletteEntries, palette_entry{0, 0, 0, 0});
    } else {
        e.reserve(kSmallPaletteEntries);
        add_grey(e, kSmallPaletteEntries - 6 * kShortRamp);
        for (unsigned c : kSmallRamps) add_ramp(e, c, kShortRamp);
    }
    return p;
}

int screen_palette_size() {
    return 0;
}

void palette_create() {
    palette_delete();
    const int size = screen_palette_size();
    if (size <= 0) return;
    current = new (std::nothrow) display_palette(palette_build(size));
}

void palette_delete() {
    delete current.exchange(nullptr);
}

display_palette* palette_handle() {
    return current.load();
}

}  // namespace lmv
