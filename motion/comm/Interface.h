#pragma once
// Base of every communication interface: turns received bytes into messages framed by the
// receive terminator and queues them until they are asked for (the message FIFO); appends the
// send terminator to outgoing strings. Error codes are those of ZR_Corvane_TAL.h.
//
// Interfaces are always owned through std::shared_ptr: the interface collection holds one
// reference, and every device function holds another while it works, so a close started by a
// device-change notification never deletes an object that is in use.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "motion/comm/Observer.h"
#include "winport/CriticalSection.h"

class CInterface : public CObservable, public std::enable_shared_from_this<CInterface> {
  public:
    static constexpr size_t kMessageSize = 2048;  // FIFO entries, terminating zero included
    static constexpr uint32_t kDefaultTimeout = 10000;
    static constexpr uint32_t kRefusedTimeout = 0xFFFFFFFFu;

    CInterface();
    ~CInterface() override;

    // Sends text plus the send terminator (unless text already ends with it).
    [[nodiscard]] virtual bool SendString(const char* text);
    // Copies the oldest message into dst (kMessageSize bytes); false with -7 when there is none.
    [[nodiscard]] virtual bool ReceiveString(char* dst);
    [[nodiscard]] virtual bool SendChar(char c) = 0;
    // Returns the previous timeout, or kRefusedTimeout when the transport refused the value.
    virtual uint32_t SetLongWait(uint32_t ms);
    virtual uint32_t GetTimeout() const { return m_dwTimeout; }
    [[nodiscard]] virtual bool ClearBuffers();
    virtual bool IsConnected() const = 0;
    // One message into buf: 0; -5 when it and its zero do not fit (the message is dropped); -8
    // when it ends with a space (more lines of a multi-line answer follow); else the port error.
    [[nodiscard]] virtual int ReceiveLine(char* buf, int size);
    // Keeps an ID already assigned; returns the ID in force.
    virtual int SetID(int id);
    virtual void CloseInterface();

    // Code-returning forms for the device functions: 0 or the last port error.
    [[nodiscard]] int WriteString(const char* text);
    [[nodiscard]] int WriteChar(char c);
    [[nodiscard]] int Query(const char* command, char* answer, int size);

    // Feeds one received byte; completed (when given) is set when it ended a message.
    bool AddNewByte(uint8_t byte, bool* completed);
    // 0, or -32 when a copy cannot be made. A null receive terminator leaves none: then no message
    // ever completes.
    [[nodiscard]] int SetTerminators(const char* send, const char* receive);
    bool SetStripTerminator(bool strip);
    void ClearFIFO();
    size_t MessagesWaiting();

    // Logs at ERROR "Report_Error(): <text>\n<system message of systemError>".
    static void Report_Error(const char* text, int systemError);

    int GetLastPortError() const { return m_iLastPortError; }
    void SetLastPortError(int code) { m_iLastPortError = code; }
    int GetID() const { return m_iID; }
    bool IsClosing() const { return m_bClosing; }
    void SetDeleteRequested() { m_bDeleteRequested = true; }
    bool IsDeleteRequested() const { return m_bDeleteRequested; }

  protected:
    // The transport's part of SendString and SendChar: 0, or the port error (SEND_ERROR for no
    // bytes at all).
    [[nodiscard]] virtual int WriteBytes(std::string_view bytes) = 0;
    // The base part of a close: leaves the collection slot and gives up the ID.
    void CloseInterfaceBase();
    // Takes the oldest message (base part of ReceiveString).
    bool TakeMessage(char* dst);

    std::atomic<int> m_iLastPortError{0};
    std::atomic<bool> m_bClosing{false};
    std::atomic<bool> m_bDeleteRequested{false};
    std::atomic<uint32_t> m_dwTimeout{kDefaultTimeout};

  private:
    void addMessageToStringFIFO();

    std::deque<std::unique_ptr<char[]>> m_FIFO;
    winport::CriticalSection m_csFIFO;
    std::unique_ptr<char[]> m_pAssembly;
    std::string m_SendTerminator = "\n";
    std::string m_ReceiveTerminator = "\n";
    std::atomic<bool> m_bStripTerminator{false};
    std::atomic<int> m_iID{-1};
};
