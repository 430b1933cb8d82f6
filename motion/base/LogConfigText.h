#pragma once
// Log configuration files are log4cpp property files written for Windows as well. An appender of
// type Win32DebugAppender (debugger output) has no counterpart here and log4cpp rejects the whole
// file for it, so such appenders are turned into ConsoleAppenders writing to standard error.
#include <optional>
#include <string>

// The text with every Win32DebugAppender replaced as above (their "target" lines dropped, a
// "target=stderr" line added); nullopt when the text names no such appender.
std::optional<std::string> RewriteDebuggerAppenders(const std::string& text);
