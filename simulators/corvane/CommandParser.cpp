#include "simulators/corvane/CommandParser.h"

#include <cctype>
#include <climits>

namespace corvane_sim {

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
        if (piece.find_first_not_of(" \t") != std::string::npos) out.push_back(ParseCommand(piece));
        start = comma + 1;
    }
    return out;
}

}  // namespace corvane_sim
