// Axes and their identifiers: Corvane_INI, Corvane_SAI, Corvane_qSAI, Corvane_qSAI_ALL.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_INI(int ID, const char* axes) {
    return ZR_FORWARD(INI, ID, axes);
}

ZR_BOOL Corvane_SAI(int ID, const char* oldAxes, const char* newAxes) {
    return ZR_FORWARD(SAI, ID, oldAxes, newAxes);
}

ZR_BOOL Corvane_qSAI(int ID, char* buffer, int size) {
    return ZR_FORWARD(qSAI, ID, buffer, size);
}

ZR_BOOL Corvane_qSAI_ALL(int ID, char* buffer, int size) {
    return ZR_FORWARD(qSAI_ALL, ID, buffer, size);
}

}  // extern "C"
