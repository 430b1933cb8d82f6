// Reference procedures: Corvane_REF, Corvane_MPL, Corvane_MNL, Corvane_FED, Corvane_qREF,
// Corvane_IsReferencing, Corvane_GetRefResult, Corvane_IsReferenceOK.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_MNL(int ID, const char* axes) {
    return ZR_FORWARD(MNL, ID, axes);
}

ZR_BOOL Corvane_MPL(int ID, const char* axes) {
    return ZR_FORWARD(MPL, ID, axes);
}

ZR_BOOL Corvane_REF(int ID, const char* axes) {
    return ZR_FORWARD(REF, ID, axes);
}

ZR_BOOL Corvane_qREF(int ID, const char* axes, ZR_BOOL* hasReference) {
    return ZR_FORWARD(qREF, ID, axes, hasReference);
}

ZR_BOOL Corvane_IsReferencing(int ID, const char* axes, ZR_BOOL* isReferencing) {
    return ZR_FORWARD(IsReferencing, ID, axes, isReferencing);
}

ZR_BOOL Corvane_GetRefResult(int ID, const char* axes, int* results) {
    return ZR_FORWARD(GetRefResult, ID, axes, results);
}

ZR_BOOL Corvane_IsReferenceOK(int ID, const char* axes, ZR_BOOL* referenced) {
    return ZR_FORWARD(IsReferenceOK, ID, axes, referenced);
}

ZR_BOOL Corvane_FED(int ID, const char* axes, const int* edgeIDs, const int* edgeParameters) {
    return ZR_FORWARD(FED, ID, axes, edgeIDs, edgeParameters);
}

}  // extern "C"
