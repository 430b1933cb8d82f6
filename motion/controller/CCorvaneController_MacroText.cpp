// The text form of the macro commands, as the command-string interface hands it over.
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

namespace {
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t pos = 0;
    while ((pos = text.find_first_not_of(' ', pos)) != std::string::npos) {
        const size_t end = text.find(' ', pos);
        words.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

// The count of NSTART: exactly the decimal form of its value ("3", not "03", "+3" or "3x").
bool ParseCount(const std::string& word, int* count) {
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || value < -2147483647L - 1 || value > 2147483647L) return false;
    if (std::to_string(value) != word) return false;
    *count = static_cast<int>(value);
    return true;
}
}  // namespace

ZR_BOOL CCorvaneController::MAC(const char* text) {
    ZR_LOG_DEBUG("CCorvaneController::MAC(\"%s\")", text ? text : "");
    auto invalid = [this] {
        m_iLocalError = ZR_CNTR_INVALID_MAC_PARAMETER;
        return false;
    };
    if (!text || text[0] == '\0') return invalid();
    std::string line = text;
    while (!line.empty() && static_cast<unsigned char>(line.back()) < '!') line.pop_back();
    const size_t space = line.find(' ');
    const std::string keyword = line.substr(0, space);
    std::string argument;
    if (space != std::string::npos) {
        argument = line.substr(line.find_first_not_of(' ', space));
        for (char& c : argument)
            if (static_cast<unsigned char>(c) < ' ') c = ' ';
    }
    const std::vector<std::string> words = Words(argument);
    if (keyword == "END") {
        if (!words.empty()) return invalid();
        (void)MAC_END();
    } else if (keyword == "BEG" || keyword == "START" || keyword == "DEL") {
        if (words.size() != 1) return invalid();
        const char* name = words[0].c_str();
        (void)(keyword == "BEG"     ? MAC_BEG(name)
               : keyword == "START" ? MAC_START(name)
                                    : MAC_DEL(name));
    } else if (keyword == "NSTART") {
        int count = 0;
        if (words.size() != 2 || !ParseCount(words[1], &count)) return invalid();
        (void)MAC_NSTART(words[0].c_str(), count);
    } else {
        return invalid();
    }
    return m_iControllerError == 0;
}
