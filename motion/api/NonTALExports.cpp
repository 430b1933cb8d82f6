// Native text straight to the boards and back: Corvane_SendNonTALString,
// Corvane_ReceiveNonTALString.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_SendNonTALString(int ID, const char* text) {
    return ZR_FORWARD(SendNonTALString, ID, text);
}

ZR_BOOL Corvane_ReceiveNonTALString(int ID, char* buffer, int size) {
    return ZR_FORWARD(ReceiveNonTALString, ID, buffer, size);
}

}  // extern "C"
