// The boards' parameter commands: the gain read-outs "GI", "GD", "GL", the force read-out "TR",
// and the setters whose values the "XY?" probes of the same name report.
#include <string>

#include "simulators/corvane/Board.h"

namespace corvane_sim {
namespace {

struct GainReadOut {
    const char* name;
    const char* answer;    // letter and colon of the answer
    const char* setterOf;  // the register the answer reports
};
// Where "GP" is known (R-220 firmware) its companions are too.
constexpr GainReadOut kGainReadOuts[] = {
    {"GI", "I:", "DI"}, {"GD", "D:", "DD"}, {"GL", "M:", "DL"}};

// Each is carried out only by firmware that knows its query ("WW" where "WW?" is known, ...);
// older firmware ignores it like any unknown command.
constexpr const char* kProbedSetters[] = {"WW", "FN", "FQ", "FM", "FA", "FP",
                                          "FI", "FL", "FD", "FO", "FT"};

}  // namespace

bool Board::ExecuteParameterCommand(const Command& c, std::vector<std::string>& answers) {
    if (c.query) return false;
    for (const GainReadOut& r : kGainReadOuts) {
        if (c.name != r.name) continue;
        if (m_cfg.Knows("GP")) answers.push_back(r.answer + std::to_string(Register(r.setterOf)));
        return true;
    }
    if (c.name == "TR") {
        // the force sensor belongs to force control, which firmware knowing "FM?" has
        if (m_cfg.Knows("FM?")) answers.push_back("R:" + std::to_string(m_force));
        return true;
    }
    for (const char* setter : kProbedSetters) {
        if (c.name != setter) continue;
        if (m_cfg.Knows(c.name + "?")) {
            m_ownError = kErrorNone;
            m_registers[c.name] = c.hasArg ? c.arg : 0;
        }
        return true;
    }
    return false;
}

}  // namespace corvane_sim
