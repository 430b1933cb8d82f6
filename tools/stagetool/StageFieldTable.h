#pragma once
// The stage parameters stagetool reads and writes, by the key names of the stage description
// files ("max-travel = 25").
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "motion/stages/StageParameterSet.h"

enum class StageFieldKind { Int32, Int64, Double };

struct StageFieldInfo {
    const char* key;
    std::size_t offset;
    StageFieldKind kind;
    const char* meaning;
};

const std::vector<StageFieldInfo>& StageFieldTable();
const StageFieldInfo* FindStageField(const std::string& key);

// The value as text (integers plainly, doubles with up to 15 significant digits).
std::string FieldText(const StageParameterSet& set, const StageFieldInfo& field);
// Stores text into the field; false when text is not a number of the field's kind.
bool SetFieldText(StageParameterSet& set, const StageFieldInfo& field, const std::string& text);
