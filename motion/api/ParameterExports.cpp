// Parameters by TAL parameter ID: Corvane_SPA, Corvane_qSPA, Corvane_qHPA.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_SPA(int ID, const char* axes, const unsigned int* parameterIDs,
                    const double* values, const char* strings) {
    return ZR_FORWARD(SPA, ID, axes, parameterIDs, values, strings);
}

ZR_BOOL Corvane_qSPA(int ID, const char* axes, const unsigned int* parameterIDs, double* values,
                     char* strings, int size) {
    return ZR_FORWARD(qSPA, ID, axes, parameterIDs, values, strings, size);
}

ZR_BOOL Corvane_qHPA(int ID, char* buffer, int size) {
    return ZR_FORWARD(qHPA, ID, buffer, size);
}

}  // extern "C"
