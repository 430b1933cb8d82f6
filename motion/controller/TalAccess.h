#pragma once
// What the operations of the command-string interface need of the controller beyond its public
// operations, and the helpers they share.
#include <string>
#include <vector>

#include "motion/controller/CCorvaneController.h"
#include "motion/controller/TalDispatchTable.h"

struct TalAccess {
    static void Answer(CCorvaneController& c, const std::string& text) {
        c.AddTALAnswer(text.c_str());
    }
    static void SetError(CCorvaneController& c, int error) { c.SetLocalError(error); }
    static char Identifier(const CCorvaneController& c, int axis) {
        return c.ValidAxis(axis) ? c.m_AxisData[axis].m_cIdentifier : '?';
    }
    static bool HasStage(const CCorvaneController& c, int axis) {
        return c.ValidAxis(axis) && !c.m_AxisData[axis].m_strStageName.empty();
    }
    static std::string StageName(const CCorvaneController& c, int axis) {
        return c.ValidAxis(axis) ? c.m_AxisData[axis].m_strStageName : std::string();
    }
    // The default joystick IDs and trigger output IDs, in board order.
    static std::vector<int> Joysticks(const CCorvaneController& c) {
        std::vector<int> ids;
        for (int id = 1; id <= kMaxCorvaneBoards; ++id)
            if (c.ValidJoystick(id)) ids.push_back(id);
        return ids;
    }
    static std::vector<int> TriggerOutputs(const CCorvaneController& c) {
        std::vector<int> ids;
        for (int id = 1; id <= kMaxCorvaneBoards; ++id)
            if (c.ValidTriggerOutput(id)) ids.push_back(id);
        return ids;
    }
    static std::string ChannelNames(const CCorvaneController& c) {
        return std::string(c.m_szIOChannelNames, static_cast<size_t>(c.m_iNrIOChannels));
    }
    static bool AsyncReadActive(const CCorvaneController& c) { return c.m_bAsyncReadActive; }
    // A reference start that failed before any procedure ran leaves no answer request behind.
    static void DropReferenceAnswers(CCorvaneController& c) {
        if (c.m_IsReferencing == 0) c.m_iRefAnswerRequest = 0;
    }
};

namespace tal {
// Adds the answer of the row's format for per-axis values (formats A and B).
void AnswerAxisValues(TalCall& c, const std::vector<double>& values);
void AnswerAxisStates(TalCall& c, const std::string& names, const std::vector<int>& states);
// Format E: one line per group, the row's format applied to (id, sub-id, value).
std::string JoinLines(const std::vector<std::string>& lines);
// A text query with the row's buffer rule; the text on success.
using TextQuery = ZR_BOOL (*)(CCorvaneController&, const TalCall&, char*, int);
ZR_BOOL RunTextQuery(TalCall& c, TextQuery query, std::string& text);
// The text query's answer in the row's form (Text or TextLine).
ZR_BOOL AnswerTextQuery(TalCall& c, TextQuery query);
// Splits text at the given separator characters, empty pieces dropped.
std::vector<std::string> SplitText(const std::string& text, const char* separators);
// The identifier string, or null for none; values arrays sized for it.
const char* Axes(const TalCall& c);
std::size_t ItemCapacity(const TalCall& c);
}  // namespace tal
