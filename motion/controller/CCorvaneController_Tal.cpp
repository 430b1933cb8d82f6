// The command-string interface: command strings split into lines, one line parsed and
// dispatched, the answer list read; and the answer helpers the operations share.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/TalAccess.h"
#include "motion/controller/TalDispatchTable.h"
#include "motion/controller/TalParser.h"

namespace {

// The commands carried out before the axes are resolved; their result is the local error alone.
bool IsMacroWord(const std::string& word) {
    return word == "DEL" || word == "WAC" || word == "MAC" || word == "MEX" || word == "MAC?";
}

// The commands whose identifiers name no axes.
bool NamesNoAxes(const std::string& word) {
    return word == "DIO?" || word == "DIO" || word == "TAV?";
}

// The control-character commands are found by their first character.
std::string DispatchWord(const std::string& word) {
    if (!word.empty()) {
        const char first = word[0];
        if (first == '\x05' || first == '\x07' || first == '\x08' || first == '\x18')
            return std::string(1, first);
    }
    return word;
}

const TalCommandRow kUnknownRow{"", tal::Unknown, {}, TalAnswer::None};

}  // namespace

ZR_BOOL CCorvaneController::TalCommandset(const char* text) {
    ZR_LOG_DEBUG("CCorvaneController::TalCommandset(\"%s\")", text ? text : "");
    winport::ScopedLock refFlag(m_csRefFlag);
    const std::string all = text ? text : "";
    bool result = true;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string::npos) end = all.size();
        if (end > pos && !TalSingleCommand(all.substr(pos, end - pos) + '\n')) result = false;
        pos = end + 1;
    }
    return result;
}

void CCorvaneController::ReportInvalidTalLine(const std::string& identifiers) {
    std::vector<int> indices(std::max<size_t>(identifiers.size(), kMaxCorvaneBoards));
    int count = 0;
    if (GetAxesIndex(identifiers.c_str(), indices.data(), &count, {}))
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
}

ZR_BOOL CCorvaneController::TalSingleCommand(const std::string& line) {
    struct RestoreErrorCheck {
        CCorvaneController& c;
        int saved;
        ~RestoreErrorCheck() { (void)c.SetErrorCheck(saved); }
    } restore{*this, SetErrorCheck(0)};

    TalLine parsed;
    if (ParseTalLine(line, parsed) == TalParse::Invalid) {
        ZR_LOG_ERROR("CCorvaneController::TalSingleCommand() line not valid: \"%s\"", line.c_str());
        ReportInvalidTalLine(parsed.identifiers);
        return true;
    }
    const std::string word = DispatchWord(parsed.word);
    const TalCommandRow* row = FindTalCommand(word);
    TalCall call{*this, parsed, row ? *row : kUnknownRow, {}};
    if (IsMacroWord(word)) {
        (void)row->run(call);
        return m_iLocalError == 0;
    }
    if (!NamesNoAxes(word)) {
        call.axes.resize(std::max<size_t>(parsed.identifiers.size(), kMaxCorvaneBoards));
        int count = 0;
        (void)GetAxesIndex(parsed.identifiers.c_str(), call.axes.data(), &count,
                           {.allAxesWhenEmpty = word == "CST?"});
        call.axes.resize(static_cast<size_t>(std::max(count, 0)));
    }
    (void)call.row.run(call);
    return m_iLocalError == 0;
}

ZR_BOOL CCorvaneController::TalGetAnswerSize(int* size) {
    if (!size) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    winport::ScopedLock answers(m_csAnswerList);
    *size = m_TALAnswerList.empty() ? 0 : static_cast<int>(m_TALAnswerList.front().size() + 1);
    return true;
}

ZR_BOOL CCorvaneController::TalGetAnswer(char* buffer, int size) {
    winport::ScopedLock answers(m_csAnswerList);
    if (m_TALAnswerList.empty()) return true;
    const std::string& entry = m_TALAnswerList.front();
    if (!buffer || size < 0 || entry.size() >= static_cast<size_t>(size)) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    std::memcpy(buffer, entry.c_str(), entry.size() + 1);
    m_TALAnswerList.pop_front();
    return true;
}

// ---- helpers of the operations ------------------------------------------------------------------

namespace tal {

const char* Axes(const TalCall& c) {
    return c.line.identifiers.c_str();
}

std::size_t ItemCapacity(const TalCall& c) {
    return std::max<size_t>(c.line.identifiers.size(), kMaxCorvaneBoards);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (k > 0) text += " \n";
        text += lines[k];
    }
    return text + "\n";
}

void AnswerAxisValues(TalCall& c, const std::vector<double>& values) {
    std::vector<std::string> lines;
    for (size_t k = 0; k < c.axes.size() && k < values.size(); ++k) {
        char line[400];
        const char id = TalAccess::Identifier(c.controller, c.axes[k]);
        std::snprintf(line, sizeof line, "%c=%f", id, values[k]);
        lines.push_back(line);
    }
    TalAccess::Answer(c.controller, JoinLines(lines));
}

void AnswerAxisStates(TalCall& c, const std::string& names, const std::vector<int>& states) {
    std::vector<std::string> lines;
    for (size_t k = 0; k < names.size() && k < states.size(); ++k)
        lines.push_back(std::string(1, names[k]) + (states[k] == 1 ? "=1" : "=0"));
    TalAccess::Answer(c.controller, JoinLines(lines));
}

std::vector<std::string> SplitText(const std::string& text, const char* separators) {
    std::vector<std::string> pieces;
    size_t pos = 0;
    while ((pos = text.find_first_not_of(separators, pos)) != std::string::npos) {
        const size_t end = text.find_first_of(separators, pos);
        pieces.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return pieces;
}

ZR_BOOL RunTextQuery(TalCall& c, TextQuery query, std::string& text) {
    const TalBuffer& rule = c.row.buffer;
    CCorvaneController& k = c.controller;
    for (int size = rule.initial;;) {
        std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
        if (query(k, c, buffer.data(), size)) {
            if (k.LocalError() == COM_BUFFER_OVERFLOW) TalAccess::SetError(k, 0);
            text = buffer.data();
            return true;
        }
        const bool grows = rule.growth == TalGrowth::Add || rule.growth == TalGrowth::Double;
        if (!grows || k.LocalError() != COM_BUFFER_OVERFLOW) return false;
        const long long next = rule.growth == TalGrowth::Add
                                   ? static_cast<long long>(size) + rule.step
                                   : static_cast<long long>(size) * 2;
        if (next > kTalMaxTextBuffer) return false;  // the overflow stands
        TalAccess::SetError(k, 0);
        size = static_cast<int>(next);
    }
}

ZR_BOOL AnswerTextQuery(TalCall& c, TextQuery query) {
    std::string text;
    if (!RunTextQuery(c, query, text)) return false;
    if (c.row.answer == TalAnswer::TextLine) text += '\n';
    TalAccess::Answer(c.controller, text);
    return true;
}

ZR_BOOL Nothing(TalCall&) {
    return true;
}

ZR_BOOL Unknown(TalCall& c) {
    TalAccess::SetError(c.controller, ZR_CNTR_UNKNOWN_COMMAND);
    return false;
}

}  // namespace tal
