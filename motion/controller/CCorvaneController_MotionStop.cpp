// Stopping: HLT (smooth, per axis) and STP (abrupt, every board). Both end a running reference
// procedure first and then leave ZR_CNTR_STOPPED_BY_COMMAND for the caller to read.
#include <string>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

namespace {
bool StoppedCleanly(int controllerError) {
    return controllerError == 0 || controllerError == ZR_CNTR_STOPPED_BY_COMMAND;
}
}  // namespace

ZR_BOOL CCorvaneController::HLT(const char* axes) {
    ZR_LOG_DEBUG("CCorvaneController::HLT(%s)", axes ? axes : "");
    std::vector<int> list;
    // no busy check: HLT is how a reference procedure is interrupted
    if (!OpenMotionCommand(axes,
                           {.macro = MacroRule::Record,
                            .setter = true,
                            .checkBusy = false,
                            .need = {.stage = true, .initialised = true}},
                           list))
        return false;
    if (m_iMacroRecording) return SelectAndSend(list[0], "ST");
    for (int i : list) {
        TerminateReferenceMove(i);
        winport::ScopedLock refFlag(m_csRefFlag);
        // without a velocity the board would not brake: give it one for the stop
        const bool hasVelocity = m_ParameterSet[i].Get(StageFields::kMotCurrentVel73) != 0;
        if (!SelectAndSend(i, hasVelocity ? "ST,WS" : "SV1,ST,SV0")) return false;
        if (!StoppedCleanly(m_iControllerError)) return false;
        m_AxisData[i].m_bTargetValid = false;
        m_iLocalError = ZR_CNTR_STOPPED_BY_COMMAND;
    }
    return true;
}

ZR_BOOL CCorvaneController::STP() {
    ZR_LOG_DEBUG("CCorvaneController::STP()");
    // recorded once: the macro runs on one board
    if (m_iMacroRecording) return SendCommand("AB") == 0;
    TerminateReferenceMoves();
    // a reference thread still finishing its step must not have the board selection changed under
    // it
    winport::ScopedLock refFlag(m_csRefFlag);
    int failure = 0;
    for (int i = 0; i < kMaxCorvaneBoards; ++i) {
        if (!m_Axes.Get(i)->m_bPresent) continue;
        m_AxisData[i].m_bTargetValid = false;
        (void)m_Axes.Select(i);  // a failed selection fails the next exchange
        // every board is told to stop even when one of them cannot be reached
        const int rc = SendCommand("AB");
        if (rc != 0 && failure == 0) failure = rc;
    }
    m_iLocalError = failure != 0 ? failure : ZR_CNTR_STOPPED_BY_COMMAND;
    return failure == 0 && StoppedCleanly(m_iControllerError);
}
