#include "StageDescription.h"

#include <sstream>

#include "StageFieldTable.h"
#include "motion/stages/StageName.h"

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

StageParameterSet NewDescribedStage(const std::string& name) {
    StageParameterSet set;
    set.SetStageName(name);
    set.SetControllerType("ALL");
    set.Set(StageFields::kMotFactor, 1.0);
    set.Set(StageFields::kMotCpuN, 1);
    set.Set(StageFields::kMotInvert, 1);
    return set;
}

bool ParseStageDescription(const std::string& text, std::vector<StageParameterSet>& stages,
                           std::string& error) {
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    StageParameterSet* current = nullptr;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, raw)) {
        ++number;
        const std::string line = Trimmed(raw.substr(0, raw.find('#')));
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']') return fail("a stage name ends with ]");
            const std::string name = Trimmed(line.substr(1, line.size() - 2));
            if (name.empty() || !IsValidStageName(name, kStageNameMaxLengthV200))
                return fail("invalid stage name \"" + name + "\"");
            stages.push_back(NewDescribedStage(name));
            current = &stages.back();
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) return fail("expected key = value");
        if (!current) return fail("a value before the first [stage name]");
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (key == "controller") {
            if (value.empty() || value.size() >= StageFields::kControllerTypeSize)
                return fail("invalid controller type");
            current->SetControllerType(value);
            continue;
        }
        const StageFieldInfo* field = FindStageField(key);
        if (!field) return fail("unknown key \"" + key + "\"");
        if (!SetFieldText(*current, *field, value))
            return fail("\"" + value + "\" is no value for " + key);
    }
    return true;
}
