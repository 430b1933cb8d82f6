// Stages: Corvane_qCST, Corvane_CST, Corvane_qVST, Corvane_AddStage, Corvane_RemoveStage and the
// two edit-dialog exports, which have no dialog behind them.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_qCST(int ID, const char* axes, char* buffer, int size) {
    return ZR_FORWARD(qCST, ID, axes, buffer, size);
}

ZR_BOOL Corvane_CST(int ID, const char* axes, const char* names) {
    return ZR_FORWARD(CST, ID, axes, names);
}

ZR_BOOL Corvane_qVST(int ID, char* buffer, int size) {
    return ZR_FORWARD(qVST, ID, buffer, size);
}

ZR_BOOL Corvane_AddStage(int ID, const char* axes) {
    return ZR_FORWARD(AddStage, ID, axes);
}

ZR_BOOL Corvane_RemoveStage(int ID, const char* name) {
    return ZR_FORWARD(RemoveStage, ID, name);
}

void* Corvane_OpenUserStagesEditDialog(int ID) {
    return ForwardToController("Corvane_OpenUserStagesEditDialog", ID, static_cast<void*>(nullptr),
                               &CCorvaneController::OpenUserStagesEditDialog);
}

void* Corvane_OpenZrStagesEditDialog(int ID) {
    return ForwardToController("Corvane_OpenZrStagesEditDialog", ID, static_cast<void*>(nullptr),
                               &CCorvaneController::OpenZrStagesEditDialog);
}

}  // extern "C"
