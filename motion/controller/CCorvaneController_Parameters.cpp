// Parameters by TAL parameter ID: CheckParameters, SPA, qSPA, qHPA. What each ID does is in the
// rule table (CorvaneParameterTable.cpp); CorvaneParameterActions carries one item out.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneParameterActions.h"
#include "motion/stages/CZRParameterMap.h"

namespace {

// Every line of the HPA? text carries this number after the level.
constexpr int kHelpLineNumber = 16;

struct TypeWord {
    int type;
    const char* word;
};
constexpr TypeWord kTypeWords[] = {
    {kParameterTypeFloat, "FLOAT\t"}, {kParameterTypeChar, "CHAR\t"}, {kParameterTypeInt, "INT\t"}};

const char* TypeWordOf(int type) {
    for (const TypeWord& t : kTypeWords)
        if (t.type == type) return t.word;
    return "";
}

// The text's lines in order, each without its line end (LF, or CR LF) and leading spaces.
std::vector<std::string> TextLines(const char* text) {
    std::vector<std::string> lines;
    if (!text) return lines;
    const char* p = text;
    while (*p != '\0') {
        while (*p == ' ') ++p;
        const char* end = std::strchr(p, '\n');
        std::string line = end ? std::string(p, end) : std::string(p);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (!end) break;
        p = end + 1;
    }
    return lines;
}

// A name the axis can take: not empty, no blank, and short enough for the parameter set's field
// (a longer one would be cut, and the stage saved under a name nobody gave).
bool IsAcceptableStageName(const std::string& name) {
    return !name.empty() && name.find_first_of(" \t") == std::string::npos &&
           name.size() <= StageParameterSet::kMaxNameLength;
}

}  // namespace

ZR_BOOL CCorvaneController::ResolveParameterAxes(const char* axes, const void* ids,
                                                 const void* values, std::vector<int>& list) {
    if (!axes || axes[0] == '\0') {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }
    if (!ids || !values) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    list.assign(std::strlen(axes), -1);
    int n = 0;
    if (!GetAxesIndex(axes, list.data(), &n, {})) return false;
    list.resize(static_cast<size_t>(n));
    return true;
}

int CCorvaneController::CheckParameters(const int* axes, const unsigned int* ids,
                                        const double* values, int count, ParameterValues check) {
    if (count <= 0) return 0;
    if (!axes || !ids || (check == ParameterValues::Checked && !values)) return ZR_INVALID_ARGUMENT;
    CorvaneParameterActions actions(*this);
    for (int i = 0; i < count; ++i) {
        const CCorvaneAxis* board = ValidAxis(axes[i]) ? m_Axes.Get(axes[i]) : nullptr;
        if (!board || !board->m_bPresent) return ZR_INVALID_ARGUMENT;
        const CorvaneParameterRule* rule = FindCorvaneParameter(ids[i]);
        if (!rule || !actions.BoardHas(axes[i], rule->boards)) return ZR_INVALID_SPA_PARAMETER_ID;
        if (check == ParameterValues::Checked && !actions.ValueAllowed(axes[i], *rule, values[i]))
            return ZR_CNTR_PARAMETER_OUT_OF_RANGE;
    }
    return 0;
}

ZR_BOOL CCorvaneController::SPA(const char* axes, const unsigned int* ids, const double* values,
                                const char* text) {
    ZR_LOG_DEBUG("CCorvaneController::SPA(\"%s\")", axes ? axes : "");
    std::vector<int> list;
    if (!CheckController(1) || !ResolveParameterAxes(axes, ids, values, list)) return false;
    const int count = static_cast<int>(list.size());
    if (m_iMacroRecording) {
        // the macro lives on one board: only its axis can be recorded
        for (int axis : list) {
            if (axis != m_iMacroAxis) {
                m_iLocalError = ZR_CNTR_MACRO_RECORD_ERROR;
                return false;
            }
        }
    }
    const int error = CheckParameters(list.data(), ids, values, count, ParameterValues::Checked);
    if (error != 0) {
        ZR_LOG_ERROR("CCorvaneController::SPA() CheckParameters() failed, error %d", error);
        m_iLocalError = error;
        return false;
    }

    // What only SPA refuses is refused here too, before anything is sent.
    const std::vector<std::string> lines = TextLines(text);
    std::vector<std::string> names(static_cast<size_t>(count));
    size_t nextLine = 0;
    for (int i = 0; i < count; ++i) {
        const CorvaneParameterRule& rule = *FindCorvaneParameter(ids[i]);
        if (rule.set.action == SetAction::ReadOnly) {
            m_iLocalError = ZR_INVALID_SPA_PARAMETER_ID;
            return false;
        }
        if (rule.set.action != SetAction::StageName) continue;
        names[i] = nextLine < lines.size() ? lines[nextLine] : std::string();
        ++nextLine;
        if (!IsAcceptableStageName(names[i])) {
            m_iLocalError = ZR_CNTR_INVALID_STAGE_NAME;
            return false;
        }
    }

    CorvaneParameterActions actions(*this);
    for (int i = 0; i < count; ++i)
        if (!actions.Set(list[i], *FindCorvaneParameter(ids[i]), values[i], names[i])) return false;
    return true;
}

ZR_BOOL CCorvaneController::qSPA(const char* axes, const unsigned int* ids, double* values,
                                 char* text, int size) {
    ZR_LOG_DEBUG("CCorvaneController::qSPA(\"%s\")", axes ? axes : "");
    if (!RefuseInMacroMode()) return false;
    std::vector<int> list;
    if (!CheckController(1) || !ResolveParameterAxes(axes, ids, values, list)) return false;
    const int count = static_cast<int>(list.size());
    const int error = CheckParameters(list.data(), ids, values, count, ParameterValues::Unchecked);
    if (error != 0) {
        m_iLocalError = error;
        return false;
    }
    if (text && size > 0) text[0] = '\0';
    std::string names;
    CorvaneParameterActions actions(*this);
    for (int i = 0; i < count; ++i) {
        const CorvaneParameterRule& rule = *FindCorvaneParameter(ids[i]);
        if (!actions.Get(list[i], rule, &values[i])) return false;
        if (rule.get.kind != SourceKind::StageName) continue;
        const std::string& name = m_AxisData[list[i]].m_strStageName;
        if (name.empty()) continue;
        names += name;
        names += '\n';
        if (!text || size <= 0 || names.size() >= static_cast<size_t>(size)) {
            m_iLocalError = COM_BUFFER_OVERFLOW;
            return false;
        }
        std::memcpy(text, names.c_str(), names.size() + 1);
    }
    return true;
}

ZR_BOOL CCorvaneController::qHPA(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    CZRParameterMap map;
    map.Filter(IsCorvaneParameter);
    std::string text = "The following parameters are valid: \n";
    for (uint32_t id : map.ListIDs()) {
        char head[64];
        std::snprintf(head, sizeof head, "0x%X=\t%d\t%d\t", id, map.Level(id), kHelpLineNumber);
        text += head;
        text += TypeWordOf(map.DataType(id));
        text += "SERVO\t";
        text += map.ShortDescription(id);
        text += " \n";
    }
    text += "end of help\n";
    if (!buffer || size <= 0 || text.size() >= static_cast<size_t>(size)) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}
