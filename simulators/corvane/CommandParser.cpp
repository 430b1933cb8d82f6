#include "simulators/corvane/CommandParser.h"

#include <cctype>
#include <climits>

namespace corvane_sim {
namespace {
bool IsMacroDefinition(const std::string& piece) {
    const size_t i = piece.find_first_not_of(" \t");
    return i != std::string::npos && i + 1 < piece.size() &&
           std::toupper(static_cast<unsigned char>(piece[i])) == 'M' &&
           std::toupper(static_cast<unsigned char>(piece[i + 1])) == 'D';
}
}  // namespace

Command ParseCommand(const std::string& text) {
    Command c;
    c.text = text;
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    skipBlanks();
    while (i < text.size() && c.name.size() < 2 &&
           std::isalpha(static_cast<unsigned char>(text[i])))
        c.name += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
    if (c.name.size() != 2) return c;
    if (i < text.size() && text[i] == '?') {
        c.query = true;
        ++i;
    }
    skipBlanks();
    if (i < text.size()) {
        bool negative = text[i] == '-';
        if (text[i] == '-' || text[i] == '+') ++i;
        long long value = 0;
        size_t digits = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (value < 100000000000LL) value = value * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0) return c;
        if (negative) value = -value;
        if (value > INT_MAX || value < INT_MIN) return c;  // the board holds 32-bit values
        c.hasArg = true;
        c.arg = static_cast<long>(value);
    }
    skipBlanks();
    c.valid = i == text.size();
    return c;
}

std::vector<Command> ParseCommandLine(const std::string& line) {
    std::vector<Command> out;
    size_t start = 0;
    while (start <= line.size()) {
        size_t comma = line.find(',', start);
        if (comma == std::string::npos) comma = line.size();
        std::string piece = line.substr(start, comma - start);
        if (IsMacroDefinition(piece)) {
            Command c = ParseCommand(piece);
            if (comma < line.size()) c.body = line.substr(comma + 1);
            out.push_back(std::move(c));
            break;
        }
        if (piece.find_first_not_of(" \t") != std::string::npos) out.push_back(ParseCommand(piece));
        start = comma + 1;
    }
    return out;
}

}  // namespace corvane_sim
