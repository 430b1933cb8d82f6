#pragma once
// Tells the open RS-232 ports that devices came or went, so a port whose device vanished closes.
// One per process, made on first use. Notifications run in the device-watch thread.
#include "motion/comm/Observer.h"

class CDeviceChangeWatcher : public CObservable {
  public:
    // Event code of a notification: the set of device nodes changed.
    static constexpr int kDevNodesChanged = 0x0007;

    static CDeviceChangeWatcher& Instance();

  private:
    CDeviceChangeWatcher();
    int m_iToken = -1;
};
