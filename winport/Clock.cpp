#include "winport/Clock.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace winport {
namespace {

uint64_t MonotonicUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

class SystemClock final : public ClockSource {
  public:
    uint64_t NowUs() override { return MonotonicUs() + offsetUs_.load(); }
    // Never goes back behind a clock that ran faster in its place.
    void CatchUp(uint64_t us) {
        const uint64_t now = MonotonicUs();
        if (us > now + offsetUs_.load()) offsetUs_.store(us - now);
    }
    void SleepMs(uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    uint32_t RealMs(uint32_t ms) const override { return ms; }
    uint32_t Scale() const override { return 1; }

  private:
    std::atomic<uint64_t> offsetUs_{0};
};

// Never destroyed, since libraries still wait in their unload code at exit; in static storage,
// not on the heap, so a library unloaded with it leaves nothing behind.
SystemClock& TheSystemClock() {
    alignas(SystemClock) static unsigned char storage[sizeof(SystemClock)];
    static SystemClock* const clock = new (storage) SystemClock;
    return *clock;
}

std::atomic<ClockSource*> gClock{nullptr};  // null: the system clock

}  // namespace

ScaledClock::ScaledClock(uint32_t scale)
    : scale_(scale == 0 ? 1 : scale),
      realStartUs_(MonotonicUs()),
      startUs_(CurrentClock().NowUs()) {}

uint64_t ScaledClock::NowUs() {
    return startUs_ + (MonotonicUs() - realStartUs_) * scale_;
}

void ScaledClock::SleepMs(uint32_t ms) {
    // Measured on this clock, so the sleep never ends before ms of it have passed.
    const uint64_t until = NowUs() + uint64_t{ms} * 1000u;
    for (uint64_t now = NowUs(); now < until; now = NowUs())
        std::this_thread::sleep_for(std::chrono::microseconds((until - now) / scale_ + 1));
}

uint32_t ScaledClock::RealMs(uint32_t ms) const {
    return ms == 0 ? 0 : (ms + scale_ - 1) / scale_;
}

ClockSource* SetClockSource(ClockSource* clock) {
    if (clock == nullptr || clock == &TheSystemClock()) {
        TheSystemClock().CatchUp(CurrentClock().NowUs());
        clock = nullptr;
    }
    ClockSource* previous = gClock.exchange(clock);
    return previous ? previous : &TheSystemClock();
}

ClockSource& CurrentClock() {
    ClockSource* clock = gClock.load();
    return clock ? *clock : TheSystemClock();
}

uint32_t TimeScaleFromEnvironment(const char* variable) {
    const char* text = std::getenv(variable);
    if (text == nullptr || *text == '\0') return 1;
    char* end = nullptr;
    const unsigned long scale = std::strtoul(text, &end, 10);
    if (*end != '\0' || scale < 1 || scale > 1000) return 1;
    return static_cast<uint32_t>(scale);
}

uint32_t TickCount() {
    return static_cast<uint32_t>(CurrentClock().NowMs());
}

void SleepMs(uint32_t ms) {
    CurrentClock().SleepMs(ms);
}

uint32_t RealMsForWork(uint32_t ms) {
    const ClockSource& clock = CurrentClock();
    if (clock.Scale() == 1 || ms <= kShortestWorkWaitMs) return ms;
    return std::max(clock.RealMs(ms), kShortestWorkWaitMs);
}

uint64_t RealNowMs() {
    return MonotonicUs() / 1000u;
}

SteadyClock::time_point SteadyClock::now() {
    return time_point(std::chrono::microseconds(CurrentClock().NowUs()));
}

std::chrono::nanoseconds RealDuration(std::chrono::nanoseconds span) {
    return span / CurrentClock().Scale();
}

void SleepUntil(SteadyClock::time_point t) {
    for (auto now = SteadyClock::now(); now < t; now = SteadyClock::now())
        std::this_thread::sleep_for(RealDuration(t - now) + std::chrono::microseconds(1));
}

}  // namespace winport
