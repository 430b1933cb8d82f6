#pragma once
#include <chrono>
#include <cstdint>

namespace winport {

// Where TickCount, SleepMs and the waits with a time-out take their time from. The system clock
// is used unless a program or a test installs another one (SetClockSource); the device-facing
// waits (serial port) only ever end before their time on the system clock when the device on
// the other end vouches that nothing is on its way (see LineTraffic).
class ClockSource {
  public:
    virtual ~ClockSource() = default;
    // Microseconds of this clock, monotonic.
    virtual uint64_t NowUs() = 0;
    uint64_t NowMs() { return NowUs() / 1000u; }
    // Returns after ms of this clock have passed.
    virtual void SleepMs(uint32_t ms) = 0;
    // Real milliseconds that ms of this clock take; at least 1 for any ms > 0.
    virtual uint32_t RealMs(uint32_t ms) const = 0;
    // How many of this clock's milliseconds pass per real one (1 for the system clock).
    virtual uint32_t Scale() const = 0;
};

// Runs scale times faster than the system clock; starts where the clock it replaces stood.
class ScaledClock final : public ClockSource {
  public:
    explicit ScaledClock(uint32_t scale);
    uint64_t NowUs() override;
    void SleepMs(uint32_t ms) override;
    uint32_t RealMs(uint32_t ms) const override;
    uint32_t Scale() const override { return scale_; }

  private:
    uint32_t scale_;
    uint64_t realStartUs_;
    uint64_t startUs_;
};

// Installs a clock (nullptr: the system clock again); returns the one it replaces. The clock
// must outlive its use; swap it while no wait is running. The system clock, put back, goes on
// from where the faster one stood, so time never runs backwards.
ClockSource* SetClockSource(ClockSource* clock);
ClockSource& CurrentClock();

// Installs a scaled clock for its lifetime, as a test fixture member.
class ScopedScaledClock {
  public:
    explicit ScopedScaledClock(uint32_t scale)
        : clock_(scale), previous_(SetClockSource(&clock_)) {}
    ~ScopedScaledClock() { SetClockSource(previous_); }
    ScopedScaledClock(const ScopedScaledClock&) = delete;
    ScopedScaledClock& operator=(const ScopedScaledClock&) = delete;

  private:
    ScaledClock clock_;
    ClockSource* previous_;
};

// A scale from the environment variable's value ("1" to "1000"); 1 when unset or not a number
// in range. For stand-alone simulators that a test runs as a separate program.
uint32_t TimeScaleFromEnvironment(const char* variable);

// Milliseconds since system start, 32 bits, wrapping after about 49.7 days.
uint32_t TickCount();

// Milliseconds from start to now, correct across one wrap of the tick count.
inline uint32_t TicksElapsed(uint32_t start, uint32_t now) {
    return now - start;
}
inline uint32_t TicksSince(uint32_t start) {
    return TicksElapsed(start, TickCount());
}

void SleepMs(uint32_t ms);

// Real milliseconds to wait for what another thread does within ms of the installed clock. A
// faster clock does not speed threads up, so such a wait is shortened only where it is long (to
// kShortestWorkWaitMs at the least) and never ends before ms of the installed clock.
inline constexpr uint32_t kShortestWorkWaitMs = 2000;
uint32_t RealMsForWork(uint32_t ms);

// Real milliseconds of the system clock, whatever clock is installed: for bounds on waits for
// a real answer, which a faster clock must not shorten.
uint64_t RealNowMs();

// A std::chrono clock on the installed clock, for simulators that keep time points.
struct SteadyClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<SteadyClock>;
    static constexpr bool is_steady = true;
    static time_point now();
};

// Real time that a span of the installed clock takes, for sleeps and poll time-outs.
std::chrono::nanoseconds RealDuration(std::chrono::nanoseconds span);
// Sleeps until the installed clock reaches t.
void SleepUntil(SteadyClock::time_point t);

}  // namespace winport
