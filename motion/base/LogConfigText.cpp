#include "motion/base/LogConfigText.h"

#include <set>
#include <sstream>
#include <vector>

namespace {

constexpr const char* kBlanks = " \t\r\n";

std::string Trim(const std::string& s) {
    size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string::npos) return {};
    size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

// Splits a property line the way log4cpp reads it: comment from '#', key before the first '=',
// without the optional "log4j." or "log4cpp." prefix. False for lines without a property.
bool SplitProperty(const std::string& line, std::string& key, std::string& value) {
    std::string command = line.substr(0, line.find('#'));
    size_t eq = command.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(command.substr(0, eq));
    value = Trim(command.substr(eq + 1));
    size_t dot = key.find('.');
    std::string head = key.substr(0, dot);
    if (dot != std::string::npos && (head == "log4j" || head == "log4cpp"))
        key = key.substr(dot + 1);
    return true;
}

// "appender.NAME" -> NAME; empty for other keys.
std::string AppenderOfTypeKey(const std::string& key) {
    const std::string prefix = "appender.";
    if (key.compare(0, prefix.size(), prefix) != 0) return {};
    std::string name = key.substr(prefix.size());
    return name.find('.') == std::string::npos ? name : std::string();
}

bool IsDebuggerAppenderType(const std::string& type) {
    size_t dot = type.rfind('.');
    return (dot == std::string::npos ? type : type.substr(dot + 1)) == "Win32DebugAppender";
}

}  // namespace

std::optional<std::string> RewriteDebuggerAppenders(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);

    std::set<std::string> rewritten;
    for (std::string& line : lines) {
        std::string key, value;
        if (!SplitProperty(line, key, value)) continue;
        std::string name = AppenderOfTypeKey(key);
        if (name.empty() || !IsDebuggerAppenderType(value)) continue;
        rewritten.insert(name);
        line = "appender." + name + "=ConsoleAppender";
    }
    if (rewritten.empty()) return std::nullopt;

    std::string out;
    for (const std::string& line : lines) {
        std::string key, value;
        if (SplitProperty(line, key, value)) {
            size_t dot = key.rfind('.');
            if (dot != std::string::npos && key.substr(dot) == ".target" &&
                rewritten.count(AppenderOfTypeKey(key.substr(0, dot))))
                continue;
        }
        out += line;
        out += '\n';
    }
    for (const std::string& name : rewritten) out += "appender." + name + ".target=stderr\n";
    return out;
}
