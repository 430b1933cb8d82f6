#include "motion/comm/DeviceFunctions.h"

#include <atomic>
#include <memory>

#include "ZR_Corvane_TAL.h"
#include "motion/base/ZRLog.h"
#include "motion/comm/InterfaceCollection.h"
#include "motion/comm/RS232.h"

namespace {

std::atomic<int> g_lastConnectError{0};
std::atomic<int> g_clearRSMode{0};
std::atomic<bool> g_backgroundThread{false};
std::atomic<unsigned int> g_enabledTypes{0};
std::atomic<bool> g_rs232Available{false};
std::atomic<void*> g_instanceHandle{nullptr};
std::atomic<bool> g_instanceHandleSet{false};

std::shared_ptr<CInterface> Find(int id) {
    return CInterfaceCollection::Instance().Get(id);
}

}  // namespace

int IFgetLastConnectError() {
    return g_lastConnectError;
}

void SetLastConnectError(int code) {
    g_lastConnectError = code;
}

int connect_rs232(const RS232Settings& settings) {
    int id = CInterfaceCollection::Instance().AddInterface(
        C_RS232::CreateNewCRS232(settings, g_clearRSMode));
    ZR_LOG_DEBUG("LIBRARY: connect_rs232() returned %d", id);
    return id;
}

int readDevice(int id, const char* command, char* answer, int size) {
    ZR_LOG_DEBUG("LIBRARY: readDevice(%d, \"%s\", ...)", id, command ? command : "");
    auto face = Find(id);
    if (!face) return NOT_CONNECTED_ERROR;
    return face->Query(command, answer, size);
}

int IFreceiveString(int id, char* answer, int size) {
    auto face = Find(id);
    if (!face) return NOT_CONNECTED_ERROR;
    return face->ReceiveLine(answer, size);
}

int IFwriteDevice(int id, const char* text) {
    ZR_LOG_DEBUG("LIBRARY: IFwriteDevice(%d, \"%s\")", id, text ? text : "");
    auto face = Find(id);
    if (!face) return NOT_CONNECTED_ERROR;
    return face->WriteString(text);
}

int IFsendChar(int id, int c) {
    auto face = Find(id);
    if (!face) return NOT_CONNECTED_ERROR;
    return face->WriteChar(static_cast<char>(c));
}

int IFclearComm(int id) {
    ZR_LOG_DEBUG("LIBRARY: IFclearComm(%d)", id);
    auto face = Find(id);
    if (!face) return NOT_CONNECTED_ERROR;
    return face->ClearBuffers() ? 0 : face->GetLastPortError();
}

int IFsetTimeout(int id, unsigned int ms) {
    ZR_LOG_DEBUG("LIBRARY: IFsetTimeout(%d, %d)", id, static_cast<int>(ms));
    auto face = Find(id);
    if (!face) return NOT_CONNECTED_ERROR;
    return face->SetLongWait(ms) == CInterface::kRefusedTimeout ? COM_ERROR : 0;
}

int IFgetTimeout(int id, int* ms) {
    auto face = Find(id);
    if (!face) {
        ZR_LOG_ERROR("LIBRARY: IFgetTimeout(%d) NOT_CONNECTED_ERROR", id);
        return NOT_CONNECTED_ERROR;
    }
    if (!ms) return ZR_INVALID_ARGUMENT;
    *ms = static_cast<int>(face->GetTimeout());
    ZR_LOG_DEBUG("LIBRARY: IFgetTimeout(%d) timeout is %d", id, *ms);
    return 0;
}

int IFsetTerminators(int id, const char* send, const char* receive) {
    auto face = Find(id);
    if (!face) return NOT_CONNECTED_ERROR;
    return face->SetTerminators(send, receive);
}

int IFsetStripTerminator(int id, bool strip) {
    auto face = Find(id);
    if (!face) return NOT_CONNECTED_ERROR;
    return face->SetStripTerminator(strip) ? 1 : 0;
}

void IFcloseInterface(int id) {
    CInterfaceCollection::Instance().CloseInterface(id);
}

void IFcloseAllInterfaces() {
    CInterfaceCollection::Instance().CloseAllInterfaces();
}

void ZR_IFsetInstanceHandle(void* moduleHandle) {
    if (g_instanceHandleSet.exchange(true)) return;
    ZR_LOG_NOTICE("LIBRARY: ZR_IFsetInstanceHandle()");
    ZRLogger::TimeStamp(log4cpp::Priority::CRIT);
    g_instanceHandle = moduleHandle;
}

void* IFgetInstanceHandle() {
    return g_instanceHandle;
}

int IFuseBackgroundThread(int mode) {
    g_backgroundThread = mode == 1;
    return 0;
}

int SetClearRSMode(int mode) {
    ZR_LOG_DEBUG("CInterfaceCollection::SetClearRSMode(%d)", mode);
    return g_clearRSMode.exchange(mode);
}

int IFgetClearRSMode() {
    return g_clearRSMode;
}

unsigned int IFsetEnabledInterfaceTypes(unsigned int mask) {
    unsigned int previous = g_enabledTypes.exchange(mask);
    if (!(mask & IF_TYPE_RS232)) g_rs232Available = false;
    return previous;
}

unsigned int IFgetEnabledInterfaceTypes() {
    return g_enabledTypes;
}

bool IFisRS232Available() {
    return g_rs232Available;
}

void IFsetRS232Available(bool available) {
    g_rs232Available = available;
}
