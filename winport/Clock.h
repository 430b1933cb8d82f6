#pragma once
#include <cstdint>

namespace winport {

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

}  // namespace winport
