// Key handles, key names, import and export on top of the hive files.
#include <map>

#include "winport/Registry.h"
#include "winport/RegistryStore.h"
#include "winport/RegistryUnicode.h"

namespace winport {
namespace {

using reg::Fail;
using reg::Node;

struct RootName {
    const char* name;
    Hive hive;
};
constexpr RootName kRootNames[] = {
    {"HKEY_CURRENT_USER", Hive::CurrentUser},
    {"HKCU", Hive::CurrentUser},
    {"HKEY_LOCAL_MACHINE", Hive::LocalMachine},
    {"HKLM", Hive::LocalMachine},
};

std::string FullName(Hive hive, const std::string& path) {
    return path.empty() ? HiveRootName(hive) : std::string(HiveRootName(hive)) + "\\" + path;
}

bool SplitOrFail(const std::string& path, std::vector<std::string>& parts) {
    if (reg::SplitKeyPath(path, parts)) return true;
    Fail(RegStatus::InvalidArgument,
         "key path holds a NUL, CR or LF character or a name longer than 255 characters");
    return false;
}

// The key's node in the hive as it is now; nullptr with the last error set otherwise.
std::shared_ptr<const Node> LoadKey(Hive hive, const std::string& path, const Node*& node) {
    node = nullptr;
    std::vector<std::string> parts;
    if (!SplitOrFail(path, parts)) return nullptr;
    auto root = reg::LoadHive(hive);
    if (!root) return nullptr;
    node = root->Find(parts);
    if (!node) Fail(RegStatus::NotFound, "key not found: " + FullName(hive, path));
    return root;
}

// The path with the case of the stored names; `parts` must name an existing key.
std::string StoredPath(const Node& root, const std::vector<std::string>& parts) {
    std::vector<std::string> stored;
    const Node* n = &root;
    for (const auto& part : parts) {
        n = n->Child(part);
        stored.push_back(n->name);
    }
    return reg::JoinKeyPath(stored);
}

}  // namespace

std::optional<RegistryKey> RegistryKey::Open(Hive hive, const std::string& path) {
    const Node* node = nullptr;
    auto root = LoadKey(hive, path, node);
    if (!node) return std::nullopt;
    reg::ClearLastError();
    std::vector<std::string> parts;
    reg::SplitKeyPath(path, parts);
    return RegistryKey(hive, StoredPath(*root, parts));
}

std::optional<RegistryKey> RegistryKey::Create(Hive hive, const std::string& path) {
    std::vector<std::string> parts;
    if (!SplitOrFail(path, parts)) return std::nullopt;
    // Opening an existing key needs no write (and works on a read-only hive).
    if (auto root = reg::LoadHive(hive); root && root->Find(parts)) {
        reg::ClearLastError();
        return RegistryKey(hive, StoredPath(*root, parts));
    }
    std::string stored;
    RegStatus st = reg::ModifyHive(hive, [&](Node& r) {
        r.FindOrAdd(parts);
        stored = StoredPath(r, parts);
        return RegStatus::Ok;
    });
    if (st != RegStatus::Ok) return std::nullopt;
    reg::ClearLastError();
    return RegistryKey(hive, stored);
}

std::optional<RegValue> RegistryKey::ReadValue(const std::string& name) const {
    const Node* node = nullptr;
    auto root = LoadKey(hive_, path_, node);
    if (!node) return std::nullopt;
    const RegValue* v = node->Value(name);
    if (!v) {
        Fail(RegStatus::NotFound, "value \"" + name + "\" not found in " + FullName(hive_, path_));
        return std::nullopt;
    }
    reg::ClearLastError();
    return *v;
}

std::optional<uint32_t> RegistryKey::ReadDword(const std::string& name) const {
    auto v = ReadValue(name);
    if (!v) return std::nullopt;
    if (v->type != RegType::Dword || v->data.size() != 4) {
        Fail(RegStatus::WrongType, "value \"" + name + "\" is not a 4-byte REG_DWORD");
        return std::nullopt;
    }
    const auto& d = v->data;
    return d[0] | d[1] << 8 | d[2] << 16 | uint32_t(d[3]) << 24;
}

std::optional<std::string> RegistryKey::ReadString(const std::string& name) const {
    auto v = ReadValue(name);
    if (!v) return std::nullopt;
    if (auto text = v->Text()) return text;
    Fail(RegStatus::WrongType, "value \"" + name + "\" is not a string");
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> RegistryKey::ReadBinary(const std::string& name) const {
    auto v = ReadValue(name);
    if (!v) return std::nullopt;
    return std::move(v->data);
}

RegStatus RegistryKey::WriteValue(const std::string& name, const RegValue& v) {
    std::vector<std::string> parts;
    if (!SplitOrFail(path_, parts)) return RegStatus::InvalidArgument;
    if (!reg::IsWritableName(name))
        return Fail(RegStatus::InvalidArgument, "value name holds a NUL, CR or LF character");
    RegStatus st = reg::ModifyHive(hive_, [&](Node& root) {
        root.FindOrAdd(parts).SetValue(name, v);
        return RegStatus::Ok;
    });
    if (st == RegStatus::Ok) reg::ClearLastError();
    return st;
}

RegStatus RegistryKey::WriteDword(const std::string& name, uint32_t v) {
    return WriteValue(name, RegValue::FromDword(v));
}
RegStatus RegistryKey::WriteString(const std::string& name, const std::string& v) {
    return WriteValue(name, RegValue::FromString(v));
}
RegStatus RegistryKey::WriteBinary(const std::string& name, const std::vector<uint8_t>& v) {
    return WriteValue(name, RegValue::FromBinary(v));
}

RegStatus RegistryKey::DeleteValue(const std::string& name) {
    std::vector<std::string> parts;
    if (!SplitOrFail(path_, parts)) return RegStatus::InvalidArgument;
    RegStatus st = reg::ModifyHive(hive_, [&](Node& root) {
        Node* node = root.Find(parts);
        if (!node) return Fail(RegStatus::NotFound, "key not found: " + FullName(hive_, path_));
        if (!node->RemoveValue(name))
            return Fail(RegStatus::NotFound,
                        "value \"" + name + "\" not found in " + FullName(hive_, path_));
        return RegStatus::Ok;
    });
    if (st == RegStatus::Ok) reg::ClearLastError();
    return st;
}

std::vector<std::string> RegistryKey::ValueNames() const {
    const Node* node = nullptr;
    auto root = LoadKey(hive_, path_, node);
    std::vector<std::string> names;
    if (!node) return names;
    for (const auto& [n, v] : node->values) names.push_back(n);
    reg::ClearLastError();
    return names;
}

std::vector<std::string> RegistryKey::SubKeyNames() const {
    const Node* node = nullptr;
    auto root = LoadKey(hive_, path_, node);
    std::vector<std::string> names;
    if (!node) return names;
    for (const auto& c : node->children) names.push_back(c->name);
    reg::ClearLastError();
    return names;
}

RegStatus DeleteRegistryKey(Hive hive, const std::string& path) {
    std::vector<std::string> parts;
    if (!SplitOrFail(path, parts)) return RegStatus::InvalidArgument;
    if (parts.empty()) return Fail(RegStatus::InvalidArgument, "a hive root cannot be deleted");
    RegStatus st = reg::ModifyHive(hive, [&](Node& root) {
        Node* parent = root.Find(std::vector<std::string>(parts.begin(), parts.end() - 1));
        if (!parent || !parent->RemoveChild(parts.back()))
            return Fail(RegStatus::NotFound, "key not found: " + FullName(hive, path));
        return RegStatus::Ok;
    });
    if (st == RegStatus::Ok) reg::ClearLastError();
    return st;
}

const char* HiveRootName(Hive hive) {
    return hive == Hive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::optional<std::pair<Hive, std::string>> ParseRegistryKeyName(const std::string& fullName) {
    size_t sep = fullName.find('\\');
    std::string_view root = std::string_view(fullName).substr(0, sep);
    std::string rest = sep == std::string::npos ? "" : fullName.substr(sep + 1);
    for (const auto& r : kRootNames)
        if (reg::NamesEqual(root, r.name)) return std::make_pair(r.hive, rest);
    return std::nullopt;
}

RegStatus ImportRegistryText(const std::string& text) {
    reg::ParseResult parsed = reg::ParseRegText(text);
    if (!parsed.ok) return Fail(RegStatus::ParseError, parsed.error + " (nothing imported)");
    std::map<Hive, std::vector<const reg::Op*>> byHive;
    for (const auto& op : parsed.ops) byHive[op.hive].push_back(&op);
    for (const auto& [hive, ops] : byHive) {
        RegStatus st = reg::ModifyHive(hive, [&hiveOps = ops](Node& root) {
            for (const reg::Op* op : hiveOps) reg::ApplyOp(root, *op);
            return RegStatus::Ok;
        });
        if (st != RegStatus::Ok) return st;
    }
    reg::ClearLastError();
    return RegStatus::Ok;
}

std::optional<std::string> ExportRegistryKey(Hive hive, const std::string& path, RegFileForm form) {
    const Node* node = nullptr;
    auto root = LoadKey(hive, path, node);
    if (!node) return std::nullopt;
    std::vector<std::string> parts, stored;
    reg::SplitKeyPath(path, parts);
    reg::SplitKeyPath(StoredPath(*root, parts), stored);
    if (form == RegFileForm::Unicode) {
        reg::ClearLastError();
        return reg::WriteRegFile(hive, *node, stored);
    }
    std::string error;
    auto page = reg::CodePage::FromEnvironment(error);
    auto bytes = page ? reg::WriteAnsiRegFile(hive, *node, stored, *page, error) : std::nullopt;
    if (!bytes) {
        Fail(page ? RegStatus::NotRepresentable : RegStatus::InvalidArgument, error);
        return std::nullopt;
    }
    reg::ClearLastError();
    return bytes;
}

std::optional<std::string> RegistryFileText(const std::string& fileBytes) {
    const reg::DecodedFile file = reg::DecodeRegFile(fileBytes);
    if (!file.ok) {
        Fail(RegStatus::ParseError, file.error);
        return std::nullopt;
    }
    std::string text = reg::Utf16ToUtf8(file.text);
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    reg::ClearLastError();
    return text;
}

}  // namespace winport
