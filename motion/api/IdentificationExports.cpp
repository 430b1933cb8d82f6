// Identification and help: Corvane_qIDN, Corvane_qVER, Corvane_qHLP, Corvane_qTVI.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_qIDN(int ID, char* buffer, int size) {
    return ZR_FORWARD(qIDN, ID, buffer, size);
}

ZR_BOOL Corvane_qVER(int ID, char* buffer, int size) {
    return ZR_FORWARD(qVER, ID, buffer, size);
}

ZR_BOOL Corvane_qHLP(int ID, char* buffer, int size) {
    return ZR_FORWARD(qHLP, ID, buffer, size);
}

ZR_BOOL Corvane_qTVI(int ID, char* buffer, int size) {
    return ZR_FORWARD(qTVI, ID, buffer, size);
}

}  // extern "C"
