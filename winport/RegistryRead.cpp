// Reading .reg files: telling their encoding, then keys, values and deletions line by line.
#include <optional>

#include "winport/RegistryFormat.h"
#include "winport/RegistryUnicode.h"

namespace winport::reg {
namespace {

using Text = std::u16string_view;

constexpr Text kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr Text kHeader4 = u"REGEDIT4";

char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

bool StartsWithNoCase(Text s, Text prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    return true;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
Text TrimLeft(Text s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}
Text TrimRight(Text s) {
    while (!s.empty() && (IsBlank(s.back()) || s.back() == u'\r')) s.remove_suffix(1);
    return s;
}
Text Trim(Text s) {
    return TrimRight(TrimLeft(s));
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    c = Lower(c);
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// Parses 1..maxDigits hex digits making up all of `s`.
std::optional<uint32_t> ParseHexNumber(Text s, size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    uint32_t v = 0;
    for (char16_t c : s) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = v * 16 + uint32_t(d);
    }
    return v;
}

// Inside quotes Windows writes only \\ and \"; \n, \r and \0 are read too, for files written by
// hand and by earlier versions of this store. Any other backslash stands for itself.
struct Escape {
    char16_t code;
    char16_t plain;
};
constexpr Escape kEscapes[] = {
    {u'\\', u'\\'}, {u'"', u'"'}, {u'n', u'\n'}, {u'r', u'\r'}, {u'0', u'\0'}};

std::optional<char16_t> Unescape(char16_t code) {
    for (const auto& e : kEscapes)
        if (e.code == code) return e.plain;
    return std::nullopt;
}

bool IsStringType(uint32_t type) {
    return type == uint32_t(RegType::String) || type == uint32_t(RegType::ExpandString) ||
           type == uint32_t(RegType::MultiString);
}

// Windows' own export: UTF-16LE; the first character is ASCII, so a file without the
// byte-order mark shows a zero in every second byte from the start.
bool LooksLikeUtf16Le(std::string_view bytes) {
    return bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0';
}

bool StartsWithRegedit4(std::string_view bytes) {
    const size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes.substr(first, 8) == "REGEDIT4";
}

void DecodeUtf16(std::string_view bytes, DecodedFile& file) {
    if (bytes.size() % 2 != 0) {
        file.error = "UTF-16 text with an odd number of bytes";
        return;
    }
    file.text = UnitsOfLeBytes(bytes);
    // REGEDIT4 strings inside a UTF-16 file can only be in the ANSI code page.
    file.stringData8Bit = CodePage::FromEnvironment(file.codePageError);
    file.ok = true;
}

void Decode8Bit(std::string_view bytes, const CodePage& page, DecodedFile& file) {
    file.text = page.Decode(bytes);
    file.stringData8Bit = page;
    file.ok = true;
}

}  // namespace

DecodedFile DecodeRegFile(std::string_view bytes) {
    DecodedFile file;
    const auto b = [&bytes](size_t i) { return uint8_t(bytes[i]); };
    if (bytes.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
        DecodeUtf16(bytes.substr(2), file);
    } else if (bytes.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
        file.error = "big-endian UTF-16 text is not supported";
    } else if (bytes.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
        Decode8Bit(bytes.substr(3), CodePage::Utf8(), file);
    } else if (LooksLikeUtf16Le(bytes)) {
        DecodeUtf16(bytes, file);
    } else if (StartsWithRegedit4(bytes)) {
        if (auto page = CodePage::FromEnvironment(file.error)) Decode8Bit(bytes, *page, file);
    } else {
        Decode8Bit(bytes, CodePage::Utf8(), file);
    }
    return file;
}

namespace {

class Parser {
  public:
    explicit Parser(const DecodedFile& file)
        : stringData8Bit_(file.stringData8Bit), codePageError_(file.codePageError) {
        const Text text = file.text;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(u'\n', start);
            if (end == Text::npos) end = text.size();
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
                Fail("the first line is not \"Windows Registry Editor Version 5.00\"");
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
        const Text first = Trim(lines_[next_]);
        if (first != kHeader5 && first != kHeader4) return false;
        // Only REGEDIT4 files hold their string data as 8-bit text.
        if (first == kHeader5) stringData8Bit_.reset();
        if (first == kHeader4 && !stringData8Bit_) return Fail(codePageError_), true;
        ++next_;
        return true;
    }

    void Fail(const std::string& what) {
        if (error_.empty()) error_ = "line " + std::to_string(next_ + 1) + ": " + what;
    }

    void ParseLine(std::vector<Op>& ops) {
        const Text line = TrimLeft(lines_[next_]);
        if (line.empty() || line.front() == u';') {
            ++next_;
        } else if (line.front() == u'[') {
            ParseKeyLine(line, ops);
            ++next_;
        } else if (line.front() == u'"' || line.front() == u'@') {
            ParseValueLine(line, ops);  // advances past continuation lines
        } else {
            Fail("not a key, value or comment line");
        }
    }

    void ParseKeyLine(Text line, std::vector<Op>& ops) {
        const size_t close = line.rfind(u']');
        if (close == Text::npos || !Trim(line.substr(close + 1)).empty())
            return Fail("key line without closing ']'");
        Text name = line.substr(1, close - 1);
        Op op;
        op.kind = Op::CreateKey;
        if (!name.empty() && name.front() == u'-') {
            op.kind = Op::DeleteKey;
            name.remove_prefix(1);
        }
        const std::string utf8 = Utf16ToUtf8(name);
        auto parsed = ParseRegistryKeyName(utf8);
        if (!parsed) return Fail("unknown root key in [" + utf8 + "]");
        op.hive = parsed->first;
        if (!SplitKeyPath(parsed->second, op.path))
            return Fail("bad character in key name, or one longer than 255 characters");
        if (op.kind == Op::DeleteKey && op.path.empty())
            return Fail("a hive root cannot be deleted");
        // Values after a deleted key belong to no key and are skipped, as Windows does.
        haveKey_ = op.kind == Op::CreateKey;
        sawKey_ = true;
        keyHive_ = op.hive;
        keyPath_ = op.path;
        ops.push_back(std::move(op));
    }

    void ParseValueLine(Text line, std::vector<Op>& ops) {
        if (!sawKey_) return Fail("value line before the first key line");
        Op op;
        op.hive = keyHive_;
        op.path = keyPath_;
        size_t pos = 0;
        if (line.front() == u'@') {
            pos = 1;
        } else {
            std::u16string name;
            if (!ParseQuoted(line, pos, name)) return Fail("value name without closing quote");
            op.name = Utf16ToUtf8(name);
            if (!IsWritableName(op.name)) return Fail("value name holds NUL, CR or LF");
        }
        Text rest = TrimLeft(line.substr(pos));
        if (rest.empty() || rest.front() != u'=') return Fail("'=' expected after the value name");
        rest = TrimLeft(rest.substr(1));
        if (!ParseData(rest, op)) return;
        if (haveKey_) ops.push_back(std::move(op));
    }

    // Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
    static bool ParseQuoted(Text s, size_t& pos, std::u16string& out) {
        ++pos;
        while (pos < s.size()) {
            const char16_t c = s[pos++];
            if (c == u'"') return true;
            if (c == u'\\' && pos < s.size()) {
                const char16_t code = s[pos++];
                if (auto plain = Unescape(code)) {
                    out += *plain;
                } else {
                    out += u'\\';
                    out += code;
                }
            } else {
                out += c;
            }
        }
        return false;
    }

    bool ParseData(Text data, Op& op) {
        if (data == u"-") {
            op.kind = Op::DeleteValue;
            ++next_;
            return true;
        }
        op.kind = Op::SetValue;
        if (!data.empty() && data.front() == u'"') return ParseString(data, op);
        if (StartsWithNoCase(data, u"dword:")) {
            auto v = ParseHexNumber(Trim(data.substr(6)), 8);
            if (!v) return Fail("dword needs 1 to 8 hex digits"), false;
            op.value = RegValue::FromDword(*v);
            ++next_;
            return true;
        }
        if (StartsWithNoCase(data, u"hex")) return ParseHex(data.substr(3), op);
        Fail("unknown value data");
        return false;
    }

    bool ParseString(Text data, Op& op) {
        std::u16string text;
        size_t pos = 0;
        if (!ParseQuoted(data, pos, text)) return Fail("string without closing quote"), false;
        if (!Trim(data.substr(pos)).empty()) return Fail("text after the string"), false;
        text += u'\0';
        op.value.type = RegType::String;
        AppendLeBytes(op.value.data, text);
        ++next_;
        return true;
    }

    // After "hex": either ":" (binary) or "(N):" (a value of type N, N in hex).
    bool ParseHex(Text data, Op& op) {
        uint32_t type = uint32_t(RegType::Binary);
        if (!data.empty() && data.front() == u'(') {
            const size_t close = data.find(u')');
            auto t =
                close == Text::npos ? std::nullopt : ParseHexNumber(data.substr(1, close - 1), 8);
            if (!t) return Fail("bad type in hex(...)"), false;
            type = *t;
            data.remove_prefix(close + 1);
        }
        if (data.empty() || data.front() != u':') return Fail("':' expected after hex"), false;
        data.remove_prefix(1);
        std::vector<uint8_t> bytes;
        if (!ParseHexBytes(data, bytes)) return false;
        op.value.type = RegType(type);
        op.value.data = StringDataOf(type, std::move(bytes));
        ++next_;
        return true;
    }

    // Long data continue on the next line after a trailing backslash.
    bool ParseHexBytes(Text first, std::vector<uint8_t>& bytes) {
        std::u16string joined(Trim(first));
        while (!joined.empty() && joined.back() == u'\\') {
            joined.pop_back();
            if (++next_ >= lines_.size()) return Fail("hex data continue past the end"), false;
            joined += Trim(lines_[next_]);
        }
        Text rest = joined;
        while (!Trim(rest).empty()) {
            const size_t comma = rest.find(u',');
            const Text token = Trim(rest.substr(0, comma));
            auto b = ParseHexNumber(token, 2);
            if (!b) return Fail("bad byte \"" + Utf16ToUtf8(token) + "\" in hex data"), false;
            bytes.push_back(uint8_t(*b));
            rest = comma == Text::npos ? Text{} : rest.substr(comma + 1);
        }
        return true;
    }

    // REGEDIT4 files hold string data as 8-bit text; the registry holds them as UTF-16LE.
    std::vector<uint8_t> StringDataOf(uint32_t type, std::vector<uint8_t> bytes) const {
        if (!stringData8Bit_ || !IsStringType(type)) return bytes;
        std::vector<uint8_t> data;
        AppendLeBytes(data, stringData8Bit_->Decode(std::string(bytes.begin(), bytes.end())));
        return data;
    }

    std::optional<CodePage> stringData8Bit_;
    std::string codePageError_;
    std::vector<Text> lines_;
    size_t next_ = 0;
    std::string error_;
    bool haveKey_ = false;
    bool sawKey_ = false;
    Hive keyHive_ = Hive::CurrentUser;
    std::vector<std::string> keyPath_;
};

}  // namespace

ParseResult ParseRegText(std::string_view bytes) {
    const DecodedFile file = DecodeRegFile(bytes);
    if (!file.ok) return {false, file.error, {}};
    return Parser(file).Run();
}

}  // namespace winport::reg
