#pragma once
// Inside the registry store: text conversions between the libraries' 8-bit view (UTF-8) and the
// registry's UTF-16LE. Not for use outside winport/Registry*.cpp and their tests.
//
// Bytes that are not UTF-8 travel as the lone surrogates U+DC80..U+DCFF (one per byte) and come
// back as the same bytes, so any byte string written through the 8-bit view reads back unchanged.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace winport::reg {

[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view text);
// Lone surrogates other than the escaped bytes above become U+FFFD.
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);

// True when the text holds no lone surrogate (escaped bytes included).
[[nodiscard]] bool IsWellFormedUtf16(std::u16string_view text);
[[nodiscard]] bool IsWellFormedUtf8(std::string_view text);

// UTF-16LE bytes and code units; an odd last byte is not part of any unit.
[[nodiscard]] std::u16string UnitsOfLeBytes(const uint8_t* data, size_t size);
[[nodiscard]] std::u16string UnitsOfLeBytes(std::string_view bytes);
void AppendLeBytes(std::vector<uint8_t>& out, std::u16string_view units);
void AppendLeBytes(std::string& out, std::u16string_view units);

}  // namespace winport::reg
