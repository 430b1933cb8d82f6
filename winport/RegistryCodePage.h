#pragma once
// Inside the registry store: the 8-bit encodings that .reg files come in, UTF-8 and the Windows
// ANSI code pages. Not for use outside winport/Registry*.cpp and their tests.
#include <optional>
#include <string>
#include <string_view>

namespace winport::reg {

// Names the ANSI code page of REGEDIT4 files: "cp1250", "CP1251", "1253", "windows-1252", "utf-8"
// (any name iconv knows). Unset or empty means cp1252, the code page of Western Windows.
inline constexpr const char* kCodePageVariable = "WINPORT_REG_CODEPAGE";

class CodePage {
  public:
    [[nodiscard]] static CodePage Utf8();
    [[nodiscard]] static CodePage Ansi1252();
    // By a name as in kCodePageVariable; nullopt when the system has no converter for it.
    [[nodiscard]] static std::optional<CodePage> Named(std::string_view name);
    // The code page the environment names; nullopt (with `error` set) for an unknown name.
    [[nodiscard]] static std::optional<CodePage> FromEnvironment(std::string& error);

    const std::string& name() const { return name_; }

    // Never fails: a byte that the code page does not define becomes the character of the same
    // number, as Windows reads such bytes.
    [[nodiscard]] std::u16string Decode(std::string_view bytes) const;
    // nullopt when a character has no form in the code page; nothing is ever replaced.
    [[nodiscard]] std::optional<std::string> Encode(std::u16string_view text) const;

  private:
    CodePage(std::string name, std::string iconvName)
        : name_(std::move(name)), iconvName_(std::move(iconvName)) {}
    std::string name_;       // as the user gave it
    std::string iconvName_;  // empty for UTF-8
};

}  // namespace winport::reg
