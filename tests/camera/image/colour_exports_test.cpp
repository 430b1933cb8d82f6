// The colour exports of the built liblmvntcam.so, loaded by path as an application loads it, and
// the library's dependencies: the colour benchmark's OpenCV stays out of it.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loaded_library.h"

namespace {

using ConvertFn = int (*)(int, int, int, unsigned short*, unsigned char*);
using LoadFn = int (*)(unsigned char*, unsigned char*, unsigned char*);

using ColourExportsTest = testing_lmv::LoadedLibraryTest;

TEST_F(ColourExportsTest, TablesAreWhiteAtLoadUntilLoaded) {
    auto convert = Get<ConvertFn>("CONVERT_BUFFER_12TOCOL");
    auto load = Get<LoadFn>("LOAD_COLOR_LUT");
    auto load_pseudo = Get<LoadFn>("LOAD_PSEUDO_COLOR_LUT");
    ASSERT_TRUE(convert && load && load_pseudo);
    std::vector<unsigned short> src(4 * 2, 7);
    std::vector<unsigned char> dst(4 * 2 * 4, 1);
    for (int mode : {0, 16, 32}) {
        ASSERT_EQ(convert(mode, 4, 2, src.data(), dst.data()), 0);
        EXPECT_EQ(std::vector<unsigned char>(dst.begin(), dst.begin() + 24),
                  std::vector<unsigned char>(24, 255))
            << mode;
    }
    std::vector<unsigned char> r(4096, 10), g(4096, 20), b(4096, 30);
    ASSERT_EQ(load(r.data(), g.data(), b.data()), 0);
    ASSERT_EQ(convert(2, 4, 2, src.data(), dst.data()), 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(std::vector<unsigned char>(dst.begin() + i * 4, dst.begin() + i * 4 + 4),
                  (std::vector<unsigned char>{30, 20, 10, 0}));
    EXPECT_EQ(load(r.data(), g.data(), nullptr), -23);
    EXPECT_EQ(load_pseudo(nullptr, g.data(), b.data()), -23);
    EXPECT_EQ(convert(4, 4, 2, src.data(), dst.data()), -3);
    EXPECT_EQ(convert(0, 4, 2, nullptr, dst.data()), -23);
}

TEST(ColourLibraryDependencies, NoOpenCvLibraryIsNeeded) {
    FILE* readelf = popen("readelf -d " ZR_BUILD_DIR "/lib/liblmvntcam.so", "r");
    ASSERT_NE(readelf, nullptr);
    std::string out;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, readelf)) out += buffer;
    ASSERT_EQ(pclose(readelf), 0);
    EXPECT_NE(out.find("(NEEDED)"), std::string::npos) << out;
    EXPECT_EQ(out.find("opencv"), std::string::npos) << out;
}

}  // namespace
