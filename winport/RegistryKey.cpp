// Key handles on the registry store (skeleton: the store itself follows).
#include "winport/Registry.h"

namespace winport {

RegValue RegValue::FromDword(uint32_t v) {
    return {RegType::Dword, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
}
RegValue RegValue::FromString(const std::string& s) {
    return {RegType::String, std::vector<uint8_t>(s.begin(), s.end())};
}
RegValue RegValue::FromBinary(std::vector<uint8_t> bytes) {
    return {RegType::Binary, std::move(bytes)};
}

std::optional<RegistryKey> RegistryKey::Open(Hive, const std::string&) {
    return std::nullopt;
}
std::optional<RegistryKey> RegistryKey::Create(Hive, const std::string&) {
    return std::nullopt;
}
std::optional<uint32_t> RegistryKey::ReadDword(const std::string&) const {
    return std::nullopt;
}
std::optional<std::string> RegistryKey::ReadString(const std::string&) const {
    return std::nullopt;
}
std::optional<std::vector<uint8_t>> RegistryKey::ReadBinary(const std::string&) const {
    return std::nullopt;
}
std::optional<RegValue> RegistryKey::ReadValue(const std::string&) const {
    return std::nullopt;
}
RegStatus RegistryKey::WriteDword(const std::string&, uint32_t) {
    return RegStatus::IoError;
}
RegStatus RegistryKey::WriteString(const std::string&, const std::string&) {
    return RegStatus::IoError;
}
RegStatus RegistryKey::WriteBinary(const std::string&, const std::vector<uint8_t>&) {
    return RegStatus::IoError;
}
RegStatus RegistryKey::WriteValue(const std::string&, const RegValue&) {
    return RegStatus::IoError;
}
RegStatus RegistryKey::DeleteValue(const std::string&) {
    return RegStatus::IoError;
}
std::vector<std::string> RegistryKey::ValueNames() const {
    return {};
}
std::vector<std::string> RegistryKey::SubKeyNames() const {
    return {};
}

RegStatus DeleteRegistryKey(Hive, const std::string&) {
    return RegStatus::IoError;
}
RegStatus RegistryLastStatus() {
    return RegStatus::IoError;
}
std::string RegistryLastError() {
    return "registry store not built yet";
}
const char* HiveRootName(Hive hive) {
    return hive == Hive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}
std::optional<std::pair<Hive, std::string>> ParseRegistryKeyName(const std::string&) {
    return std::nullopt;
}
std::string HiveFilePath(Hive) {
    return "";
}
RegStatus ImportRegistryText(const std::string&) {
    return RegStatus::IoError;
}
std::optional<std::string> ExportRegistryKey(Hive, const std::string&) {
    return std::nullopt;
}

}  // namespace winport
