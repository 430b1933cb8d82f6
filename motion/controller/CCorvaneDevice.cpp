#include "motion/controller/CCorvaneDevice.h"

#include "motion/comm/DeviceFunctions.h"

int CCorvaneDevice::SendChar(int c) const {
    return IFsendChar(m_iInterfaceID, c);
}

int CCorvaneDevice::WriteLine(const char* text) const {
    return IFwriteDevice(m_iInterfaceID, text);
}

int CCorvaneDevice::Query(const char* command, char* answer, int size) const {
    return readDevice(m_iInterfaceID, command, answer, size);
}

int CCorvaneDevice::ReceiveLine(char* answer, int size) const {
    return IFreceiveString(m_iInterfaceID, answer, size);
}

int CCorvaneDevice::Clear() const {
    return IFclearComm(m_iInterfaceID);
}

int CCorvaneDevice::SetTimeout(unsigned ms) const {
    return IFsetTimeout(m_iInterfaceID, ms);
}

int CCorvaneDevice::GetTimeout(int* ms) const {
    return IFgetTimeout(m_iInterfaceID, ms);
}

int CCorvaneDevice::SetTerminators(const char* send, const char* receive) const {
    return IFsetTerminators(m_iInterfaceID, send, receive);
}

int CCorvaneDevice::SetStripTerminator(bool strip) const {
    return IFsetStripTerminator(m_iInterfaceID, strip);
}

void CCorvaneDevice::Close() const {
    if (m_iInterfaceID >= 0) IFcloseInterface(m_iInterfaceID);
}
