// TAL command lines as the command-string interface reads them: any line is either invalid, or
// gives a command word and argument lists within their bounds, the same on every reading.
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "motion/controller/TalParser.h"

namespace {
bool HasLowerCase(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

void CheckBounds(const TalLine& line) {
    const size_t items = static_cast<size_t>(kTalMaxItems);
    if (line.word.size() > static_cast<size_t>(kTalMaxWord)) fuzz::Fail("command word too long");
    if (HasLowerCase(line.word)) fuzz::Fail("command word not upper-cased");
    if (line.identifiers.size() > items) fuzz::Fail("more identifiers than items allowed");
    if (HasLowerCase(line.identifiers)) fuzz::Fail("identifier not upper-cased");
    if (line.text.size() >= static_cast<size_t>(kTalMaxText)) fuzz::Fail("text beyond its area");
    if (line.values.size() > items || line.flags.size() > items || line.listA.size() > items ||
        line.listB.size() > items)
        fuzz::Fail("a list beyond its bound");
    if (line.count < 0 || line.count > kTalMaxItems + 1) fuzz::Fail("group count out of range");
    if (!std::all_of(line.values.begin(), line.values.end(),
                     [](double v) { return std::isfinite(v); }))
        fuzz::Fail("a value that is no finite number");
}

bool Same(const TalLine& a, const TalLine& b) {
    return a.word == b.word && a.identifiers == b.identifiers && a.values == b.values &&
           a.flags == b.flags && a.listA == b.listA && a.listB == b.listB && a.text == b.text &&
           a.count == b.count && a.hasArguments == b.hasArguments;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TalLine first;
    const TalParse result = ParseTalLine(text, first);
    if (first.identifiers.size() > static_cast<size_t>(kTalMaxItems) + 1)
        fuzz::Fail("identifiers read far beyond the bound");
    if (result == TalParse::Invalid) return 0;
    CheckBounds(first);
    TalLine second;
    if (ParseTalLine(text, second) != TalParse::Valid || !Same(first, second))
        fuzz::Fail("the same line read twice gives different results");
    return 0;
}
