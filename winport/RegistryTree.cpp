// The key tree in memory: names, paths, keys and values, and the steps a .reg text applies.
#include <algorithm>

#include "winport/RegistryFormat.h"
#include "winport/RegistryUnicode.h"

namespace winport::reg {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

constexpr std::string_view kUnwritable("\0\r\n", 3);

// Windows' limit; it also keeps every rewrite of a hive short when a caller passes megabytes.
constexpr size_t kMaxKeyNameUnits = 255;

bool IsKeyName(std::string_view part) {
    return IsWritableName(part) &&
           (part.size() <= kMaxKeyNameUnits || Utf8ToUtf16(part).size() <= kMaxKeyNameUnits);
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool IsWritableName(std::string_view name) {
    return name.find_first_of(kUnwritable) == std::string_view::npos;
}

bool SplitKeyPath(std::string_view path, std::vector<std::string>& parts) {
    parts.clear();
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (!IsKeyName(part)) {
            parts.clear();
            return false;
        }
        if (!part.empty()) parts.emplace_back(part);
        start = end + 1;
    }
    return true;
}

std::string JoinKeyPath(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts) out += (out.empty() ? "" : "\\") + p;
    return out;
}

Node* Node::Child(std::string_view childName) const {
    for (const auto& c : children)
        if (NamesEqual(c->name, childName)) return c.get();
    return nullptr;
}

Node& Node::ChildOrAdd(const std::string& childName) {
    if (Node* c = Child(childName)) return *c;
    children.push_back(std::make_unique<Node>());
    children.back()->name = childName;
    return *children.back();
}

bool Node::RemoveChild(std::string_view childName) {
    auto it = std::find_if(children.begin(), children.end(),
                           [&](const auto& c) { return NamesEqual(c->name, childName); });
    if (it == children.end()) return false;
    children.erase(it);
    return true;
}

const RegValue* Node::Value(std::string_view valueName) const {
    for (const auto& [n, v] : values)
        if (NamesEqual(n, valueName)) return &v;
    return nullptr;
}

void Node::SetValue(const std::string& valueName, RegValue value) {
    for (auto& [n, v] : values) {
        if (NamesEqual(n, valueName)) {
            v = std::move(value);
            return;
        }
    }
    values.emplace_back(valueName, std::move(value));
}

bool Node::RemoveValue(std::string_view valueName) {
    auto it = std::find_if(values.begin(), values.end(),
                           [&](const auto& nv) { return NamesEqual(nv.first, valueName); });
    if (it == values.end()) return false;
    values.erase(it);
    return true;
}

const Node* Node::Find(const std::vector<std::string>& path) const {
    const Node* n = this;
    for (const auto& part : path)
        if (!(n = n->Child(part))) return nullptr;
    return n;
}

Node* Node::Find(const std::vector<std::string>& path) {
    return const_cast<Node*>(std::as_const(*this).Find(path));
}

Node& Node::FindOrAdd(const std::vector<std::string>& path) {
    Node* n = this;
    for (const auto& part : path) n = &n->ChildOrAdd(part);
    return *n;
}

void ApplyOp(Node& root, const Op& op) {
    switch (op.kind) {
        case Op::CreateKey:
            root.FindOrAdd(op.path);
            break;
        case Op::DeleteKey: {
            if (op.path.empty()) break;
            std::vector<std::string> parent(op.path.begin(), op.path.end() - 1);
            if (Node* p = root.Find(parent)) p->RemoveChild(op.path.back());
            break;
        }
        case Op::SetValue:
            root.FindOrAdd(op.path).SetValue(op.name, op.value);
            break;
        case Op::DeleteValue:
            if (Node* n = root.Find(op.path)) n->RemoveValue(op.name);
            break;
    }
}

}  // namespace winport::reg
