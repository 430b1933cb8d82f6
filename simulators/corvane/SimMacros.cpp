// The boards' macros: "MD" stores one, "EM" runs it in real time beside the line (the board keeps
// answering while it runs), "RP" repeats it, "TZ"/"TM" tell and list, "RZ"/"RM" delete.
#include <cstdio>
#include <string>

#include "simulators/corvane/Board.h"

namespace corvane_sim {
namespace {
constexpr size_t kMaxNesting = 8;
constexpr int kButtonLine = 6;  // analog line of the joystick button
constexpr int kButtonPressedAbove = 100;
constexpr int kMaxStepsPerRun = 1000;  // an empty macro repeated many times still yields

bool ValidNumber(const Command& c) {
    const long n = c.hasArg ? c.arg : 0;
    return n >= 0 && n < Board::kMacroCount;
}

// A command as the board tells it back: numbers signed and zero-padded ("MR+00100").
std::string Told(const Command& c) {
    if (!c.valid) return c.text;
    std::string text = c.name + (c.query ? "?" : "");
    if (c.hasArg) {
        char number[24];
        std::snprintf(number, sizeof number, "%+06ld", c.arg);
        text += number;
    }
    return text;
}
}  // namespace

const std::vector<Board::CommandInfo>& Board::MacroCommands() {
    static const std::vector<CommandInfo> table = {
        {"MD", &Board::MD}, {"EM", &Board::EM}, {"RP", &Board::RP}, {"TZ", &Board::TZ},
        {"TM", &Board::TM}, {"RZ", &Board::RZ}, {"RM", &Board::RM},
    };
    return table;
}

void Board::Run(Clock::time_point now, std::vector<std::string>& answers) {
    RunLine(now, answers);
    RunMacro(now, answers);
}

void Board::MD(const Command& c, std::vector<std::string>&) {
    if (!ValidNumber(c)) return;
    const int number = c.hasArg ? static_cast<int>(c.arg) : 0;
    std::vector<Command> commands = ParseCommandLine(c.body);
    size_t used = 0;
    for (int n = 0; n < kMacroCount; ++n)
        if (n != number && m_macroStored[n]) used += m_macros[n].size();
    if (used + commands.size() > static_cast<size_t>(m_cfg.macroMemory)) {
        m_ownError = kErrorMacroMemoryFull;
        return;
    }
    m_macros[number] = std::move(commands);
    m_macroStored[number] = true;
}

// A new start replaces the macro that runs; a macro that is not stored does nothing.
void Board::EM(const Command& c, std::vector<std::string>&) {
    if (!ValidNumber(c) || !m_macroStored[c.hasArg ? c.arg : 0]) return;
    m_macroFrames.clear();
    m_macroFrames.push_back({m_macros[c.hasArg ? c.arg : 0], 0, 0});
    m_macroWaitArmed = false;
}

void Board::RP(const Command& c, std::vector<std::string>&) {
    if (c.hasArg && c.arg >= 0 && MacroRunning()) m_macroFrames.front().repeatsLeft = c.arg;
}

std::string Board::MacroAnswer(int number) const {
    std::string text = "MC" + std::to_string(number) + " ";
    bool first = true;
    for (const Command& c : m_macros[number]) {
        if (!first) text += ',';
        text += Told(c);
        first = false;
    }
    return text;
}

void Board::TZ(const Command&, std::vector<std::string>& out) {
    if (m_macroStored[0]) out.push_back(MacroAnswer(0));
}

// "TM<n>" tells macro n; "TM" lists macros 1 to 31, one line each.
void Board::TM(const Command& c, std::vector<std::string>& out) {
    if (c.hasArg) {
        if (ValidNumber(c) && m_macroStored[c.arg]) out.push_back(MacroAnswer(c.arg));
        return;
    }
    for (int n = 1; n < kMacroCount; ++n)
        if (m_macroStored[n]) out.push_back(MacroAnswer(n));
}

void Board::RZ(const Command&, std::vector<std::string>&) {
    m_macroStored[0] = false;
    m_macros[0].clear();
}

void Board::RM(const Command& c, std::vector<std::string>&) {
    if (!c.hasArg || !ValidNumber(c)) return;
    m_macroStored[c.arg] = false;
    m_macros[c.arg].clear();
}

bool Board::TimedWait(long ms, Clock::time_point now) {
    if (!m_macroWaitArmed) {
        m_macroWaitArmed = true;
        m_macroWaitUntil = now + std::chrono::milliseconds(ms);
    }
    if (now < m_macroWaitUntil) return true;
    m_macroWaitArmed = false;
    return false;
}

bool Board::InputLine(long line) const {
    return line >= 1 && line <= 4 && ((m_digitalInputs >> (line - 1)) & 1) != 0;
}

// One command of the running macro: the waits and exits that only a macro has, a nested start,
// or an ordinary command.
Board::MacroStep Board::StepMacro(const Command& c, Clock::time_point now,
                                  std::vector<std::string>& answers) {
    const std::string& n = c.name;
    const bool pressed = m_analogLines[kButtonLine - 1] > kButtonPressedAbove;
    if (!c.valid || c.query) {
        if (c.valid) Execute(c, answers);
    } else if (n == "WS") {
        if (m_drive.Moving()) return MacroStep::Wait;
    } else if (n == "WA") {
        if (TimedWait(c.hasArg ? c.arg : 0, now)) return MacroStep::Wait;
    } else if (n == "WN" || n == "WF") {
        if (InputLine(c.arg) != (n == "WN")) return MacroStep::Wait;
    } else if (n == "XN" || n == "XF") {
        if (InputLine(c.arg) == (n == "XF")) return MacroStep::Exit;
    } else if (n == "YN" || n == "YF") {
        if (pressed == (n == "YF")) return MacroStep::Exit;
    } else if (n == "EM") {
        if (ValidNumber(c) && m_macroStored[c.hasArg ? c.arg : 0] &&
            m_macroFrames.size() < kMaxNesting) {
            ++m_macroFrames.back().next;  // the nested macro returns behind its start
            m_macroFrames.push_back({m_macros[c.hasArg ? c.arg : 0], 0, 0});
            return MacroStep::Wait;  // not Done: the frame has moved on already
        }
    } else if (n != "MD" && n != "RP" && n != "RZ" && n != "RM") {
        Execute(c, answers);
    }
    return MacroStep::Done;
}

void Board::RunMacro(Clock::time_point now, std::vector<std::string>& answers) {
    for (int steps = 0; steps < kMaxStepsPerRun && MacroRunning(); ++steps) {
        MacroFrame& frame = m_macroFrames.back();
        if (frame.next >= frame.commands.size()) {
            if (frame.repeatsLeft > 0) {
                --frame.repeatsLeft;
                frame.next = 0;
            } else {
                m_macroFrames.pop_back();
            }
            continue;
        }
        const Command c = frame.commands[frame.next];
        const size_t depth = m_macroFrames.size();
        const MacroStep step = StepMacro(c, now, answers);
        if (step == MacroStep::Exit) {
            m_macroFrames.clear();
        } else if (step == MacroStep::Done) {
            ++m_macroFrames.back().next;
        } else if (m_macroFrames.size() == depth) {
            return;  // waiting
        }
    }
}

}  // namespace corvane_sim
