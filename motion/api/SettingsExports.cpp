// Library-wide switches for controllers connected afterwards: Corvane_SetMaxNrOfControllers,
// Corvane_CheckFeaturesByControllerVersion.
#include "ZR_Corvane_TAL.h"
#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneAxesArray.h"
#include "motion/controller/CorvaneLibrarySettings.h"

extern "C" {

int Corvane_SetMaxNrOfControllers(int number) {
    const int n = number < 1 ? 1 : number > kMaxCorvaneBoards ? kMaxCorvaneBoards : number;
    m_iMaxNumberOfAxesForControllerSearch = n;
    ZR_LOG_DEBUG("CCorvaneController::SetMaxNrOfAxesForControllerSearch() set maxNr to %d", n);
    return n;
}

int Corvane_CheckFeaturesByControllerVersion(ZR_BOOL flag) {
    return checkFeaturesByVersion.exchange(flag ? 1 : 0);  // a choice, not the caller's number
}

}  // extern "C"
