#pragma once
// A time-out for the length of a scope: the interface's time-out is saved and the given one set;
// on every way out of the scope the saved one is set again (when it was above 0, that is, when
// the interface had one to give).
#include "motion/controller/CCorvaneDevice.h"

class ScopedDeviceTimeout {
  public:
    ScopedDeviceTimeout(const CCorvaneDevice& device, unsigned ms) : m_Device(device) {
        if (m_Device.GetTimeout(&m_iSavedMs) != 0) m_iSavedMs = 0;
        (void)m_Device.SetTimeout(ms);
    }
    ~ScopedDeviceTimeout() {
        if (m_iSavedMs > 0) (void)m_Device.SetTimeout(static_cast<unsigned>(m_iSavedMs));
    }
    ScopedDeviceTimeout(const ScopedDeviceTimeout&) = delete;
    ScopedDeviceTimeout& operator=(const ScopedDeviceTimeout&) = delete;

    int SavedMs() const { return m_iSavedMs; }

  private:
    const CCorvaneDevice& m_Device;
    int m_iSavedMs = 0;
};
