// Board macros: recording, storing, starting, deleting, listing, and the macro-only conditions.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_DEL(int ID, int milliseconds) {
    return ZR_FORWARD(DEL, ID, milliseconds);
}

ZR_BOOL Corvane_MAC_BEG(int ID, const char* name) {
    return ZR_FORWARD(MAC_BEG, ID, name);
}

ZR_BOOL Corvane_MAC_START(int ID, const char* name) {
    return ZR_FORWARD(MAC_START, ID, name);
}

ZR_BOOL Corvane_MAC_NSTART(int ID, const char* name, int repetitions) {
    return ZR_FORWARD(MAC_NSTART, ID, name, repetitions);
}

ZR_BOOL Corvane_MAC_END(int ID) {
    return ForwardToController("Corvane_MAC_END", ID, ZR_BOOL{0}, &CCorvaneController::MAC_END);
}

ZR_BOOL Corvane_MEX(int ID, const char* condition) {
    return ZR_FORWARD(MEX, ID, condition);
}

ZR_BOOL Corvane_MAC_DEL(int ID, const char* name) {
    return ZR_FORWARD(MAC_DEL, ID, name);
}

ZR_BOOL Corvane_qMAC(int ID, const char* name, char* buffer, int size) {
    return ZR_FORWARD(qMAC, ID, name, buffer, size);
}

ZR_BOOL Corvane_WAC(int ID, const char* condition) {
    return ZR_FORWARD(WAC, ID, condition);
}

ZR_BOOL Corvane_IsRecordingMacro(int ID, ZR_BOOL* recording) {
    return ZR_FORWARD(IsRecordingMacro, ID, recording);
}

ZR_BOOL Corvane_IsRunningMacro(int ID, ZR_BOOL* running) {
    return ZR_FORWARD(IsRunningMacro, ID, running);
}

}  // extern "C"
