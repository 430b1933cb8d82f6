#pragma once
// A table of values of every type and every awkward form, with their data spelled out as the
// registry holds them, for the round-trip tests and the fixture files in regedit's form.
#include <cstdint>
#include <string>
#include <vector>

#include "winport/Registry.h"

namespace value_table {

using winport::RegType;
using winport::RegValue;

// The registry's bytes of a UTF-16 text, with `terminators` NUL units appended.
inline std::vector<uint8_t> Utf16Bytes(std::u16string_view text, int terminators = 1) {
    std::vector<uint8_t> out;
    for (char16_t u : text) {
        out.push_back(uint8_t(u & 0xFF));
        out.push_back(uint8_t(u >> 8));
    }
    for (int i = 0; i < terminators; ++i) out.insert(out.end(), {0, 0});
    return out;
}

inline RegValue Typed(RegType type, std::vector<uint8_t> data) {
    return {type, std::move(data)};
}

struct Entry {
    std::string key;   // below kRoot ("" for kRoot itself), UTF-8
    std::string name;  // UTF-8; "" is the default value
    RegValue value;
};

inline constexpr char kRoot[] = "Software\\Winport Table";

inline std::vector<uint8_t> Binary100() {
    std::vector<uint8_t> out(100);
    for (size_t i = 0; i < out.size(); ++i) out[i] = uint8_t(i * 37 + 11);
    return out;
}

inline std::vector<Entry> Entries() {
    using T = RegType;
    const std::string sub =
        "Gr\xc3\xb6\xc3\x9f"
        "e\\\xc3\x9cnter";  // Größe\Ünter
    return {
        {"", "", Typed(T::String, Utf16Bytes(u"default"))},
        {"", "Empty", Typed(T::String, Utf16Bytes(u""))},
        {"", "Zero length", Typed(T::String, {})},
        {"", "Embedded NUL", Typed(T::String, Utf16Bytes(std::u16string(u"x\0y", 3)))},
        {"", "Odd length", Typed(T::String, {0x61, 0x00, 0x62})},
        {"", "No terminator", Typed(T::String, Utf16Bytes(u"ab", 0))},
        {"", "Two terminators", Typed(T::String, Utf16Bytes(u"a", 2))},
        {"", "Line break", Typed(T::String, Utf16Bytes(u"a\r\nb"))},
        {"", "Non-BMP", Typed(T::String, Utf16Bytes(u"\U0001F600 Gr\u00f6\u00dfe"))},
        {"", "Quote \"q\" and back\\slash", Typed(T::String, Utf16Bytes(u"C:\\dir\\\"x\"\\"))},
        {"", "Expand", Typed(T::ExpandString, Utf16Bytes(u"%USERPROFILE%\\Gr\u00f6\u00dfe"))},
        {"", "Expand odd", Typed(T::ExpandString, {0x25, 0x00, 0x41})},
        {"", "Multi",
         Typed(T::MultiString,
               [] {
                   auto d = Utf16Bytes(u"a");
                   for (auto s : {u"Gr\u00f6\u00dfe", u"\U0001F600"}) {
                       auto item = Utf16Bytes(s);
                       d.insert(d.end(), item.begin(), item.end());
                   }
                   d.insert(d.end(), {0, 0});
                   return d;
               }())},
        {"", "Multi empty", Typed(T::MultiString, {0, 0})},
        {"", "Dword", RegValue::FromDword(8)},
        {"", "Dword max", RegValue::FromDword(0xFFFFFFFF)},
        {"", "Short dword", Typed(T::Dword, {1, 2, 3})},
        {"", "Binary 100", Typed(T::Binary, Binary100())},
        {"", "Binary empty", Typed(T::Binary, {})},
        {"", "Qword", Typed(T::Qword, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01})},
        {"", "Type 99", Typed(RegType(0x99), {1, 2, 3})},
        {"", "None", Typed(T::None, {})},
        {"",
         "Gr\xc3\xb6\xc3\x9f"
         "e \xc2\xb0"
         "C",
         RegValue::FromDword(20)},  // Größe °C
        {sub,
         "Temperatur \xc2\xb0"
         "C",
         RegValue::FromDword(0xFFFFFFEC)},
        {sub, "\xe2\x82\xac", Typed(T::String, Utf16Bytes(u"\u20ac 5"))},  // € = "€ 5"
    };
}

}  // namespace value_table
