// Splits a received line into the board's two-letter commands.
#pragma once

#include <string>
#include <vector>

namespace corvane_sim {

struct Command {
    std::string name;    // two upper-case letters
    bool query = false;  // "JA?"
    bool hasArg = false;
    long arg = 0;
    bool valid = false;  // false: not a command the board can parse; ignored
    std::string text;    // as received
    std::string body;    // "MD<n>": the rest of its line after the comma, the macro's commands
};

// "SV1,ST,SV0" -> three commands, in order. "MD<n>" takes the rest of its line as its body:
// "MD5,MR1000" is one command that defines macro 5.
std::vector<Command> ParseCommandLine(const std::string& line);
Command ParseCommand(const std::string& text);

}  // namespace corvane_sim
