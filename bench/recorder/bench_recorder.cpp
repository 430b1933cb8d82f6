// Sustained frames per second of a RUN_DMA ring recording (mode 1) with the simulated board
// delivering every picture at once, against memcpy of the same frames into the same ring buffers
// and against the simulated board alone (read-picture request and read straight through the
// driver seam, which fill the picture the same way), all measured in the same run. Counters (the
// fastest batch, which a shared machine disturbs least): frames_per_s, frame_us, copy_us (memcpy
// of one frame into the next ring buffer), vs_copy (frame_us / copy_us, goal at most 1.5),
// board_us (the board alone), vs_board (frame_us / board_us).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/SimulatedBoard.h"
#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/DriverRequests.h"
#include "camera/api/DriverSeam.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BoardLimits.h"
#include "lmvntcam.h"
#include "simulators/lmvpci/LmvpciBackend.h"
#include "winport/Clock.h"

namespace {

using clock_type = std::chrono::steady_clock;
constexpr int kRing = 8;
constexpr unsigned kBatch = 20;

// Board 0 ready on the simulated board with its ring of buffers, board 1 for the seam.
class BenchRecorder {
  public:
    BenchRecorder(int ccd_typ, int width, int height) : width(width), height(height) {
        char dir[] = "/tmp/bench-recorder-XXXXXX";
        dir_ = ::mkdtemp(dir) ? dir : "/tmp";
        ::setenv("LMVSIM_LOCK_DIR", dir_.c_str(), 1);
        ::setenv("LMVSIM_IMAGE_MS", "0", 1);
        ::setenv("LMVSIM_BOARDS", "2", 1);
        ::setenv("LMVSIM_CCD_TYP", std::to_string(ccd_typ).c_str(), 1);
        ::unsetenv("LMVSIM_TRACE");
        lmv::use_driver_backend(lmvpci::Backend());
        ok_ = lmv::initialise_board_tables() == lmv::kOk && open_board() && carve();
    }
    ~BenchRecorder() {
        (void)FREE_RECORDER();
        lmv::driver::close_all();
        lmv::release_board_tables();
        lmv::use_driver_backend(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    bool ok() const { return ok_; }
    uint16_t* Buffer(int picnr) const {
        void* address = nullptr;
        int w = 0, h = 0;
        return GET_BUFFER_ADDR(picnr, &address, &w, &h) == lmv::kOk
                   ? static_cast<uint16_t*>(address)
                   : nullptr;
    }
    const int width;
    const int height;

  private:
    static bool open_board() { return bench::ready_board_zero() && RUN_COC(0) == lmv::kOk; }
    bool carve() const {
        int n = kRing + 2;
        int count = kRing;
        return ALLOC_RECORDER(&n, width * height) == lmv::kOk &&
               SET_BUFFER_SIZE(&count, width, height) == lmv::kOk && count == kRing;
    }

    std::string dir_;
    bool ok_ = false;
};

// Board 1 straight through the seam, its camera running: read-picture request and read.
class SeamBoard {
  public:
    SeamBoard() { ok_ = device_.ok() && device_.Send(lmv::ioctl::kWriteRegister, {0, 5}); }
    bool ok() const { return ok_; }
    bool Picture(void* buffer, uint32_t bytes) { return device_.Read(buffer, bytes); }

  private:
    bench::SeamDevice device_{"\\\\.\\LMVPCI1"};
    bool ok_ = false;
};

unsigned frames_stored();
// A recording of board 0 has started (its counters are then its own) and stored two frames.
bool recording_runs() {
    lmv::board_record* rec = lmv::record_of(0);
    return rec && std::atomic_ref<int32_t>(rec->dma_active).load() != 0 && frames_stored() >= 2;
}

unsigned frames_stored() {
    unsigned frames = 0, wraps = 0, dropped = 0, errors = 0;
    (void)GET_DMA_COUNTERS(&frames, &wraps, &dropped, &errors);
    return frames;
}

// Microseconds per frame over the next kBatch frames of the running recording.
double recorded_us() {
    const unsigned start = frames_stored();
    const auto t0 = clock_type::now();
    unsigned now = start;
    while ((now = frames_stored()) < start + kBatch && recording_runs()) winport::SleepMs(0);
    if (now == start) return std::numeric_limits<double>::max();
    const double us = std::chrono::duration<double, std::micro>(clock_type::now() - t0).count();
    return us / double(now - start);
}

template <typename Fn>
double batch_us(Fn&& fn) {
    const auto t0 = clock_type::now();
    for (unsigned i = 0; i < kBatch; ++i) fn(i);
    benchmark::ClobberMemory();
    return std::chrono::duration<double, std::micro>(clock_type::now() - t0).count() / kBatch;
}

void run_dma_ring(benchmark::State& state) {
    BenchRecorder rig(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    SeamBoard bare;
    if (!rig.ok() || !bare.ok()) {
        state.SkipWithError("the simulated boards could not be set up");
        return;
    }
    const size_t pixels = size_t(rig.width) * size_t(rig.height);
    std::vector<uint16_t> source(pixels, 0x123), direct(pixels);
    std::vector<uint16_t*> ring;
    for (int picnr = 1; picnr <= kRing; ++picnr) ring.push_back(rig.Buffer(picnr));
    std::atomic<int> result{-999};
    std::thread recording([&] { result = RUN_DMA(1, kRing, 1); });
    while (!recording_runs() && result == -999) winport::SleepMs(1);
    const double never = std::numeric_limits<double>::max();
    double frame_us = never, copy_us = never, board_us = never;
    int failures = 0;
    for (auto _ : state) {
        frame_us = std::min(frame_us, recorded_us());
        // The recording pauses for the baseline so that both have the machine alike.
        (void)STOP_DMA();
        recording.join();
        failures += result != lmv::kOk;
        copy_us = std::min(copy_us, batch_us([&](unsigned i) {
                               std::memcpy(ring[i % kRing], source.data(), pixels * 2);
                               benchmark::DoNotOptimize(ring[i % kRing]);
                           }));
        board_us = std::min(board_us, batch_us([&](unsigned) {
                                failures += !bare.Picture(direct.data(), uint32_t(pixels * 2));
                            }));
        result = -999;
        recording = std::thread([&] { result = RUN_DMA(1, kRing, 1); });
        while (!recording_runs() && result == -999) winport::SleepMs(1);
    }
    (void)STOP_DMA();
    recording.join();
    if (failures) state.SkipWithError("a recording or read failed");
    state.counters["pixels"] = double(pixels);
    state.counters["frames_per_s"] = 1e6 / frame_us;
    state.counters["frame_us"] = frame_us;
    state.counters["copy_us"] = copy_us;
    state.counters["vs_copy"] = frame_us / copy_us;
    state.counters["board_us"] = board_us;
    state.counters["vs_board"] = frame_us / board_us;
}

// 640 x 480 (CCD type 1) and 1376 x 1040 (CCD type 17, the largest sensor).
BENCHMARK(run_dma_ring)
    ->Args({1, 640, 480})
    ->Args({17, 1376, 1040})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

}  // namespace
BENCHMARK_MAIN();
