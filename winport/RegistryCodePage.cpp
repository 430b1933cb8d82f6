// ANSI code pages through the C library's iconv; UTF-8 through our own converters.
#include "winport/RegistryCodePage.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "winport/RegistryUnicode.h"

namespace winport::reg {
namespace {

constexpr char kUtf16Le[] = "UTF-16LE";
constexpr char kDefaultCodePage[] = "cp1252";

// One conversion descriptor, closed on every path.
class Converter {
  public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns false at the first input it cannot convert, with
    // `in`/`inLeft` at that input.
    bool Run(char*& in, size_t& inLeft, std::string& out) {
        char buf[4096];
        while (inLeft > 0) {
            char* o = buf;
            size_t oLeft = sizeof buf;
            const size_t rc = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buf, size_t(o - buf));
            if (rc == size_t(-1) && errno != E2BIG) {
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
                return false;
            }
        }
        return true;
    }

  private:
    iconv_t cd_;
};

bool IsUtf8Name(std::string_view name) {
    std::string folded;
    for (char c : name)
        if (c != '-' && c != '_') folded += char(std::tolower(static_cast<unsigned char>(c)));
    return folded == "utf8" || folded == "cp65001" || folded == "65001";
}

// "1251" is the way Windows numbers its code pages; iconv calls it CP1251.
std::string IconvName(std::string_view name) {
    const bool number = !name.empty() && name.find_first_not_of("0123456789") == name.npos;
    return number ? "CP" + std::string(name) : std::string(name);
}

}  // namespace

CodePage CodePage::Utf8() {
    return CodePage("utf-8", "");
}

CodePage CodePage::Ansi1252() {
    return CodePage(kDefaultCodePage, "CP1252");
}

std::optional<CodePage> CodePage::Named(std::string_view name) {
    if (IsUtf8Name(name)) return CodePage(std::string(name), "");
    const std::string iconvName = IconvName(name);
    if (name.empty() || !Converter(kUtf16Le, iconvName).ok()) return std::nullopt;
    return CodePage(std::string(name), iconvName);
}

std::optional<CodePage> CodePage::FromEnvironment(std::string& error) {
    const char* given = std::getenv(kCodePageVariable);
    if (!given || !*given) return Ansi1252();
    auto page = Named(given);
    if (!page)
        error = std::string(kCodePageVariable) + " names the code page \"" + given +
                "\", which this system cannot convert";
    return page;
}

std::u16string CodePage::Decode(std::string_view bytes) const {
    if (iconvName_.empty()) return Utf8ToUtf16(bytes);
    Converter conv(kUtf16Le, iconvName_);
    std::string out;
    std::string copy(bytes);
    char* in = copy.data();
    size_t left = copy.size();
    while (conv.ok() && !conv.Run(in, left, out)) {
        out += *in;  // the undefined byte, as the character of the same number
        out += '\0';
        ++in;
        --left;
    }
    return UnitsOfLeBytes(out);
}

std::optional<std::string> CodePage::Encode(std::u16string_view text) const {
    if (iconvName_.empty()) {
        // Escaped bytes and lone surrogates have no UTF-8 form of their own.
        if (!IsWellFormedUtf16(text)) return std::nullopt;
        return Utf16ToUtf8(text);
    }
    Converter conv(iconvName_, kUtf16Le);
    std::string bytes;
    AppendLeBytes(bytes, text);
    std::string out;
    char* in = bytes.data();
    size_t left = bytes.size();
    if (!conv.ok() || !conv.Run(in, left, out)) return std::nullopt;
    // A converter that maps two characters to one byte would lose one of them.
    if (Decode(out) != text) return std::nullopt;
    return out;
}

}  // namespace winport::reg
