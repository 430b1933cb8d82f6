// Values as the registry holds them, and their 8-bit view.
#include "winport/Registry.h"
#include "winport/RegistryUnicode.h"

namespace winport {
namespace {

std::vector<uint8_t> TerminatedUtf16(const std::string& s) {
    std::vector<uint8_t> data;
    reg::AppendLeBytes(data, reg::Utf8ToUtf16(s));
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::u16string Units(const std::vector<uint8_t>& data) {
    return reg::UnitsOfLeBytes(data.data(), data.size());
}

void DropTerminator(std::u16string& units) {
    if (!units.empty() && units.back() == u'\0') units.pop_back();
}

}  // namespace

RegValue RegValue::FromDword(uint32_t v) {
    return {RegType::Dword, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
}

RegValue RegValue::FromQword(uint64_t v) {
    RegValue value{RegType::Qword, {}};
    for (int i = 0; i < 8; ++i) value.data.push_back(uint8_t(v >> (8 * i)));
    return value;
}

RegValue RegValue::FromString(const std::string& s) {
    return {RegType::String, TerminatedUtf16(s)};
}

RegValue RegValue::FromExpandString(const std::string& s) {
    return {RegType::ExpandString, TerminatedUtf16(s)};
}

RegValue RegValue::FromMultiString(const std::vector<std::string>& items) {
    RegValue value{RegType::MultiString, {}};
    for (const auto& item : items) {
        std::vector<uint8_t> one = TerminatedUtf16(item);
        value.data.insert(value.data.end(), one.begin(), one.end());
    }
    value.data.push_back(0);
    value.data.push_back(0);
    return value;
}

RegValue RegValue::FromBinary(std::vector<uint8_t> bytes) {
    return {RegType::Binary, std::move(bytes)};
}

std::optional<std::string> RegValue::Text() const {
    if (type != RegType::String && type != RegType::ExpandString) return std::nullopt;
    std::u16string units = Units(data);
    DropTerminator(units);
    return reg::Utf16ToUtf8(units);
}

std::optional<std::vector<std::string>> RegValue::TextList() const {
    if (type != RegType::MultiString) return std::nullopt;
    std::u16string units = Units(data);
    DropTerminator(units);  // the list's
    DropTerminator(units);  // the last item's
    std::vector<std::string> items;
    if (units.empty()) return items;
    size_t start = 0;
    for (;;) {
        const size_t end = units.find(u'\0', start);
        items.push_back(reg::Utf16ToUtf8(std::u16string_view(units).substr(start, end - start)));
        if (end == std::u16string::npos) return items;
        start = end + 1;
    }
}

}  // namespace winport
