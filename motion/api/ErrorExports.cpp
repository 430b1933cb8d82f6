// Exports that read the error slots: Corvane_GetError, Corvane_qERR, Corvane_SetErrorCheck.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

namespace {
// The text of this number reads "There is no interface or DLL handle with the given ID".
constexpr int kNoSuchController = -9;
}  // namespace

extern "C" {

int Corvane_GetError(int ID) {
    CCorvaneController* controller = CorvaneCollection().GetController(ID);
    if (!controller) return kNoSuchController;
    // GetError polls the boards when nothing is pending; while a macro is being recorded
    // qERR refuses, and the error that leaves (ZR_IN_MACRO_MODE) is the answer.
    int error = controller->GetError();
    if (error == 0 && controller->MacroRecordingActive() && !controller->qERR(&error))
        return controller->GetError();
    return error;
}

ZR_BOOL Corvane_qERR(int ID, int* error) {
    return ZR_FORWARD(qERR, ID, error);
}

int Corvane_SetErrorCheck(int ID, ZR_BOOL flag) {
    CCorvaneController* controller = CorvaneCollection().GetController(ID);
    if (!controller) return kNoSuchController;
    return controller->SetErrorCheck(flag);
}

}  // extern "C"
