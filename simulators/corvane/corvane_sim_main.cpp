// corvane-sim: a daisy chain of simulated Corvane boards on a pseudo-terminal.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "simulators/corvane/CorvaneSim.h"
#include "tools/common/ToolOptions.h"
#include "winport/AtomicWrite.h"
#include "winport/Clock.h"

namespace {

const zrtool::Tool kTool(
    {"corvane-sim", "[options]",
     "Serves a daisy chain of simulated Corvane boards on a pseudo-terminal.",
     "  --config FILE       read board settings from FILE\n"
     "  --boards LIST       addresses present, e.g. 0,1,3 (default: 0)\n"
     "  --board A:K=V,...   settings of address A, e.g. 1:type=R-210,position=-5000\n"
     "  --com N             number n of the printed WINPORT_COM<n>= line (default 1)\n"
     "  --port-file FILE    also write that line to FILE (removed at the end); a script\n"
     "                      starts corvane-sim in the background and waits for FILE\n"
     "  --baud N            pace the line to N baud (10 bit times per byte)\n"
     "  --control           read fault commands from standard input\n"
     "  -v, --verbose       print every line received and answer sent on stderr\n"
     "Options apply in the order given. Prints the line WINPORT_COM<n>=/dev/pts/N and\n"
     "serves until SIGTERM or SIGINT.\n"});

int ParseAddress(const std::string& word) {
    if (word == "*") return corvane_sim::CorvaneSim::kAnyBoard;
    return std::stoi(word, nullptr, 0);
}

// One line of the control language: "drop A N", "garble A N", "delay A MS", "error A CODE",
// "stall A 0|1", "motion-error A", "place A COUNTS", "baud N", "hangup"; the lines of a board:
// "inputs A BITS", "analog A LINE VALUE"; "drop-after A K N" (answer K, then drop N).
bool Control(corvane_sim::CorvaneSim& sim, const std::string& line) {
    std::istringstream in(line);
    std::string verb, a, b, c;
    in >> verb >> a >> b >> c;
    if (verb.empty()) return true;
    try {
        if (verb == "drop")
            sim.DropAnswers(ParseAddress(a), std::stoi(b));
        else if (verb == "garble")
            sim.GarbleAnswers(ParseAddress(a), std::stoi(b));
        else if (verb == "delay")
            sim.SetAnswerDelay(ParseAddress(a), std::chrono::milliseconds(std::stoi(b)));
        else if (verb == "error")
            sim.SetErrorCode(ParseAddress(a), std::stoi(b, nullptr, 0));
        else if (verb == "stall")
            sim.SetStalled(ParseAddress(a), std::stoi(b) != 0);
        else if (verb == "motion-error")
            sim.InjectMotionError(ParseAddress(a));
        else if (verb == "place")
            sim.PlaceCarriage(ParseAddress(a), std::stol(b));
        else if (verb == "baud")
            sim.SetBaudRate(std::stoi(a));
        else if (verb == "hangup")
            sim.HangUp();
        else if (verb == "inputs")
            sim.SetDigitalInputs(std::stoi(a), std::stoi(b, nullptr, 0));
        else if (verb == "analog")
            sim.SetAnalogLine(std::stoi(a), std::stoi(b), std::stoi(c));
        else if (verb == "drop-after")
            sim.DropAnswersAfter(ParseAddress(a), std::stoi(b), std::stoi(c));
        else {
            std::fprintf(stderr, "corvane-sim: unknown control command \"%s\"\n", verb.c_str());
            return false;
        }
    } catch (const std::exception&) {
        std::fprintf(stderr, "corvane-sim: bad control command \"%s\"\n", line.c_str());
        return false;
    }
    return true;
}

// Whoever waits for the file sees it complete or not at all.
bool WritePortFile(const std::string& path, const std::string& line) {
    return winport::WriteFileAtomically(path, line + "\n").ok;
}

struct ProgramOptions {
    corvane_sim::SimConfig config;
    bool verbose = false;
    bool control = false;
};

// The command line into options; throws std::invalid_argument for a usage error.
void ParseOptions(int argc, char** argv, ProgramOptions& o) {
    zrtool::ArgList args(argc, argv);
    while (!args.Done()) {
        auto value = [&]() -> std::string {
            const auto v = args.Value();
            if (!v) throw std::invalid_argument(args.Option() + " needs a value");
            return *v;
        };
        if (args.Take("-v", "--verbose")) {
            o.verbose = true;
        } else if (args.Take(nullptr, "--control")) {
            o.control = true;
        } else if (args.Take(nullptr, "--config")) {
            o.config.LoadFile(value());
        } else if (args.Take(nullptr, "--boards")) {
            o.config.SetPresentList(value());
        } else if (args.Take(nullptr, "--board")) {
            o.config.ParseBoardOption(value());
        } else if (args.Take(nullptr, "--com")) {
            o.config.SetGlobalOption("com", value());
        } else if (args.Take(nullptr, "--port-file")) {
            o.config.portFile = value();
        } else if (args.Take(nullptr, "--baud")) {
            o.config.SetGlobalOption("baud", value());
        } else {
            const std::string word = args.Next();
            throw std::invalid_argument(word.starts_with("-") ? "unknown option " + word
                                                              : "unexpected argument " + word);
        }
    }
    o.config.Finish();
}

// Blocks the end signals for every thread and returns a descriptor that reports them.
int EndSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before any thread starts
    signal(SIGPIPE, SIG_IGN);
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

void PrintBoards(const corvane_sim::SimConfig& config) {
    for (int i = 0; i < 16; ++i) {
        const auto& b = config.boards[i];
        if (b.present)
            std::fprintf(stderr, "board %X: %s \"%s\" \"%s\"\n", i,
                         corvane_sim::BoardTypeName(b.type), b.version.c_str(), b.checksum.c_str());
    }
}

// Serves until an end signal; with control, standard input's lines are fault commands.
void Serve(corvane_sim::CorvaneSim& sim, int signalFd, bool control) {
    std::string pending;
    bool stdinOpen = control;
    for (;;) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        int ready = poll(fds, stdinOpen ? 2 : 1, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents & POLLIN) return;
        if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[512];
            ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                stdinOpen = false;
                continue;
            }
            pending.append(buffer, static_cast<size_t>(n));
            size_t eol;
            while ((eol = pending.find('\n')) != std::string::npos) {
                Control(sim, pending.substr(0, eol));
                pending.erase(0, eol + 1);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto done = kTool.Start(argc, argv)) return *done;
    ProgramOptions o;
    try {
        ParseOptions(argc, argv, o);
    } catch (const std::exception& e) {
        return kTool.UsageError(e.what());
    }
    const int signalFd = EndSignals();
    // Motors, answer delays and macro waits on a faster clock, for tests that drive the program.
    static winport::ScaledClock faster(winport::TimeScaleFromEnvironment("CORVANE_SIM_TIME_SCALE"));
    if (faster.Scale() > 1) winport::SetClockSource(&faster);

    corvane_sim::CorvaneSim sim(o.config);
    sim.SetTranscriptEnabled(false);  // nobody reads it here; -v shows the traffic instead
    if (o.verbose) {
        sim.SetTraceSink([](int address, char direction, const std::string& text) {
            char who = address < 0 ? '-' : "0123456789ABCDEF"[address & 15];
            std::fprintf(stderr, "%c %c %s\n", who, direction, text.c_str());
        });
    }
    try {
        sim.Start();
    } catch (const std::exception& e) {
        return kTool.Failure(std::string(e.what()) + " (is /dev/pts available?)");
    }
    std::string line = sim.PortLine();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    const std::string& portFile = o.config.portFile;
    if (!portFile.empty() && !WritePortFile(portFile, line))
        return kTool.Failure("cannot write " + portFile + ": choose a writable --port-file");
    if (o.verbose) PrintBoards(o.config);
    Serve(sim, signalFd, o.control);
    sim.Stop();
    if (!portFile.empty()) std::remove(portFile.c_str());
    return 0;
}
