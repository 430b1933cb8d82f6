#pragma once
// The line-settings record of the RS-232 transport, kept with the field names and codes of the
// Windows device control block, so the log shows the same dump on every platform.
#include <cstdint>

#include "winport/SerialPort.h"

enum : uint8_t {
    HANDSHAKE_NONE = 0,
    HANDSHAKE_DTRDSR = 1,
    HANDSHAKE_RTSCTS = 2,
    HANDSHAKE_XONXOFF = 4,
};

enum : uint32_t { DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2 };
enum : uint32_t { RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2 };

// What SetInternalDCB applies.
struct RS232LineRecord {
    int BaudRate = 0;
    uint8_t Parity = 0;
    uint8_t ByteSize = 8;
    uint8_t StopBits = 0;
    uint8_t Handshake = HANDSHAKE_NONE;
};

struct SerialDcb {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 0;
    uint32_t fBinary = 1;
    uint32_t fParity = 0;
    uint32_t fOutxCtsFlow = 0;
    uint32_t fOutxDsrFlow = 0;
    uint32_t fDtrControl = DTR_CONTROL_ENABLE;
    uint32_t fDsrSensitivity = 0;
    uint32_t fTXContinueOnXoff = 0;
    uint32_t fOutX = 0;
    uint32_t fInX = 0;
    uint32_t fErrorChar = 0;
    uint32_t fNull = 0;
    uint32_t fRtsControl = RTS_CONTROL_ENABLE;
    uint32_t fAbortOnError = 0;
    uint32_t fDummy2 = 0;
    uint32_t wReserved = 0;
    uint32_t XonLim = 0;
    uint32_t XoffLim = 0;
    uint32_t ByteSize = 8;
    uint32_t Parity = 0;
    uint32_t StopBits = 0;
    uint32_t XonChar = 0x11;
    uint32_t XoffChar = 0x13;
    uint32_t ErrorChar = 0;
    uint32_t EofChar = 0;
    uint32_t EvtChar = 0;
    uint32_t wReserved1 = 0;
};

// Exact, case-sensitive match in the order XONXOFF, RTSCTS, DTRDSR; anything else is none.
uint8_t HandshakeCode(const char* name);
// 5 data bits with two stop bits, or 6 to 8 data bits with one and a half, cannot be framed.
bool ImpossibleFraming(int dataBits, int stopBits);

// The record as the driver reports the line now.
SerialDcb DcbFromLine(const winport::SerialLineSettings& line);
// Applies the record (the fields it does not name keep their values) and logs the result.
void SetInternalDCB(const RS232LineRecord& record, SerialDcb& dcb);
// The termios line that carries out the record. DTR/DSR flow control has no termios
// counterpart; such a line runs without flow control.
winport::SerialLineSettings LineFromDcb(const SerialDcb& dcb);
