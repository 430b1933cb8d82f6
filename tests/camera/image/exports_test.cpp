// The image exports of the built liblmvntcam.so, loaded by path as an application loads it.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loaded_library.h"

namespace {

using ConvertFn = int (*)(int, int, int, short*, unsigned char*);
using LoadLutFn = int (*)(unsigned char*);
using SetBwFn = int (*)(int, int, int);
using GetBwFn = int (*)(int*, int*, int*);
using PaletteFn = void** (*)(void**);
using MinMaxFn = int (*)(int, int*, int*, int, int, unsigned short*);
using MinMaxOffFn = int (*)(int, int*, int*, int, int, int, int, unsigned short*);
using RangeFn = int (*)(int, int*, int, int, int, unsigned short*);

using ImageExportsTest = testing_lmv::LoadedLibraryTest;

TEST_F(ImageExportsTest, TableConversionAndParameters) {
    // At load every pixel converts to 255.
    std::vector<short> src = {0, 100, 4095, -1};
    std::vector<unsigned char> dst(4, 0);
    ASSERT_EQ(Get<ConvertFn>("CONVERT_BUFFER_12TO8")(0, 2, 2, src.data(), dst.data()), 0);
    EXPECT_EQ(dst, (std::vector<unsigned char>{255, 255, 255, 255}));

    std::vector<unsigned char> lut(4096);
    for (int i = 0; i < 4096; ++i) lut[i] = static_cast<unsigned char>(i >> 4);
    ASSERT_EQ(Get<LoadLutFn>("LOAD_OUTPUT_LUT")(lut.data()), 0);
    ASSERT_EQ(Get<ConvertFn>("CONVERT_BUFFER_12TO8")(9, 2, 2, src.data(), dst.data()), 0);
    EXPECT_EQ(dst, (std::vector<unsigned char>{255, 255, 6, 0}));  // -1 is 0xFFFF: white
    EXPECT_EQ(Get<ConvertFn>("CONVERT_BUFFER_12TO8")(2, 2, 2, src.data(), dst.data()), -3);
    EXPECT_EQ(Get<ConvertFn>("CONVERT_BUFFER_12TO8")(0, 2, 2, nullptr, dst.data()), -23);

    ASSERT_EQ(Get<SetBwFn>("SET_DIALOG_BW")(0, 4095, 0), 0);
    ASSERT_EQ(Get<ConvertFn>("CONVERT_BUFFER_12TO8")(0, 2, 2, src.data(), dst.data()), 0);
    EXPECT_EQ(dst, (std::vector<unsigned char>{0, 7, 255, 255}));
    int min = 0, max = 0, lin = -1;
    ASSERT_EQ(Get<GetBwFn>("GET_DIALOG_BW")(&min, &max, &lin), 0);
    EXPECT_EQ(max, 4095);
    EXPECT_EQ(lin, 0);
    EXPECT_TRUE(std::filesystem::exists(dir_ + "/HKCU.reg"));
}

TEST_F(ImageExportsTest, AutomaticFunctionsAndPalette) {
    std::vector<unsigned short> image(100, 100);
    int min = 0, max = 0;
    ASSERT_EQ(Get<MinMaxOffFn>("AUTO_MINMAX_OFF")(0, &min, &max, 0, 0, 10, 10, image.data()), 0);
    EXPECT_EQ(min, 99);
    EXPECT_EQ(max, 100);
    ASSERT_EQ(Get<MinMaxFn>("AUTO_MINMAX")(0, &min, &max, 10, 10, image.data()), 0);
    EXPECT_EQ(min, 100);
    // Board 0 has not been set up.
    EXPECT_EQ(Get<MinMaxFn>("AUTO_MINMAX")(0, &min, &max, 0, 0, nullptr), -1);
    int exposure = 0;
    EXPECT_EQ(Get<RangeFn>("AUTO_RANGE")(0, &exposure, 5, 0, 0, nullptr),
              -8);  // no camera type yet
    void* palette = &palette;
    EXPECT_EQ(Get<PaletteFn>("GET_PALETTE")(&palette), &palette);
    EXPECT_EQ(palette, nullptr);
}

}  // namespace
