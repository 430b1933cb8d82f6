#pragma once
// The driver backend behind the seam: the module named by LMV_DRIVER, else liblmvpci.so (the
// simulated board) from the library's folder, then from the loader path.
#include <string>

#include "camera/api/DriverSeam.h"

namespace lmv {

inline constexpr const char* kDriverVariable = "LMV_DRIVER";
inline constexpr const char* kDefaultBackendModule = "lmvpci";
inline constexpr const char* kBackendEntryPoint = "lmv_driver_backend";

// The backend in use, loaded on first use; null (with the reason in `error`) when none loads.
const lmv_driver_seam* driver_backend(std::string* error = nullptr);
// Puts a backend linked into the program in place of the module (null: load the module again).
void use_driver_backend(const lmv_driver_seam* seam);
// Unloads the backend module; every device must be closed before.
void release_driver_backend();

}  // namespace lmv
