#include "motion/controller/TalParser.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace {

using Words = std::initializer_list<std::string_view>;

bool OneOf(std::string_view word, Words list) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void ToUpper(std::string& s) {
    for (char& c : s) c = Upper(c);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

const Words kNoArguments = {"*IDN?", "ERR?", "TVI?", "VST?", "HLP?", "HPA?", "VER?", "BRA?"};
const Words kNoIdentifier = {"SAI?", "DEL", "WAC", "MEX", "MAC", "MAC?"};
const Words kValueCommands = {"MOV",  "MVR",  "POS", "VEL", "DFF", "PLM",  "NLM",  "SSL",
                              "SVO",  "RON",  "BRA", "DIO", "CST", "SAI",  "SAI?", "SPA",
                              "SPA?", "SRG?", "FED", "DEL", "MAC", "MAC?", "WAC",  "MEX"};
const Words kFreeText = {"CST", "SAI", "SAI?", "SPA", "SPA?", "MAC", "MAC?", "WAC", "MEX"};
const Words kFlagCommands = {"SSL", "BRA", "DIO", "RON", "SVO"};
const Words kIntegerCommands = {"SPA?", "SRG?", "FED", "DEL"};

bool NumericCharacters(std::string_view word) {
    if (word.empty()) return false;
    return std::all_of(word.begin(), word.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e';
    });
}

bool ParseDouble(std::string_view text, double* value) {
    const std::string s(text);
    if (s.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        const size_t start = pos;
        while (pos < text.size() && !IsBlank(text[pos])) ++pos;
        if (pos > start) tokens.push_back(text.substr(start, pos - start));
    }
    return tokens;
}

// A reading position in the line.
class Cursor {
  public:
    explicit Cursor(std::string_view line) : m_line(line) {}
    bool AtEnd() const { return m_pos >= m_line.size(); }
    bool AtLineEnd() const { return AtEnd() || m_line[m_pos] == '\n'; }
    char Take() { return m_line[m_pos++]; }
    void Skip(char c) {
        while (!AtEnd() && m_line[m_pos] == c) ++m_pos;
    }
    // Characters up to the next space, LF or the end.
    std::string_view Word() {
        const size_t start = m_pos;
        while (!AtEnd() && m_line[m_pos] != ' ' && m_line[m_pos] != '\n') ++m_pos;
        return m_line.substr(start, m_pos - start);
    }
    bool FollowedBySeparator() const { return !AtEnd(); }
    std::string_view Rest() const { return m_line.substr(std::min(m_pos, m_line.size())); }

  private:
    std::string_view m_line;
    size_t m_pos = 0;
};

// ---- token groups ---------------------------------------------------------------------------

bool TokenIntegers(const std::vector<std::string_view>& tokens, size_t from, size_t step,
                   std::vector<int>& out) {
    for (size_t k = from; k < tokens.size(); k += step) {
        int v = 0;
        if (!ParseTalInteger(tokens[k], 10, &v)) return false;
        out.push_back(v);
    }
    return true;
}

bool GroupsFit(size_t tokens, size_t groupSize) {
    return tokens % groupSize == 0 && tokens / groupSize <= static_cast<size_t>(kTalMaxItems);
}

bool ParseSwitchPairs(const std::vector<std::string_view>& t, TalLine& out) {
    if (!GroupsFit(t.size(), 2) || !TokenIntegers(t, 0, 2, out.listA)) return false;
    for (size_t k = 1; k < t.size(); k += 2) {
        if (t[k] != "0" && t[k] != "1") return false;
        out.flags.push_back(t[k] == "1" ? 1 : 0);
    }
    out.count = static_cast<int>(t.size() / 2);
    return true;
}

bool ParseIdList(const std::vector<std::string_view>& t, TalLine& out) {
    if (!GroupsFit(t.size(), 1) || !TokenIntegers(t, 0, 1, out.listA)) return false;
    out.count = static_cast<int>(t.size());
    return true;
}

bool ParsePairs(const std::vector<std::string_view>& t, TalLine& out) {
    if (!GroupsFit(t.size(), 2) || !TokenIntegers(t, 0, 2, out.listA) ||
        !TokenIntegers(t, 1, 2, out.listB))
        return false;
    out.count = static_cast<int>(t.size() / 2);
    return true;
}

bool ParseTableTypes(const std::vector<std::string_view>& t, TalLine& out) {
    std::vector<int> middle;
    if (!GroupsFit(t.size(), 3) || !TokenIntegers(t, 0, 3, out.listA) ||
        !TokenIntegers(t, 1, 3, middle) || !TokenIntegers(t, 2, 3, out.listB))
        return false;
    if (std::any_of(middle.begin(), middle.end(), [](int v) { return v != 1; })) return false;
    out.count = static_cast<int>(t.size() / 3);
    return true;
}

bool ParseTableValues(const std::vector<std::string_view>& t, TalLine& out) {
    if (t.size() < 4 || t.size() - 3 > static_cast<size_t>(kTalMaxItems)) return false;
    for (size_t k = 0; k < 3; ++k) {
        int v = 0;
        if (!ParseTalInteger(t[k], 10, &v)) return false;
        out.listA.push_back(v);
    }
    for (size_t k = 3; k < t.size(); ++k) {
        double v = 0;
        if (!ParseDouble(t[k], &v)) return false;
        out.values.push_back(v);
    }
    out.count = static_cast<int>(out.values.size());
    return true;
}

bool ParseTableQuery(const std::vector<std::string_view>& t, TalLine& out) {
    if (t.size() == 1) {
        out.listA.resize(1);
        out.count = 1;
        return ParseTalInteger(t[0], 10, &out.listA[0]);
    }
    if (!ParsePairs(t, out)) return false;
    out.count = t.empty() ? 0 : out.count + 1;
    return true;
}

bool ParseTriggerSettings(const std::vector<std::string_view>& t, TalLine& out) {
    if (!GroupsFit(t.size(), 3) || !TokenIntegers(t, 0, 3, out.listA) ||
        !TokenIntegers(t, 1, 3, out.listB))
        return false;
    for (size_t k = 2; k < t.size(); k += 3) {
        out.text.append(t[k]);
        out.text += '\n';
        if (out.text.size() >= static_cast<size_t>(kTalMaxText)) return false;
    }
    out.count = static_cast<int>(t.size() / 3);
    return true;
}

bool ParseAnalogChannel(std::string_view args, TalLine& out) {
    while (!args.empty() && IsBlank(args.front())) args.remove_prefix(1);
    while (!args.empty() && IsBlank(args.back())) args.remove_suffix(1);
    if (args.size() < 2 || Upper(args[0]) != 'A') return false;
    out.listA.resize(1);
    out.count = 1;
    return ParseTalInteger(args.substr(1), 10, &out.listA[0]);
}

using GroupReader = bool (*)(const std::vector<std::string_view>&, TalLine&);
struct TokenGroupRow {
    std::string_view word;
    GroupReader read;
};
constexpr TokenGroupRow kTokenGroups[] = {
    {"JON", ParseSwitchPairs}, {"TRO", ParseSwitchPairs}, {"JON?", ParseIdList},
    {"TRO?", ParseIdList},     {"JBS?", ParsePairs},      {"JAS?", ParsePairs},
    {"JAX?", ParsePairs},      {"CTO?", ParsePairs},      {"JDT", ParseTableTypes},
    {"JLT", ParseTableValues}, {"JLT?", ParseTableQuery}, {"CTO", ParseTriggerSettings},
};

// ---- item loop --------------------------------------------------------------------------------

// A value word: at most kTalMaxValueWord characters, upper-cased, numeric unless free text.
bool ReadValueWord(Cursor& c, bool numeric, std::string& word) {
    c.Skip(' ');
    word = std::string(c.Word());
    if (word.size() > static_cast<size_t>(kTalMaxValueWord)) return false;
    if (numeric && !NumericCharacters(word)) return false;
    ToUpper(word);
    return true;
}

bool AppendText(TalLine& out, const std::string& piece, std::string_view separator) {
    out.text += piece;
    out.text.append(separator);
    return out.text.size() < static_cast<size_t>(kTalMaxText);
}

// Stores one item's words. i is the item's index; the per-item lists are already sized.
bool StoreItem(TalLine& out, size_t i, const std::string& value, const std::string& second,
               bool separated) {
    const std::string& w = out.word;
    if (OneOf(w, {"CST", "SAI", "SAI?", "MAC", "MAC?"}))
        return AppendText(out, value, value.size() >= 2 && separated ? " \n" : "");
    if (OneOf(w, {"WAC", "MEX"})) return AppendText(out, value, separated ? " \n" : "");
    if (w == "SPA") {
        if (!ParseTalInteger(value, 0, &out.listA[i])) return false;
        if (out.listA[i] == 60) return AppendText(out, second, "\n");
        return ParseDouble(second, &out.values[i]);
    }
    if (OneOf(w, kIntegerCommands)) return ParseTalInteger(value, 0, &out.listA[i]);
    if (OneOf(w, kFlagCommands)) return ParseTalInteger(value, 10, &out.flags[i]);
    return ParseDouble(value, &out.values[i]);
}

bool ReadItem(Cursor& c, TalLine& out, size_t i) {
    const std::string& w = out.word;
    if (!OneOf(w, kNoIdentifier)) {
        c.Skip(' ');
        c.Skip('\n');
        if (c.AtEnd()) return false;
        out.identifiers += Upper(c.Take());
    } else if (i > 0 && (w == "SAI?" || w == "DEL")) {
        return false;
    }
    if (i + 1 > static_cast<size_t>(kTalMaxItems)) return false;
    for (auto* list : {&out.flags, &out.listA}) list->resize(i + 1);
    out.values.resize(i + 1);
    if (!OneOf(w, kValueCommands)) return true;
    std::string value;
    std::string second;
    if (!ReadValueWord(c, !OneOf(w, kFreeText), value)) return false;
    const bool separated = c.FollowedBySeparator();
    if (w == "SPA" || w == "FED") {
        int id = 0;
        const bool numericSecond = w == "SPA" && ParseTalInteger(value, 0, &id) && id != 60;
        if (!ReadValueWord(c, numericSecond, second)) return false;
    }
    return StoreItem(out, i, value, second, separated);
}

TalParse ReadItems(Cursor& c, TalLine& out) {
    for (size_t i = 0;; ++i) {
        if (!ReadItem(c, out, i)) {
            // a pending identifier without its item still counts as read
            return TalParse::Invalid;
        }
        c.Skip(' ');
        if (c.AtLineEnd()) return TalParse::Valid;
    }
}

}  // namespace

bool ParseTalInteger(std::string_view text, int base, int* value) {
    const std::string s(text);
    if (s.empty() || IsBlank(s[0])) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, base);
    if (errno != 0 || end != s.c_str() + s.size() || v < INT_MIN || v > INT_MAX) return false;
    *value = static_cast<int>(v);
    return true;
}

TalParse ParseTalLine(std::string_view line, TalLine& out) {
    out = TalLine{};
    Cursor c(line);
    c.Skip(' ');
    std::string_view word = c.Word();
    if (word.size() > static_cast<size_t>(kTalMaxWord)) return TalParse::Invalid;
    out.word = std::string(word);
    ToUpper(out.word);
    c.Skip('\n');
    c.Skip(' ');
    if (c.AtLineEnd()) return TalParse::Valid;
    out.hasArguments = true;
    if (OneOf(out.word, kNoArguments)) return TalParse::Invalid;
    if (out.word == "TAV?")
        return ParseAnalogChannel(c.Rest(), out) ? TalParse::Valid : TalParse::Invalid;
    for (const TokenGroupRow& row : kTokenGroups)
        if (row.word == out.word)
            return row.read(Tokens(c.Rest()), out) ? TalParse::Valid : TalParse::Invalid;
    return ReadItems(c, out);
}
