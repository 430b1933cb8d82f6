// The recording seam: while a macro is being recorded, SendCommand hands its lines here.
#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

namespace {
// One command plus one for every comma after the first character.
int CountNativeCommands(const char* line) {
    int n = 1;
    if (line[0] == '\0') return n;
    for (const char* p = line + 1; *p != '\0'; ++p)
        if (*p == ',') ++n;
    return n;
}
}  // namespace

int CCorvaneController::RecordMacroLine(const char* line) {
    if (!line) return m_iControllerError;
    const int commands = CountNativeCommands(line);
    if (m_iMacroCommandCount + commands <= kMaxMacroCommands) {
        m_strMacroLine += ',';
        m_strMacroLine += line;
        m_iMacroCommandCount += commands;
    } else {
        ZR_LOG_ERROR("CCorvaneController::RecordMacroLine(\"%s\") ZR_CNTR_MACRO_MEMORY_FULL", line);
        m_iLocalError = ZR_CNTR_MACRO_MEMORY_FULL;
    }
    return m_iControllerError;
}
