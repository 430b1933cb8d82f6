// The command-string forms of the motion, reference, stage and identification commands.
#include <cstdio>
#include <string>
#include <vector>

#include "motion/controller/CCorvaneController.h"
#include "motion/controller/TalAccess.h"

namespace tal {
namespace {

using Setter = ZR_BOOL (*)(CCorvaneController&, const char*, const double*);
using Getter = ZR_BOOL (*)(CCorvaneController&, const char*, double*);
using FlagSetter = ZR_BOOL (*)(CCorvaneController&, const char*, const ZR_BOOL*);
using FlagGetter = ZR_BOOL (*)(CCorvaneController&, const char*, ZR_BOOL*);

std::vector<double> ItemValues(const TalCall& c) {
    std::vector<double> v = c.line.values;
    v.resize(ItemCapacity(c));
    return v;
}

std::vector<int> ItemFlags(const TalCall& c) {
    std::vector<int> v = c.line.flags;
    v.resize(ItemCapacity(c));
    return v;
}

ZR_BOOL SetValues(TalCall& c, Setter set) {
    const std::vector<double> values = ItemValues(c);
    return set(c.controller, Axes(c), values.data());
}

ZR_BOOL SetFlags(TalCall& c, FlagSetter set) {
    const std::vector<int> flags = ItemFlags(c);
    return set(c.controller, Axes(c), flags.data());
}

ZR_BOOL QueryValues(TalCall& c, Getter get) {
    std::vector<double> values(ItemCapacity(c), 0.0);
    if (!get(c.controller, Axes(c), values.data())) return false;
    AnswerAxisValues(c, values);
    return true;
}

ZR_BOOL QueryFlags(TalCall& c, FlagGetter get) {
    std::vector<int> states(ItemCapacity(c), 0);
    if (!get(c.controller, Axes(c), states.data())) return false;
    std::string names;
    for (int axis : c.axes) names += TalAccess::Identifier(c.controller, axis);
    AnswerAxisStates(c, names, states);
    return true;
}

}  // namespace

// clang-format off
ZR_BOOL MOV(TalCall& c) { return SetValues(c, [](auto& k, auto a, auto v) { return k.MOV(a, v); }); }
ZR_BOOL MVR(TalCall& c) { return SetValues(c, [](auto& k, auto a, auto v) { return k.MVR(a, v); }); }
ZR_BOOL POS(TalCall& c) { return SetValues(c, [](auto& k, auto a, auto v) { return k.POS(a, v); }); }
ZR_BOOL VEL(TalCall& c) { return SetValues(c, [](auto& k, auto a, auto v) { return k.VEL(a, v); }); }
ZR_BOOL DFF(TalCall& c) { return SetValues(c, [](auto& k, auto a, auto v) { return k.DFF(a, v); }); }
ZR_BOOL qMOV(TalCall& c) { return QueryValues(c, [](auto& k, auto a, auto v) { return k.qMOV(a, v); }); }
ZR_BOOL qPOS(TalCall& c) { return QueryValues(c, [](auto& k, auto a, auto v) { return k.qPOS(a, v); }); }
ZR_BOOL qVEL(TalCall& c) { return QueryValues(c, [](auto& k, auto a, auto v) { return k.qVEL(a, v); }); }
ZR_BOOL qDFF(TalCall& c) { return QueryValues(c, [](auto& k, auto a, auto v) { return k.qDFF(a, v); }); }
ZR_BOOL qDFH(TalCall& c) { return QueryValues(c, [](auto& k, auto a, auto v) { return k.qDFH(a, v); }); }
ZR_BOOL qTMN(TalCall& c) { return QueryValues(c, [](auto& k, auto a, auto v) { return k.qTMN(a, v); }); }
ZR_BOOL qTMX(TalCall& c) { return QueryValues(c, [](auto& k, auto a, auto v) { return k.qTMX(a, v); }); }
ZR_BOOL SVO(TalCall& c) { return SetFlags(c, [](auto& k, auto a, auto v) { return k.SVO(a, v); }); }
ZR_BOOL RON(TalCall& c) { return SetFlags(c, [](auto& k, auto a, auto v) { return k.RON(a, v); }); }
ZR_BOOL BRA(TalCall& c) { return SetFlags(c, [](auto& k, auto a, auto v) { return k.BRA(a, v); }); }
ZR_BOOL qONT(TalCall& c) { return QueryFlags(c, [](auto& k, auto a, auto v) { return k.qONT(a, v); }); }
ZR_BOOL qSVO(TalCall& c) { return QueryFlags(c, [](auto& k, auto a, auto v) { return k.qSVO(a, v); }); }
ZR_BOOL qRON(TalCall& c) { return QueryFlags(c, [](auto& k, auto a, auto v) { return k.qRON(a, v); }); }
ZR_BOOL qREF(TalCall& c) { return QueryFlags(c, [](auto& k, auto a, auto v) { return k.qREF(a, v); }); }
ZR_BOOL qLIM(TalCall& c) { return QueryFlags(c, [](auto& k, auto a, auto v) { return k.qLIM(a, v); }); }
ZR_BOOL GOH(TalCall& c) { return c.controller.GOH(Axes(c)); }
ZR_BOOL DFH(TalCall& c) { return c.controller.DFH(Axes(c)); }
ZR_BOOL HLT(TalCall& c) { return c.controller.HLT(Axes(c)); }
ZR_BOOL INI(TalCall& c) { return c.controller.INI(Axes(c)); }
ZR_BOOL Stop(TalCall& c) { return c.controller.STP(); }
// clang-format on

namespace {
using ReferenceStart = ZR_BOOL (*)(CCorvaneController&, const char*);
ZR_BOOL StartReference(TalCall& c, ReferenceStart start) {
    c.controller.RequestReferenceAnswers();
    const ZR_BOOL started = start(c.controller, Axes(c));
    if (!started) TalAccess::DropReferenceAnswers(c.controller);
    return started;
}
}  // namespace

// clang-format off
ZR_BOOL MPL(TalCall& c) { return StartReference(c, [](auto& k, auto a) { return k.MPL(a); }); }
ZR_BOOL MNL(TalCall& c) { return StartReference(c, [](auto& k, auto a) { return k.MNL(a); }); }
ZR_BOOL REF(TalCall& c) { return StartReference(c, [](auto& k, auto a) { return k.REF(a); }); }
// clang-format on

ZR_BOOL FED(TalCall& c) {
    std::vector<int> ids = c.line.listA;
    ids.resize(ItemCapacity(c));
    const std::vector<int> unused(ItemCapacity(c), 0);
    return c.controller.FED(Axes(c), ids.data(), unused.data());
}

ZR_BOOL qSRG(TalCall& c) {
    std::vector<int> registers = c.line.listA;
    registers.resize(ItemCapacity(c));
    std::vector<int> values(ItemCapacity(c), 0);
    if (!c.controller.qSRG(Axes(c), registers.data(), values.data())) return false;
    std::vector<std::string> lines;
    for (size_t k = 0; k < c.axes.size(); ++k) {
        char line[64];
        std::snprintf(line, sizeof line, "%c%d=%d", TalAccess::Identifier(c.controller, c.axes[k]),
                      registers[k], values[k]);
        lines.push_back(line);
    }
    TalAccess::Answer(c.controller, JoinLines(lines));
    return true;
}

ZR_BOOL IsMoving(TalCall& c) {
    // bit k: the k-th axis with a stage, in index order
    std::vector<int> moving(kMaxCorvaneBoards, 0);
    if (!c.controller.IsMoving("", moving.data(), 0)) return false;
    unsigned mask = 0;
    for (int k = 0; k < kMaxCorvaneBoards; ++k)
        if (moving[static_cast<size_t>(k)] == 1) mask |= 1u << k;
    char line[16];
    std::snprintf(line, sizeof line, "%X\n", mask);
    TalAccess::Answer(c.controller, line);
    return true;
}

ZR_BOOL ControllerReady(TalCall& c) {
    const int saved = c.controller.LocalError();
    const bool ready = c.controller.CheckController(1);
    TalAccess::SetError(c.controller, saved);
    TalAccess::Answer(c.controller, ready ? "\xB1\n" : "\xB0\n");
    return true;
}

ZR_BOOL RunningMacro(TalCall& c) {
    const int saved = c.controller.LocalError();
    ZR_BOOL running = 0;
    const bool asked = c.controller.IsRunningMacro(&running);
    TalAccess::SetError(c.controller, saved);
    TalAccess::Answer(c.controller, asked && running == 1 ? "1\n" : "0\n");
    return true;
}

}  // namespace tal
