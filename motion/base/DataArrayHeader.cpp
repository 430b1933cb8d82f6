#include "motion/base/DataArrayHeader.h"

namespace {
constexpr int kFormatVersion = 1;
constexpr int kFormatType = 1;
constexpr int kSeparator = ' ';
const char kLineEnd[] = " \n";

void AddItem(std::string& text, const std::string& name, const std::string& value) {
    text += "# " + name + " = " + value + kLineEnd;
}
}  // namespace

std::string MakeDataArrayHeader(const std::vector<std::string>& columnNames, int rows) {
    std::string text;
    AddItem(text, "VERSION", std::to_string(kFormatVersion));
    AddItem(text, "TYPE", std::to_string(kFormatType));
    AddItem(text, "SEPARATOR", std::to_string(kSeparator));
    AddItem(text, "DIM", std::to_string(columnNames.size()));
    AddItem(text, "NDATA", std::to_string(rows));
    text += std::string("#") + kLineEnd;
    for (size_t k = 0; k < columnNames.size(); ++k)
        AddItem(text, "NAME" + std::to_string(k), columnNames[k]);
    text += std::string("#") + kLineEnd;
    text += "# END_HEADER\n";
    return text;
}
