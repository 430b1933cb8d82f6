#include "simulators/corvane/Board.h"

#include <cstdio>

namespace corvane_sim {

Board::Board(int address, const BoardConfig& config)
    : m_address(address), m_cfg(config), m_drive(config), m_injectedError(config.errorCode) {
    m_registers["JA"] = 1;
    m_registers["ZM"] = 0;
    m_registers["DP"] = 0;
    SetDigitalInputs(config.digitalInputs);
}

void Board::AcceptLine(const std::string& line) {
    for (Command& c : ParseCommandLine(line)) m_pending.push_back(std::move(c));
}

void Board::AcceptStatusByte(std::vector<std::string>& answers) {
    answers.push_back(StatusAnswer(true));
}

void Board::RunLine(Clock::time_point now, std::vector<std::string>& answers) {
    while (!m_pending.empty()) {
        Command& c = m_pending.front();
        if (c.valid && (c.name == "WS" || c.name == "WA") && !c.query) {
            // "WS" holds the line until the motion is over, then "WS<n>" n ms more; "WA<n>"
            // only the n ms
            if (c.name == "WS" && m_drive.Moving()) return;
            if (c.hasArg && c.arg > 0) {
                if (!m_waitArmed) {
                    m_waitArmed = true;
                    m_waitUntil = now + std::chrono::milliseconds(c.arg);
                }
                if (now < m_waitUntil) return;
            }
            m_waitArmed = false;
            m_pending.pop_front();
            continue;
        }
        Command current = std::move(c);
        m_pending.pop_front();
        Execute(current, answers);
    }
}

void Board::Step(double seconds) {
    if (m_drive.Step(seconds)) m_completedSinceRead = true;
}

std::vector<uint8_t> Board::StatusBytes(bool consume) {
    const Drive& d = m_drive;
    uint8_t code = static_cast<uint8_t>(ErrorCode());
    if (m_cfg.type == BoardType::R220) {
        std::vector<uint8_t> s(6, 0);
        if (!d.Moving()) s[0] |= 0x04;
        if (d.MotionError()) s[0] |= 0x20;
        if (!d.ServoOn()) s[0] |= 0x80;
        if (d.MotionError()) s[2] |= 0x08;
        if (d.FindingEdge()) s[3] |= 0x04;
        if (m_joystickOn) s[3] |= 0x10;
        if (MacroRunning()) s[1] |= 0x10;
        if (d.ReferenceLine()) s[4] |= 0x02;
        if (d.PosLimitLine()) s[4] |= 0x04;
        if (d.NegLimitLine()) s[4] |= 0x08;
        s[5] = code;
        return s;
    }
    std::vector<uint8_t> s(3, 0);
    // The trajectory-complete bit stays latched until the next status read, so the first
    // read after a new move may still show the end of the previous one.
    if (!d.Moving() || m_completedSinceRead) s[0] |= 0x02;
    if (consume) m_completedSinceRead = false;
    if (d.FindingEdge()) s[0] |= 0x04;
    if (m_joystickOn) s[0] |= 0x08;
    if (MacroRunning()) s[0] |= 0x10;
    if (!d.ServoOn()) s[0] |= 0x20;
    if (d.NegLimitLine()) s[1] |= 0x01;
    if (d.ReferenceLine()) s[1] |= 0x02;
    if (d.PosLimitLine()) s[1] |= 0x04;
    s[1] |= static_cast<uint8_t>(m_cfg.inputNibble << 4);
    s[2] = code;
    return s;
}

std::string Board::StatusAnswer(bool consume) {
    std::string text = "S:";
    char hex[4];
    bool first = true;
    for (uint8_t b : StatusBytes(consume)) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        if (!first) text += ' ';
        text += hex;
        first = false;
    }
    return text;
}

bool Board::IsReadOut(const std::string& name) {
    static const char* const kReadOuts[] = {"TB", "VE", "CS", "TS", "TP", "TT",
                                            "TY", "GP", "TA", "TC", "TZ", "TM"};
    for (const char* r : kReadOuts)
        if (name == r) return true;
    return false;
}

long Board::Register(const std::string& name) const {
    auto it = m_registers.find(name);
    return it == m_registers.end() ? 0 : it->second;
}

void Board::Execute(const Command& c, std::vector<std::string>& answers) {
    if (!c.valid) return;  // garbage on the line: the firmware skips it
    if (c.query && c.name != "SJ") {
        std::string query = c.name + "?";
        if (!m_cfg.Knows(query)) return;  // older firmware: no answer at all
        long value = c.name == "JN"
                         ? (m_joystickOn ? (m_joystickVelocity != 0 ? m_joystickVelocity : 1) : 0)
                         : Register(c.name);
        answers.push_back(query.substr(0, 2) + ":" + std::to_string(value));
        return;
    }
    if (ExecuteParameterCommand(c, answers)) return;  // parameter table (SimParameters.cpp)
    if (const CommandInfo* info = FindCommand(c.name)) {
        // An error the board found itself stands until the next command it carries out;
        // reading the status or a value leaves it standing.
        if (!IsReadOut(c.name)) m_ownError = kErrorNone;
        (this->*info->handler)(c, answers);
        return;
    }
    // unknown commands are ignored without an answer
}

}  // namespace corvane_sim
