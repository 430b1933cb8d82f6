#include "motion/comm/RS232Dcb.h"

#include <cstring>

#include "motion/base/ZRLog.h"

uint8_t HandshakeCode(const char* name) {
    if (!name) return HANDSHAKE_NONE;
    if (std::strcmp(name, "XONXOFF") == 0) return HANDSHAKE_XONXOFF;
    if (std::strcmp(name, "RTSCTS") == 0) return HANDSHAKE_RTSCTS;
    if (std::strcmp(name, "DTRDSR") == 0) return HANDSHAKE_DTRDSR;
    return HANDSHAKE_NONE;
}

bool ImpossibleFraming(int dataBits, int stopBits) {
    return (dataBits == 5 && stopBits == 2) ||
           ((dataBits == 6 || dataBits == 7 || dataBits == 8) && stopBits == 1);
}

SerialDcb DcbFromLine(const winport::SerialLineSettings& line) {
    SerialDcb dcb;
    dcb.BaudRate = static_cast<uint32_t>(line.baudRate);
    dcb.ByteSize = static_cast<uint32_t>(line.dataBits);
    dcb.Parity = static_cast<uint32_t>(line.parity);
    dcb.StopBits = static_cast<uint32_t>(line.stopBits);
    dcb.fParity = line.parity != winport::SerialParity::None;
    dcb.fOutxCtsFlow = line.rtsCtsFlow;
    dcb.fRtsControl = line.rtsCtsFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutX = dcb.fInX = line.xonXoffFlow;
    dcb.XonChar = line.xonChar;
    dcb.XoffChar = line.xoffChar;
    return dcb;
}

void SetInternalDCB(const RS232LineRecord& record, SerialDcb& dcb) {
    dcb.BaudRate = static_cast<uint32_t>(record.BaudRate);
    dcb.ByteSize = record.ByteSize;
    dcb.Parity = record.Parity;
    dcb.StopBits = record.StopBits;
    dcb.fBinary = 1;
    dcb.fParity = 1;
    bool rtscts = record.Handshake == HANDSHAKE_RTSCTS;
    dcb.fOutxCtsFlow = rtscts;
    dcb.fRtsControl = rtscts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    bool dtrdsr = record.Handshake == HANDSHAKE_DTRDSR;
    dcb.fOutxDsrFlow = dtrdsr;
    dcb.fDtrControl = dtrdsr ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
    bool xonxoff = record.Handshake == HANDSHAKE_XONXOFF;
    dcb.fOutX = dcb.fInX = xonxoff;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = 100;
    dcb.XoffLim = 100;

    if (!ZRLogEnabled(log4cpp::Priority::INFO)) return;
    ZR_LOG_INFO("C_RS232::SetInternalDCB() created windows DCB structure :");
    const std::pair<const char*, uint32_t> fields[] = {
        {"DCBlength", dcb.DCBlength},
        {"BaudRate", dcb.BaudRate},
        {"fBinary", dcb.fBinary},
        {"fParity", dcb.fParity},
        {"fOutxCtsFlow", dcb.fOutxCtsFlow},
        {"fOutxDsrFlow", dcb.fOutxDsrFlow},
        {"fDtrControl", dcb.fDtrControl},
        {"fDsrSensitivity", dcb.fDsrSensitivity},
        {"fTXContinueOnXoff", dcb.fTXContinueOnXoff},
        {"fOutX", dcb.fOutX},
        {"fInX", dcb.fInX},
        {"fErrorChar", dcb.fErrorChar},
        {"fNull", dcb.fNull},
        {"fRtsControl", dcb.fRtsControl},
        {"fAbortOnError", dcb.fAbortOnError},
        {"fDummy2", dcb.fDummy2},
        {"wReserved", dcb.wReserved},
        {"XonLim", dcb.XonLim},
        {"XoffLim", dcb.XoffLim},
        {"ByteSize", dcb.ByteSize},
        {"Parity", dcb.Parity},
        {"StopBits", dcb.StopBits},
        {"XonChar", dcb.XonChar},
        {"XoffChar", dcb.XoffChar},
        {"ErrorChar", dcb.ErrorChar},
        {"EofChar", dcb.EofChar},
        {"EvtChar", dcb.EvtChar},
        {"wReserved1", dcb.wReserved1},
    };
    for (const auto& [name, value] : fields)
        ZR_LOG_INFO("    %s :%d", name, static_cast<int>(value));
}

winport::SerialLineSettings LineFromDcb(const SerialDcb& dcb) {
    winport::SerialLineSettings line;
    line.baudRate = static_cast<int>(dcb.BaudRate);
    line.dataBits = static_cast<int>(dcb.ByteSize);
    line.parity = dcb.Parity <= 4 ? static_cast<winport::SerialParity>(dcb.Parity)
                                  : winport::SerialParity::None;
    line.stopBits = dcb.StopBits <= 2 ? static_cast<winport::SerialStopBits>(dcb.StopBits)
                                      : winport::SerialStopBits::One;
    line.rtsCtsFlow = dcb.fOutxCtsFlow != 0;
    line.xonXoffFlow = dcb.fOutX != 0 && dcb.fInX != 0;
    line.xonChar = static_cast<uint8_t>(dcb.XonChar);
    line.xoffChar = static_cast<uint8_t>(dcb.XoffChar);
    return line;
}
