// The table of native macro commands and their TAL lines.
#include "motion/controller/MacroTranslation.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The parts a TAL line is made of, in the order they are joined.
enum class Part { None, Id, N, J, CH };

struct TranslationRow {
    const char* native;
    const char* head;
    Part part;
    const char* tail;
};

// clang-format off
const TranslationRow kTranslationTable[] = {
    {"MR", "MVR ",            Part::Id, ""},     // followed by x, below
    {"SV", "VEL ",            Part::Id, ""},
    {"WS", "WAC ONT? ",       Part::Id, " = 1"},
    {"WA", "DEL ",            Part::N,  ""},
    {"WN", "WAC DIO? ",       Part::CH, " = 1"},
    {"WF", "WAC DIO? ",       Part::CH, " = 0"},
    {"XN", "MEX DIO? ",       Part::CH, " = 0"},
    {"XF", "MEX DIO? ",       Part::CH, " = 1"},
    {"YN", "MEX JBS? ",       Part::J,  " 1 = 0"},
    {"YF", "MEX JBS? ",       Part::J,  " 1 = 1"},
    {"JN", "JON ",            Part::J,  " 1"},
    {"JF", "JON ",            Part::J,  " 0"},
    {"EM", "MAC START ",      Part::Id, "MC"},   // followed by N in three digits
    {"BF", "BRA ",            Part::Id, "0"},
    {"BN", "BRA ",            Part::Id, "1"},
    {"AB", "STP",             Part::None, ""},
    {"ST", "HLT ",            Part::Id, ""},
    {"MN", "SVO ",            Part::Id, "1"},
    {"MF", "SVO ",            Part::Id, "0"},
    {"DH", "DFH ",            Part::Id, ""},
    {"GH", "GOH ",            Part::Id, ""},
    {"CN", "DIO ",            Part::CH, "1"},
    {"CF", "DIO ",            Part::CH, "0"},
    {"DP", "SPA ",            Part::Id, "1 "},   // followed by N
    {"DI", "SPA ",            Part::Id, "2 "},
    {"DD", "SPA ",            Part::Id, "3 "},
    {"DL", "SPA ",            Part::Id, "4 "},
    {"SM", "SPA ",            Part::Id, "8 "},   // followed by x
    {"SA", "SPA ",            Part::Id, "11 "},
    {"LF", "SPA ",            Part::Id, "50 1"},
    {"LN", "SPA ",            Part::Id, "50 0"},
    {"LL", "SPA ",            Part::Id, "24 3"},
    {"LH", "SPA ",            Part::Id, "24 0"},
    {"DC", "SPA ",            Part::Id, "65 "},
    {"HC", "SPA ",            Part::Id, "64 "},
    {"HT", "SPA ",            Part::Id, "66 "},
};
// clang-format on

// What follows a row's tail: a real, a decimal number, or the macro number in three digits.
enum class Value { None, X, N, N3 };

Value ValueAfter(const char* native) {
    static const char* const kReal[] = {"MR", "SV", "SM", "SA"};
    static const char* const kNumber[] = {"DP", "DI", "DD", "DL", "DC", "HC", "HT"};
    for (const char* r : kReal)
        if (std::strcmp(r, native) == 0) return Value::X;
    for (const char* r : kNumber)
        if (std::strcmp(r, native) == 0) return Value::N;
    return std::strcmp(native, "EM") == 0 ? Value::N3 : Value::None;
}

// The decimal integer that starts at the command's first digit or "-"; 0 when there is none.
int CommandNumber(const std::string& command) {
    for (size_t i = 0; i < command.size(); ++i) {
        if (IsDigit(command[i]) || command[i] == '-') {
            const long long v = std::strtoll(command.c_str() + i, nullptr, 10);
            if (v > 0x7fffffffLL || v < -0x7fffffffLL - 1) return 0;
            return static_cast<int>(v);
        }
    }
    return 0;
}

std::string Real(double x) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", x);
    return text;
}

std::string Formatted(Value value, int n, const MacroAxisView& axis) {
    char text[32];
    switch (value) {
        case Value::X: {
            double x = n;
            if (axis.initialised && axis.countsPerUnit != 0 && axis.factor != 0)
                x = n / axis.countsPerUnit / axis.factor;
            return Real(x);
        }
        case Value::N:
            return std::to_string(n);
        case Value::N3:
            std::snprintf(text, sizeof text, "%03d", n);
            return text;
        case Value::None:
            break;
    }
    return std::string();
}

std::string PartText(Part part, int n, const MacroAxisView& axis) {
    switch (part) {
        case Part::Id:
            return axis.identifier ? std::string(1, axis.identifier) : std::string();
        case Part::N:
            return std::to_string(n);
        case Part::J:
            return std::to_string(axis.joystickID);
        case Part::CH:
            return n >= 1 && n <= 4 ? axis.channelOfLine[n] : std::string();
        default:
            return std::string();
    }
}

}  // namespace

std::string NormaliseMacroText(const std::string& text) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '+') {
            ++i;
        } else if (IsDigit(c)) {
            size_t end = i;
            while (end < text.size() && IsDigit(text[end])) ++end;
            size_t first = i;
            while (first < end && text[first] == '0') ++first;
            out.append(text, first, end - first);
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string TranslateNativeCommand(const std::string& command, const MacroAxisView& axis) {
    if (command.size() >= 2) {
        const std::string native = command.substr(0, 2);
        for (const TranslationRow& row : kTranslationTable) {
            if (native != row.native) continue;
            const int n = CommandNumber(command);
            return row.head + PartText(row.part, n, axis) + row.tail +
                   Formatted(ValueAfter(row.native), n, axis);
        }
    }
    return "<non TAL: \"" + command + "\">";
}

std::string TranslateNativeMacro(const std::string& text, const std::string& refPattern,
                                 const MacroAxisView& axis) {
    std::string out;
    size_t pos = 0;
    bool first = true;
    for (;;) {
        if (!first) out += " \n";
        first = false;
        const std::string rest = text.substr(pos);
        // the pattern counts only as whole commands: "SV100" must not match "SV1000"
        const size_t n = refPattern.size();
        if (n > 0 && rest.compare(0, n, refPattern) == 0 && (rest.size() == n || rest[n] == ',')) {
            out += "REF " + std::string(1, axis.identifier);
            if (rest.size() == n) break;
            pos += n + 1;
            continue;
        }
        const size_t comma = text.find(',', pos);
        out += TranslateNativeCommand(text.substr(pos, comma - pos), axis);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    out += "\n";
    return out;
}
