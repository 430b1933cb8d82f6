#pragma once
// The saved interface settings: one record with the parameters of every interface kind (version
// "VER006"). Texts are zero-terminated and cut to their field.
#include <cstdint>

#include "motion/comm/RS232Settings.h"

struct HexFaceSettings {
    char version[8];
    RS232Settings rs232;  // handed to the RS-232 factory as it stands
    struct {
        int boardID;
        int deviceID;
        char manufacturer[24];
        int eotMode;
        int eosTerminateRead;
        int eosSetEOILine;
        int eosSign;
        int timeOut;
    } ieee488;
    struct {
        char interfaceName[24];
        int timeOut;  // milliseconds
    } general;
    struct {
        char description[65];
        char serialNumber[9];
        char descriptionFilter[65];
        int port;
        int baudRate;
        int parity;
        int dataBits;
        int stopBits;
        char handshake[24];
    } ftdiUsb;
    struct {
        char hostName[256];
        uint16_t port;
        char filter[65];
    } tcpip;
    struct {
        int board;
    } pci;
    struct {
        char description[256];  // at most 254 characters are kept
        char descriptionFilter[256];
    } usb;
    struct {
        int cardNo;
        int portNo;
        int speed;
        int triggerTime;
        int axisCount;
        int modeCS;
        int autonegotiation;
        int latchOnFallingEdge;
        int outputOnFallingEdge;
        int useDCLK;
    } spi;
};

// "VER006" and the defaults of every field.
void InitHexFaceSettings(HexFaceSettings& settings);
