// Pictures per second of a RUN_COC + READ_IMAGE_12BIT loop against the simulated board delivering
// at once, against memcpy of the same bytes and against the simulated board alone (start, read
// request and read straight through the driver seam, which fill the picture the same way), all
// measured in the same run. Counters (the fastest batch of 20 pictures, which a shared machine
// disturbs least): frames_per_s, frame_us, copy_us (memcpy of one picture), board_us (the board
// alone), vs_copy (frame_us / copy_us), vs_board (frame_us / board_us), library_us
// (frame_us - board_us: what the library adds per picture).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "bench/common/SimulatedBoard.h"
#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/DriverRequests.h"
#include "camera/api/DriverSeam.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BoardLimits.h"
#include "camera/coc/CocBuilder.h"
#include "lmvntcam.h"
#include "simulators/lmvpci/LmvpciBackend.h"

namespace {

using clock_type = std::chrono::steady_clock;
constexpr int kBatch = 20;

// Board 0 on the simulated board, delivering every picture at once, with a table of
// `rows` x 640 pixels loaded.
class BenchBoard {
  public:
    explicit BenchBoard(int blocks_high) {
        char dir[] = "/tmp/bench-acquire-XXXXXX";
        dir_ = ::mkdtemp(dir) ? dir : "/tmp";
        ::setenv("LMVSIM_LOCK_DIR", dir_.c_str(), 1);
        ::setenv("LMVSIM_IMAGE_MS", "0", 1);
        ::setenv("LMVSIM_BOARDS", "2", 1);  // board 1 for the run straight through the seam
        ::unsetenv("LMVSIM_TRACE");
        lmv::use_driver_backend(lmvpci::Backend());
        ok_ = lmv::initialise_board_tables() == lmv::kOk && bench::ready_board_zero() &&
              Load(blocks_high) == lmv::kOk && GET_IMAGE_SIZE(&width, &height) == lmv::kOk;
    }
    ~BenchBoard() {
        lmv::driver::close_all();
        lmv::release_board_tables();
        lmv::use_driver_backend(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    bool ok() const { return ok_; }
    int width = 0;
    int height = 0;

  private:
    static int Load(int blocks_high) {
        char text[] = "0,1,-1,-1";
        return SET_COC(0, 0, 1, 20, 1, blocks_high, 1, 1, text);
    }

    std::string dir_;
    bool ok_ = false;
};

// Board 1 driven straight through the seam: start a single picture, announce and read it.
class SeamBoard {
  public:
    bool ok() const { return device_.ok(); }
    // The table and area of interest that the library loaded into board 0.
    bool Load(const lmv::board_record& rec) {
        lmv::board_record copy = rec;
        lmv::coc_previous previous;
        std::vector<uint16_t> table;
        if (lmv::coc_build(copy, previous, table) != lmv::kOk) return false;
        const auto offset = static_cast<uint32_t>(rec.aoi_offset);
        return device_.Load(table.data(), static_cast<uint32_t>(table.size())) &&
               device_.Send(lmv::ioctl::kWriteRegister,
                            {0, (static_cast<uint32_t>(rec.roixmin) & 0xFFE0) + offset + 12}) &&
               device_.Send(lmv::ioctl::kWriteRegister,
                            {0, (static_cast<uint32_t>(rec.roixmax) & 0xFFE0) + offset + 13});
    }
    bool Picture(void* buffer, uint32_t bytes) {
        return device_.Send(lmv::ioctl::kWriteRegister, {0, 4}) && device_.Read(buffer, bytes);
    }

  private:
    bench::SeamDevice device_{"\\\\.\\LMVPCI1"};
};

template <typename Fn>
void time_us(double& best, Fn&& fn) {
    const auto t0 = clock_type::now();
    fn();
    benchmark::ClobberMemory();
    const double us = std::chrono::duration<double, std::micro>(clock_type::now() - t0).count();
    best = std::min(best, us);
}

void run_and_read(benchmark::State& state) {
    BenchBoard board(static_cast<int>(state.range(0)));
    if (!board.ok()) {
        state.SkipWithError("the simulated board could not be set up");
        return;
    }
    SeamBoard bare;
    if (!bare.ok() || !bare.Load(*lmv::record_of(0))) {
        state.SkipWithError("the second simulated board could not be opened");
        return;
    }
    const size_t pixels = size_t(board.width) * size_t(board.height);
    std::vector<uint16_t> picture(pixels), copy(pixels), source(pixels, 0x123), direct(pixels);
    const double never = std::numeric_limits<double>::max();
    double frames = never, copied = never, alone = never;
    int failures = 0;
    for (auto _ : state) {
        time_us(frames, [&] {
            for (int i = 0; i < kBatch; ++i) {
                failures += RUN_COC(4) != lmv::kOk;
                failures +=
                    READ_IMAGE_12BIT(0, board.width, board.height, picture.data()) != lmv::kOk;
            }
        });
        time_us(copied, [&] {
            for (int i = 0; i < kBatch; ++i) {
                std::memcpy(copy.data(), source.data(), pixels * 2);
                benchmark::DoNotOptimize(copy.data());
            }
        });
        time_us(alone, [&] {
            for (int i = 0; i < kBatch; ++i)
                failures += !bare.Picture(direct.data(), static_cast<uint32_t>(pixels * 2));
        });
        benchmark::DoNotOptimize(picture.data());
        benchmark::DoNotOptimize(direct.data());
    }
    if (failures) state.SkipWithError("a start or read failed");
    const double frame_us = frames / kBatch, copy_us = copied / kBatch, board_us = alone / kBatch;
    state.counters["pixels"] = static_cast<double>(pixels);
    state.counters["frames_per_s"] = 1e6 / frame_us;
    state.counters["frame_us"] = frame_us;
    state.counters["copy_us"] = copy_us;
    state.counters["vs_copy"] = frame_us / copy_us;
    state.counters["board_us"] = board_us;
    state.counters["vs_board"] = frame_us / board_us;
    state.counters["library_us"] = frame_us - board_us;
}

// Pictures of 640 x 64 and 640 x 480 pixels.
BENCHMARK(run_and_read)->Arg(2)->Arg(15)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
BENCHMARK_MAIN();
