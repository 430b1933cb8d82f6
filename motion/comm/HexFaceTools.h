#pragma once
// Reads and writes the saved interface settings under a settings key (see CHexFaceConfig for
// where they are stored). Groups, in the order visited: Settings, RS232, IEEE488, FTDI_USB, PCI,
// TCPIP, USB, SPI; integers are stored as 32-bit values, texts as strings.
#include "motion/comm/HexFaceConfig.h"
#include "motion/comm/HexFaceSettings.h"

class CHexFaceTools {
  public:
    // Absent values leave their field as it is, so read into a record holding the defaults.
    // Texts are cut to their field; the TCP/IP port keeps its low 16 bits. The filters
    // (DescriptionFilter, Filter) are read only with readFilters. With config, that open store is
    // used as it stands; otherwise one is opened for key. Always true.
    static bool ReadSettings(HexFaceSettings& settings, const char* key,
                             CHexFaceConfig* config = nullptr, bool readFilters = true);
    // Writes every field. False when the store refused a value.
    static bool WriteSettings(const HexFaceSettings& settings, const char* key,
                              CHexFaceConfig* config = nullptr);
};
