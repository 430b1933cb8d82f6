#pragma once
// The simulated camera board as a driver backend. Programs that link the simulator in use this
// table directly; liblmvpci.so exports it as `lmv_driver_backend` for the camera library.
#include "camera/api/DriverSeam.h"

namespace lmvpci {

const lmv_driver_seam* Backend();

}  // namespace lmvpci
