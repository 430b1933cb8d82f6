// The native commands a board understands.
#include <string>

#include "simulators/corvane/Board.h"

namespace corvane_sim {

using Answers = std::vector<std::string>;

const std::vector<Board::CommandInfo>& Board::Commands() {
    static const std::vector<CommandInfo> table = {
        {"TB", &Board::TB},     {"VE", &Board::VE},    {"CS", &Board::CS},
        {"TS", &Board::TS},     {"TP", &Board::TP},    {"TT", &Board::TT},
        {"TY", &Board::TY},     {"GP", &Board::GP},    {"MA", &Board::MA},
        {"MR", &Board::MR},     {"SV", &Board::SV},    {"SA", &Board::SA},
        {"MN", &Board::MN},     {"MF", &Board::MF},    {"AB", &Board::AB},
        {"ST", &Board::ST},     {"DH", &Board::DH},    {"GH", &Board::GH},
        {"FE", &Board::FE},     {"LN", &Board::LN},    {"LF", &Board::LF},
        {"LH", &Board::LH},     {"LL", &Board::LL},    {"SM", &Board::SM},
        {"JN", &Board::JN},     {"JF", &Board::JF},    {"SI", &Board::SI},
        {"SJ", &Board::SJ},     {"BN", &Board::Store}, {"BF", &Board::Store},
        {"DP", &Board::Store},  {"DI", &Board::Store}, {"DD", &Board::Store},
        {"DL", &Board::Store},  {"DC", &Board::Store}, {"HC", &Board::Store},
        {"HT", &Board::Store},  {"JA", &Board::Store}, {"JB", &Board::Store},
        {"SB", &Board::Store},  {"JL", &Board::Store}, {"JH", &Board::Store},
        {"JC", &Board::Store},  {"ZM", &Board::Store}, {"ZP", &Board::Store},
        {"ZI", &Board::Store},  {"WT", &Board::Store}, {"XX", &Board::Ignore},
        {"EF", &Board::Ignore},
    };
    return table;
}

void Board::TB(const Command&, Answers& out) {
    out.push_back("B:" + std::to_string(m_address));
}
void Board::VE(const Command&, Answers& out) {
    out.push_back(m_cfg.version);
}
void Board::CS(const Command&, Answers& out) {
    out.push_back(m_cfg.checksum);
}
void Board::TS(const Command&, Answers& out) {
    out.push_back(StatusAnswer(true));
}
void Board::TP(const Command&, Answers& out) {
    out.push_back("P:" + std::to_string(m_drive.Counter()));
}
void Board::TT(const Command&, Answers& out) {
    out.push_back("T:" + std::to_string(m_drive.Target()));
}
void Board::TY(const Command&, Answers& out) {
    out.push_back("Y:" + std::to_string(m_drive.Velocity()));
}

// Only the R-220 firmware knows "GP"; it reports the proportional gain.
void Board::GP(const Command&, Answers& out) {
    if (m_cfg.Knows("GP")) out.push_back("G:" + std::to_string(Register("DP")));
}

void Board::MA(const Command& c, Answers&) {
    if (c.hasArg && !m_drive.MoveTo(c.arg)) RefuseMove();
}
void Board::MR(const Command& c, Answers&) {
    if (c.hasArg && !m_drive.MoveBy(c.arg)) RefuseMove();
}
void Board::GH(const Command&, Answers&) {
    if (!m_drive.MoveTo(0)) RefuseMove();
}

void Board::SV(const Command& c, Answers&) {
    if (c.hasArg && c.arg >= 0) m_drive.SetVelocity(c.arg);
}
void Board::SA(const Command& c, Answers&) {
    if (c.hasArg && c.arg > 0) m_drive.SetAcceleration(c.arg);
}
void Board::SM(const Command& c, Answers&) {
    if (c.hasArg && c.arg >= 0) m_drive.SetMaxPositionError(c.arg);
}

void Board::MN(const Command&, Answers&) {
    m_drive.SetServo(true);
}
void Board::MF(const Command&, Answers&) {
    m_drive.SetServo(false);
}

// "AB" stops at once and clears a latched motion error; "AB1" only stops.
void Board::AB(const Command& c, Answers&) {
    m_drive.Abort();
    if (!c.hasArg || c.arg == 0) m_drive.ClearMotionError();
}
void Board::ST(const Command&, Answers&) {
    m_drive.Stop();
}
void Board::DH(const Command&, Answers&) {
    m_drive.DefineHome();
}

// FE0 (or FE) searches towards positive counts, FE1 towards negative counts; FE2 and FE3 take
// the direction from the reference signal, FE3 for a signal of inverted polarity.
void Board::FE(const Command& c, Answers&) {
    long mode = c.hasArg ? c.arg : 0;
    bool accepted = true;
    switch (mode) {
        case 0:
            accepted = m_drive.FindEdge(+1);
            break;
        case 1:
            accepted = m_drive.FindEdge(-1);
            break;
        case 2:
            accepted = m_drive.FindEdgeBySignal(false);
            break;
        case 3:
            accepted = m_drive.FindEdgeBySignal(true);
            break;
        default:
            return;
    }
    if (!accepted) RefuseMove();
}

void Board::LN(const Command&, Answers&) {
    m_drive.SetLimitsEnabled(true);
}
void Board::LF(const Command&, Answers&) {
    m_drive.SetLimitsEnabled(false);
}
void Board::LH(const Command&, Answers&) {
    m_drive.SetLimitsActiveLow(false);
}
void Board::LL(const Command&, Answers&) {
    m_drive.SetLimitsActiveLow(true);
}

void Board::JN(const Command& c, Answers&) {
    m_joystickOn = true;
    if (c.hasArg) m_joystickVelocity = c.arg;
}
void Board::JF(const Command&, Answers&) {
    m_joystickOn = false;
}

void Board::SI(const Command& c, Answers&) {
    if (c.hasArg && c.arg >= 0 && c.arg < static_cast<long>(m_joystickTable.size()))
        m_tableIndex = static_cast<int>(c.arg);
}

void Board::SJ(const Command& c, Answers& out) {
    if (c.query) {
        if (!m_cfg.Knows("SJ?")) return;
        std::string prefix = m_cfg.sjAnswer == 'J' ? "JS:" : "SJ:";
        out.push_back(prefix + std::to_string(m_joystickTable[m_tableIndex]));
        return;
    }
    if (c.hasArg) m_joystickTable[m_tableIndex] = c.arg;
}

void Board::Store(const Command& c, Answers&) {
    if (c.name == "BN" || c.name == "BF")
        m_registers["BR"] = c.name == "BN" ? 1 : 0;
    else
        m_registers[c.name] = c.hasArg ? c.arg : 1;
}

void Board::Ignore(const Command&, Answers&) {}

}  // namespace corvane_sim
