// The orientation transforms on small images of every shape, against the positions they must
// move each pixel to.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "camera/acquire/ImageOrientation.h"

namespace {

struct Shape {
    size_t width;
    size_t height;
};

class Orientation : public ::testing::TestWithParam<Shape> {
  protected:
    std::vector<uint16_t> Numbered() const {
        std::vector<uint16_t> p(GetParam().width * GetParam().height);
        std::iota(p.begin(), p.end(), uint16_t{1});
        return p;
    }
    uint16_t At(size_t x, size_t y) const {
        return static_cast<uint16_t>(1 + y * GetParam().width + x);
    }
};

TEST_P(Orientation, EachTransformMovesEveryPixelToItsPlace) {
    const auto [w, h] = GetParam();
    auto flipped = Numbered(), mirrored = Numbered(), rotated = Numbered();
    ASSERT_TRUE(lmv::flip_vertical(flipped.data(), w, h));
    lmv::mirror_rows(mirrored.data(), w, h);
    lmv::rotate_180(rotated.data(), w, h);
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            EXPECT_EQ(flipped[y * w + x], At(x, h - 1 - y));
            EXPECT_EQ(mirrored[y * w + x], At(w - 1 - x, y));
            EXPECT_EQ(rotated[y * w + x], At(w - 1 - x, h - 1 - y));
        }
}

TEST_P(Orientation, EightBitImagesTurnTheSameWay) {
    const auto [w, h] = GetParam();
    std::vector<uint8_t> p(w * h);
    std::iota(p.begin(), p.end(), uint8_t{0});
    const std::vector<uint8_t> original = p;
    ASSERT_TRUE(lmv::flip_vertical(p.data(), w, h));
    ASSERT_TRUE(lmv::flip_vertical(p.data(), w, h));
    EXPECT_EQ(p, original) << "flipping twice restores the image";
    lmv::mirror_rows(p.data(), w, h);
    lmv::flip_vertical(p.data(), w, h);
    std::vector<uint8_t> rotated = original;
    lmv::rotate_180(rotated.data(), w, h);
    EXPECT_EQ(p, rotated) << "mirror and flip make a rotation";
}

INSTANTIATE_TEST_SUITE_P(Shapes, Orientation,
                         ::testing::Values(Shape{1, 1}, Shape{4, 3}, Shape{3, 4}, Shape{1, 7},
                                           Shape{7, 1}, Shape{16, 16}, Shape{5, 2}));

}  // namespace
