// The board's digital lines ("TC", "#", "CN", "CF"), analog lines ("TA"), joystick tables ("JT")
// and the simulator's controls for them.
#include <cmath>
#include <cstdio>
#include <string>

#include "simulators/corvane/Board.h"
#include "simulators/corvane/CorvaneSim.h"

namespace corvane_sim {
namespace {
constexpr int kDigitalLines = 4;
constexpr int kAnalogLines = 6;
constexpr int kTableSize = 256;
constexpr double kTableUnit = 1024.0;

bool IsDigitalLine(const Command& c) {
    return c.hasArg && c.arg >= 1 && c.arg <= kDigitalLines;
}

// Table 0 rises linearly from -1 to +1 over the 256 addresses, table 1 follows the square of
// that line (keeping its sign), for a finer touch near the rest position.
long TableValue(int table, int address) {
    const double x = (address - (kTableSize - 1) / 2.0) / ((kTableSize - 1) / 2.0);
    const double shaped = table == 1 ? x * std::fabs(x) : x;
    return std::lround(shaped * kTableUnit);
}
}  // namespace

const std::vector<Board::CommandInfo>& Board::IoCommands() {
    static const std::vector<CommandInfo> table = {
        {"TA", &Board::TA}, {"TC", &Board::TC}, {"CN", &Board::CN},
        {"CF", &Board::CF}, {"JT", &Board::JT},
    };
    return table;
}

const Board::CommandInfo* Board::FindCommand(const std::string& name) const {
    for (const auto* table : {&Commands(), &IoCommands(), &MacroCommands()})
        for (const CommandInfo& info : *table)
            if (name == info.name) return &info;
    return nullptr;
}

// "HIN:" and the input lines as two hexadecimal digits.
std::string Board::InputAnswer() const {
    char text[16];
    std::snprintf(text, sizeof text, "HIN:%02X", m_digitalInputs & 0xFF);
    return text;
}

void Board::AcceptInputByte(std::vector<std::string>& answers) {
    answers.push_back(InputAnswer());
}

void Board::SetAnalogLine(int line, int value) {
    if (line >= 1 && line <= kAnalogLines) m_analogLines[line - 1] = value;
}

long Board::JoystickTableEntry(int address) const {
    if (address < 0 || address >= kTableSize) return 0;
    return m_joystickTable[address];
}

// "A1:200" or "TA1:200", as the board's firmware has it; no answer for another line.
void Board::TA(const Command& c, std::vector<std::string>& out) {
    if (!c.hasArg || c.arg < 1 || c.arg > kAnalogLines) return;
    const std::string value = std::to_string(m_analogLines[c.arg - 1]);
    const std::string line = std::to_string(c.arg);
    out.push_back(m_cfg.taAnswer == 'T' ? "TA" + line + ":" + value : "A" + line + ":" + value);
}

void Board::TC(const Command&, std::vector<std::string>& out) {
    out.push_back(InputAnswer());
}

void Board::CN(const Command& c, std::vector<std::string>&) {
    if (IsDigitalLine(c)) m_digitalOutputs |= 1 << (c.arg - 1);
}

void Board::CF(const Command& c, std::vector<std::string>&) {
    if (IsDigitalLine(c)) m_digitalOutputs &= ~(1 << (c.arg - 1));
}

// Loads one of the two built-in tables and confirms with one line.
void Board::JT(const Command& c, std::vector<std::string>& out) {
    const int table = c.hasArg ? static_cast<int>(c.arg) : 0;
    if (table == 0 || table == 1)
        for (int a = 0; a < kTableSize; ++a) m_joystickTable[a] = TableValue(table, a);
    out.push_back("JT:" + std::to_string(table));
}

// ---- controls -------------------------------------------------------------------------------

void CorvaneSim::SetDigitalInputs(int address, int bits) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Board* b = BoardAt(address)) b->SetDigitalInputs(bits);
}

int CorvaneSim::DigitalOutputs(int address) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Board* b = BoardAt(address);
    return b ? b->DigitalOutputs() : 0;
}

void CorvaneSim::SetAnalogLine(int address, int line, int value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Board* b = BoardAt(address)) b->SetAnalogLine(line, value);
}

long CorvaneSim::JoystickTableEntry(int address, int tableAddress) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Board* b = BoardAt(address);
    return b ? b->JoystickTableEntry(tableAddress) : 0;
}

void CorvaneSim::DropAnswersAfter(int address, int answered, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    FaultCounters& f = FaultsFor(address);
    f.pass = std::max(answered, 0);
    f.drop = std::max(count, 0);
}

}  // namespace corvane_sim
