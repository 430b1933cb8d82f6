#include "motion/stages/Crc16.h"

uint16_t Crc16X25(std::span<const uint8_t> data) {
    if (data.empty()) return 0;
    uint16_t a = 0xFFFF;
    for (uint8_t byte : data) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool feedback = ((byte >> bit) & 1u) != (a & 1u);
            a = static_cast<uint16_t>(a >> 1);
            if (feedback) a ^= 0x8408;
        }
    }
    return static_cast<uint16_t>(~a);
}

uint16_t Crc16(std::span<const uint8_t> data) {
    const uint16_t x25 = Crc16X25(data);
    return static_cast<uint16_t>((x25 >> 8) | (x25 << 8));
}
