#include "motion/comm/HexFaceSettings.h"

#include <cstring>

void InitHexFaceSettings(HexFaceSettings& s) {
    s = HexFaceSettings{};
    std::strcpy(s.version, "VER006");
    s.rs232 = RS232Settings{};
    s.rs232.port = 1;
    s.rs232.baudRate = 57600;
    s.rs232.parity = 0;
    s.rs232.dataBits = 8;
    s.rs232.stopBits = 0;
    std::strcpy(s.rs232.handshake, "none");
    s.ieee488.boardID = 0;
    s.ieee488.deviceID = 4;
    std::strcpy(s.ieee488.manufacturer, "NI");
    s.ieee488.eotMode = 1;
    s.ieee488.eosTerminateRead = 1;
    s.ieee488.eosSetEOILine = 0;
    s.ieee488.eosSign = 10;
    s.ieee488.timeOut = 1;
    std::strcpy(s.general.interfaceName, "RS232");
    s.general.timeOut = 10000;
    s.ftdiUsb.port = 1;
    s.ftdiUsb.baudRate = 57600;
    s.ftdiUsb.parity = 0;
    s.ftdiUsb.dataBits = 8;
    s.ftdiUsb.stopBits = 0;
    std::strcpy(s.ftdiUsb.handshake, "none");
    s.tcpip.port = 0;
    s.pci.board = 1;
    s.spi.cardNo = 1;
    s.spi.portNo = 0;
    s.spi.speed = 0x31000000;
    s.spi.triggerTime = 50;
    s.spi.axisCount = 4;
    s.spi.modeCS = 2;
    s.spi.autonegotiation = 0;
    s.spi.latchOnFallingEdge = 1;
    s.spi.outputOnFallingEdge = 0;
    s.spi.useDCLK = 0;
}
