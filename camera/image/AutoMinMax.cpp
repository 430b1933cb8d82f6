#include "camera/image/AutoMinMax.h"

#include <algorithm>
#include <cstring>

#include "camera/api/ResultCodes.h"
#include "camera/image/BwSettings.h"
#include "camera/image/ImageCapture.h"
#include "camera/image/ImageSize.h"

namespace lmv {
namespace {

constexpr int kTopLevel = kHistogramBins - 1;

struct image_view {
    const uint16_t* pixels = nullptr;
    size_t count = 0;
};

// The caller's image, or a picture taken for it into `taken`.
int image_for(const image_capture_procedures& procs, int width, int height, const uint16_t* image,
              captured_image& taken, image_view& view) {
    if (image) {
        if (int rc = image_size_check(width, height, 2, image_empty::allowed); rc != kOk) return rc;
        view = {image, static_cast<size_t>(width) * static_cast<size_t>(height)};
        return kOk;
    }
    if (int rc = image_take_picture(procs, taken); rc != kOk) return rc;
    view = {taken.pixels.data(), taken.pixels.size()};
    return kOk;
}

int finish(int mode, level_range r, int* min, int* max) {
    if (mode == kAutoMinMaxUpdateDialog) {
        bw_parameters p;
        bw_get_dialog(&p.min, &p.max, &p.lin);
        bw_set_dialog(r.min, r.max, p.lin);
    }
    *min = r.min;
    *max = r.max;
    return kOk;
}

}  // namespace

level_range image_extremes(const uint16_t* image, size_t pixels) {
    uint16_t lo = kTopLevel, hi = 1;
    for (size_t i = 0; i < pixels; ++i) {
        const uint16_t v = std::min<uint16_t>(image[i], kTopLevel);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    return {lo, hi};
}

void image_histogram(const uint16_t* image, size_t pixels, uint32_t histogram[kHistogramBins]) {
    std::memset(histogram, 0, kHistogramBins * sizeof histogram[0]);
    for (size_t i = 0; i < pixels; ++i) ++histogram[std::min<uint16_t>(image[i], kTopLevel)];
}

level_range histogram_range(const uint32_t histogram[kHistogramBins], size_t pixels,
                            int low_percent, int high_percent) {
    const auto n = static_cast<long long>(pixels);
    const long long low_limit = n * low_percent / 100;
    const long long high_limit = n * high_percent / 100;
    long long sum = 0;
    int min = 0;
    for (; min < kTopLevel; ++min) {
        sum += histogram[min];
        if (sum > low_limit) break;
    }
    sum = 0;
    int max = kTopLevel;
    for (; max > 0; --max) {
        sum += histogram[max];
        if (sum > high_limit) break;
    }
    if (max <= 0) max = 1;
    if (min >= max) min = max - 1;
    return {min, max};
}

int auto_minmax(const image_capture_procedures& procs, int mode, int* min, int* max, int width,
                int height, const uint16_t* image) {
    if (!min || !max) return kNoMemory;
    captured_image taken;
    image_view view;
    if (int rc = image_for(procs, width, height, image, taken, view); rc != kOk) return rc;
    return finish(mode, image_extremes(view.pixels, view.count), min, max);
}

int auto_minmax_off(const image_capture_procedures& procs, int mode, int* min, int* max,
                    int low_percent, int high_percent, int width, int height,
                    const uint16_t* image) {
    if (!min || !max) return kNoMemory;
    captured_image taken;
    image_view view;
    if (int rc = image_for(procs, width, height, image, taken, view); rc != kOk) return rc;
    uint32_t histogram[kHistogramBins];
    image_histogram(view.pixels, view.count, histogram);
    return finish(mode, histogram_range(histogram, view.count, low_percent, high_percent), min,
                  max);
}

}  // namespace lmv
