// One board of the chain: its command interpreter, status bytes and drive.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "simulators/corvane/CommandParser.h"
#include "simulators/corvane/Drive.h"
#include "simulators/corvane/SimConfig.h"
#include "winport/Clock.h"

namespace corvane_sim {

// Error codes a board reports by itself in its status bytes.
enum BoardErrorCode : int {
    kErrorNone = 0,
    kErrorOverflow = 2,  // a line longer than the receive buffer
    kErrorMacroMemoryFull = 3,
    kErrorNoServo = 10,  // a move was commanded with the motor off
};

class Board {
  public:
    using Clock = winport::SteadyClock;

    Board(int address, const BoardConfig& config);

    int Address() const { return m_address; }
    const BoardConfig& Config() const { return m_cfg; }
    const Drive& GetDrive() const { return m_drive; }
    Drive& GetDrive() { return m_drive; }

    // A complete command line (without CR); executed in order by Run.
    void AcceptLine(const std::string& line);
    // The single byte "%": the status at once, even while a "WS" holds the line.
    void AcceptStatusByte(std::vector<std::string>& answers);
    void ReportOverflow() { m_ownError = kErrorOverflow; }

    // Executes queued commands until one has to wait ("WS", "WA"), then lets a running macro go
    // on as far as it can.
    void Run(Clock::time_point now, std::vector<std::string>& answers);
    void Step(double seconds);

    // The bytes of "TS"; a read clears the R-210's latched trajectory-complete bit.
    std::vector<uint8_t> StatusBytes(bool consume);
    std::string StatusAnswer(bool consume);

    int ErrorCode() const { return m_injectedError != 0 ? m_injectedError : m_ownError; }
    void SetInjectedError(int code) { m_injectedError = code; }
    bool JoystickActive() const { return m_joystickOn; }
    bool Waiting() const { return !m_pending.empty(); }

    // ---- macros (SimMacros.cpp) ------------------------------------------------------------
    static constexpr int kMacroCount = 32;
    bool MacroRunning() const { return !m_macroFrames.empty(); }
    // ---- end of macros ---------------------------------------------------------------------

    // ---- parameter table (SimParameters.cpp) ----
    // The force the force sensor reads ("TR"), set by a test.
    void SetForce(long force) { m_force = force; }
    // ---- end of parameter table ----
    // ---- digital and analog lines, joystick tables (SimIo.cpp) ----------------------------
    // The single byte "#": the input lines at once, like "TC".
    void AcceptInputByte(std::vector<std::string>& answers);
    void SetDigitalInputs(int bits) { m_digitalInputs = bits & 0x0F; }
    int DigitalOutputs() const { return m_digitalOutputs; }
    // "TA" lines 1 to 6: analog inputs 1 to 4, joystick axis 5, joystick button 6 (0 to 255).
    void SetAnalogLine(int line, int value);
    long JoystickTableEntry(int address) const;

  private:
    using Handler = void (Board::*)(const Command&, std::vector<std::string>&);
    struct CommandInfo {
        const char* name;
        Handler handler;
    };
    static const std::vector<CommandInfo>& Commands();

    void Execute(const Command& c, std::vector<std::string>& answers);
    void RefuseMove() { m_ownError = kErrorNoServo; }
    long Register(const std::string& name) const;
    static bool IsReadOut(const std::string& name);

    // handlers (BoardCommands.cpp)
    void TB(const Command&, std::vector<std::string>&);
    void VE(const Command&, std::vector<std::string>&);
    void CS(const Command&, std::vector<std::string>&);
    void TS(const Command&, std::vector<std::string>&);
    void TP(const Command&, std::vector<std::string>&);
    void TT(const Command&, std::vector<std::string>&);
    void TY(const Command&, std::vector<std::string>&);
    void GP(const Command&, std::vector<std::string>&);
    void MA(const Command&, std::vector<std::string>&);
    void MR(const Command&, std::vector<std::string>&);
    void SV(const Command&, std::vector<std::string>&);
    void SA(const Command&, std::vector<std::string>&);
    void MN(const Command&, std::vector<std::string>&);
    void MF(const Command&, std::vector<std::string>&);
    void AB(const Command&, std::vector<std::string>&);
    void ST(const Command&, std::vector<std::string>&);
    void DH(const Command&, std::vector<std::string>&);
    void GH(const Command&, std::vector<std::string>&);
    void FE(const Command&, std::vector<std::string>&);
    void LN(const Command&, std::vector<std::string>&);
    void LF(const Command&, std::vector<std::string>&);
    void LH(const Command&, std::vector<std::string>&);
    void LL(const Command&, std::vector<std::string>&);
    void SM(const Command&, std::vector<std::string>&);
    void JN(const Command&, std::vector<std::string>&);
    void JF(const Command&, std::vector<std::string>&);
    void SI(const Command&, std::vector<std::string>&);
    void SJ(const Command&, std::vector<std::string>&);
    void Store(const Command&, std::vector<std::string>&);
    void Ignore(const Command&, std::vector<std::string>&);

    // ---- parameter table (SimParameters.cpp) ----
    // The read-outs and setters of the boards' parameters; false: not one of them, or one this
    // board's firmware does not have.
    bool ExecuteParameterCommand(const Command& c, std::vector<std::string>& answers);
    long m_force = 0;
    // ---- end of parameter table ----
    // digital and analog lines, joystick tables (SimIo.cpp)
    static const std::vector<CommandInfo>& IoCommands();
    const CommandInfo* FindCommand(const std::string& name) const;
    std::string InputAnswer() const;
    void TA(const Command&, std::vector<std::string>&);
    void TC(const Command&, std::vector<std::string>&);
    void CN(const Command&, std::vector<std::string>&);
    void CF(const Command&, std::vector<std::string>&);
    void JT(const Command&, std::vector<std::string>&);

    int m_address;
    BoardConfig m_cfg;
    Drive m_drive;
    std::deque<Command> m_pending;
    bool m_waitArmed = false;
    Clock::time_point m_waitUntil{};
    bool m_completedSinceRead = false;  // R-210 latch
    int m_ownError = kErrorNone;
    int m_injectedError = 0;
    bool m_joystickOn = false;
    long m_joystickVelocity = 0;
    int m_tableIndex = 0;
    std::array<long, 256> m_joystickTable{};
    std::map<std::string, long> m_registers;
    // ---- macros (SimMacros.cpp) ----
    struct MacroFrame {
        std::vector<Command> commands;
        size_t next = 0;
        long repeatsLeft = 0;
    };
    enum class MacroStep { Done, Wait, Exit };
    static const std::vector<CommandInfo>& MacroCommands();
    void RunLine(Clock::time_point now, std::vector<std::string>& answers);
    void RunMacro(Clock::time_point now, std::vector<std::string>& answers);
    MacroStep StepMacro(const Command& c, Clock::time_point now, std::vector<std::string>& answers);
    bool TimedWait(long ms, Clock::time_point now);
    bool InputLine(long line) const;
    std::string MacroAnswer(int number) const;
    void MD(const Command&, std::vector<std::string>&);
    void EM(const Command&, std::vector<std::string>&);
    void RP(const Command&, std::vector<std::string>&);
    void TZ(const Command&, std::vector<std::string>&);
    void TM(const Command&, std::vector<std::string>&);
    void RZ(const Command&, std::vector<std::string>&);
    void RM(const Command&, std::vector<std::string>&);
    std::array<std::vector<Command>, kMacroCount> m_macros{};
    std::array<bool, kMacroCount> m_macroStored{};
    std::vector<MacroFrame> m_macroFrames;  // the running macro, nested ones on top
    bool m_macroWaitArmed = false;
    Clock::time_point m_macroWaitUntil{};
    // ---- end of macros ----
    // digital and analog lines
    int m_digitalInputs = 0;
    int m_digitalOutputs = 0;
    std::array<int, 6> m_analogLines{};
};

}  // namespace corvane_sim
