// Life of a controller: connecting, the error slots, closing.
#include "motion/controller/CCorvaneController.h"

#include <cstring>

#include "motion/base/ZRLog.h"
#include "motion/comm/DeviceFunctions.h"

CCorvaneController::CCorvaneController(int port, int baud) {
    ZR_LOG_DEBUG("CCorvaneController::CCorvaneController(%d, %d)", port, baud);
    RS232Settings settings;
    settings.port = port;
    settings.baudRate = baud;
    settings.dataBits = 8;
    settings.parity = 0;
    settings.stopBits = 0;
    std::strncpy(settings.handshake, "NONE", sizeof settings.handshake - 1);
    SetClearRSMode(0);
    AttachInterface(connect_rs232(settings), true);
}

void CCorvaneController::AttachInterface(int interfaceID, bool stripTerminator) {
    m_iInterfaceID = interfaceID;
    m_Device.SetInterfaceID(interfaceID);
    if (interfaceID < 0) {
        m_iLocalError = IFgetLastConnectError();
        return;
    }
    if (stripTerminator)
        (void)m_Device.SetStripTerminator(true);  // a dead channel fails the next exchange
    Init();
}

CCorvaneController::~CCorvaneController() {
    // the reference thread and the joystick-table reader talk through the device: they must end
    // before the device closes
    StopReferenceThread();
    StopAsyncRead();
    if (m_bInitialised) {
        for (CCorvaneAxisData& a : m_AxisData) a.m_strStageName.clear();
    }
    m_Device.Close();
}

int CCorvaneController::GetError() {
    int error = m_iLocalError.exchange(0);
    if (error == 0) {
        if (m_iControllerError == 0) {
            // nothing pending: ask the boards of the initialised axes
            winport::ScopedLock refFlag(m_csRefFlag);
            uint8_t status[kMaxStatusBytes];
            for (int i = 0; i < kMaxCorvaneBoards && m_iControllerError == 0; ++i) {
                if (m_AxisData[i].m_strStageName.empty() || !m_AxisData[i].m_bInitialised) continue;
                (void)m_Axes.Select(i);  // a failed selection fails the next exchange
                if (!ReadCorvaneStatus(status)) break;
            }
        }
        error = m_iControllerError.exchange(0);
    }
    ZR_LOG_DEBUG("CCorvaneController::GetError() : %d", error);
    return error;
}

ZR_BOOL CCorvaneController::qERR(int* error) {
    if (!RefuseInMacroMode()) return false;
    const int e = GetError();
    if (error) *error = e;
    return true;
}
