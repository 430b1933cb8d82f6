// Colour conversion of a 16-megapixel R G / G B mosaic (4096 x 4096) as READ_IMAGE_COL does it
// (mode 0, 24-bit), and modes 32 (neighbour means) and 16 (pseudo colour), against OpenCV on the
// same data in the same run: demosaicing of the 16-bit mosaic to BGR, conversion to 8 bits and a
// three-channel table. OpenCV's path is a timing baseline only (8-bit tables, its own
// interpolation), not a reference. Counters, ms per image (fastest of the iterations): ours
// (two threads), ours_one_thread, opencv (default thread count), opencv_one_thread; ratios:
// vs_opencv (ours / opencv) and one_thread_vs_opencv_one_thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "camera/image/ConvertColour.h"
#include "camera/image/OutputLut.h"

namespace {

using clock_type = std::chrono::steady_clock;
constexpr int kSide = 4096;

template <typename Fn>
void time_ms(double& best, Fn&& fn) {
    const auto t0 = clock_type::now();
    fn();
    benchmark::ClobberMemory();
    const double ms = std::chrono::duration<double, std::milli>(clock_type::now() - t0).count();
    best = std::min(best, ms);
}

// The Bayer code of OpenCV that reads R G / G B: found on a small mosaic of red 4000, green 2000,
// blue 0, whose inner pixels must come out red.
int matching_bayer_code() {
    cv::Mat mosaic(8, 8, CV_16UC1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            mosaic.at<uint16_t>(y, x) = (y % 2 == 0 && x % 2 == 0)   ? 4000
                                        : (y % 2 == 1 && x % 2 == 1) ? 0
                                                                     : 2000;
    for (int code : {cv::COLOR_BayerBG2BGR, cv::COLOR_BayerGB2BGR, cv::COLOR_BayerRG2BGR,
                     cv::COLOR_BayerGR2BGR}) {
        cv::Mat bgr;
        cv::cvtColor(mosaic, bgr, code);
        const cv::Vec<uint16_t, 3> p = bgr.at<cv::Vec<uint16_t, 3>>(4, 4);
        if (p[0] == 0 && p[1] == 2000 && p[2] == 4000) return code;
    }
    return -1;
}

struct fixture {
    std::vector<uint16_t> src;
    std::vector<uint8_t> red, green, blue, bw, pseudo;
    cv::Mat lut;  // 1 x 256, three channels
    lmv::colour_conversion_tables tables{};

    fixture() : src(static_cast<size_t>(kSide) * kSide) {
        std::mt19937 rng(1);
        for (auto& p : src) p = static_cast<uint16_t>(rng() & 0xFFF);
        red.assign(lmv::kConversionEntries, 255);
        green = blue = bw = red;
        (void)lmv::lut_build(0, 4095, 0, red.data());
        (void)lmv::lut_build(100, 3000, 0, green.data());
        (void)lmv::lut_build(50, 4000, 1, blue.data());
        (void)lmv::lut_build(0, 4095, 1, bw.data());
        pseudo.resize(256);
        for (int k = 0; k < 256; ++k) pseudo[k] = static_cast<uint8_t>(k);
        lut.create(1, 256, CV_8UC3);
        for (int k = 0; k < 256; ++k)
            lut.at<cv::Vec3b>(0, k) = cv::Vec3b(blue[k * 16], green[k * 16], red[k * 16]);
        tables = {red.data(),    green.data(),  blue.data(),  bw.data(),
                  pseudo.data(), pseudo.data(), pseudo.data()};
    }
};

void opencv_path(const cv::Mat& mosaic, int code, const cv::Mat& lut, cv::Mat& out) {
    cv::Mat bgr16, bgr8;
    cv::cvtColor(mosaic, bgr16, code);
    bgr16.convertTo(bgr8, CV_8UC3, 1.0 / 16);
    cv::LUT(bgr8, lut, out);
}

void colour_vs_opencv(benchmark::State& state) {
    static fixture f;
    const int mode = static_cast<int>(state.range(0));
    const int code = matching_bayer_code();
    if (code < 0) {
        state.SkipWithError("no OpenCV Bayer code reads R G / G B");
        return;
    }
    const cv::Mat mosaic(kSide, kSide, CV_16UC1, f.src.data());
    std::vector<uint8_t> ours(static_cast<size_t>(kSide) * kSide * 3), one(ours.size());
    cv::Mat out;
    const int default_threads = cv::getNumThreads();
    const double never = std::numeric_limits<double>::max();
    double t_ours = never, t_one = never, t_cv = never, t_cv_one = never;
    for (auto _ : state) {
        time_ms(t_ours, [&] {
            (void)lmv::convert_12tocol(mode, kSide, kSide, f.src.data(), ours.data(), f.tables);
        });
        time_ms(t_one, [&] {
            (void)lmv::convert_12tocol(mode, kSide, kSide, f.src.data(), one.data(), f.tables, 1);
        });
        cv::setNumThreads(default_threads);
        time_ms(t_cv, [&] { opencv_path(mosaic, code, f.lut, out); });
        cv::setNumThreads(1);
        time_ms(t_cv_one, [&] { opencv_path(mosaic, code, f.lut, out); });
        cv::setNumThreads(default_threads);
        benchmark::DoNotOptimize(ours.data());
        benchmark::DoNotOptimize(one.data());
        benchmark::DoNotOptimize(out.data);
    }
    if (ours != one) state.SkipWithError("two threads differ from one");
    state.counters["ours_ms"] = t_ours;
    state.counters["ours_one_thread_ms"] = t_one;
    state.counters["opencv_ms"] = t_cv;
    state.counters["opencv_one_thread_ms"] = t_cv_one;
    state.counters["vs_opencv"] = t_ours / t_cv;
    state.counters["one_thread_vs_opencv_one_thread"] = t_one / t_cv_one;
    state.counters["opencv_threads"] = default_threads;
    state.counters["bayer_code"] = code;  // the cv::COLOR_Bayer..2BGR that reads R G / G B
}

BENCHMARK(colour_vs_opencv)->Arg(0)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
