#pragma once
// One TAL command line read into its command word and typed argument lists. A pure function of
// the line: no controller, no I/O. The line handler resolves the identifiers and dispatches.
#include <string>
#include <string_view>
#include <vector>

// Items (identifiers with their values) and token groups a line may carry; one more makes the
// line invalid.
inline constexpr int kTalMaxItems = 32768;
// The text arguments of a line, together, stay below this many bytes (room for a terminator).
inline constexpr int kTalMaxText = 32768;
inline constexpr int kTalMaxWord = 49;        // characters of the command word
inline constexpr int kTalMaxValueWord = 254;  // characters of one value word

struct TalLine {
    std::string word;            // upper-cased
    std::string identifiers;     // one upper-cased character per item
    std::vector<double> values;  // per item, or the numbers of JLT
    std::vector<int> flags;      // per item (SVO, RON, BRA, DIO, SSL) or per pair (JON, TRO)
    std::vector<int> listA;      // first integer of each group, or per item (SPA, SPA?, ...)
    std::vector<int> listB;      // second integer of each group
    std::string text;            // concatenated text arguments
    int count = 0;               // groups of the token-group commands
    bool hasArguments = false;   // anything followed the command word
};

enum class TalParse { Valid, Invalid };

// Reads line into out (cleared first). On Invalid, out.identifiers holds the identifiers read
// before the fault, so the caller can tell an unknown axis from a syntax error.
[[nodiscard]] TalParse ParseTalLine(std::string_view line, TalLine& out);

// The integer forms of the parser, exposed for the dispatcher's own checks: decimal, or with the
// prefixes of C (0x hexadecimal, leading 0 octal); the whole text, within the range of int.
[[nodiscard]] bool ParseTalInteger(std::string_view text, int base, int* value);
