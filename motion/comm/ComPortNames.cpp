#include "motion/comm/ComPortNames.h"

#include <boost/regex.hpp>
#include <climits>
#include <cstdlib>

std::string PortNameFromText(const std::string& text) {
    static const boost::regex pattern("(COM[0-9]*)");
    boost::smatch match;
    if (!boost::regex_search(text, match, pattern)) return {};
    return match[1].str();
}

int PortNumberFromText(const std::string& text) {
    static const boost::regex pattern("COM([0-9]*)");
    boost::smatch match;
    if (!boost::regex_search(text, match, pattern)) return -1;
    std::string digits = match[1].str();
    if (digits.empty() || digits.size() > 9) return -1;
    return std::atoi(digits.c_str());
}
