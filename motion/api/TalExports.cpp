// The command-string interface: TAL command lines in, TAL answer lines out.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_TalCommandset(int ID, const char* text) {
    return ZR_FORWARD(TalCommandset, ID, text);
}

ZR_BOOL Corvane_TalGetAnswer(int ID, char* buffer, int size) {
    return ZR_FORWARD(TalGetAnswer, ID, buffer, size);
}

ZR_BOOL Corvane_TalGetAnswerSize(int ID, int* size) {
    return ZR_FORWARD(TalGetAnswerSize, ID, size);
}

}  // extern "C"
