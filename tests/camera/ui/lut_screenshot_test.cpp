// The dialogs as the user sees them: each window grabbed from the X server into a PNG in the
// build's test-output folder (kept for people to look at) and checked for the red curve and the
// bar's ramp.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include "lut_dialog_fixture.h"

namespace testing_lmv {
namespace {

struct picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    size_t red = 0;            // pixels of the curve's red
    std::set<int> ramp_greys;  // grey levels on the bar's row
    std::set<int> ramp_reds;   // red levels (the colour dialog's red bar)
};

unsigned channel(unsigned long pixel, unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return mask ? static_cast<unsigned>(((pixel >> shift) & mask) * 255 / mask) : 0;
}

picture grab(Display* d, Window w, int bar_row) {
    picture p;
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) return p;
    XImage* image = XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return p;
    p.width = a.width;
    p.height = a.height;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const unsigned long px = XGetPixel(image, x, y);
            const unsigned r = channel(px, image->red_mask), g = channel(px, image->green_mask),
                           b = channel(px, image->blue_mask);
            p.rgb.insert(p.rgb.end(), {static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                       static_cast<unsigned char>(b)});
            if (r > 200 && g < 60 && b < 60) ++p.red;
            if (y == bar_row && r == g && g == b) p.ramp_greys.insert(static_cast<int>(r));
            if (y == bar_row && g == 0 && b == 0) p.ramp_reds.insert(static_cast<int>(r));
        }
    XDestroyImage(image);
    return p;
}

bool write_png(const std::string& path, const picture& p) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, p.width, p.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < p.height; ++y)
        png_write_row(png,
                      const_cast<png_bytep>(p.rgb.data() + static_cast<size_t>(y) * p.width * 3));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

class LutScreenshotTest : public LutDialogTest {
  protected:
    picture Shoot(Window w, int bar_row, const std::string& name) {
        picture p;
        WaitFor([&] {
            p = grab(display_, w, bar_row);
            return p.red > 100 && (p.ramp_greys.size() > 100 || p.ramp_reds.size() > 100);
        });
        const std::string file = std::string(ZR_BUILD_DIR) + "/test-output/" + name;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        EXPECT_TRUE(write_png(file, p)) << file;
        EXPECT_GT(std::filesystem::file_size(file), 1000u);
        return p;
    }
};

TEST_F(LutScreenshotTest, TheBwDialogIsDrawn) {
    ASSERT_EQ(Get<open_fn>("OPEN_DIALOG_BW")(nullptr, 0, nullptr), 0);
    int window = 0, changed = 0;
    Get<status_fn>("STATUS_DIALOG_BW")(&window, &changed);
    const lmv::ui::control* bar = lmv::ui::find_control(lmv::ui::bw_layout(), 711);
    const picture p = Shoot(static_cast<Window>(window), bar->y + bar->h / 2, "lut_dialog_bw.png");
    EXPECT_GT(p.red, 100u);                // the red curve
    EXPECT_GT(p.ramp_greys.size(), 100u);  // the grey ramp under it
}

TEST_F(LutScreenshotTest, TheColourDialogIsDrawn) {
    ASSERT_EQ(Get<open_fn>("OPEN_DIALOG_COL")(nullptr, 0, nullptr), 0);
    int window = 0, changed = 0;
    Get<status_fn>("STATUS_DIALOG_COL")(&window, &changed);
    ClickControl(static_cast<Window>(window), lmv::ui::colour_layout(), 729);  // red channel
    const lmv::ui::control* bar = lmv::ui::find_control(lmv::ui::colour_layout(), 756);
    const picture p =
        Shoot(static_cast<Window>(window), bar->y + bar->h / 2, "lut_dialog_colour.png");
    EXPECT_GT(p.red, 100u);
    EXPECT_GT(p.ramp_reds.size(), 100u);
}

}  // namespace
}  // namespace testing_lmv
