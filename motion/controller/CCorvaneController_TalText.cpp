// The command-string forms of the stage, identification and parameter commands: the text
// queries with their buffer rules, and the parameter answers.
#include <cstdio>
#include <string>
#include <vector>

#include "motion/controller/CCorvaneController.h"
#include "motion/controller/TalAccess.h"
#include "motion/stages/CZRParameterMap.h"
#include "motion/stages/CorvaneParameterTable.h"

namespace tal {
namespace {

constexpr int kStageNameIdentifier = 60;
constexpr int kOneParameterText = 100;
constexpr int kNoStageLineLength = 11;  // "A=NOSTAGE \n"
constexpr int kStageLineExtra = 4;      // "A=" and " \n" around the name

// One value of a parameter answer.
struct ParameterItem {
    char identifier;
    unsigned id;
    double value;
    std::string name;  // the stage name for ID 60
};

void AnswerParameters(TalCall& c, const std::vector<ParameterItem>& items) {
    std::vector<std::string> lines;
    for (const ParameterItem& item : items) {
        char line[400];
        if (item.id == kStageNameIdentifier)
            std::snprintf(line, sizeof line, "%c%u=%s", item.identifier, item.id,
                          item.name.c_str());
        else
            std::snprintf(line, sizeof line, "%c%u=%g", item.identifier, item.id, item.value);
        lines.push_back(line);
    }
    TalAccess::Answer(c.controller, JoinLines(lines));
}

// SPA? without items: every supported parameter of every axis with a stage.
ZR_BOOL QueryAllParameters(TalCall& c) {
    CCorvaneController& k = c.controller;
    CZRParameterMap map;
    map.Filter(IsCorvaneParameter);
    const std::vector<uint32_t> ids = map.ListIDs();
    std::vector<ParameterItem> items;
    for (int axis : c.axes) {
        const char axes[2] = {TalAccess::Identifier(k, axis), '\0'};
        for (uint32_t id : ids) {
            double value = 0;
            if (k.CheckParameters(&axis, &id, &value, 1,
                                  CCorvaneController::ParameterValues::Unchecked) != 0)
                continue;
            char text[kOneParameterText] = {};
            if (!k.qSPA(axes, &id, &value, text, kOneParameterText)) return false;
            const std::vector<std::string> names = SplitText(text, " \t\r\n");
            items.push_back({axes[0], id, value, names.empty() ? std::string() : names[0]});
        }
    }
    AnswerParameters(c, items);
    return true;
}

}  // namespace

ZR_BOOL CST(TalCall& c) {
    return c.controller.CST(Axes(c), c.line.text.c_str());
}

ZR_BOOL SAI(TalCall& c) {
    return c.controller.SAI(Axes(c), c.line.text.c_str());
}

ZR_BOOL qCST(TalCall& c) {
    int size = 1;
    for (int axis : c.axes)
        size += TalAccess::HasStage(c.controller, axis)
                    ? static_cast<int>(TalAccess::StageName(c.controller, axis).size()) +
                          kStageLineExtra
                    : kNoStageLineLength;
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    if (!c.controller.qCST(Axes(c), buffer.data(), size)) return false;
    TalAccess::Answer(c.controller, buffer.data());
    return true;
}

// clang-format off
ZR_BOOL qVST(TalCall& c) { return AnswerTextQuery(c, [](auto& k, auto&, char* b, int s) { return k.qVST(b, s); }); }
ZR_BOOL qTVI(TalCall& c) { return AnswerTextQuery(c, [](auto& k, auto&, char* b, int s) { return k.qTVI(b, s); }); }
ZR_BOOL qIDN(TalCall& c) { return AnswerTextQuery(c, [](auto& k, auto&, char* b, int s) { return k.qIDN(b, s); }); }
ZR_BOOL qVER(TalCall& c) { return AnswerTextQuery(c, [](auto& k, auto&, char* b, int s) { return k.qVER(b, s); }); }
ZR_BOOL qHLP(TalCall& c) { return AnswerTextQuery(c, [](auto& k, auto&, char* b, int s) { return k.qHLP(b, s); }); }
ZR_BOOL qHPA(TalCall& c) { return AnswerTextQuery(c, [](auto& k, auto&, char* b, int s) { return k.qHPA(b, s); }); }
ZR_BOOL qBRA(TalCall& c) { return AnswerTextQuery(c, [](auto& k, auto&, char* b, int s) { return k.qBRA(b, s); }); }
// clang-format on

ZR_BOOL qSAI(TalCall& c) {
    const bool all = c.line.text.rfind("ALL", 0) == 0;
    return AnswerTextQuery(
        c, all ? TextQuery([](auto& k, auto&, char* b, int s) { return k.qSAI_ALL(b, s); })
               : TextQuery([](auto& k, auto&, char* b, int s) { return k.qSAI(b, s); }));
}

ZR_BOOL qERR(TalCall& c) {
    int error = 0;
    if (!c.controller.qERR(&error)) return false;
    TalAccess::Answer(c.controller, std::to_string(error) + "\n");
    return true;
}

ZR_BOOL SPA(TalCall& c) {
    const std::vector<unsigned> ids(c.line.listA.begin(), c.line.listA.end());
    std::vector<double> values = c.line.values;
    values.resize(ItemCapacity(c));
    std::vector<unsigned> allIds = ids;
    allIds.resize(ItemCapacity(c));
    return c.controller.SPA(Axes(c), allIds.data(), values.data(), c.line.text.c_str());
}

ZR_BOOL qSPA(TalCall& c) {
    if (c.line.identifiers.empty()) return QueryAllParameters(c);
    std::vector<unsigned> ids(c.line.listA.begin(), c.line.listA.end());
    ids.resize(ItemCapacity(c));
    std::vector<double> values(ItemCapacity(c), 0.0);
    std::vector<char> text(static_cast<size_t>(c.row.buffer.initial), '\0');
    if (!c.controller.qSPA(Axes(c), ids.data(), values.data(), text.data(), c.row.buffer.initial))
        return false;
    // Names come in item order, one per axis that has a stage; the others answer an empty name.
    const std::vector<std::string> names = SplitText(text.data(), " \t\r\n");
    size_t next = 0;
    std::vector<ParameterItem> items;
    for (size_t i = 0; i < c.line.identifiers.size(); ++i) {
        ParameterItem item{c.line.identifiers[i], ids[i], values[i], {}};
        const bool named = i < c.axes.size() && TalAccess::HasStage(c.controller, c.axes[i]);
        if (ids[i] == kStageNameIdentifier && named && next < names.size())
            item.name = names[next++];
        items.push_back(item);
    }
    AnswerParameters(c, items);
    return true;
}

}  // namespace tal
