// The display palette's layout, and GET_PALETTE on a screen without palette.
#include <gtest/gtest.h>

#include "camera/image/ImageLibrary.h"
#include "camera/image/Palette.h"
#include "lmvntcam.h"

namespace {

using lmv::palette_entry;

palette_entry Rgb(int r, int g, int b) {
    return {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 0};
}

TEST(Palette, SmallScreenLayout) {
    const lmv::display_palette p = lmv::palette_build(256);
    EXPECT_EQ(p.version, 0x300);
    ASSERT_EQ(p.entries.size(), 224u);
    for (int i = 0; i < 128; ++i) ASSERT_EQ(p.entries[i], Rgb(2 * i, 2 * i, 2 * i)) << i;
    // blue, green, red, cyan, magenta, yellow: 16 steps 15 .. 255 each
    const palette_entry unit[] = {Rgb(0, 0, 1), Rgb(0, 1, 0), Rgb(1, 0, 0),
                                  Rgb(0, 1, 1), Rgb(1, 0, 1), Rgb(1, 1, 0)};
    for (int ramp = 0; ramp < 6; ++ramp) {
        for (int k = 0; k < 16; ++k) {
            const int v = 16 * k + 15;
            const palette_entry& u = unit[ramp];
            ASSERT_EQ(p.entries[128 + 16 * ramp + k], Rgb(u.red * v, u.green * v, u.blue * v))
                << ramp << " " << k;
        }
    }
}

TEST(Palette, LargeScreenLayout) {
    const lmv::display_palette p = lmv::palette_build(4096);
    ASSERT_EQ(p.entries.size(), 2240u);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(p.entries[i], Rgb(i, i, i));
    EXPECT_EQ(p.entries[256], Rgb(0, 0, 0));  // blue ramp starts at 0
    EXPECT_EQ(p.entries[256 + 255], Rgb(0, 0, 255));
    EXPECT_EQ(p.entries[512 + 100], Rgb(0, 100, 0));
    EXPECT_EQ(p.entries[768 + 200], Rgb(200, 0, 0));
    EXPECT_EQ(p.entries[1024 + 7], Rgb(0, 7, 7));
    EXPECT_EQ(p.entries[1280], Rgb(15, 0, 15));  // magenta, 16 steps
    EXPECT_EQ(p.entries[1296 + 15], Rgb(255, 255, 0));
    EXPECT_EQ(p.entries[1312], Rgb(0, 0, 0));
    EXPECT_EQ(p.entries.back(), Rgb(0, 0, 0));
}

TEST(Palette, NoPaletteScreenGivesANullHandle) {
    lmv::image_library_load();
    EXPECT_EQ(lmv::screen_palette_size(), 0);
    void* handle = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(GET_PALETTE(&handle), &handle);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(GET_PALETTE(nullptr), nullptr);
    lmv::image_library_unload();
    EXPECT_EQ(lmv::palette_handle(), nullptr);
}

}  // namespace
