#include "motion/comm/DeviceFunctions.h"

#include <atomic>

namespace {

std::atomic<int> g_lastConnectError{0};

}  // namespace

int IFgetLastConnectError() {
    return g_lastConnectError;
}

void SetLastConnectError(int code) {
    g_lastConnectError = code;
}
