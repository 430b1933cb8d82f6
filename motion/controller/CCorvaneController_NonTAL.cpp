// Native text straight to the boards and back: SendNonTALString, ReceiveNonTALString.
#include <cstring>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

ZR_BOOL CCorvaneController::SendNonTALString(const char* text) {
    winport::ScopedLock channel(m_csChannel);
    if (!text || text[0] == '\0') return true;
    ZR_LOG_INFO("CCorvaneController::SendNonTALString(\"%s\")", text);
    int error = 0;
    if (static_cast<unsigned char>(text[0]) < 0x20) {
        // control characters (a board selection): byte by byte, no terminator
        for (const char* c = text; *c != '\0' && error == 0; ++c)
            error = m_Device.SendChar(static_cast<unsigned char>(*c));
    } else {
        error = m_Device.WriteLine(text);
    }
    // A selection made here is not the controller's: its next command must select again, or it
    // would talk to whichever board the text selected.
    if (std::strchr(text, kCorvaneSelectByte)) m_Axes.ForgetSelection();
    if (error != 0) {
        ZR_LOG_ERROR("CCorvaneController::SendNonTALString(\"%s\") failed, error %d", text, error);
        m_iLocalError = error;
        return false;
    }
    return true;
}

ZR_BOOL CCorvaneController::ReceiveNonTALString(char* buffer, int size) {
    winport::ScopedLock channel(m_csChannel);
    // checked first, so that no line is taken from the port and lost
    if (!buffer || size <= 0) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    const int error = m_Device.ReceiveLine(buffer, size);
    if (error != 0) {
        ZR_LOG_ERROR("CCorvaneController::ReceiveNonTALString() failed, error %d", error);
        m_iLocalError = error;
        return false;
    }
    ZR_LOG_INFO("CCorvaneController::ReceiveNonTALString() \"%s\"", buffer);
    return true;
}
