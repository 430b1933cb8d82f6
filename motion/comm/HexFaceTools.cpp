#include "motion/comm/HexFaceTools.h"

#include <cstddef>
#include <cstring>

#include "motion/base/ZRLog.h"

namespace {

enum class Kind { Int, Text, Port16 };

struct Field {
    const char* group;
    const char* key;
    Kind kind;
    size_t offset;
    size_t keep;  // texts: most characters kept
    bool filter;
};

#define ZR_INT(group, key, member) \
    { group, key, Kind::Int, offsetof(HexFaceSettings, member), 0, false }
#define ZR_TEXT(group, key, member, filter)                        \
    {                                                              \
        group, key, Kind::Text, offsetof(HexFaceSettings, member), \
            sizeof(HexFaceSettings::member) - 1, filter            \
    }

// The stored layout, group by group in the order visited.
const Field kFields[] = {
    ZR_TEXT("Settings", "Interface", general.interfaceName, false),
    ZR_INT("Settings", "TimeOut", general.timeOut),

    ZR_INT("RS232", "BaudRate", rs232.baudRate),
    ZR_INT("RS232", "DataBits", rs232.dataBits),
    ZR_INT("RS232", "Parity", rs232.parity),
    ZR_INT("RS232", "Port", rs232.port),
    ZR_INT("RS232", "StopBits", rs232.stopBits),
    ZR_TEXT("RS232", "Handshake", rs232.handshake, false),

    ZR_INT("IEEE488", "BoardID", ieee488.boardID),
    ZR_INT("IEEE488", "DeviceID", ieee488.deviceID),
    ZR_INT("IEEE488", "EOSSetEOILine", ieee488.eosSetEOILine),
    ZR_INT("IEEE488", "EOSSign", ieee488.eosSign),
    ZR_INT("IEEE488", "EOSTerminateRead", ieee488.eosTerminateRead),
    ZR_INT("IEEE488", "EOTMode", ieee488.eotMode),
    ZR_INT("IEEE488", "TimeOut", ieee488.timeOut),
    ZR_TEXT("IEEE488", "Manufacturer", ieee488.manufacturer, false),

    ZR_TEXT("FTDI_USB", "Description", ftdiUsb.description, false),
    ZR_TEXT("FTDI_USB", "SerialNumber", ftdiUsb.serialNumber, false),
    ZR_TEXT("FTDI_USB", "DescriptionFilter", ftdiUsb.descriptionFilter, true),
    ZR_INT("FTDI_USB", "BaudRate", ftdiUsb.baudRate),
    ZR_INT("FTDI_USB", "DataBits", ftdiUsb.dataBits),
    ZR_INT("FTDI_USB", "Parity", ftdiUsb.parity),
    ZR_INT("FTDI_USB", "Port", ftdiUsb.port),
    ZR_INT("FTDI_USB", "StopBits", ftdiUsb.stopBits),
    ZR_TEXT("FTDI_USB", "Handshake", ftdiUsb.handshake, false),

    ZR_INT("PCI", "Board", pci.board),

    ZR_TEXT("TCPIP", "Hostname", tcpip.hostName, false),
    {"TCPIP", "Port", Kind::Port16, offsetof(HexFaceSettings, tcpip.port), 0, false},
    ZR_TEXT("TCPIP", "Filter", tcpip.filter, true),

    {"USB", "Description", Kind::Text, offsetof(HexFaceSettings, usb.description), 254, false},
    {"USB", "DescriptionFilter", Kind::Text, offsetof(HexFaceSettings, usb.descriptionFilter), 254,
     true},

    ZR_INT("SPI", "CardNo", spi.cardNo),
    ZR_INT("SPI", "PortNo", spi.portNo),
    ZR_INT("SPI", "Speed", spi.speed),
    ZR_INT("SPI", "TriggerTime", spi.triggerTime),
    ZR_INT("SPI", "AxisCount", spi.axisCount),
    ZR_INT("SPI", "MODE_CS", spi.modeCS),
    ZR_INT("SPI", "Autonegotiation", spi.autonegotiation),
    ZR_INT("SPI", "MODE_LatchOnFallingEdge", spi.latchOnFallingEdge),
    ZR_INT("SPI", "MODE_OutputOnFallingEdge", spi.outputOnFallingEdge),
    ZR_INT("SPI", "MODE_UseDCLK", spi.useDCLK),
};

#undef ZR_INT
#undef ZR_TEXT

// Visits every field, moving the store to each group as the first field of it comes: "Settings"
// first, the others relative to it.
template <typename Visit>
void ForEachField(CHexFaceConfig& config, Visit visit) {
    const char* group = nullptr;
    for (const Field& field : kFields) {
        if (!group || std::strcmp(group, field.group) != 0) {
            config.SetPath(group ? std::string("../") + field.group : std::string(field.group));
            group = field.group;
        }
        visit(field);
    }
    config.SetPath("../Settings");
}

char* At(HexFaceSettings& s, size_t offset) {
    return reinterpret_cast<char*>(&s) + offset;
}
const char* At(const HexFaceSettings& s, size_t offset) {
    return reinterpret_cast<const char*>(&s) + offset;
}

}  // namespace

bool CHexFaceTools::ReadSettings(HexFaceSettings& settings, const char* key, CHexFaceConfig* config,
                                 bool readFilters) {
    ZR_LOG_INFO("CHexFaceTools::ReadSettings(\"%s\")", key ? key : "");
    std::optional<CHexFaceConfig> own;
    if (!config) {
        own.emplace(CHexFaceConfig::SplitKey(key));
        config = &*own;
        const auto& parts = config->Parts();
        ZR_LOG_INFO("CHexFaceTools::ReadSettings() new config path : %s / %s / %s",
                    parts.vendor.c_str(), parts.application.c_str(), parts.basePath.c_str());
    }
    ForEachField(*config, [&](const Field& field) {
        if (field.filter && !readFilters) return;
        char* target = At(settings, field.offset);
        switch (field.kind) {
            case Kind::Int:
                if (auto v = config->ReadInt(field.key)) std::memcpy(target, &*v, sizeof(int));
                break;
            case Kind::Port16:
                if (auto v = config->ReadInt(field.key)) {
                    uint16_t port = static_cast<uint16_t>(*v & 0xFFFF);
                    std::memcpy(target, &port, sizeof port);
                }
                break;
            case Kind::Text:
                if (auto v = config->ReadText(field.key)) {
                    size_t n = std::min(v->size(), field.keep);
                    std::memcpy(target, v->data(), n);
                    target[n] = '\0';
                }
                break;
        }
    });
    return true;
}

bool CHexFaceTools::WriteSettings(const HexFaceSettings& settings, const char* key,
                                  CHexFaceConfig* config) {
    std::optional<CHexFaceConfig> own;
    if (!config) {
        own.emplace(CHexFaceConfig::SplitKey(key));
        config = &*own;
    }
    bool ok = true;
    ForEachField(*config, [&](const Field& field) {
        const char* source = At(settings, field.offset);
        switch (field.kind) {
            case Kind::Int: {
                int v;
                std::memcpy(&v, source, sizeof v);
                ok &= config->WriteInt(field.key, v);
                break;
            }
            case Kind::Port16: {
                uint16_t port;
                std::memcpy(&port, source, sizeof port);
                ok &= config->WriteInt(field.key, port);
                break;
            }
            case Kind::Text:
                ok &=
                    config->WriteText(field.key, std::string(source, strnlen(source, field.keep)));
                break;
        }
    });
    return ok;
}
