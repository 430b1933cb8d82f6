// The command-string forms of the digital and analog I/O, joystick, trigger and macro commands.
#include <cstdio>
#include <string>
#include <vector>

#include "motion/controller/CCorvaneController.h"
#include "motion/controller/TalAccess.h"
#include "winport/Clock.h"

namespace tal {
namespace {

constexpr int kDefaultSubID = 1;                     // joystick axis and button
constexpr int kTriggerParameters[] = {1, 2, 3, 10};  // CTO? without IDs
constexpr int kJltTableSize = 256;
constexpr int kJltHeaderSize = 1 << 16;
constexpr uint32_t kRowStepMs = 250;
constexpr uint32_t kRowStallLimitMs = 30000;  // no row for this long: the read has stalled

// A pointer that is never null, for operations that want an array even when it is empty.
template <typename T>
T* Data(std::vector<T>& v) {
    if (v.empty()) v.resize(1);
    return v.data();
}

// The (ID, sub-ID) groups of a joystick query: as given, or every joystick with sub-ID 1.
void DefaultGroups(TalCall& c, std::vector<int>& ids, std::vector<int>& subIDs) {
    ids = c.line.listA;
    subIDs = c.line.listB;
    if (c.line.count > 0) return;
    ids = TalAccess::Joysticks(c.controller);
    subIDs.assign(ids.size(), kDefaultSubID);
}

// The first n groups, each in the row's format.
template <typename Value>
void AnswerGroups(TalCall& c, size_t n, const std::vector<int>& ids, const std::vector<int>& subIDs,
                  const std::vector<Value>& values) {
    std::vector<std::string> lines;
    for (size_t k = 0; k < n && k < ids.size() && k < values.size(); ++k) {
        char line[400] = {};
        if (subIDs.empty())
            std::snprintf(line, sizeof line, c.row.groupFormat, ids[k], values[k]);
        else if (k < subIDs.size())
            std::snprintf(line, sizeof line, c.row.groupFormat, ids[k], subIDs[k], values[k]);
        lines.push_back(line);
    }
    TalAccess::Answer(c.controller, JoinLines(lines));
}

std::vector<const char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<const char*> p;
    for (const std::string& t : texts) p.push_back(t.c_str());
    return p;
}

}  // namespace

ZR_BOOL DIO(TalCall& c) {
    std::vector<int> flags = c.line.flags;
    return c.controller.DIO(Axes(c), Data(flags));
}

ZR_BOOL qDIO(TalCall& c) {
    const std::string channels =
        c.line.identifiers.empty() ? TalAccess::ChannelNames(c.controller) : c.line.identifiers;
    std::vector<int> states(channels.size() + 1, 0);
    if (!c.controller.qDIO(channels.c_str(), states.data())) return false;
    AnswerAxisStates(c, channels, states);
    return true;
}

ZR_BOOL qTIO(TalCall& c) {
    int inputs = 0;
    int outputs = 0;
    if (!c.controller.qTIO(&inputs, &outputs)) return false;
    char text[64];
    std::snprintf(text, sizeof text, "I=%d \nO=%d\n", inputs, outputs);
    TalAccess::Answer(c.controller, text);
    return true;
}

ZR_BOOL qTAC(TalCall& c) {
    int count = 0;
    if (!c.controller.qTAC(&count)) return false;
    TalAccess::Answer(c.controller, std::to_string(count) + "\n");
    return true;
}

ZR_BOOL qTNJ(TalCall& c) {
    int count = 0;
    if (!c.controller.qTNJ(&count)) return false;
    TalAccess::Answer(c.controller, std::to_string(count) + "\n");
    return true;
}

ZR_BOOL qTAV(TalCall& c) {
    double volts = 0;
    if (!c.controller.qTAV(c.line.listA.empty() ? 0 : c.line.listA[0], &volts)) return false;
    char text[400];
    std::snprintf(text, sizeof text, "%f\n", volts);
    TalAccess::Answer(c.controller, text);
    return true;
}

ZR_BOOL JON(TalCall& c) {
    std::vector<int> ids = c.line.listA;
    std::vector<int> flags = c.line.flags;
    if (c.line.count == 0) return c.controller.JON(nullptr, nullptr, 0);
    return c.controller.JON(ids.data(), flags.data(), c.line.count);
}

ZR_BOOL qJON(TalCall& c) {
    std::vector<int> ids = c.line.count > 0 ? c.line.listA : TalAccess::Joysticks(c.controller);
    const size_t n = ids.size();
    std::vector<int> states(n + 1, 0);
    if (!c.controller.qJON(Data(ids), states.data(), static_cast<int>(n))) return false;
    AnswerGroups(c, n, ids, {}, states);
    return true;
}

ZR_BOOL qJBS(TalCall& c) {
    std::vector<int> ids, buttons;
    DefaultGroups(c, ids, buttons);
    const size_t n = ids.size();
    std::vector<int> pressed(n + 1, 0);
    if (!c.controller.qJBS(Data(ids), Data(buttons), pressed.data(), static_cast<int>(n)))
        return false;
    AnswerGroups(c, n, ids, buttons, pressed);
    return true;
}

ZR_BOOL qJAS(TalCall& c) {
    std::vector<int> ids, axes;
    DefaultGroups(c, ids, axes);
    const size_t n = ids.size();
    std::vector<double> values(n + 1, 0.0);
    if (!c.controller.qJAS(Data(ids), Data(axes), values.data(), static_cast<int>(n))) return false;
    AnswerGroups(c, n, ids, axes, values);
    return true;
}

ZR_BOOL qJAX(TalCall& c) {
    std::vector<int> ids, axes;
    DefaultGroups(c, ids, axes);
    std::vector<char> text(static_cast<size_t>(c.row.buffer.initial), '\0');
    const int n = static_cast<int>(ids.size());
    if (!c.controller.qJAX(Data(ids), Data(axes), n, text.data(), c.row.buffer.initial))
        return false;
    std::vector<std::string> names;
    const std::string all = text.data();
    for (size_t pos = 0; pos < all.size();) {
        const size_t end = std::min(all.find(" \n", pos), all.size());
        std::string piece = all.substr(pos, end - pos);
        if (!piece.empty() && piece.back() == '\n') piece.pop_back();
        names.push_back(piece);
        pos = end + 2;
    }
    AnswerGroups(c, static_cast<size_t>(n), ids, axes, Pointers(names));
    return true;
}

ZR_BOOL JDT(TalCall& c) {
    std::vector<int> ids = c.line.listA;
    std::vector<int> types = c.line.listB;
    if (c.line.count == 0) return c.controller.JDT(nullptr, nullptr, 0);
    return c.controller.JDT(ids.data(), types.data(), c.line.count);
}

ZR_BOOL JLT(TalCall& c) {
    const std::vector<int>& a = c.line.listA;
    std::vector<double> values = c.line.values;
    if (a.size() < 3) return c.controller.JLT(0, 0, 0, nullptr, 0);
    return c.controller.JLT(a[0], a[1], a[2], Data(values), c.line.count);
}

ZR_BOOL CTO(TalCall& c) {
    std::vector<int> outputs = c.line.listA;
    std::vector<int> parameters = c.line.listB;
    return c.controller.CTO(Data(outputs), Data(parameters), c.line.text.c_str(), c.line.count);
}

ZR_BOOL qCTO(TalCall& c) {
    std::vector<int> outputs = c.line.listA;
    std::vector<int> parameters = c.line.listB;
    if (c.line.count == 0) {
        outputs.clear();
        for (int id : TalAccess::TriggerOutputs(c.controller))
            for (int p : kTriggerParameters) {
                outputs.push_back(id);
                parameters.push_back(p);
            }
    }
    std::vector<char> text(static_cast<size_t>(c.row.buffer.initial), '\0');
    const int n = static_cast<int>(outputs.size());
    if (!c.controller.qCTO(Data(outputs), Data(parameters), text.data(), n, c.row.buffer.initial))
        return false;
    const std::vector<std::string> values = SplitText(text.data(), " \t\r\n");
    AnswerGroups(c, static_cast<size_t>(n), outputs, parameters, Pointers(values));
    return true;
}

ZR_BOOL TRO(TalCall& c) {
    std::vector<int> outputs = c.line.listA;
    std::vector<int> flags = c.line.flags;
    return c.controller.TRO(Data(outputs), Data(flags), c.line.count);
}

ZR_BOOL qTRO(TalCall& c) {
    std::vector<int> outputs =
        c.line.count > 0 ? c.line.listA : TalAccess::TriggerOutputs(c.controller);
    std::vector<int> states(outputs.size() + 1, 0);
    const int n = static_cast<int>(outputs.size());
    if (!c.controller.qTRO(Data(outputs), states.data(), n)) return false;
    std::vector<std::string> lines;
    for (int k = 0; k < n; ++k)
        lines.push_back(std::to_string(outputs[k]) + (states[k] == 1 ? "=1" : "=0"));
    TalAccess::Answer(c.controller, JoinLines(lines));
    return true;
}

// ---- joystick table read ------------------------------------------------------------------

namespace {
struct JltSelection {
    int start = 1;
    int rows = kJltTableSize;
    std::vector<int> joysticks;  // empty: every joystick, axis 1
    std::vector<int> axes;
};

JltSelection SelectRows(const TalLine& line) {
    JltSelection s;
    if (line.count == 1) {
        s.start = line.listA[0];
        // a start outside the table reads no rows, which qJLT refuses
        s.rows = s.start >= 1 && s.start <= kJltTableSize ? kJltTableSize + 1 - s.start : 0;
    } else if (line.count >= 2) {
        s.start = line.listA[0];
        s.rows = line.listB[0];
        s.joysticks.assign(line.listA.begin() + 1, line.listA.end());
        s.axes.assign(line.listB.begin() + 1, line.listB.end());
    }
    return s;
}

// Waits until the background read has delivered `needed` values; false when it stops short or
// makes no progress for kRowStallLimitMs.
bool WaitForValues(CCorvaneController& k, int needed) {
    uint32_t stalled = 0;
    int seen = k.GetAsyncBufferIndex();
    while (seen < needed) {
        if (!TalAccess::AsyncReadActive(k) && k.GetAsyncBufferIndex() < needed) return false;
        if (stalled >= kRowStallLimitMs) return false;
        winport::SleepMs(kRowStepMs);
        const int now = k.GetAsyncBufferIndex();
        stalled = now == seen ? stalled + kRowStepMs : 0;
        seen = now;
    }
    return true;
}
}  // namespace

ZR_BOOL qJLT(TalCall& c) {
    CCorvaneController& k = c.controller;
    JltSelection s = SelectRows(c.line);
    if (s.joysticks.empty()) {
        s.joysticks = TalAccess::Joysticks(k);
        s.axes.assign(s.joysticks.size(), kDefaultSubID);
    }
    const int columns = static_cast<int>(s.joysticks.size());
    std::vector<char> header(kJltHeaderSize, '\0');
    double* values = nullptr;
    if (!k.qJLT(Data(s.joysticks), Data(s.axes), columns, s.start, s.rows, &values, header.data(),
                kJltHeaderSize))
        return false;
    std::string head = header.data();
    if (!head.empty() && head.back() == '\n') head.pop_back();
    TalAccess::Answer(k, head + " \n");
    for (int r = 0; r < s.rows; ++r) {
        if (!WaitForValues(k, (r + 1) * columns)) {
            TalAccess::SetError(k, COM_TIMEOUT);
            return false;
        }
        std::string row;
        for (int col = 0; col < columns; ++col) {
            char value[400];
            std::snprintf(value, sizeof value, "%f ", values[r * columns + col]);
            row += value;
        }
        if (!row.empty()) row.pop_back();
        TalAccess::Answer(k, row + (r + 1 < s.rows ? " \n" : "\n"));
    }
    return true;
}

// ---- macros -----------------------------------------------------------------------------------

ZR_BOOL DEL(TalCall& c) {
    return c.controller.DEL(c.line.listA.empty() ? 0 : c.line.listA[0]);
}

ZR_BOOL WAC(TalCall& c) {
    return c.controller.WAC(c.line.text.c_str());
}

ZR_BOOL MEX(TalCall& c) {
    return c.controller.MEX(c.line.text.c_str());
}

ZR_BOOL MAC(TalCall& c) {
    return c.controller.MAC(c.line.text.c_str());
}

ZR_BOOL qMAC(TalCall& c) {
    std::string text;
    auto query = [](auto& k, const TalCall& call, char* b, int s) {
        return k.qMAC(call.line.text.c_str(), b, s);
    };
    if (!RunTextQuery(c, query, text)) return false;
    TalAccess::Answer(c.controller, text);
    return true;
}

}  // namespace tal
