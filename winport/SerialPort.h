#pragma once
// Serial ports over termios. Pseudo-terminals are ports like any other: they have no modem lines,
// so DTR/RTS requests on them report Unsupported instead of failing.
//
// Opening is exclusive: flock(LOCK_EX | LOCK_NB) right after open() and before any termios
// change, then TIOCEXCL. A second opener, in this process or another, gets Busy (root included,
// since the lock binds it where TIOCEXCL does not).
//
// A device that disappears (a USB adapter pulled, the far end of a pseudo-terminal closed) hangs
// up the descriptor: reads then return end-of-file and writes fail with EIO. Every operation
// reports that as Vanished, never as a time-out.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "winport/LineTraffic.h"

namespace winport {

enum class SerialStatus {
    Ok,
    NotFound,     // no such device
    Busy,         // open elsewhere
    Failed,       // any other failure; LastErrno() tells
    Timeout,      // nothing happened within the time given
    Vanished,     // the device hung up
    Unsupported,  // the device has no such function (modem lines of a pseudo-terminal)
};

enum class SerialParity : uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class SerialStopBits : uint8_t { One = 0, OneAndHalf = 1, Two = 2 };

struct SerialLineSettings {
    int baudRate = 9600;  // any rate; rates without a B constant use the custom-rate path
    int dataBits = 8;     // 5 to 8
    SerialParity parity = SerialParity::None;
    // 1.5 stop bits exist only with 5 data bits, where the UART makes 1.5 of "two".
    SerialStopBits stopBits = SerialStopBits::One;
    bool rtsCtsFlow = false;   // hardware flow control
    bool xonXoffFlow = false;  // software flow control in both directions
    uint8_t xonChar = 0x11;
    uint8_t xoffChar = 0x13;
};

class SerialPort {
  public:
    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    SerialStatus Open(const std::string& devicePath);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();
    // errno of the last failure.
    int LastErrno() const { return errno_; }
    const std::string& DevicePath() const { return path_; }

    // Puts the line in raw mode with these settings.
    SerialStatus SetLineSettings(const SerialLineSettings& settings);
    SerialStatus GetLineSettings(SerialLineSettings& settings);

    SerialStatus SetDtr(bool on);
    SerialStatus SetRts(bool on);
    // Discards what is queued in both directions.
    SerialStatus Purge();
    // Discards received bytes not yet read. Bytes already written stay queued: a write returns once
    // its bytes are queued, not sent, so dropping them would lose lines the caller counts as sent.
    SerialStatus PurgeInput();

    // Bytes waiting to be read; framingError (when given) tells whether the driver counted a
    // framing error since the last call (serial hardware only).
    SerialStatus BytesWaiting(size_t& count, bool* framingError = nullptr);
    // Reads what is there without waiting.
    SerialStatus Read(void* data, size_t size, size_t& got);
    // Waits until bytes can be read: Ok, Timeout, Vanished, or Failed; Wake() ends the wait early
    // with Timeout.
    SerialStatus WaitReadable(uint32_t ms);
    // The same for a wait of ms that began at the tick count start; WaitIsOver tells whether
    // such a wait has ended (on a faster clock the line's stand-in has a say, see LineTraffic).
    SerialStatus WaitReadableSince(uint32_t start, uint32_t ms);
    [[nodiscard]] bool WaitIsOver(uint32_t start, uint32_t ms);
    // Writes everything within ms milliseconds; written tells how much went out.
    SerialStatus Write(const void* data, size_t size, uint32_t ms, size_t& written);
    // Ok while the device is there, Vanished after it hung up. Never blocks.
    SerialStatus CheckPresent();
    // Ends a WaitReadable running in another thread.
    void Wake();

  private:
    static constexpr int kWaitOver = -1;
    static constexpr int kRecheckMs = 1;
    // Real milliseconds the next poll of a wait may take, or kWaitOver.
    int PollMs(uint32_t start, uint32_t ms);
    SerialStatus Fail(int err);
    SerialStatus ModemLine(int bit, bool on);
    int fd_ = -1;
    int wakeFd_ = -1;
    int errno_ = 0;
    uint32_t frameErrors_ = 0;
    std::string path_;
    std::shared_ptr<LineTraffic> line_;
};

// Text of a status for log lines ("Vanished").
const char* SerialStatusName(SerialStatus status);

}  // namespace winport
