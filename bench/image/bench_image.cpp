// 12-to-8-bit conversion (mode 0) of 1, 4 and 16 megapixel images, against a copy of the source
// bytes and against the plain one-pixel-at-a-time loop, all measured in the same run.
// Counters (ms per image, the fastest of the iterations, which a shared machine disturbs least):
// convert, one_thread (the same loops without the second thread), plain, copy; ratios: vs_copy
// (convert / copy), vs_plain (convert / plain), one_thread_vs_copy, one_thread_vs_plain.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "camera/image/Convert12To8.h"
#include "camera/image/OutputLut.h"

namespace {

using clock_type = std::chrono::steady_clock;

__attribute__((noinline)) void plain_loop(const uint16_t* src, uint8_t* dst, size_t n,
                                          const uint8_t* table) {
    for (size_t i = 0; i < n; ++i) dst[i] = table[src[i]];
}

// Runs `fn` and keeps the fastest time seen in `best`.
template <typename Fn>
void time_ms(double& best, Fn&& fn) {
    const auto t0 = clock_type::now();
    fn();
    benchmark::ClobberMemory();
    const double ms = std::chrono::duration<double, std::milli>(clock_type::now() - t0).count();
    best = std::min(best, ms);
}

void convert_mode0(benchmark::State& state) {
    const size_t pixels = static_cast<size_t>(state.range(0)) << 20;
    const int width = state.range(0) >= 4 ? 2048 : 1024;
    const int height = static_cast<int>(pixels / static_cast<size_t>(width));
    std::vector<uint16_t> src(pixels);
    std::mt19937 rng(1);
    for (auto& p : src) p = static_cast<uint16_t>(rng() & 0xFFF);
    std::vector<uint8_t> table(lmv::kConversionEntries, 255);
    lmv::lut_build(0, 4095, 1, table.data());
    std::vector<uint8_t> dst(pixels, 1), ref(pixels, 2), one(pixels, 3);
    std::vector<uint16_t> copy(pixels, 4);

    const double never = std::numeric_limits<double>::max();
    double convert = never, one_thread = never, plain = never, copied = never;
    for (auto _ : state) {
        time_ms(convert, [&] {
            lmv::convert_12to8(0, width, height, src.data(), dst.data(), table.data());
        });
        time_ms(one_thread, [&] {
            lmv::convert_12to8(0, width, height, src.data(), one.data(), table.data(), 1);
        });
        time_ms(plain, [&] { plain_loop(src.data(), ref.data(), pixels, table.data()); });
        time_ms(copied, [&] { std::memcpy(copy.data(), src.data(), pixels * 2); });
        benchmark::DoNotOptimize(dst.data());
        benchmark::DoNotOptimize(one.data());
        benchmark::DoNotOptimize(ref.data());
        benchmark::DoNotOptimize(copy.data());
    }
    if (dst != ref || one != ref) state.SkipWithError("conversion differs from the plain loop");
    state.counters["convert_ms"] = convert;
    state.counters["one_thread_ms"] = one_thread;
    state.counters["plain_ms"] = plain;
    state.counters["copy_ms"] = copied;
    state.counters["vs_copy"] = convert / copied;
    state.counters["vs_plain"] = convert / plain;
    state.counters["one_thread_vs_copy"] = one_thread / copied;
    state.counters["one_thread_vs_plain"] = one_thread / plain;
}

BENCHMARK(convert_mode0)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
