#include <algorithm>

#include "ZR_Corvane_TAL.h"
#include "motion/base/ZRLog.h"
#include "motion/comm/RS232.h"
#include "winport/Clock.h"

namespace {

constexpr size_t kReadChunk = 100;

}  // namespace

C_RS232NoThread::C_RS232NoThread() {
    ZR_LOG_DEBUG("C_RS232NoThread::C_RS232NoThread()");
}

void C_RS232NoThread::Init(const RS232Settings& settings, int clearMode) {
    ZR_LOG_DEBUG("C_RS232NoThread::Init(pFaceStr)");
    C_RS232::Init(settings, clearMode);
}

bool C_RS232NoThread::SendString(const char* text) {
    PortOperation op(*this);
    ZR_LOG_INFO("C_RS232NoThread::SendString(\"%s\")", text ? text : "");
    return CInterface::SendString(text);
}

bool C_RS232NoThread::SendChar(char c) {
    PortOperation op(*this);
    ZR_LOG_INFO("C_RS232NoThread::SendChar('%c')", c);
    m_iLastPortError = WriteBytes(std::string_view(&c, 1));
    return m_iLastPortError == 0;
}

bool C_RS232NoThread::ReceiveString(char* dst) {
    PortOperation op(*this);
    if (MessagesWaiting() == 0) {
        ReadWithTimeout(m_dwTimeout);
        if (m_iLastPortError != 0) return false;
    }
    return TakeMessage(dst);
}

// Where the port is read in passes: every byte waiting goes to AddNewByte, at most 100 per read.
// Between passes the thread sleeps in poll() until bytes arrive or the time is up, instead of
// spinning on the driver.
bool C_RS232NoThread::ReadWithTimeout(uint32_t ms) {
    PortOperation op(*this);
    ZR_LOG_DEBUG("C_RS232NoThread::ReadWithTimeout(%d)", static_cast<int>(ms));
    if (!m_bOpen) return false;
    uint32_t start = winport::TickCount();
    bool completed = false;
    uint8_t data[kReadChunk];
    while (true) {
        while (true) {
            size_t waiting = 0;
            bool framing = false;
            winport::SerialStatus status = m_Port.BytesWaiting(waiting, &framing);
            if (framing) ZR_LOG_DEBUG("framing error!");
            if (status == winport::SerialStatus::Vanished) {
                DeviceVanished("C_RS232NoThread::ReadWithTimeout() device vanished", REC_ERROR);
                return false;
            }
            if (status != winport::SerialStatus::Ok || waiting == 0) break;
            size_t want = std::min(waiting, kReadChunk), got = 0;
            status = m_Port.Read(data, want, got);
            if (status == winport::SerialStatus::Vanished) {
                DeviceVanished("C_RS232NoThread::ReadWithTimeout() device vanished", REC_ERROR);
                return false;
            }
            if (status != winport::SerialStatus::Ok) {
                Report_Error("C_RS232::Read()", m_Port.LastErrno());
                break;
            }
            if (got < want) {
                ZR_LOG_ERROR("C_RS232::Read() COM_TIMEOUT (dwReadBytes = %d)",
                             static_cast<int>(got));
                if (got == 0) {
                    m_iLastPortError = COM_TIMEOUT;
                    break;
                }
            }
            // Bytes read are always fed, so a short read loses nothing.
            bool overflow = false;
            for (size_t i = 0; i < got; ++i) overflow |= !AddNewByte(data[i], &completed);
            if (overflow || got < want) break;
        }
        if (completed) return true;
        if (m_Port.WaitIsOver(start, ms)) return false;
        winport::SerialStatus status = m_Port.WaitReadableSince(start, ms);
        if (status == winport::SerialStatus::Vanished) {
            DeviceVanished("C_RS232NoThread::ReadWithTimeout() device vanished", REC_ERROR);
            return false;
        }
        if (status == winport::SerialStatus::Failed) {
            Report_Error("C_RS232NoThread::ReadWithTimeout()", m_Port.LastErrno());
            return false;
        }
        // A wake-up from a device-change check: go round again, the port tells if it is gone.
    }
}
