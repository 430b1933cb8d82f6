#include "motion/comm/RS232.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ZR_Corvane_TAL.h"
#include "motion/base/ZRLog.h"
#include "motion/comm/DeviceChangeWatcher.h"
#include "motion/comm/DeviceFunctions.h"
#include "winport/SerialPortList.h"

namespace {

constexpr int kRs232AlreadyOpen = -52;

}  // namespace

C_RS232::PortOperation::PortOperation(C_RS232& port)
    : m_port(port), m_self(port.weak_from_this().lock()) {
    m_port.m_csPort.lock();
    ++m_port.m_iOperationDepth;
}

C_RS232::PortOperation::~PortOperation() {
    bool outermost = --m_port.m_iOperationDepth == 0;
    m_port.m_csPort.unlock();
    if (outermost && m_port.m_bVanished && m_port.m_bOpen) m_port.CloseInterface();
}

C_RS232::C_RS232() {
    ZR_LOG_DEBUG("C_RS232::C_RS232()");
}

C_RS232::~C_RS232() {
    CloseInterface();
}

std::shared_ptr<C_RS232> C_RS232::CreateNewCRS232(const RS232Settings& settings, int clearMode) {
    ZR_LOG_DEBUG("C_RS232::CreateNewCRS232( structure )");
    SetLastConnectError(0);
    ZR_LOG_DEBUG("C_RS232::CreateNewCRS232()");
    std::shared_ptr<C_RS232> port = std::make_shared<C_RS232NoThread>();
    port->Init(settings, clearMode);
    if (port->GetLastPortError() != 0) {
        SetLastConnectError(port->GetLastPortError());
        return nullptr;
    }
    return port;
}

void C_RS232::DeviceVanished(const char* what, int code) {
    Report_Error(what, m_Port.LastErrno() ? m_Port.LastErrno() : EIO);
    m_bVanished = true;
    m_iLastPortError = code;
}

bool C_RS232::OpenPort(const RS232Settings& settings) {
    char text[64];
    std::snprintf(text, sizeof text, "Error during open COM Port %d!", settings.port);
    std::optional<std::string> device = winport::SerialDevicePath(settings.port);
    if (!device) {
        Report_Error(text, ENOENT);
        m_iLastPortError = COM_NO_DEVICE_WITH_ID;
        return false;
    }
    ZR_LOG_DEBUG("C_RS232::Init() COM%d is \"%s\"", settings.port, device->c_str());
    winport::SerialStatus status;
    {
        std::lock_guard<std::mutex> handle(m_csHandle);
        status = m_Port.Open(*device);
        m_bOpen = status == winport::SerialStatus::Ok;
    }
    if (status == winport::SerialStatus::Ok) return true;
    Report_Error(text, m_Port.LastErrno());
    switch (status) {
        case winport::SerialStatus::NotFound:
            m_iLastPortError = COM_NO_DEVICE_WITH_ID;
            break;
        case winport::SerialStatus::Busy:
            m_iLastPortError = kRs232AlreadyOpen;
            break;
        default:
            m_iLastPortError = COM_OPEN_ERROR;
            break;
    }
    return false;
}

bool C_RS232::ConfigureLine(const RS232Settings& settings) {
    // Event mask, driver buffer sizes and driver time-outs have no termios counterpart: reads wait
    // with poll() for the interface time-out instead.
    if (m_Port.Purge() != winport::SerialStatus::Ok) {
        Report_Error("Error during buffer initialisation", m_Port.LastErrno());
        m_iLastPortError = COM_OPEN_ERROR;
        return false;
    }
    winport::SerialLineSettings current;
    if (m_Port.GetLineSettings(current) != winport::SerialStatus::Ok) {
        Report_Error("Error during retreiving State of Port", m_Port.LastErrno());
        m_iLastPortError = COM_RS232_CONFIGURATION_ERROR;
        return false;
    }
    RS232LineRecord record;
    record.BaudRate = settings.baudRate;
    record.Parity = static_cast<uint8_t>(settings.parity);
    record.ByteSize = static_cast<uint8_t>(settings.dataBits);
    record.StopBits = static_cast<uint8_t>(settings.stopBits);
    char handshake[sizeof settings.handshake + 1] = {};
    std::memcpy(handshake, settings.handshake, sizeof settings.handshake);
    record.Handshake = HandshakeCode(handshake);
    SerialDcb dcb = DcbFromLine(current);
    SetInternalDCB(record, dcb);
    if (dcb.fOutxDsrFlow)
        ZR_LOG_WARN(
            "C_RS232::Init() DTRDSR flow control is not available here, line without flow control");
    if (m_Port.SetLineSettings(LineFromDcb(dcb)) != winport::SerialStatus::Ok) {
        Report_Error("Error during initializing COM Port", m_Port.LastErrno());
        m_iLastPortError = COM_RS232_CONFIGURATION_ERROR;
        return false;
    }
    if (dcb.fRtsControl == RTS_CONTROL_ENABLE) m_Port.SetRts(true);  // modem lines may not exist
    return true;
}

void C_RS232::Init(const RS232Settings& settings, int /*clearMode*/) {
    if (m_iLastPortError != 0) {
        ZR_LOG_DEBUG("C_RS232::Init() port_error already set!");
        return;
    }
    char handshake[sizeof settings.handshake + 1] = {};
    std::memcpy(handshake, settings.handshake, sizeof settings.handshake);
    ZR_LOG_INFO("===================================================");
    ZR_LOG_INFO("C_RS232::Init(pFaceStr) port=%d, baud=%d", settings.port, settings.baudRate);
    ZR_LOG_INFO("    port_nm :%d", settings.port);
    ZR_LOG_INFO("    baud_rate :%d", settings.baudRate);
    ZR_LOG_INFO("    parity :%d", settings.parity);
    ZR_LOG_INFO("    data_bits :%d", settings.dataBits);
    ZR_LOG_INFO("    stop_bits :%d", settings.stopBits);
    ZR_LOG_INFO("    hand_shake :%s", handshake);

    (void)SetTerminators("\n", "\n");  // fixed, valid terminators

    bool impossible = ImpossibleFraming(settings.dataBits, settings.stopBits);
    ZR_LOG_DEBUG("rs_check() returned %d", impossible ? 1 : 0);
    if (impossible) {
        m_iLastPortError = COM_RS232_INVALID_DATA_BITS;
        return;
    }
    if (!OpenPort(settings) || !ConfigureLine(settings)) return;
    m_Port.SetDtr(true);  // a pseudo-terminal has no DTR line
    ClearBuffers();
    CDeviceChangeWatcher::Instance().AddObserver(this, 0);
    m_bObserving = true;
    ZR_LOG_INFO("C_RS232::Init()");
    ZR_LOG_INFO("===================================================");
}

int C_RS232::WriteBytes(std::string_view bytes) {
    if (bytes.empty()) {
        ZR_LOG_ERROR("C_RS232::WriteBytes() nothing to send! =>SEND_ERROR");
        return SEND_ERROR;
    }
    size_t written = 0;
    winport::SerialStatus status = m_Port.Write(bytes.data(), bytes.size(), m_dwTimeout, written);
    if (status == winport::SerialStatus::Ok) return 0;
    // A command cut short would run into the next one on the device; report it as not sent.
    if (status == winport::SerialStatus::Timeout) return COM_TIMEOUT;
    if (status == winport::SerialStatus::Vanished) m_bVanished = true;
    Report_Error("Error during write", m_Port.LastErrno());
    ZR_LOG_ERROR("C_RS232::WriteBytes() COM_ERROR");
    return COM_ERROR;
}

uint32_t C_RS232::SetLongWait(uint32_t ms) {
    PortOperation op(*this);
    ZR_LOG_DEBUG("C_RS232::SetLongWait(%d)", static_cast<int>(ms));
    // Time-outs live in the interface: every wait on the port is bounded by it.
    ZR_LOG_DEBUG("CInterface::SetLongWait(%d)", static_cast<int>(ms));
    return CInterface::SetLongWait(ms);
}

bool C_RS232::ClearBuffers() {
    PortOperation op(*this);
    // Only the input: lines written before the clear must still reach the boards.
    winport::SerialStatus status = m_Port.PurgeInput();
    if (status != winport::SerialStatus::Ok) {
        if (status == winport::SerialStatus::Vanished) m_bVanished = true;
        Report_Error("Error clearing of RS232 buffers", m_Port.LastErrno());
        m_iLastPortError = COM_ERROR;
        return false;
    }
    (void)CInterface::ClearBuffers();  // the base only empties the message queue
    while (ReadWithTimeout(10)) {
    }
    return true;
}

void C_RS232::CloseInterface() {
    std::shared_ptr<CInterface> self =
        weak_from_this().lock();  // the base part may drop the last owner
    if (!m_bOpen) return;
    bool expected = false;
    if (!m_bClosing.compare_exchange_strong(expected, true)) return;
    if (m_bObserving) CDeviceChangeWatcher::Instance().RemoveObserver(this);
    m_Port.Wake();
    {
        std::lock_guard<std::recursive_mutex> op(m_csPort);
        std::lock_guard<std::mutex> handle(m_csHandle);
        if (m_Port.Purge() != winport::SerialStatus::Ok)
            Report_Error("C_RS232::CloseInterface() PurgeComm() FAILED", m_Port.LastErrno());
        m_Port.Close();
        m_bOpen = false;
    }
    m_bClosing = false;
    CloseInterfaceBase();
}

void C_RS232::Update(CObservable* /*subject*/, int /*value*/, int /*event*/) {
    ZR_LOG_DEBUG("C_RS232::Update()");
    std::shared_ptr<CInterface> self = weak_from_this().lock();
    {
        std::lock_guard<std::mutex> handle(m_csHandle);
        if (!m_bOpen || m_bClosing) return;
        if (m_Port.CheckPresent() != winport::SerialStatus::Vanished) return;
    }
    Report_Error("C_RS232::Update() device vanished", m_Port.LastErrno());
    m_bVanished = true;
    CloseInterface();
}
