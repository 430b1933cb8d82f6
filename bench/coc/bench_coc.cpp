// Generation of the largest operation-code tables, against a plain copy of a table of the same
// length measured in the same run. Counters: us_per_table, copy_us, ratio (build / copy), words.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <vector>

#include "camera/coc/CocBuilder.h"

namespace {

using clock_type = std::chrono::steady_clock;

lmv::board_record base(int ccd, int width, int height) {
    lmv::board_record rec{};
    rec.camera_typ = 2;
    rec.ccd_typ = ccd;
    rec.ccd_width = width;
    rec.ccd_height = height;
    rec.roixmax = width;
    rec.roiymax = height;
    rec.hbin = 1;
    rec.vbin = 1;
    rec.powerdown_lo = 1900;
    rec.powerdown_hi = 3071;
    return rec;
}

// Longest delay and exposure the cameras accept (1000 s each), full frame, no binning.
lmv::board_record longest_exposure() {
    lmv::board_record rec = base(3, 1280, 1024);
    rec.timevalues[0] = 1000000;
    rec.timevalues[1] = 1000000;
    return rec;
}

lmv::board_record double_exposure() {
    lmv::board_record rec = longest_exposure();
    rec.submode = 6;
    rec.timevalues[2] = 1000;
    rec.timevalues[3] = 1000000;
    return rec;
}

// Marks inside the exposure blocks split them into single words.
lmv::board_record timed_marks() {
    lmv::board_record rec = longest_exposure();
    rec.submode = 2;
    rec.timevalues[2] = 500000;
    rec.timevalues[3] = -1000;
    return rec;
}

// As many full-frame line reads as the board memory holds.
lmv::board_record line_sequence() {
    lmv::board_record rec = base(3, 1280, 1024);
    rec.submode = 5;
    rec.timevalues[0] = 1024;
    rec.timevalues[1] = 9999;
    rec.timevalues[2] = 76;
    return rec;
}

lmv::board_record overlapped_ccd21() {
    lmv::board_record rec = base(21, 1376, 1040);
    rec.submode = 1;
    rec.timevalues[1] = 1000000;
    return rec;
}

// Fast-shutter exposure list of 100 pairs of almost 20 ms each: the longest list that fits.
lmv::board_record fast_pairs() {
    lmv::board_record rec = base(1, 640, 480);
    rec.camera_typ = 1;
    rec.exp_min = 100;
    rec.exp_max = 2000000000;
    for (int i = 0; i < 100; ++i) {
        rec.timevalues[2 * i] = 19999900;
        rec.timevalues[2 * i + 1] = 19999900;
    }
    rec.timevalues[200] = -1;
    rec.timevalues[201] = -1;
    return rec;
}

// Fast-shutter groups: 50 groups of 14 repetitions of 2 ms delay and exposure.
lmv::board_record fast_groups() {
    lmv::board_record rec = base(1, 640, 480);
    rec.camera_typ = 1;
    rec.submode = 5;
    for (int i = 0; i < 50; ++i) {
        const int32_t group[] = {1, 14, 2000000, 2000000};
        std::copy(std::begin(group), std::end(group), rec.timevalues + 4 * i);
    }
    rec.timevalues[200] = -1;
    rec.timevalues[201] = -1;
    return rec;
}

// Intensified gate list of 100 groups of almost 1 ms delay and gate, exposure 1 s.
lmv::board_record intensified_groups() {
    lmv::board_record rec = base(1, 640, 480);
    rec.camera_typ = 5;
    rec.submode = 1;
    rec.exp_min = 100;
    rec.delay_max = 500;
    const int32_t head[] = {1000, 500, 0, 2};
    std::copy(std::begin(head), std::end(head), rec.timevalues);
    for (int i = 0; i < 100; ++i) {
        const int32_t group[] = {0, 999980, 0, 999980};
        std::copy(std::begin(group), std::end(group), rec.timevalues + 4 + 4 * i);
    }
    return rec;
}

void build_vs_copy(benchmark::State& state, lmv::board_record (*settings)()) {
    lmv::board_record rec = settings();
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    table.reserve(lmv::kCocBufferWords);
    if (lmv::coc_build(rec, previous, table) != 0) {
        state.SkipWithError("build failed");
        return;
    }
    const std::vector<uint16_t> source = table;
    std::vector<uint16_t> copy(source.size());

    double build_ns = 0;
    double copy_ns = 0;
    for (auto _ : state) {
        const auto t0 = clock_type::now();
        benchmark::DoNotOptimize(lmv::coc_build(rec, previous, table));
        benchmark::ClobberMemory();
        const auto t1 = clock_type::now();
        std::copy(source.begin(), source.end(), copy.begin());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
        const auto t2 = clock_type::now();
        build_ns += std::chrono::duration<double, std::nano>(t1 - t0).count();
        copy_ns += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["words"] = static_cast<double>(source.size());
    state.counters["us_per_table"] = build_ns / n / 1000.0;
    state.counters["copy_us"] = copy_ns / n / 1000.0;
    state.counters["ratio"] = copy_ns > 0 ? build_ns / copy_ns : 0.0;
}

BENCHMARK_CAPTURE(build_vs_copy, longest_exposure, longest_exposure)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(build_vs_copy, double_exposure, double_exposure)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(build_vs_copy, timed_marks, timed_marks)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(build_vs_copy, line_sequence, line_sequence)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(build_vs_copy, overlapped_ccd21, overlapped_ccd21)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(build_vs_copy, fast_pairs, fast_pairs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(build_vs_copy, fast_groups, fast_groups)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(build_vs_copy, intensified_groups, intensified_groups)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
