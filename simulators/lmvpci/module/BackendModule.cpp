// Entry point of liblmvpci.so, the simulated board as a loadable driver backend.
#include "simulators/lmvpci/LmvpciBackend.h"

extern "C" __attribute__((visibility("default"))) const lmv_driver_seam* lmv_driver_backend(void) {
    return lmvpci::Backend();
}
