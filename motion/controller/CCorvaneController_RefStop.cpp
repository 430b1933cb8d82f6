// Ending reference procedures from outside the reference thread: HLT and STP interrupt them, and
// closing a controller ends the thread and waits for it before anything of the controller is
// released.
#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "winport/Clock.h"

namespace {
constexpr uint32_t kAfterSignalMs = 10;
}  // namespace

void CCorvaneController::StopReferenceThread() {
    if (!m_ReferenceThread.joinable()) return;
    ZR_LOG_DEBUG("CCorvaneController::StopReferenceThread()");
    for (auto& terminate : m_heventTerminateReferencemove)
        if (terminate) terminate->Set();
    m_ReferenceThread.join();
}

// The list and the "thread was started" mark stay after the thread has ended; a stale signal is
// harmless because every start resets all terminate events first.
bool CCorvaneController::TerminateReferenceMove(int axis) {
    if (!m_bReferenceThreadStarted || axis < 0) return false;
    bool signalled = false;
    for (int k = 0; k < kMaxCorvaneBoards; ++k) {
        if (m_iReferenceList[k] != axis || !m_heventTerminateReferencemove[k]) continue;
        ZR_LOG_DEBUG("SetEvent(m_heventTerminateReferencemove[%d]", k);
        m_heventTerminateReferencemove[k]->Set();
        signalled = true;
    }
    if (signalled) winport::SleepMs(kAfterSignalMs);
    return signalled;
}

bool CCorvaneController::TerminateReferenceMoves() {
    if (!m_bReferenceThreadStarted) return false;
    bool signalled = false;
    for (int k = 0; k < kMaxCorvaneBoards; ++k) {
        if (m_iReferenceList[k] == -1 || !m_heventTerminateReferencemove[k]) continue;
        m_heventTerminateReferencemove[k]->Set();
        ZR_LOG_DEBUG("CCorvaneController::STP(): SetEvent(m_heventTerminateReferencemove[%d]", k);
        signalled = true;
    }
    if (signalled) winport::SleepMs(kAfterSignalMs);
    return signalled;
}
