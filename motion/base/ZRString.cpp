#include "motion/base/ZRString.h"

#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

constexpr const char* kBlanks = " \n\t\r";
constexpr size_t kFirstFormatBuffer = 1024;
// A formatter that keeps failing is given up at this size instead of doubling forever.
constexpr size_t kLargestFormatBuffer = size_t{1} << 28;

// Debug builds stop at the fault; release builds drop the handed-out buffer and go on.
void WriteBufferAssertion([[maybe_unused]] int line) {
#ifndef NDEBUG
    std::fprintf(
        stderr, "Assertion failed: m_pWriteBuffer == NULL, file General/ZRString, line %d\n", line);
    std::abort();
#endif
}

std::string VFormat(const char* format, va_list args) {
    if (!format) return {};
    std::vector<char> buffer(kFirstFormatBuffer);
    while (true) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vsnprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        // At least two bytes of the buffer must stay free, as a sign that nothing was cut.
        if (n >= 0 && static_cast<size_t>(n) + 2 <= buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() >= kLargestFormatBuffer) return {};
        buffer.resize(buffer.size() * 2);
    }
}

locale_t CLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}

}  // namespace

ZRString::~ZRString() {
    CheckNoBuffer();
}

void ZRString::CheckNoBuffer() {
    if (!m_pWriteBuffer) return;
    WriteBufferAssertion(__LINE__);
    delete[] m_pWriteBuffer;
    m_pWriteBuffer = nullptr;
}

ZRString& ZRString::operator=(const ZRString& other) {
    CheckNoBuffer();
    std::string::operator=(other);
    return *this;
}

ZRString& ZRString::operator=(ZRString&& other) noexcept {
    CheckNoBuffer();
    std::string::operator=(std::move(other));
    return *this;
}

ZRString& ZRString::operator=(const std::string& other) {
    CheckNoBuffer();
    std::string::operator=(other);
    return *this;
}

ZRString& ZRString::operator=(const char* text) {
    CheckNoBuffer();
    std::string::operator=(text ? text : "");
    return *this;
}

ZRString& ZRString::Format(const char* format, ...) {
    CheckNoBuffer();
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    std::string::operator=(std::move(text));
    return *this;
}

ZRString ZRString::Formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    ZRString text(VFormat(format, args));
    va_end(args);
    return text;
}

char* ZRString::GetBuffer(size_t n) {
    CheckNoBuffer();
    size_t bytes = std::max(n, size()) + 1;
    m_pWriteBuffer = new char[bytes]();
    std::copy(begin(), end(), m_pWriteBuffer);
    return m_pWriteBuffer;
}

void ZRString::ReleaseBuffer() {
    if (!m_pWriteBuffer) return;
    std::string::operator=(m_pWriteBuffer);
    delete[] m_pWriteBuffer;
    m_pWriteBuffer = nullptr;
}

ZRString& ZRString::TrimLeft() {
    erase(0, std::min(find_first_not_of(kBlanks), size()));
    return *this;
}

ZRString& ZRString::TrimRight() {
    size_t last = find_last_not_of(kBlanks);
    erase(last == npos ? 0 : last + 1);
    return *this;
}

ZRString& ZRString::Trim() {
    return TrimRight().TrimLeft();
}

bool ZRString::ToInt(int* out, int base) const {
    if (!out || empty() || (base != 0 && (base < 2 || base > 36))) return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(c_str(), &end, base);
    if (errno == ERANGE || end == c_str() || *end != '\0') return false;
    if (value < INT_MIN || value > INT_MAX) return false;
    *out = static_cast<int>(value);
    return true;
}

bool ZRString::ToDouble(double* out) const {
    if (!out || empty()) return false;
    char* end = nullptr;
    double value = strtod_l(c_str(), &end, CLocale());
    if (end == c_str() || *end != '\0') return false;
    *out = value;
    return true;
}

ZRString ZRString::Upper() const {
    ZRString copy(*this);
    return copy.MakeUpper();
}

ZRString& ZRString::MakeUpper() {
    for (char& c : *this) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

ZRString ZRString::Mid(size_t pos, size_t count) const {
    if (pos >= size()) return {};
    return ZRString(substr(pos, count));
}

ZRString ZRString::Left(size_t n) const {
    return ZRString(substr(0, n));
}

ZRString ZRString::Right(size_t n) const {
    if (n >= size()) return *this;
    return ZRString(substr(size() - n));
}

int ZRString::ReverseFind(char ch, int start) const {
    if (empty() || start < 0) return -1;
    size_t from = std::min(static_cast<size_t>(start), size() - 1);
    size_t at = rfind(ch, from);
    return at == npos ? -1 : static_cast<int>(at);
}

int ZRString::ReverseFind(char ch) const {
    if (empty()) return -1;
    size_t at = rfind(ch);
    return at == npos ? -1 : static_cast<int>(at);
}

ZRString& ZRString::AppendWide(const wchar_t* text) {
    if (!text || !*text) return *this;
    std::mbstate_t state{};
    const wchar_t* src = text;
    size_t bytes = std::wcsrtombs(nullptr, &src, 0, &state);
    if (bytes == static_cast<size_t>(-1)) return *this;
    std::string converted(bytes + 1, '\0');
    state = std::mbstate_t{};
    src = text;
    std::wcsrtombs(converted.data(), &src, converted.size(), &state);
    converted.resize(bytes);
    append(converted);
    return *this;
}

ZRString operator+(const ZRString& a, const ZRString& b) {
    ZRString r(a);
    r.append(b);
    return r;
}

ZRString operator+(const ZRString& a, const char* b) {
    ZRString r(a);
    if (b) r.append(b);
    return r;
}

ZRString operator+(const char* a, const ZRString& b) {
    ZRString r(a);
    r.append(b);
    return r;
}

ZRString operator+(const ZRString& a, char b) {
    ZRString r(a);
    r.push_back(b);
    return r;
}
