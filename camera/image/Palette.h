#pragma once
// The 8-bit display palette made at library load for palette-based screens. Linux screens are
// never palette-based, so there the handle stays null; the palette itself is still built here for
// screens that report a palette.
#include <cstdint>
#include <vector>

namespace lmv {

constexpr uint16_t kPaletteVersion = 0x300;
constexpr int kSmallPaletteEntries = 224;   // screens with up to 256 palette entries
constexpr int kLargePaletteEntries = 2240;  // screens with more

struct palette_entry {
    uint8_t red, green, blue, flags;
    bool operator==(const palette_entry&) const = default;
};

struct display_palette {
    uint16_t version = kPaletteVersion;
    std::vector<palette_entry> entries;
};

// Small: 128 grey levels 0, 2 .. 254, then 16-step ramps (15, 31 .. 255) of blue, green, red,
// cyan, magenta and yellow. Large: 256 grey levels, 256-step ramps of blue, green, red and cyan,
// 16-step ramps of magenta and yellow; the entries after them stay black.
display_palette palette_build(int device_palette_size);

// Palette entries of the screen when it is palette-based, else 0.
int screen_palette_size();

// Library load: creates the palette when the screen is palette-based. Unload deletes it.
void palette_create();
void palette_delete();
// The palette handle; null without a palette-based screen.
display_palette* palette_handle();

}  // namespace lmv
