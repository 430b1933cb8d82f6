#include "simulators/corvane/SimConfig.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace corvane_sim {
namespace {

const std::vector<std::string> kR220Probes = {
    "JA?", "SB?", "ZM?", "JB?", "JL?", "JN?", "SJ?", "GP", "WT?", "ZP?", "ZI?",
    // parameter table
    "WW?", "FN?", "FQ?", "FM?", "FA?", "FP?", "FI?", "FL?", "FD?", "FO?", "FT?"};
const std::vector<std::string> kR210Probes = {"JA?", "ZM?", "JB?", "JL?",
                                              "JN?", "SJ?", "ZP?", "ZI?"};

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

long ToLong(const std::string& key, const std::string& value) {
    std::string v = Trim(value);
    size_t used = 0;
    long result = 0;
    try {
        result = std::stol(v, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (v.empty() || used != v.size())
        throw std::invalid_argument(key + ": \"" + value + "\" is not a number");
    return result;
}

bool ToBool(const std::string& key, const std::string& value) {
    std::string v = Lower(Trim(value));
    if (v == "yes" || v == "true" || v == "on" || v == "1") return true;
    if (v == "no" || v == "false" || v == "off" || v == "0") return false;
    throw std::invalid_argument(key + ": \"" + value + "\" is not yes or no");
}

BoardType ToType(const std::string& value) {
    std::string v = Lower(Trim(value));
    v.erase(std::remove(v.begin(), v.end(), '-'), v.end());
    if (v == "r220" || v == "220" || v == "servo") return BoardType::R220;
    if (v == "r210" || v == "210" || v == "stepper") return BoardType::R210;
    throw std::invalid_argument("type: \"" + value + "\" is neither R-220 nor R-210");
}

// "a..b", "a b" or "a,b"
std::pair<long, long> ToRange(const std::string& key, const std::string& value) {
    std::string v = Trim(value);
    size_t dots = v.find("..");
    std::string a, b;
    if (dots != std::string::npos) {
        a = v.substr(0, dots);
        b = v.substr(dots + 2);
    } else {
        size_t sep = v.find_first_of(" \t,", 1);
        if (sep == std::string::npos)
            throw std::invalid_argument(key + ": \"" + value + "\" is no range");
        a = v.substr(0, sep);
        b = v.substr(sep + 1);
    }
    return {ToLong(key, a), ToLong(key, b)};
}

std::vector<std::string> ToProbes(const std::string& value) {
    std::string v = Trim(value);
    std::string lower = Lower(v);
    if (lower == "none" || lower.empty()) return {};
    std::vector<std::string> out;
    std::string item;
    for (char c : v + " ") {
        if (c == ' ' || c == '+' || c == '/' || c == '\t') {
            if (!item.empty()) out.push_back(item);
            item.clear();
        } else {
            item += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

}  // namespace

const char* BoardTypeName(BoardType type) {
    return type == BoardType::R220 ? "R-220" : "R-210";
}

void BoardConfig::ApplyTypeDefaults() {
    bool r220 = type == BoardType::R220;
    if (version.empty()) version = r220 ? "R-220 Version 2.40" : "R-210 Version 1.20";
    if (checksum.empty()) checksum = r220 ? "C:0240-00" : "C:0120-03";
    if (!probesGiven) probes = r220 ? kR220Probes : kR210Probes;
}

bool BoardConfig::Knows(const std::string& query) const {
    return std::find(probes.begin(), probes.end(), query) != probes.end();
}

void SimConfig::LoadFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::invalid_argument("cannot read config file \"" + path + "\"");
    std::stringstream text;
    text << in.rdbuf();
    ParseText(text.str(), path);
}

void SimConfig::ParseText(const std::string& text, const std::string& origin) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    int section = -1;  // -1: global keys
    while (std::getline(in, line)) {
        ++number;
        std::string where = origin + ":" + std::to_string(number) + ": ";
        // a "#" after a blank starts a comment, so texts such as "C:0240-00" need no quotes
        size_t comment = line.find_first_of("#");
        while (comment != std::string::npos && comment > 0 && line[comment - 1] != ' ' &&
               line[comment - 1] != '\t')
            comment = line.find('#', comment + 1);
        std::string t = Trim(line.substr(0, comment));
        if (t.empty() || t[0] == ';') continue;
        try {
            if (t.front() == '[') {
                if (t.back() != ']') throw std::invalid_argument("unclosed section \"" + t + "\"");
                std::istringstream head(Lower(t.substr(1, t.size() - 2)));
                std::string word, address;
                head >> word >> address;
                if (word == "global" && address.empty()) {
                    section = -1;
                } else if (word == "board" && !address.empty()) {
                    long a = ToLong("board", address);
                    if (a < 0 || a > 15) throw std::invalid_argument("board address out of 0..15");
                    section = static_cast<int>(a);
                    m_mentioned[section] = true;
                    boards[section].present = true;
                } else {
                    throw std::invalid_argument("unknown section \"" + t + "\"");
                }
                continue;
            }
            size_t eq = t.find('=');
            if (eq == std::string::npos) throw std::invalid_argument("expected key = value");
            std::string key = Lower(Trim(t.substr(0, eq)));
            std::string value = Trim(t.substr(eq + 1));
            if (section < 0)
                SetGlobalOption(key, value);
            else
                SetBoardOption(section, key, value);
        } catch (const std::invalid_argument& e) {
            throw std::invalid_argument(where + e.what());
        }
    }
}

void SimConfig::SetGlobalOption(const std::string& key, const std::string& value) {
    if (key == "com") {
        com = static_cast<int>(ToLong(key, value));
        if (com < 1 || com > 255) throw std::invalid_argument("com: out of 1..255");
    } else if (key == "baud") {
        baud = static_cast<int>(ToLong(key, value));
        if (baud < 0) throw std::invalid_argument("baud: negative");
    } else if (key == "boards") {
        SetPresentList(value);
    } else if (key == "port-file") {
        portFile = value;
    } else {
        throw std::invalid_argument("unknown key \"" + key + "\"");
    }
}

void SimConfig::SetBoardOption(int address, const std::string& rawKey, const std::string& value) {
    if (address < 0 || address > 15) throw std::invalid_argument("board address out of 0..15");
    std::string key = Lower(rawKey);
    BoardConfig& b = boards[address];
    m_mentioned[address] = true;
    if (key == "present")
        b.present = ToBool(key, value);
    else if (key == "type")
        b.type = ToType(value);
    else if (key == "version")
        b.version = value;
    else if (key == "checksum")
        b.checksum = value;
    else if (key == "probes") {
        b.probes = ToProbes(value);
        b.probesGiven = true;
    } else if (key == "sj-answer") {
        std::string v = Trim(value);
        if (v != "S" && v != "J") throw std::invalid_argument("sj-answer: S or J");
        b.sjAnswer = v[0];
    } else if (key == "single-char")
        b.singleChar = ToBool(key, value);
    else if (key == "travel")
        std::tie(b.travelMin, b.travelMax) = ToRange(key, value);
    else if (key == "neg-limit")
        b.negLimit = ToLong(key, value);
    else if (key == "pos-limit")
        b.posLimit = ToLong(key, value);
    else if (key == "reference")
        b.reference = ToLong(key, value);
    else if (key == "reference-high") {
        std::string v = Lower(Trim(value));
        if (v != "above" && v != "below")
            throw std::invalid_argument("reference-high: above or below");
        b.referenceHighAbove = v == "above";
    } else if (key == "limit-level") {
        std::string v = Lower(Trim(value));
        if (v != "high" && v != "low") throw std::invalid_argument("limit-level: high or low");
        b.limitsActiveLow = v == "low";
    } else if (key == "position")
        b.position = ToLong(key, value);
    else if (key == "error-code") {
        long code = ToLong(key, value);
        if (code < 0 || code > 255) throw std::invalid_argument("error-code: out of 0..255");
        b.errorCode = static_cast<int>(code);
    } else if (key == "max-position-error")
        b.maxPositionError = ToLong(key, value);
    else if (key == "velocity")
        b.velocity = ToLong(key, value);
    else if (key == "acceleration")
        b.acceleration = ToLong(key, value);
    else if (key == "input-nibble") {
        long n = ToLong(key, value);
        if (n < 0 || n > 15) throw std::invalid_argument("input-nibble: out of 0..15");
        b.inputNibble = static_cast<int>(n);
    } else if (key == "servo")
        b.servoOn = ToBool(key, value);
    // digital and analog lines
    else if (key == "ta-answer") {
        std::string v = Trim(value);
        if (v != "A" && v != "T") throw std::invalid_argument("ta-answer: A or T");
        b.taAnswer = v[0];
    } else if (key == "digital-inputs") {
        long bits = ToLong(key, value);
        if (bits < 0 || bits > 15) throw std::invalid_argument("digital-inputs: out of 0..15");
        b.digitalInputs = static_cast<int>(bits);
    } else if (key == "macro-memory") {
        long commands = ToLong(key, value);
        if (commands < 0 || commands > 100000)
            throw std::invalid_argument("macro-memory: out of 0..100000");
        b.macroMemory = static_cast<int>(commands);
    } else
        throw std::invalid_argument("unknown key \"" + rawKey + "\"");
}

void SimConfig::ParseBoardOption(const std::string& option) {
    size_t colon = option.find(':');
    if (colon == std::string::npos)
        throw std::invalid_argument("--board \"" + option + "\": expected address:key=value,...");
    long address = ToLong("--board", option.substr(0, colon));
    if (address < 0 || address > 15) throw std::invalid_argument("--board: address out of 0..15");
    int a = static_cast<int>(address);
    m_mentioned[a] = true;
    boards[a].present = true;
    std::string rest = option.substr(colon + 1);
    // Values such as "C:0240-00" contain no commas; a comma always starts the next pair.
    std::istringstream in(rest);
    std::string pair;
    while (std::getline(in, pair, ',')) {
        if (Trim(pair).empty()) continue;
        size_t eq = pair.find('=');
        if (eq == std::string::npos)
            throw std::invalid_argument("--board \"" + option + "\": \"" + pair + "\" has no '='");
        SetBoardOption(a, Trim(pair.substr(0, eq)), Trim(pair.substr(eq + 1)));
    }
}

void SimConfig::SetPresentList(const std::string& list) {
    std::array<bool, 16> wanted{};
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (Trim(item).empty()) continue;
        long a = ToLong("boards", item);
        if (a < 0 || a > 15) throw std::invalid_argument("boards: address out of 0..15");
        wanted[a] = true;
    }
    for (int i = 0; i < 16; ++i) {
        boards[i].present = wanted[i];
        m_mentioned[i] = true;
    }
}

void SimConfig::Finish() {
    if (std::none_of(m_mentioned.begin(), m_mentioned.end(), [](bool m) { return m; }))
        boards[0].present = true;
    for (int i = 0; i < 16; ++i) {
        BoardConfig& b = boards[i];
        b.ApplyTypeDefaults();
        std::string where = "board " + std::to_string(i) + ": ";
        if (b.travelMin >= b.travelMax) throw std::invalid_argument(where + "travel is empty");
        if (b.velocity < 0) throw std::invalid_argument(where + "negative velocity");
        if (b.acceleration <= 0) throw std::invalid_argument(where + "acceleration must be > 0");
        if (b.maxPositionError < 0)
            throw std::invalid_argument(where + "negative position-error limit");
        if (b.position < b.travelMin || b.position > b.travelMax)
            throw std::invalid_argument(where + "position outside the travel");
    }
}

}  // namespace corvane_sim
