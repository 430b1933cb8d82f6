#pragma once
// Checksum of the stage database files.
#include <cstddef>
#include <cstdint>
#include <span>

// CRC-16/X-25 (reflected polynomial 0x1021, initial value 0xFFFF, final complement) with its two
// bytes swapped, as the stage files carry it: stored little-endian, the file holds the X-25 value
// most significant byte first. An empty sequence gives 0.
uint16_t Crc16(std::span<const uint8_t> data);

// The plain CRC-16/X-25 value of the same sequence (0 for an empty one).
uint16_t Crc16X25(std::span<const uint8_t> data);
