#include "camera/recorder/Arena.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <functional>
#include <vector>

#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "winport/Memory.h"

namespace lmv {
namespace {

using ll = long long;

constexpr int64_t kPage = 4096;
constexpr int64_t kSmallestWorkingSet = 4001792;
constexpr size_t kMaxSegments = 50;
constexpr unsigned kLogRecorderErrors = kLogErrors | kLogRecorder;

struct segment {
    uint8_t* start;
    uint8_t* end;
    int board;
};

struct arena_state {
    uint8_t* base = nullptr;
    size_t reserved = 0;
    size_t committed = 0;
    bool saved = false;  // the process's working set as first seen
    size_t savedMin = 0;
    size_t savedMax = 0;
    std::vector<segment> segments;
};

// Made on first use and dropped by the library's unload, so that nothing of it outlives the
// library and nothing is destroyed before the unload has used it.
std::atomic<arena_state*> the_arena{nullptr};
std::mutex the_recorder_mutex;  // constant-initialised: usable from the first call to the last

arena_state& arena() {
    if (arena_state* a = the_arena.load(std::memory_order_acquire)) return *a;
    static std::mutex making;
    std::lock_guard<std::mutex> lock(making);
    if (!the_arena.load()) the_arena.store(new arena_state, std::memory_order_release);
    return *the_arena.load();
}

int64_t page_down(int64_t v) {
    return v / kPage * kPage;
}

struct working_set_plan {
    int64_t min;
    int64_t max;
    int64_t k;  // images the minimum is sized for, plus 2
};

working_set_plan plan_working_set(int64_t n, int64_t b, int size) {
    arena_state& a = arena();
    if (!a.saved) {
        winport::GetWorkingSetSize(a.savedMin, a.savedMax);
        a.saved = true;
    }
    size_t curMin = 0, curMax = 0;
    winport::GetWorkingSetSize(curMin, curMax);
    log_message(kLogRecorder,
                "ALLOC_RECORDER GetProcessWorkingSetSize() minsize %lld maxsize %lld  process %d, "
                "\r\n",
                ll(curMin), ll(curMax), int(::getpid()));
    log_message(kLogRecorder, "ALLOC_RECORDER calculate new values \r\n");
    working_set_plan p;
    p.max = std::max<int64_t>(int64_t(curMax), int64_t(winport::TotalPhysicalMemory() / 100 * 95));
    p.k = n / b + 2;
    const int64_t e = b * p.k + 32768;
    p.min = page_down(int64_t(curMin) < b * p.k ? e : int64_t(curMin));
    if (p.min + 8 * int64_t(size) < p.max) p.max = p.min + 8 * int64_t(size);
    return p;
}

// Sets the planned working set, asking for less while the system refuses. -23 below the
// smallest useful size.
int set_working_set(working_set_plan& p, int64_t b, int size) {
    log_message(kLogRecorder,
                "ALLOC_RECORDER SetProcessWorkingSetSize() minsize %lld maxsize %lld  \r\n",
                ll(p.min), ll(p.max));
    int64_t e = b * p.k + 32768;
    while (!winport::SetWorkingSetSize(size_t(p.min), size_t(p.max))) {
        const int64_t step = p.k > 200 ? 5 : 1;
        p.k -= step;
        e -= step * b;
        p.min = page_down(e);
        if (p.min < kSmallestWorkingSet) {
            log_message(kLogRecorderErrors,
                        "ALLOC_RECORDER SetProcessWorkingSetSize() error minsize too small \r\n");
            return kNoMemory;
        }
        p.max = std::min(p.max, p.min + 8 * int64_t(size));
        log_message(kLogRecorder,
                    "ALLOC_RECORDER SetProcessWorkingSetSize() failed %d try working set minsize "
                    "%lld maxsize %lld  \r\n",
                    kNoMemory, ll(p.min), ll(p.max));
    }
    p.min = page_down(int64_t(size) * (p.k - 1) * 2) + 32768;
    (void)winport::SetWorkingSetSize(size_t(p.min), size_t(p.max));
    size_t gotMin = 0, gotMax = 0;
    winport::GetWorkingSetSize(gotMin, gotMax);
    log_message(kLogRecorder,
                "ALLOC_RECORDER GetProcessWorkingSetSize() minsize %lld maxsize %lld  \r\n",
                ll(gotMin), ll(gotMax));
    return kOk;
}

// Tries `first`, then 15/16 ... 1/16 of it (whole pages), then one image less per try below
// that; 0 when every size down to nothing fails.
int64_t degrade(int64_t first, int64_t b, const char* format,
                const std::function<bool(int64_t)>& attempt) {
    for (int64_t i = 16; i >= 1; --i) {
        const int64_t bytes = page_down(first * i / 16);
        if (bytes <= 0) continue;
        log_message(kLogRecorder, format, ll(bytes));
        if (attempt(bytes)) return bytes;
    }
    for (int64_t bytes = first / 16 - b; bytes > 0; bytes -= b) {
        log_message(kLogRecorder, format, ll(bytes));
        if (attempt(bytes)) return bytes;
    }
    return 0;
}

void forget_block() {
    arena_state& a = arena();
    if (!a.base) return;
    winport::DecommitRange(a.base, a.committed);
    winport::ReleaseAddressSpace(a.base, a.reserved);
    a.base = nullptr;
    a.reserved = a.committed = 0;
    a.segments.clear();
}

// Reserves and commits up to r bytes. -23 when nothing can be had.
int make_block(int64_t r, int64_t b) {
    arena_state& a = arena();
    void* base = nullptr;
    const int64_t reserved =
        degrade(r, b, "ALLOC_RECORDER VirtualAlloc() reservesize  %lld  \r\n", [&](int64_t bytes) {
            base = winport::ReserveAddressSpace(size_t(bytes));
            return base != nullptr;
        });
    if (reserved == 0) return kNoMemory;
    const int64_t committed =
        degrade(reserved, b, "ALLOC_RECORDER VirtualAlloc() commitsize  %lld  \r\n",
                [&](int64_t bytes) { return winport::CommitRange(base, size_t(bytes)); });
    if (committed == 0) {
        winport::ReleaseAddressSpace(base, size_t(reserved));
        return kNoMemory;
    }
    a.base = static_cast<uint8_t*>(base);
    a.reserved = size_t(reserved);
    a.committed = size_t(committed);
    return kOk;
}

}  // namespace

std::mutex& recorder_mutex() {
    return the_recorder_mutex;
}

void arena_forget() {
    delete the_arena.exchange(nullptr);
}

int arena_allocate(int& count, int size, const recorder_settings& settings) {
    log_message(kLogRecorder, "ALLOC_RECORDER start buffer %d size %d  \r\n", count, size);
    if (size < 1) return kWrongParameter;
    const int64_t memsize = int64_t(winport::AvailablePhysicalMemory() / 100 * 95);
    const int64_t b = 2 * int64_t(size);
    const int64_t fit = memsize > 16384 ? (memsize - 16384) / b : 0;
    int64_t c = count == 0 ? fit : count;
    if (c <= 0) c = 1;
    int64_t n = c * b + 8192;
    if (n > memsize) {  // count is an int and b below 2^33: no overflow in 64 bits
        c = fit;
        n = c * b + 8192;
    }
    log_message(kLogRecorder, "ALLOC_RECORDER found memsize %lld size is %lld  \r\n", ll(memsize),
                ll(n));
    working_set_plan plan = plan_working_set(n, b, size);
    if (settings.working_set) {
        if (set_working_set(plan, b, size) != kOk) {
            count = 0;
            return kNoMemory;
        }
    }
    forget_block();
    const int64_t r = page_down(std::min(n, plan.min - kPage));
    if (r <= 0 || make_block(r, b) != kOk) {
        count = 0;
        return kNoMemory;
    }
    // Committed pages arrive resident and zero: nothing is written twice.
    log_message(kLogRecorder, "ALLOC_RECORDER Set commited memory all values '0' \r\n");
    count = int(std::min<int64_t>(int64_t(arena().committed) / b, INT_MAX));
    log_message(kLogRecorder, "ALLOC_RECORDER calculated count of buffers is %d \r\n", count);
    if (count > 0) return kOk;
    forget_block();  // a block without room for one image is no success
    return kNoMemory;
}

int arena_release(const recorder_settings& settings) {
    arena_state& a = arena();
    if (!a.base) {
        log_message(kLogRecorder, "FREE_RECORDER() commitsize==0 \r\n");
        return kOk;
    }
    forget_block();
    log_message(kLogRecorder, "FREE_RECORDER() VirtualFree() decommit done err=%d\r\n", 0);
    log_message(kLogRecorder, "FREE_RECORDER() VirtualFree() release done err=%d\r\n", 0);
    if (settings.working_set && a.saved) {
        (void)winport::SetWorkingSetSize(a.savedMin, a.savedMax);
        log_message(kLogRecorder,
                    "FREE_RECORDER() SetProcessWorkingSetSize() minsiz %lld maxsiz %lld err=%d\r\n",
                    ll(a.savedMin), ll(a.savedMax), 0);
    }
    a.saved = false;
    return kOk;
}

bool arena_present() {
    return arena().base != nullptr;
}

size_t arena_commit_size() {
    return arena().committed;
}

void arena_free_space(uint8_t*& start, size_t& bytes) {
    const arena_state& a = arena();
    start = a.base;
    for (const segment& s : a.segments) start = std::max(start, s.end);
    bytes = a.base ? size_t(a.base + a.committed - start) : 0;
}

bool arena_add_segment(int board, uint8_t* start, uint8_t* end) {
    arena_state& a = arena();
    if (a.segments.size() >= kMaxSegments) return false;
    a.segments.push_back(segment{start, end, board});
    return true;
}

void arena_drop_segments(int board) {
    auto& s = arena().segments;
    s.erase(
        std::remove_if(s.begin(), s.end(), [board](const segment& x) { return x.board == board; }),
        s.end());
}

bool arena_contains(const void* p, size_t bytes) {
    const arena_state& a = arena();
    const auto* q = static_cast<const uint8_t*>(p);
    return a.base && q >= a.base && bytes <= a.committed &&
           q - a.base <= ptrdiff_t(a.committed - bytes);
}

}  // namespace lmv
