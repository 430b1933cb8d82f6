#include "motion/comm/Interface.h"

#include <cstring>
#include <new>

#include "ZR_Corvane_TAL.h"
#include "motion/base/ZRLog.h"
#include "motion/base/ZRScopeTrace.h"
#include "motion/comm/InterfaceCollection.h"

namespace {

std::atomic<int> g_queuedMessages{0};

std::unique_ptr<char[]> NewMessageBuffer() {
    return std::unique_ptr<char[]>(new char[CInterface::kMessageSize]());
}

}  // namespace

CInterface::CInterface() : m_pAssembly(NewMessageBuffer()) {}

CInterface::~CInterface() {
    int id = m_iID;
    if (id >= 0) CInterfaceCollection::Instance().ReleaseSlot(id, this);
}

void CInterface::Report_Error(const char* text, int systemError) {
    if (!ZRLogEnabled(log4cpp::Priority::ERROR)) return;
    char message[256];
    const char* system = strerror_r(systemError, message, sizeof message);
    ZR_LOG_ERROR("Report_Error(): %s\n%s", text ? text : "", system);
}

bool CInterface::AddNewByte(uint8_t byte, bool* completed) {
    winport::ScopedLock lock(m_csFIFO);
    char* text = m_pAssembly.get();
    size_t len = strnlen(text, kMessageSize);
    if (len > kMessageSize - 2) {
        ZR_LOG_ERROR("CInterface::AddNewByte(): COM_BUFFER_OVERFLOW, len = %d",
                     static_cast<int>(len));
        text[0] = '\0';
        m_iLastPortError = COM_BUFFER_OVERFLOW;
        return false;
    }
    text[len] = static_cast<char>(byte);
    text[len + 1] = '\0';
    size_t n = m_ReceiveTerminator.size();
    if (n > 0 && byte == static_cast<uint8_t>(m_ReceiveTerminator.back()) && len + 1 >= n &&
        std::memcmp(text + len + 1 - n, m_ReceiveTerminator.data(), n) == 0) {
        if (completed) *completed = true;
        addMessageToStringFIFO();
        ZR_LOG_DEBUG("CInterface::AddNewByte() added messageToFIFO");
    }
    m_iLastPortError = 0;
    return true;
}

void CInterface::addMessageToStringFIFO() {
    ZR_SCOPE_TRACE("CInterface::addMessageToStringFIFO");
    winport::ScopedLock lock(m_csFIFO);
    if (m_bStripTerminator) {
        size_t len = strnlen(m_pAssembly.get(), kMessageSize);
        size_t n = m_ReceiveTerminator.size();
        m_pAssembly[len >= n ? len - n : 0] = '\0';
    }
    m_FIFO.push_back(std::move(m_pAssembly));
    ZR_LOG_INFO("CInterface::addMessageToStringFIFO() %d msgs", ++g_queuedMessages);
    m_pAssembly = NewMessageBuffer();
}

bool CInterface::TakeMessage(char* dst) {
    ZR_LOG_DEBUG("CInterface::ReceiveString()");
    m_iLastPortError = 0;
    winport::ScopedLock lock(m_csFIFO);
    if (m_FIFO.empty()) {
        ZR_LOG_ERROR("CInterface::ReceiveString() no msg in fifo, set COM_TIMEOUT");
        m_iLastPortError = COM_TIMEOUT;
        return false;
    }
    std::unique_ptr<char[]> message = std::move(m_FIFO.front());
    m_FIFO.pop_front();
    if (dst) std::memcpy(dst, message.get(), kMessageSize);
    ZR_LOG_INFO("CInterface::ReceiveString():  message waiting in FIFO: \"%s\" %d more",
                message.get(), static_cast<int>(m_FIFO.size()));
    return true;
}

bool CInterface::ReceiveString(char* dst) {
    return TakeMessage(dst);
}

size_t CInterface::MessagesWaiting() {
    winport::ScopedLock lock(m_csFIFO);
    return m_FIFO.size();
}

void CInterface::ClearFIFO() {
    winport::ScopedLock lock(m_csFIFO);
    m_FIFO.clear();
    std::memset(m_pAssembly.get(), 0, kMessageSize);
}

int CInterface::ReceiveLine(char* buf, int size) {
    char scratch[kMessageSize] = {};
    if (!ReceiveString(scratch)) return m_iLastPortError;
    scratch[kMessageSize - 1] = '\0';
    size_t len = std::strlen(scratch);
    if (!buf || size <= 0 || len + 1 > static_cast<size_t>(size)) return COM_BUFFER_OVERFLOW;
    std::memcpy(buf, scratch, len + 1);
    size_t payload = len;
    if (!m_bStripTerminator) {
        winport::ScopedLock lock(m_csFIFO);
        payload = len >= m_ReceiveTerminator.size() ? len - m_ReceiveTerminator.size() : 0;
    }
    if (payload > 0 && scratch[payload - 1] == ' ') return -8;
    return 0;
}

bool CInterface::SendString(const char* text) {
    std::string data;
    try {
        data = text ? text : "";
        winport::ScopedLock lock(m_csFIFO);
        const std::string& t = m_SendTerminator;
        if (!t.empty() &&
            (data.size() < t.size() || data.compare(data.size() - t.size(), t.size(), t) != 0))
            data += t;
    } catch (const std::bad_alloc&) {
        m_iLastPortError = COM_INTERNAL_RESOURCES_ERROR;
        return false;
    }
    m_iLastPortError = WriteBytes(data);  // kept for GetLastPortError and the code forms
    return m_iLastPortError == 0;
}

uint32_t CInterface::SetLongWait(uint32_t ms) {
    uint32_t previous = m_dwTimeout;
    m_dwTimeout = ms;
    return previous;
}

bool CInterface::ClearBuffers() {
    ClearFIFO();
    m_iLastPortError = 0;
    return true;
}

int CInterface::SetID(int id) {
    int expected = -1;
    if (id >= 0) m_iID.compare_exchange_strong(expected, id);
    return m_iID;
}

void CInterface::CloseInterface() {
    CloseInterfaceBase();
}

void CInterface::CloseInterfaceBase() {
    if (m_bClosing) return;
    int id = m_iID.exchange(-1);
    if (id >= 0) CInterfaceCollection::Instance().ReleaseSlot(id, this);
}

int CInterface::WriteString(const char* text) {
    return SendString(text) ? 0 : m_iLastPortError.load();
}

int CInterface::WriteChar(char c) {
    return SendChar(c) ? 0 : m_iLastPortError.load();
}

int CInterface::Query(const char* command, char* answer, int size) {
    if (!SendString(command)) return m_iLastPortError;
    return ReceiveLine(answer, size);
}

int CInterface::SetTerminators(const char* send, const char* receive) {
    try {
        std::string s = send ? send : "";
        std::string r = receive ? receive : "";
        winport::ScopedLock lock(m_csFIFO);
        m_SendTerminator.swap(s);
        m_ReceiveTerminator.swap(r);
        return 0;
    } catch (const std::bad_alloc&) {
        return COM_INTERNAL_RESOURCES_ERROR;
    }
}

bool CInterface::SetStripTerminator(bool strip) {
    return m_bStripTerminator.exchange(strip);
}
