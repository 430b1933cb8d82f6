#pragma once
// Reading a LUT value from the board's LUT key with its repair: a value that is missing, of
// another type or refused by its check is replaced by the default, and the default written back.
#include <cstdint>

#include "camera/image/BwSettings.h"
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

// The dialog's place on the desktop: a position that is missing or would leave the desktop goes
// back to the top right corner, inside by kBwDialogMargin.
inline void lut_registry_read_position(winport::RegistryKey& key, const char* x_name,
                                       const char* y_name, const bw_dialog_geometry& g, int& x,
                                       int& y) {
    x = lut_registry_read_repaired(key, x_name, g.right - g.width - kBwDialogMargin,
                                   [&](int v) { return v >= 0 && v + g.width <= g.right; });
    y = lut_registry_read_repaired(key, y_name, g.top + kBwDialogMargin,
                                   [&](int v) { return v >= 0 && v + g.height <= g.bottom; });
}

}  // namespace lmv
