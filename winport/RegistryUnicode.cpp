// UTF-8 and UTF-16 for the registry store, with escaped bytes for what is not UTF-8.
#include "winport/RegistryUnicode.h"

#include <optional>

namespace winport::reg {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kByteEscape = 0xDC00;  // + the byte, for bytes 0x80..0xFF

bool IsHighSurrogate(uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += char16_t(0xD800 | (cp >> 10));
        out += char16_t(0xDC00 | (cp & 0x3FF));
    } else {
        out += char16_t(cp);
    }
}

// Decodes one well-formed UTF-8 sequence at s[i] and moves past it; nullopt otherwise.
std::optional<uint32_t> DecodeUtf8(std::string_view s, size_t& i) {
    const auto b0 = uint8_t(s[i]);
    if (b0 < 0x80) return ++i, b0;
    const size_t len = b0 >= 0xF0 && b0 <= 0xF4  ? 4
                       : b0 >= 0xE0 && b0 < 0xF0 ? 3
                       : b0 >= 0xC2 && b0 < 0xE0 ? 2
                                                 : 0;
    if (len == 0 || i + len > s.size()) return std::nullopt;
    uint32_t cp = b0 & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        const auto b = uint8_t(s[i + k]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    i += len;
    return cp;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (auto cp = DecodeUtf8(text, i)) {
            AppendUtf16(out, *cp);
        } else {
            out += char16_t(kByteEscape + uint8_t(text[i]));
            ++i;
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t u = text[i];
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (text[++i] - 0xDC00));
        } else if (u >= kByteEscape + 0x80 && u <= kByteEscape + 0xFF) {
            out += char(u - kByteEscape);
        } else {
            AppendUtf8(out, IsHighSurrogate(u) || IsLowSurrogate(u) ? kReplacement : u);
        }
    }
    return out;
}

bool IsWellFormedUtf16(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            return false;
        }
    }
    return true;
}

bool IsWellFormedUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size())
        if (!DecodeUtf8(text, i)) return false;
    return true;
}

std::u16string UnitsOfLeBytes(const uint8_t* data, size_t size) {
    std::u16string out;
    out.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) out += char16_t(data[i] | data[i + 1] << 8);
    return out;
}

std::u16string UnitsOfLeBytes(std::string_view bytes) {
    return UnitsOfLeBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void AppendLeBytes(std::vector<uint8_t>& out, std::u16string_view units) {
    for (char16_t u : units) {
        out.push_back(uint8_t(u & 0xFF));
        out.push_back(uint8_t(u >> 8));
    }
}

void AppendLeBytes(std::string& out, std::u16string_view units) {
    for (char16_t u : units) {
        out += char(u & 0xFF);
        out += char(u >> 8);
    }
}

}  // namespace winport::reg
