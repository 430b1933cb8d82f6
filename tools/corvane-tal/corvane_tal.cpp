// corvane-tal: a TAL terminal. Connects to a chain of Corvane boards and sends TAL command lines,
// printing the answers and errors of each.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "LineEditor.h"
#include "TalSession.h"
#include "ZR_Corvane_TAL.h"
#include "tools/common/ToolOptions.h"

namespace {

constexpr long kDefaultPort = 1;
constexpr long kDefaultBaud = 57600;
constexpr long kDefaultBoards = 16;
constexpr long kMaxBoards = 16;

const zrtool::Tool kTool(
    {"corvane-tal", "[--port N | --device PATH] [--baud B] [--boards N] [-c LINE]... [SCRIPT]",
     "Sends TAL command lines to a chain of Corvane boards and prints the answers.",
     "  --port N        serial port COM<N> (default 1)\n"
     "  --device PATH   the serial device to use as that port (for example /dev/ttyUSB0\n"
     "                  or a corvane-sim pseudo-terminal)\n"
     "  --baud B        baud rate (default 57600)\n"
     "  --boards N      board addresses 0 .. N-1 scanned (default 16); each address\n"
     "                  without a board costs half a second\n"
     "  -c LINE         a TAL line to send; may be given several times\n"
     "Lines come from -c, else from SCRIPT, else from standard input. On a terminal\n"
     "the lines can be edited and the history is kept in\n"
     "${XDG_STATE_HOME:-~/.local/state}/corvane-tal/history. Each answer line is\n"
     "printed on standard output, each error as \"error N: text\" on standard error\n"
     "(while a macro is recorded the errors wait for MAC END). \"#5\", \"#7\", \"#8\" and\n"
     "\"#24\" typed alone send those control characters. A line that does not parse\n"
     "still returns TRUE; its error is printed.\n"
     "Exit status: 0 every line ran without error; 1 a line failed or left an error,\n"
     "or no controller was found; 2 a usage error.\n"});

struct Options {
    long port = kDefaultPort;
    long baud = kDefaultBaud;
    long boards = kDefaultBoards;
    std::string device;
    std::vector<std::string> lines;
    std::string script;
};

std::optional<int> ReadNumber(zrtool::ArgList& args, long min, long max, long& out) {
    const std::optional<std::string> v = args.Value();
    const std::optional<long> n = v ? zrtool::ParseNumber(*v, min, max) : std::nullopt;
    if (!n)
        return kTool.UsageError(args.Option() + " needs a number from " + std::to_string(min) +
                                " to " + std::to_string(max));
    out = *n;
    return std::nullopt;
}

// nullopt when the options are sound, else the exit code.
std::optional<int> ParseOptions(int argc, char** argv, Options& o) {
    zrtool::ArgList args(argc, argv);
    while (!args.Done()) {
        std::optional<int> failed;
        if (args.Take(nullptr, "--port")) {
            failed = ReadNumber(args, 1, 255, o.port);
        } else if (args.Take(nullptr, "--baud")) {
            failed = ReadNumber(args, 1, 4000000, o.baud);
        } else if (args.Take(nullptr, "--boards")) {
            failed = ReadNumber(args, 1, kMaxBoards, o.boards);
        } else if (args.Take(nullptr, "--device")) {
            const auto v = args.Value();
            if (!v || v->empty()) return kTool.UsageError("--device needs a path");
            o.device = *v;
        } else if (args.Take("-c", nullptr)) {
            const auto v = args.Value();
            if (!v) return kTool.UsageError("-c needs a TAL line");
            o.lines.push_back(*v);
        } else if (args.AtOption()) {
            return kTool.UsageError("unknown option " + args.Next());
        } else if (o.script.empty()) {
            o.script = args.Next();
        } else {
            return kTool.UsageError("one script at most: " + args.Next());
        }
        if (failed) return failed;
    }
    if (!o.lines.empty() && !o.script.empty())
        return kTool.UsageError("give lines with -c or a script, not both");
    return std::nullopt;
}

int RunLines(corvanetal::TalSession& session, const std::vector<std::string>& lines) {
    bool ok = true;
    for (const std::string& line : lines) ok = session.Run(line) && ok;
    return ok ? zrtool::kExitOk : zrtool::kExitFailure;
}

int RunStream(corvanetal::TalSession& session, std::istream& in) {
    bool ok = true;
    for (std::string line; std::getline(in, line);) ok = session.Run(line) && ok;
    return ok ? zrtool::kExitOk : zrtool::kExitFailure;
}

int RunTerminal(corvanetal::TalSession& session) {
    corvanetal::LineEditor editor("corvane-tal");
    bool ok = true;
    for (std::string line; editor.Read("TAL> ", line);) ok = session.Run(line) && ok;
    return ok ? zrtool::kExitOk : zrtool::kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto done = kTool.Start(argc, argv)) return *done;
    Options o;
    if (const auto failed = ParseOptions(argc, argv, o)) return *failed;
    std::ifstream script;
    if (!o.script.empty()) {
        script.open(o.script);
        if (!script) return kTool.Failure("cannot read " + o.script);
    }
    if (!o.device.empty())
        ::setenv(("WINPORT_COM" + std::to_string(o.port)).c_str(), o.device.c_str(), 1);

    (void)Corvane_SetMaxNrOfControllers(static_cast<int>(o.boards));
    const int id = Corvane_ConnectRS232(static_cast<int>(o.port), static_cast<int>(o.baud));
    if (id < 0)
        return kTool.Failure("no controller found on COM" + std::to_string(o.port) +
                             ": check --port or --device, --baud and --boards");
    corvanetal::TalSession session(id, stdout, stderr);
    int status = zrtool::kExitOk;
    if (!o.lines.empty())
        status = RunLines(session, o.lines);
    else if (!o.script.empty())
        status = RunStream(session, script);
    else if (::isatty(STDIN_FILENO))
        status = RunTerminal(session);
    else
        status = RunStream(session, std::cin);
    Corvane_CloseConnection(id);
    return status;
}
