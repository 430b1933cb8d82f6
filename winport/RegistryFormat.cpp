// The .reg text format: reading (both encodings, both line ends, deletions) and writing.
#include <algorithm>
#include <cstdio>
#include <optional>

#include "winport/RegistryFormat.h"

namespace winport::reg {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
// Windows wraps hex data so that lines stay within 80 columns.
constexpr size_t kHexWrapColumn = 76;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}
std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}
std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Parses 1..maxDigits hex digits making up all of `s`.
std::optional<uint32_t> ParseHexNumber(std::string_view s, size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    uint32_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = v * 16 + uint32_t(d);
    }
    return v;
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

void AppendUtf16(std::string& out, uint32_t cp) {
    auto unit = [&out](uint32_t u) {
        out += char(u & 0xFF);
        out += char(u >> 8);
    };
    if (cp >= 0x10000) {
        cp -= 0x10000;
        unit(0xD800 | (cp >> 10));
        unit(0xDC00 | (cp & 0x3FF));
    } else {
        unit(cp);
    }
}

// Decodes one UTF-8 sequence at s[i]; nullopt when it is not well-formed.
std::optional<uint32_t> DecodeUtf8(std::string_view s, size_t& i) {
    const auto b0 = uint8_t(s[i]);
    if (b0 < 0x80) return ++i, b0;
    size_t len = b0 >= 0xF0 && b0 <= 0xF4 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 < 0xE0 ? 2 : 0;
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

// Backslash escapes inside quoted names and strings. Windows writes only the first two; line
// breaks and NUL are escaped too so that every string survives on one line.
struct Escape {
    char plain;
    char code;
};
constexpr Escape kEscapes[] = {{'\\', '\\'}, {'"', '"'}, {'\n', 'n'}, {'\r', 'r'}, {'\0', '0'}};

const Escape* EscapeOfCode(char code) {
    for (const auto& e : kEscapes)
        if (e.code == code) return &e;
    return nullptr;
}
const Escape* EscapeOfPlain(char plain) {
    for (const auto& e : kEscapes)
        if (e.plain == plain) return &e;
    return nullptr;
}

// ---- reading ----

class Parser {
  public:
    explicit Parser(std::string_view text) {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            lines_.push_back(TrimRight(text.substr(start, end - start)));
            start = end + 1;
        }
    }

    ParseResult Run() {
        ParseResult result;
        if (!ReadHeader()) {
            // Nothing but blank lines: an empty file.
            if (next_ >= lines_.size())
                result.ok = true;
            else
                Fail("the first line is not \"" + std::string(kHeader5) + "\"");
            result.error = error_;
            return result;
        }
        while (error_.empty() && next_ < lines_.size()) ParseLine(result.ops);
        result.ok = error_.empty();
        result.error = error_;
        if (!result.ok) result.ops.clear();
        return result;
    }

  private:
    bool ReadHeader() {
        while (next_ < lines_.size() && Trim(lines_[next_]).empty()) ++next_;
        if (next_ >= lines_.size()) return false;
        std::string_view first = Trim(lines_[next_]);
        if (first != kHeader5 && first != kHeader4) return false;
        ++next_;
        return true;
    }

    void Fail(const std::string& what) {
        if (error_.empty()) error_ = "line " + std::to_string(next_ + 1) + ": " + what;
    }

    void ParseLine(std::vector<Op>& ops) {
        std::string_view line = TrimLeft(lines_[next_]);
        if (line.empty() || line.front() == ';') {
            ++next_;
        } else if (line.front() == '[') {
            ParseKeyLine(line, ops);
            ++next_;
        } else if (line.front() == '"' || line.front() == '@') {
            ParseValueLine(line, ops);  // advances past continuation lines
        } else {
            Fail("not a key, value or comment line");
        }
    }

    void ParseKeyLine(std::string_view line, std::vector<Op>& ops) {
        size_t close = line.rfind(']');
        if (close == std::string_view::npos || !Trim(line.substr(close + 1)).empty()) {
            return Fail("key line without closing ']'");
        }
        std::string_view name = line.substr(1, close - 1);
        Op op;
        op.kind = Op::CreateKey;
        if (!name.empty() && name.front() == '-') {
            op.kind = Op::DeleteKey;
            name.remove_prefix(1);
        }
        auto parsed = ParseRegistryKeyName(std::string(name));
        if (!parsed) return Fail("unknown root key in [" + std::string(name) + "]");
        op.hive = parsed->first;
        if (!SplitKeyPath(parsed->second, op.path)) return Fail("bad character in key name");
        if (op.kind == Op::DeleteKey && op.path.empty())
            return Fail("a hive root cannot be deleted");
        // Values after a deleted key belong to no key and are skipped, as Windows does.
        haveKey_ = op.kind == Op::CreateKey;
        sawKey_ = true;
        keyHive_ = op.hive;
        keyPath_ = op.path;
        ops.push_back(std::move(op));
    }

    void ParseValueLine(std::string_view line, std::vector<Op>& ops) {
        if (!sawKey_) return Fail("value line before the first key line");
        Op op;
        op.hive = keyHive_;
        op.path = keyPath_;
        size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (!ParseQuoted(line, pos, op.name)) {
            return Fail("value name without closing quote");
        }
        std::string_view rest = TrimLeft(line.substr(pos));
        if (rest.empty() || rest.front() != '=') return Fail("'=' expected after the value name");
        rest = TrimLeft(rest.substr(1));
        if (!ParseData(rest, op)) return;
        if (haveKey_) ops.push_back(std::move(op));
    }

    // Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
    static bool ParseQuoted(std::string_view s, size_t& pos, std::string& out) {
        ++pos;
        while (pos < s.size()) {
            char c = s[pos++];
            if (c == '"') return true;
            if (c == '\\' && pos < s.size()) {
                const char e = s[pos++];
                const Escape* esc = EscapeOfCode(e);
                if (esc) {
                    out += esc->plain;
                } else {  // not an escape: both characters stand as they are
                    out += '\\';
                    out += e;
                }
            } else {
                out += c;
            }
        }
        return false;
    }

    bool ParseData(std::string_view data, Op& op) {
        if (data == "-") {
            op.kind = Op::DeleteValue;
            ++next_;
            return true;
        }
        op.kind = Op::SetValue;
        if (!data.empty() && data.front() == '"') {
            std::string text;
            size_t pos = 0;
            if (!ParseQuoted(data, pos, text)) return Fail("string without closing quote"), false;
            if (!Trim(data.substr(pos)).empty()) return Fail("text after the string"), false;
            op.value = RegValue::FromString(text);
            ++next_;
            return true;
        }
        if (StartsWithNoCase(data, "dword:")) {
            auto v = ParseHexNumber(Trim(data.substr(6)), 8);
            if (!v) return Fail("dword needs 1 to 8 hex digits"), false;
            op.value = RegValue::FromDword(*v);
            ++next_;
            return true;
        }
        if (StartsWithNoCase(data, "hex")) return ParseHex(data.substr(3), op);
        Fail("unknown value data");
        return false;
    }

    // After "hex": either ":" (binary) or "(N):" (a value of type N, N in hex).
    bool ParseHex(std::string_view data, Op& op) {
        uint32_t type = uint32_t(RegType::Binary);
        if (!data.empty() && data.front() == '(') {
            size_t close = data.find(')');
            auto t = close == std::string_view::npos ? std::nullopt
                                                     : ParseHexNumber(data.substr(1, close - 1), 8);
            if (!t) return Fail("bad type in hex(...)"), false;
            type = *t;
            data.remove_prefix(close + 1);
        }
        if (data.empty() || data.front() != ':') return Fail("':' expected after hex"), false;
        data.remove_prefix(1);
        // Long data continue on the next line after a trailing backslash.
        std::string joined(Trim(data));
        while (!joined.empty() && joined.back() == '\\') {
            joined.pop_back();
            if (++next_ >= lines_.size()) return Fail("hex data continue past the end"), false;
            joined += Trim(lines_[next_]);
        }
        std::vector<uint8_t> bytes;
        std::string_view rest = joined;
        while (!Trim(rest).empty()) {
            size_t comma = rest.find(',');
            std::string_view token = Trim(rest.substr(0, comma));
            auto b = ParseHexNumber(token, 2);
            if (!b) return Fail("bad byte \"" + std::string(token) + "\" in hex data"), false;
            bytes.push_back(uint8_t(*b));
            rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        }
        op.value = MakeTypedValue(type, std::move(bytes));
        ++next_;
        return true;
    }

    // Windows writes REG_SZ data in hex(1) form as UTF-16LE with a terminator; they are kept as
    // text like every other string. Other types keep their bytes as they are.
    static RegValue MakeTypedValue(uint32_t type, std::vector<uint8_t> bytes) {
        if (type == uint32_t(RegType::String) && bytes.size() % 2 == 0) {
            std::string text = Utf16LeToUtf8(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            while (!text.empty() && text.back() == '\0') text.pop_back();
            return RegValue::FromString(text);
        }
        return RegValue{RegType(type), std::move(bytes)};
    }

    std::vector<std::string_view> lines_;
    size_t next_ = 0;
    std::string error_;
    bool haveKey_ = false;
    bool sawKey_ = false;
    Hive keyHive_ = Hive::CurrentUser;
    std::vector<std::string> keyPath_;
};

// ---- writing ----

std::string EscapeText(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    for (char c : s) {
        if (const Escape* esc = EscapeOfPlain(c)) {
            out += '\\';
            out += esc->code;
        } else {
            out += c;
        }
    }
    return out;
}

std::string ValueLine(const std::string& name, const RegValue& v) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on chained operator+ here.
    std::string line;
    if (name.empty()) {
        line = "@=";
    } else {
        line = "\"";
        line += EscapeText(name);
        line += "\"=";
    }
    if (v.type == RegType::String) {
        const std::string_view text(reinterpret_cast<const char*>(v.data.data()), v.data.size());
        line += "\"";
        line += EscapeText(text);
        line += "\"\r\n";
        return line;
    }
    char buf[32];
    if (v.type == RegType::Dword && v.data.size() == 4) {
        uint32_t d = v.data[0] | v.data[1] << 8 | v.data[2] << 16 | uint32_t(v.data[3]) << 24;
        std::snprintf(buf, sizeof buf, "dword:%08x\r\n", d);
        return line + buf;
    }
    if (v.type == RegType::Binary) {
        line += "hex:";
    } else {
        std::snprintf(buf, sizeof buf, "hex(%x):", unsigned(v.type));
        line += buf;
    }
    size_t column = line.size();
    for (size_t i = 0; i < v.data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
        line += buf;
        column += 2;
        if (i + 1 == v.data.size()) break;
        line += ',';
        ++column;
        if (column >= kHexWrapColumn) {
            line += "\\\r\n  ";
            column = 2;
        }
    }
    return line + "\r\n";
}

void WriteSection(std::string& out, Hive hive, const Node& node, std::vector<std::string>& path) {
    out += "[";
    out += HiveRootName(hive);
    for (const auto& part : path) out += "\\" + part;
    out += "]\r\n";
    for (const auto& [name, value] : node.values) out += ValueLine(name, value);
    out += "\r\n";
    for (const auto& child : node.children) {
        path.push_back(child->name);
        WriteSection(out, hive, *child, path);
        path.pop_back();
    }
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool SplitKeyPath(std::string_view path, std::vector<std::string>& parts) {
    parts.clear();
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) {
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

ParseResult ParseRegText(std::string_view bytes) {
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
        if (bytes.size() % 2 != 0) return {false, "UTF-16 text with an odd number of bytes", {}};
        std::string text = Utf16LeToUtf8(bytes.substr(2));
        return Parser(text).Run();
    }
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF)
        return {false, "big-endian UTF-16 text is not supported", {}};
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return Parser(bytes).Run();
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

std::string WriteRegText(Hive hive, const Node& node, const std::vector<std::string>& path,
                         bool withHeader) {
    std::string out;
    if (withHeader) {
        out += kHeader5;
        out += "\r\n\r\n";
    }
    std::vector<std::string> p = path;
    WriteSection(out, hive, node, p);
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t u = uint8_t(bytes[i]) | uint32_t(uint8_t(bytes[i + 1])) << 8;
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            uint32_t lo = uint8_t(bytes[i + 2]) | uint32_t(uint8_t(bytes[i + 3])) << 8;
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    size_t i = 0;
    while (i < text.size()) {
        if (auto cp = DecodeUtf8(text, i)) {
            AppendUtf16(out, *cp);
        } else {
            AppendUtf16(out, uint8_t(text[i]));
            ++i;
        }
    }
    return out;
}

}  // namespace winport::reg
