#include "motion/controller/CorvaneAnswer.h"

#include <climits>
#include <cstring>

char* TrimCorvaneAnswer(char* text) {
    if (!text) return nullptr;
    std::size_t len = std::strlen(text);
    while (len > 0 && static_cast<unsigned char>(text[len - 1]) <= 0x20) text[--len] = '\0';
    while (*text != '\0' && static_cast<unsigned char>(*text) < 0x21) ++text;
    return text;
}

bool HasCorvaneAnswerForm(const char* text, char first, int colonPosition) {
    if (!text || colonPosition < 0 || text[0] != first) return false;
    for (int i = 1; i <= colonPosition; ++i)
        if (text[i] == '\0') return false;
    return text[colonPosition] == ':';
}

int CorvaneAnswerValue(const char* text) {
    if (!text) return 0;
    const char* colon = std::strchr(text, ':');
    const char* p = colon ? colon + 1 : text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}
