// Configuration of the simulated daisy chain: what each of the 16 addresses holds.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace corvane_sim {

enum class BoardType { R220, R210 };

const char* BoardTypeName(BoardType type);

// One address of the chain. Positions are in counts of the board's counter at power-up.
struct BoardConfig {
    bool present = false;
    BoardType type = BoardType::R220;
    std::string version;              // "VE" answer; empty: the type's default
    std::string checksum;             // "CS" answer; empty: the type's default
    std::vector<std::string> probes;  // queries the firmware knows ("JA?", "GP", ...)
    bool probesGiven = false;
    char sjAnswer = 'S';       // first letter of the "SJ?" answer: 'S' or 'J'
    bool singleChar = true;    // answers the single bytes "%" (status) and "#" (inputs)
    long travelMin = -100000;  // mechanical ends of the carriage
    long travelMax = 100000;
    long negLimit = -95000;          // negative switch active at or below this position
    long posLimit = 95000;           // positive switch active at or above this position
    long reference = 0;              // reference edge
    bool referenceHighAbove = true;  // reference signal high at and above the edge
    bool limitsActiveLow = false;    // switch wiring: an active switch pulls its line low
    long position = 10000;           // carriage position at power-up
    int errorCode = 0;               // error code reported in the status bytes
    long maxPositionError = 2000;    // position-error limit (R-220), 0 = unlimited
    long velocity = 20000;           // counts per second
    long acceleration = 200000;      // counts per second squared
    int inputNibble = 0;             // R-210: upper four bits of status byte 1
    bool servoOn = false;            // motor state at power-up
    // digital and analog lines
    char taAnswer = 'A';    // form of the "TA%d" answer: 'A' ("A1:200") or 'T' ("TA1:200")
    int digitalInputs = 0;  // input lines 1 to 4 as bits 0 to 3
    // macros: native commands the macro memory holds over all 32 macros
    int macroMemory = 256;

    void ApplyTypeDefaults();
    bool Knows(const std::string& query) const;
};

struct SimConfig {
    std::array<BoardConfig, 16> boards{};
    int com = 1;
    int baud = 0;  // 0: no pacing
    std::string portFile;

    // All parsers throw std::invalid_argument with a message that names the offending text.
    void LoadFile(const std::string& path);
    void ParseText(const std::string& text, const std::string& origin);
    void SetGlobalOption(const std::string& key, const std::string& value);
    void SetBoardOption(int address, const std::string& key, const std::string& value);
    // "addr:key=value,key=value"
    void ParseBoardOption(const std::string& option);
    // "0,2,5": exactly these addresses are present
    void SetPresentList(const std::string& list);
    // Completes defaults and checks consistency; a chain nobody described gets one R-220 at 0.
    void Finish();

  private:
    std::array<bool, 16> m_mentioned{};
};

}  // namespace corvane_sim
