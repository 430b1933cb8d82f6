#include "tools/common/ToolOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#ifndef ZR_TOOLS_VERSION
#define ZR_TOOLS_VERSION "unknown"
#endif

namespace zrtool {
namespace {

constexpr const char* kPackage = "corvane-lumivert";

enum class Request { None, Help, Version };

Request Requested(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Request::Help;
        if (std::strcmp(argv[i], "--version") == 0) return Request::Version;
    }
    return Request::None;
}

}  // namespace

std::optional<int> Tool::Start(int argc, char** argv) const {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    switch (Requested(argc, argv)) {
        case Request::Help:
            std::fputs(Usage().c_str(), stdout);
            return kExitOk;
        case Request::Version:
            std::printf("%s (%s) %s\n", m_d.name, kPackage, ZR_TOOLS_VERSION);
            return kExitOk;
        case Request::None:
            break;
    }
    return std::nullopt;
}

std::string Tool::Usage() const {
    std::ostringstream out;
    std::istringstream forms(m_d.synopsis);
    std::string form;
    bool first = true;
    while (std::getline(forms, form)) {
        out << (first ? "Usage: " : "       ") << m_d.name << (form.empty() ? "" : " ") << form
            << "\n";
        first = false;
    }
    out << m_d.summary << "\n";
    if (m_d.details && *m_d.details) out << "\n" << m_d.details;
    out << "\n  -h, --help          print this text and exit\n"
           "      --version       print the version and exit\n";
    return out.str();
}

int Tool::UsageError(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", m_d.name,
                 message.c_str(), m_d.name);
    return kExitUsage;
}

int Tool::Failure(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\n", m_d.name, message.c_str());
    return kExitFailure;
}

void Tool::Warning(const std::string& message) const {
    std::fprintf(stderr, "%s: warning: %s\n", m_d.name, message.c_str());
}

ArgList::ArgList(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) m_args.emplace_back(argv[i]);
}

bool ArgList::AtOption() const {
    if (Done() || m_optionsEnded) return false;
    const std::string& a = m_args[m_next];
    return a.size() > 1 && a[0] == '-';
}

bool ArgList::Take(const char* shortName, const char* longName) {
    if (!AtOption()) return false;
    const std::string& a = m_args[m_next];
    const size_t eq = a.find('=');
    const bool isLong = a.compare(0, 2, "--") == 0;
    const std::string name = isLong ? a.substr(0, eq) : a;
    if (!((shortName && name == shortName) || (longName && name == longName))) return false;
    m_option = name;
    m_inlineValue.reset();
    if (isLong && eq != std::string::npos) m_inlineValue = a.substr(eq + 1);
    ++m_next;
    return true;
}

std::optional<std::string> ArgList::Value() {
    if (m_inlineValue) return std::exchange(m_inlineValue, std::nullopt);
    if (Done()) return std::nullopt;
    return m_args[m_next++];
}

std::string ArgList::Next() {
    if (!m_optionsEnded && !Done() && m_args[m_next] == "--") {
        m_optionsEnded = true;
        ++m_next;
    }
    return Done() ? std::string() : m_args[m_next++];
}

std::optional<long> ParseNumber(const std::string& text, long min, long max) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value < min || value > max) return std::nullopt;
    return value;
}

}  // namespace zrtool
