#pragma once
// Little-endian loads and stores for the stage files: every number in them is little-endian,
// whatever the host, and fields sit at unaligned offsets.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace stage_bytes {

template <typename T>
T LoadLE(const uint8_t* p) {
    static_assert(std::is_arithmetic_v<T>);
    using U = std::conditional_t<
        sizeof(T) == 1, uint8_t,
        std::conditional_t<sizeof(T) == 2, uint16_t,
                           std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
    static_assert(sizeof(U) == sizeof(T));
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u |= static_cast<U>(static_cast<U>(p[i]) << (8 * i));
    T v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

template <typename T>
void StoreLE(uint8_t* p, T v) {
    static_assert(std::is_arithmetic_v<T>);
    using U = std::conditional_t<
        sizeof(T) == 1, uint8_t,
        std::conditional_t<sizeof(T) == 2, uint16_t,
                           std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
    U u;
    std::memcpy(&u, &v, sizeof u);
    for (std::size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

}  // namespace stage_bytes
