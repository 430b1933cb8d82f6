// Closing a controller while a reference procedure runs: the procedure is told to end and its
// thread is waited for before anything of the controller is released.
#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

void CCorvaneController::StopReferenceThread() {
    if (!m_ReferenceThread.joinable()) return;
    ZR_LOG_DEBUG("CCorvaneController::StopReferenceThread()");
    for (auto& terminate : m_heventTerminateReferencemove)
        if (terminate) terminate->Set();
    m_ReferenceThread.join();
}
