#pragma once
// The RS-232 transport. The library uses its thread-less form, C_RS232NoThread: the port is read
// in the caller's thread while it waits for an answer.
//
// Port n is the device that winport's port naming gives for "COMn" (WINPORT_COM<n>, the
// SERIALCOMM registry map, then the machine's ports). A device that vanishes (hang-up) closes the
// interface, whether the device-change watcher or a read or write notices it first.
#include <atomic>
#include <memory>
#include <mutex>

#include "motion/comm/Interface.h"
#include "motion/comm/RS232Dcb.h"
#include "motion/comm/RS232Settings.h"
#include "winport/SerialPort.h"

class C_RS232 : public CInterface, public CObserver {
  public:
    // Opens and configures the port; none on failure, with the reason in the last-connect error
    // (IFgetLastConnectError).
    static std::shared_ptr<C_RS232> CreateNewCRS232(const RS232Settings& settings, int clearMode);

    ~C_RS232() override;

    virtual void Init(const RS232Settings& settings, int clearMode);
    uint32_t SetLongWait(uint32_t ms) override;
    bool ClearBuffers() override;
    bool IsConnected() const override { return m_bOpen; }
    void CloseInterface() override;
    void Update(CObservable* subject, int value, int event) override;
    // Polls the port for up to ms milliseconds; true when at least one message completed.
    virtual bool ReadWithTimeout(uint32_t ms) = 0;

    // Lists the serial ports: the descriptions, one per line, into buffer; returns the count.
    // -5 when the list does not fit into size bytes with its zero. The list is kept until
    // ResetPortCache; without buffer only the count is returned.
    static int EnumerateCOMPorts(char* buffer, int size);
    static void ResetPortCache();

    // The device of the open port ("/dev/ttyUSB0").
    const std::string& DevicePath() const { return m_Port.DevicePath(); }

  protected:
    C_RS232();
    [[nodiscard]] int WriteBytes(std::string_view bytes) override;

    // Holds the port for one operation; the outermost one closes the interface afterwards when
    // the device vanished meanwhile.
    class PortOperation {
      public:
        explicit PortOperation(C_RS232& port);
        ~PortOperation();

      private:
        C_RS232& m_port;
        std::shared_ptr<CInterface> m_self;
    };

    // Records that the device hung up, with the code the caller sees.
    void DeviceVanished(const char* what, int code);

    winport::SerialPort m_Port;
    std::recursive_mutex m_csPort;  // one operation on the port at a time
    std::mutex m_csHandle;          // the descriptor's life, against device-change checks
    std::atomic<bool> m_bOpen{false};
    std::atomic<bool> m_bVanished{false};
    int m_iOperationDepth = 0;

  private:
    bool OpenPort(const RS232Settings& settings);
    bool ConfigureLine(const RS232Settings& settings);
    bool m_bObserving = false;
};

class C_RS232NoThread : public C_RS232 {
  public:
    C_RS232NoThread();
    void Init(const RS232Settings& settings, int clearMode) override;
    bool SendString(const char* text) override;
    bool SendChar(char c) override;
    bool ReceiveString(char* dst) override;
    bool ReadWithTimeout(uint32_t ms) override;
};
