#pragma once
// The library's string: a standard string with a write buffer that callers fill in place as a
// zero-terminated character array, and conversions with strict rules (whole-text number parsing,
// trimming of " \n\t\r", formatting without a length limit).
#include <cstddef>
#include <string>

class ZRString : public std::string {
  public:
    ZRString() = default;
    ZRString(const char* text) : std::string(text ? text : "") {}
    ZRString(const std::string& text) : std::string(text) {}
    ZRString(std::string&& text) : std::string(std::move(text)) {}
    ZRString(const char* text, size_t count) : std::string(text ? text : "", text ? count : 0) {}
    ZRString(const ZRString& other) : std::string(other) {}
    ZRString(ZRString&& other) noexcept : std::string(std::move(other)) {}
    ~ZRString();

    // Assigning while a write buffer is handed out is a programming error.
    ZRString& operator=(const ZRString& other);
    ZRString& operator=(ZRString&& other) noexcept;
    ZRString& operator=(const std::string& other);
    ZRString& operator=(const char* text);

    // Formats printf-style into this string, without length limit. Returns *this.
    ZRString& Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    static ZRString Formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // A zero-terminated copy of the text in a buffer of max(n, length) + 1 bytes, owned by this
    // string until ReleaseBuffer takes its text (up to the first zero) as the new value.
    char* GetBuffer(size_t n);
    void ReleaseBuffer();
    bool HasBuffer() const { return m_pWriteBuffer != nullptr; }

    ZRString& TrimLeft();
    ZRString& TrimRight();
    ZRString& Trim();

    // The whole text as a signed number fitting an int; base 0 (the prefix decides) or 2 to 36.
    // out is written only on success.
    bool ToInt(int* out, int base = 10) const;
    // The whole text as a floating-point number, independent of the locale's decimal point.
    bool ToDouble(double* out) const;

    // Upper case with the current locale's mapping.
    ZRString Upper() const;
    ZRString& MakeUpper();

    // Substrings; positions and counts beyond the text are clipped to it.
    ZRString Mid(size_t pos, size_t count = npos) const;
    ZRString Left(size_t n) const;
    ZRString Right(size_t n) const;

    // Index of ch searching backwards from min(start, length - 1); -1 when absent.
    int ReverseFind(char ch, int start) const;
    int ReverseFind(char ch) const;

    // Appends a wide text converted with the process locale's multibyte conversion; an empty or
    // unconvertible text appends nothing.
    ZRString& AppendWide(const wchar_t* text);

  private:
    void CheckNoBuffer();
    char* m_pWriteBuffer = nullptr;
};

ZRString operator+(const ZRString& a, const ZRString& b);
ZRString operator+(const ZRString& a, const char* b);
ZRString operator+(const char* a, const ZRString& b);
ZRString operator+(const ZRString& a, char b);
