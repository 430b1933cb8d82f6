// A daisy chain of simulated Corvane boards behind a pseudo-terminal.
//
// Usage inside a test:
//     corvane_sim::SimConfig config;
//     config.SetBoardOption(0, "type", "R-220");
//     config.Finish();
//     corvane_sim::CorvaneSim sim(config);
//     std::string port = sim.Start();          // "/dev/pts/7": open it as the serial port
//     ... talk to the boards, inject faults, read sim.ReceivedLines(0) ...
//     sim.Stop();                              // also done by the destructor
//
// The motion library finds the port through the environment: setenv("WINPORT_COM1", port, 1)
// before connecting to COM1. Motion runs on winport's clock (real time unless a test installs a
// faster one): keep test moves short (a few thousand counts at tens of thousands of counts per
// second).
//
// All members are thread-safe. Two threads serve the chain while it runs: one reads and writes
// the pseudo-terminal, the other moves the motors in real time (1 ms steps).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "simulators/corvane/Board.h"
#include "simulators/corvane/PseudoTerminal.h"
#include "simulators/corvane/SimConfig.h"
#include "simulators/corvane/Transcript.h"
#include "winport/Clock.h"
#include "winport/LineTraffic.h"
#include "winport/UniqueFd.h"

namespace corvane_sim {

// A consistent picture of one board, for assertions.
struct BoardSnapshot {
    bool present = false;
    long position = 0;  // counter ("TP")
    long target = 0;    // "TT"
    long velocity = 0;  // set velocity ("TY")
    long acceleration = 0;
    double physical = 0;  // carriage position in power-up counts
    bool servoOn = false;
    bool moving = false;
    bool findingEdge = false;
    bool motionError = false;
    bool negLimit = false;  // switch lines as the input byte shows them
    bool posLimit = false;
    bool reference = false;
    bool limitsEnabled = true;
    bool joystickActive = false;
    bool macroRunning = false;
    int errorCode = 0;
    std::vector<uint8_t> status;  // as "TS" would answer now (without consuming latches)
};

class CorvaneSim {
  public:
    using Clock = winport::SteadyClock;
    static constexpr int kAnyBoard = -1;

    explicit CorvaneSim(SimConfig config);
    ~CorvaneSim();
    CorvaneSim(const CorvaneSim&) = delete;
    CorvaneSim& operator=(const CorvaneSim&) = delete;

    // Opens the pseudo-terminal, starts serving and returns the slave path.
    // Throws std::runtime_error when no pseudo-terminal can be had or it was started before.
    std::string Start();
    void Stop();
    std::string SlavePath() const;
    // "WINPORT_COM<n>=<slave path>"
    std::string PortLine() const;
    const SimConfig& Config() const { return m_config; }

    // Fault injection; address kAnyBoard applies to whichever board answers next.
    void DropAnswers(int address, int count);    // the next count answers are not sent
    void GarbleAnswers(int address, int count);  // their first letter is replaced
    void SetAnswerDelay(int address, std::chrono::milliseconds delay);  // 0 ends it
    void SetErrorCode(int address, int code);        // reported in the status bytes; 0 clears
    void SetStalled(int address, bool stalled);      // carriage blocked: R-220 motion error
    void InjectMotionError(int address);             // motor off with motion-error bits
    void PlaceCarriage(int address, long physical);  // set-up: carriage moved by hand
    void SetBaudRate(int baud);                      // 10 bit times per byte; 0 = no pacing
    void HangUp();  // closes the pseudo-terminal: the port vanishes; serving ends
    // parameter table: the force the board's sensor reads ("TR")
    void SetForce(int address, long force);
    // Lets the next `answered` answers through, then drops `count` (DropAnswers drops at once).
    void DropAnswersAfter(int address, int answered, int count);

    // Digital and analog lines of a board (SimIo.cpp).
    void SetDigitalInputs(int address, int bits);  // input lines 1 to 4 as bits 0 to 3
    int DigitalOutputs(int address) const;         // output lines switched by "CN" and "CF"
    // "TA" lines 1 to 6, readings 0 to 255: analog inputs 1 to 4, joystick axis 5, button 6.
    void SetAnalogLine(int address, int line, int value);
    // The board's joystick table at address 0 to 255, as "SJ" stored it.
    long JoystickTableEntry(int address, int tableAddress) const;

    // What crossed the wire (see Transcript).
    std::vector<ReceivedByte> Received(int address) const;
    std::string ReceivedText(int address) const;
    std::vector<std::string> ReceivedLines(int address) const;
    std::vector<SentAnswer> Sent(int address) const;
    void ClearTranscript();
    // Recording is on from the start; a long-running program may switch it off.
    void SetTranscriptEnabled(bool enabled);
    // Waits until the board has received a line equal to the given one.
    bool WaitForLine(int address, const std::string& line, std::chrono::milliseconds timeout) const;

    BoardSnapshot Snapshot(int address) const;
    // Waits until the predicate holds for the board's snapshot. The predicate runs under the
    // simulator's lock and must not call the simulator.
    bool WaitFor(int address, const std::function<bool(const BoardSnapshot&)>& predicate,
                 std::chrono::milliseconds timeout) const;

    // Called for every complete line received ('<') and every answer sent ('>'), outside
    // the simulator's lock. Set before Start.
    void SetTraceSink(
        std::function<void(int address, char direction, const std::string& text)> sink);

  private:
    struct Pending {
        Clock::time_point due;
        uint8_t byte;
    };
    struct FaultCounters {
        int drop = 0;
        int pass = 0;  // answers still let through before the drops begin
        int garble = 0;
        std::chrono::milliseconds delay{0};
    };
    struct TraceEvent {
        int address;
        char direction;
        std::string text;
    };

    void IoLoop();
    void PhysicsLoop();
    void Route(uint8_t byte, Clock::time_point time);
    void Emit(int address, const std::vector<std::string>& answers, Clock::time_point now);
    void Wake();
    void Record(int address, uint8_t byte, Clock::time_point time);
    void RecordSent(int address, SentAnswer answer);
    void FlushTrace();
    Board* BoardAt(int address) const;
    BoardSnapshot SnapshotLocked(int address) const;
    FaultCounters& FaultsFor(int address);
    std::chrono::nanoseconds ByteTime() const;
    bool WriteDue(Clock::time_point now);
    bool MaySendBy(uint64_t deadlineUs) const;
    std::shared_ptr<winport::LineTraffic> LineOf() const;

    SimConfig m_config;
    std::vector<std::unique_ptr<Board>> m_boards;  // 16 slots, null where absent

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    PseudoTerminal m_pty;
    std::string m_slavePath;
    winport::UniqueFd m_wakeFd;
    bool m_started = false;
    bool m_stopping = false;
    bool m_hangUpRequested = false;
    bool m_hungUp = false;
    std::thread m_io;
    std::thread m_physics;
    std::shared_ptr<winport::LineTraffic> m_line;  // set once at Start
    Clock::time_point m_physicsTime{};             // how far the motors have been moved

    // line state
    int m_selected = -1;
    bool m_expectAddress = false;
    Clock::time_point m_selectTime{};
    std::string m_lines[16];

    // pacing and output
    int m_baud = 0;
    std::deque<Pending> m_input;
    Clock::time_point m_lastInput{};
    std::deque<Pending> m_output;
    Clock::time_point m_lastOutput{};
    std::string m_writeBuffer;  // bytes taken from m_output, not yet accepted by the master

    FaultCounters m_anyFaults;
    FaultCounters m_faults[16];

    Transcript m_transcript;
    bool m_recording = true;
    std::function<void(int, char, const std::string&)> m_traceSink;
    std::vector<TraceEvent> m_traceEvents;
};

}  // namespace corvane_sim
