#include "motion/stages/StageName.h"

namespace {

constexpr std::string_view kAllowed = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890.@_-+&";

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool IsValidStageName(std::string_view name, std::size_t maxLength) {
    if (name.size() > maxLength) return false;
    for (char c : name)
        if (kAllowed.find(UpperAscii(c)) == std::string_view::npos) return false;
    return true;
}
