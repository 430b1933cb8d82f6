#pragma once
// The RS-232 settings block, as the caller fills it and as the saved interface settings hold it.
#include <cstdint>

struct RS232Settings {
    int port = 1;                 // n of COMn
    int baudRate = 57600;         // bits per second, passed to the driver unchanged
    int parity = 0;               // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int dataBits = 8;             // 5 to 8
    int stopBits = 0;             // 0 one, 1 one and a half, 2 two
    char handshake[24] = "none";  // "RTSCTS", "DTRDSR", "XONXOFF"; anything else: none
};
