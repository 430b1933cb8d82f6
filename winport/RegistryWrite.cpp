// Writing .reg files as Windows' regedit exports them.
#include <cstdio>

#include "winport/RegistryFormat.h"
#include "winport/RegistryUnicode.h"

namespace winport::reg {
namespace {

constexpr char16_t kHeader5[] = u"Windows Registry Editor Version 5.00";
constexpr char16_t kHeader4[] = u"REGEDIT4";
constexpr char kByteOrderMark[] = "\xFF\xFE";
// regedit ends a line of hex data with "\" once the line reaches this column, so lines stay
// within 80 columns, and goes on after two spaces.
constexpr size_t kHexWrapColumn = 77;
constexpr char16_t kHexIndent[] = u"  ";

std::u16string Ascii(const char* s) {
    std::u16string out;
    while (*s) out += char16_t(static_cast<unsigned char>(*s++));
    return out;
}

// Inside quotes regedit escapes exactly these two; it knows no other escape.
std::u16string Quoted(std::u16string_view s) {
    std::u16string out = u"\"";
    for (char16_t c : s) {
        if (c == u'\\' || c == u'"') out += u'\\';
        out += c;
    }
    return out + u"\"";
}

bool IsStringType(RegType type) {
    return type == RegType::String || type == RegType::ExpandString || type == RegType::MultiString;
}

// A REG_SZ that regedit writes in quotes: whole code units, one terminator at the end, nothing a
// quoted line cannot hold (NUL, CR, LF) and no lone surrogate. The text without the terminator.
std::optional<std::u16string> QuotableText(const RegValue& v) {
    if (v.type != RegType::String || v.data.size() % 2 != 0) return std::nullopt;
    std::u16string units = UnitsOfLeBytes(v.data.data(), v.data.size());
    if (units.empty() || units.back() != u'\0') return std::nullopt;
    units.pop_back();
    if (units.find_first_of(std::u16string_view(u"\0\r\n", 3)) != std::u16string::npos ||
        !IsWellFormedUtf16(units))
        return std::nullopt;
    return units;
}

class Writer {
  public:
    // Without a code page: the Unicode form.
    explicit Writer(const CodePage* ansi) : ansi_(ansi) {
        if (!ansi_) out_ = kByteOrderMark;
        line_ = ansi_ ? kHeader4 : kHeader5;
        (void)EndLine();  // plain ASCII: every form holds it
        (void)EndLine();
    }

    bool Section(Hive hive, const Node& node, std::vector<std::string>& path) {
        key_ = HiveRootName(hive);
        for (const auto& part : path) key_ += "\\" + part;
        value_.reset();
        line_ = u"[" + Utf8ToUtf16(key_) + u"]";
        if (!EndLine()) return false;
        for (const auto& [name, value] : node.values)
            if (!Value(name, value)) return false;
        value_.reset();
        if (!EndLine()) return false;
        for (const auto& child : node.children) {
            path.push_back(child->name);
            const bool ok = Section(hive, *child, path);
            path.pop_back();
            if (!ok) return false;
        }
        return true;
    }

    std::string& bytes() { return out_; }
    const std::string& error() const { return error_; }

  private:
    bool Value(const std::string& name, const RegValue& v) {
        value_ = name;
        line_ = name.empty() ? u"@=" : Quoted(Utf8ToUtf16(name)) + u"=";
        if (v.type == RegType::Dword && v.data.size() == 4) {
            char buf[16];
            const auto& d = v.data;
            std::snprintf(buf, sizeof buf, "dword:%08x",
                          d[0] | d[1] << 8 | d[2] << 16 | unsigned(d[3]) << 24);
            line_ += Ascii(buf);
            return EndLine();
        }
        if (auto text = QuotableText(v)) {
            line_ += Quoted(*text);
            return EndLine();
        }
        std::vector<uint8_t> data = v.data;
        if (ansi_ && IsStringType(v.type) && !AnsiStringData(data)) return false;
        return Hex(v.type, data);
    }

    // The older form holds string data in the code page, as 8-bit text.
    bool AnsiStringData(std::vector<uint8_t>& data) {
        auto bytes = data.size() % 2 == 0 ? ansi_->Encode(UnitsOfLeBytes(data.data(), data.size()))
                                          : std::nullopt;
        if (!bytes) return Refuse();
        data.assign(bytes->begin(), bytes->end());
        return true;
    }

    bool Hex(RegType type, const std::vector<uint8_t>& data) {
        char buf[24];
        if (type == RegType::Binary) {
            line_ += u"hex:";
        } else {
            std::snprintf(buf, sizeof buf, "hex(%x):", unsigned(type));
            line_ += Ascii(buf);
        }
        for (size_t i = 0; i < data.size(); ++i) {
            std::snprintf(buf, sizeof buf, "%02x", data[i]);
            line_ += Ascii(buf);
            if (i + 1 == data.size()) break;
            line_ += u',';
            if (line_.size() >= kHexWrapColumn) {
                line_ += u'\\';
                if (!EndLine()) return false;
                line_ = kHexIndent;
            }
        }
        return EndLine();
    }

    bool EndLine() {
        line_ += u"\r\n";
        if (!ansi_) {
            AppendLeBytes(out_, line_);
        } else if (auto bytes = ansi_->Encode(line_)) {
            out_ += *bytes;
        } else {
            return Refuse();
        }
        line_.clear();
        return true;
    }

    bool Refuse() {
        error_ = "[" + key_ + "]" +
                 (value_ ? (value_->empty() ? " @" : " \"" + *value_ + "\"") : std::string()) +
                 " has no exact form in REGEDIT4 text in code page " + ansi_->name();
        return false;
    }

    const CodePage* ansi_;
    std::string out_;
    std::u16string line_;
    std::string key_;
    std::optional<std::string> value_;  // the value being written, for messages
    std::string error_;
};

}  // namespace

std::string WriteRegFile(Hive hive, const Node& node, const std::vector<std::string>& path) {
    Writer writer(nullptr);
    std::vector<std::string> p = path;
    (void)writer.Section(hive, node, p);  // the Unicode form holds everything
    return std::move(writer.bytes());
}

std::optional<std::string> WriteAnsiRegFile(Hive hive, const Node& node,
                                            const std::vector<std::string>& path,
                                            const CodePage& codePage, std::string& error) {
    Writer writer(&codePage);
    std::vector<std::string> p = path;
    if (!writer.Section(hive, node, p)) {
        error = writer.error();
        return std::nullopt;
    }
    return std::move(writer.bytes());
}

}  // namespace winport::reg
