#include "motion/comm/DeviceChangeWatcher.h"

#include "motion/base/ZRLog.h"
#include "winport/DeviceWatch.h"

CDeviceChangeWatcher& CDeviceChangeWatcher::Instance() {
    // Never destroyed: ports may leave it from destructors that run at process exit.
    static CDeviceChangeWatcher* watcher = new CDeviceChangeWatcher;
    return *watcher;
}

CDeviceChangeWatcher::CDeviceChangeWatcher() {
    m_iToken = winport::DeviceWatch::Instance().Subscribe([this] {
        ZR_LOG_DEBUG("CDeviceChangeWatcher::WindowProc(WM_DEVICECHANGE)");
        NotifyObservers(kDevNodesChanged);
    });
    if (m_iToken < 0)
        ZR_LOG_ERROR(
            "CDeviceChangeWatcher::CDeviceChangeWatcher() device folders cannot be watched");
}
