#pragma once
// Reading a LUT value from the board's LUT key with its repair: a value that is missing, of
// another type or refused by its check is replaced by the default, and the default written back.
#include <cstdint>

#include "winport/Registry.h"

namespace lmv {

template <typename Valid>
int lut_registry_read_repaired(winport::RegistryKey& key, const char* name, int fallback,
                               Valid valid) {
    const auto v = key.ReadDword(name);
    if (v && valid(static_cast<int32_t>(*v))) return static_cast<int32_t>(*v);
    (void)key.WriteDword(name, static_cast<uint32_t>(fallback));
    return fallback;
}

}  // namespace lmv
