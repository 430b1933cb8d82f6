#pragma once
// The characters that may name an axis, in the order the identification query lists them: the
// letters A to Z, the digits 1 to 9 and 0, then "@?>=<;:", "`_^]\[" and "/.-,+*)('&%$#"!". The
// digital I/O channels take their names from the same list, four per board.
#include <cstddef>

inline constexpr char kValidAxisIdentifiers[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "1234567890"
    "@?>=<;:"
    "`_^]\\["
    "/.-,+*)('&%$#\"!";
inline constexpr std::size_t kNrValidAxisIdentifiers = sizeof(kValidAxisIdentifiers) - 1;
static_assert(kNrValidAxisIdentifiers == 64);

// The identifier an axis gets when its first parameter set is applied: "A" plus the board index.
inline constexpr char kDefaultAxisIdentifiers[] = "ABCDEFGHIJKLMNOP";

inline bool IsValidAxisIdentifier(char c) {
    if (c == '\0') return false;
    for (std::size_t i = 0; i < kNrValidAxisIdentifiers; ++i)
        if (kValidAxisIdentifiers[i] == c) return true;
    return false;
}
