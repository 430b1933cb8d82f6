#pragma once
// The help text that the help query returns: 73 lines, each but the last ending in " \n".
#include <string>

inline constexpr int kCorvaneHelpTextLength = 3225;

// Built on first use and kept for the life of the process.
const std::string& CorvaneHelpText();
