#pragma once
// The registry store: two hives, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, each kept in a text
// file in the .reg export format so settings move to and from a Windows machine.
//
// Location: the folder $WINPORT_REGISTRY_DIR (files HKCU.reg and HKLM.reg) when it is set and not
// empty; otherwise ${XDG_CONFIG_HOME:-$HOME/.config}/winport/HKCU.reg and /etc/winport/HKLM.reg.
// A missing file is an empty hive; missing folders are created on the first write.
//
// Every read looks at the file as it is on disk now (a parsed copy is reused only while the file
// is unchanged), so values written by another process are seen at once. Every write takes an
// advisory lock (flock on "<hive file>.lock"), re-reads the file under the lock, applies the one
// change, writes a temporary file in the same folder, flushes it to disk and renames it over the
// hive: two processes writing different values both keep theirs, and a crash leaves either the old
// or the new file. A file that cannot be parsed is reported (RegStatus::ParseError, with the line
// in RegistryLastError()) and is never overwritten.
//
// The files are written as Windows' regedit exports them (UTF-16LE with a byte-order mark, the
// version-5 header, CRLF), so they can be imported on Windows as they are. They are read in every
// form Windows and people write: UTF-16LE with or without byte-order mark, UTF-8 with or without
// it, REGEDIT4 files in an ANSI code page (cp1252 unless WINPORT_REG_CODEPAGE names another), LF
// or CRLF. A file in an older 8-bit form is read as UTF-8 and rewritten in the form above at the
// next change.
//
// Key paths use backslashes ("Software\\RVD\\Camera Settings\\LOG") and are relative to the
// hive's root; key and value names compare without regard to ASCII case and keep the case they
// were created with. The empty value name is the key's default value ("@" in the file). Names
// cannot hold NUL, CR or LF (a .reg file has no way to write them); a key name has at most 255
// characters, as on Windows.
//
// Values are kept as the registry holds them: a type and its data bytes, strings (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) as UTF-16LE with their terminators, so data that are not a
// well-formed string keep their bytes too. Names and the string calls below are the 8-bit view,
// UTF-8: bytes that are not UTF-8 are carried one by one (as the code units U+DC80..U+DCFF) and
// read back as the same bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace winport {

enum class Hive { CurrentUser, LocalMachine };  // HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE

// NotRepresentable: the data have no form in the file form asked for (a REGEDIT4 export).
enum class RegStatus {
    Ok,
    NotFound,
    WrongType,
    ParseError,
    IoError,
    InvalidArgument,
    NotRepresentable
};

// Value types by their registry numbers; other numbers met in files are kept as they are.
enum class RegType : uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD (little-endian, 4 bytes)
    MultiString = 7,   // REG_MULTI_SZ
    Qword = 11,        // REG_QWORD
};

// A value as stored: its type and the registry's data bytes. A Dword's are four bytes, least
// significant first; a String's are UTF-16LE code units with a terminating NUL unit.
struct RegValue {
    RegType type = RegType::Binary;
    std::vector<uint8_t> data;

    static RegValue FromDword(uint32_t v);
    static RegValue FromQword(uint64_t v);
    // From the 8-bit view: REG_SZ / REG_EXPAND_SZ with their terminator.
    static RegValue FromString(const std::string& s);
    static RegValue FromExpandString(const std::string& s);
    // REG_MULTI_SZ: each item with its terminator, then the list's terminator.
    static RegValue FromMultiString(const std::vector<std::string>& items);
    static RegValue FromBinary(std::vector<uint8_t> bytes);

    // The 8-bit view of a REG_SZ or REG_EXPAND_SZ: one terminator dropped, embedded NULs kept, an
    // odd last byte left out; nullopt for other types.
    [[nodiscard]] std::optional<std::string> Text() const;
    // The items of a REG_MULTI_SZ; nullopt for other types.
    [[nodiscard]] std::optional<std::vector<std::string>> TextList() const;

    bool operator==(const RegValue&) const = default;
};

// A handle on one key. It names the key by hive and path; every call goes to the store, so a
// handle stays valid while other processes change the hive. Writing through a handle whose key was
// deleted elsewhere creates the key again.
class RegistryKey {
  public:
    // The key when it exists; nullopt when it is absent or the hive cannot be read (see
    // RegistryLastStatus/RegistryLastError). The empty path is the hive's root.
    static std::optional<RegistryKey> Open(Hive hive, const std::string& path);
    // Opens the key, creating it and its missing parents.
    static std::optional<RegistryKey> Create(Hive hive, const std::string& path);

    Hive hive() const { return hive_; }
    // The path with the case of the stored key names ("Software\\RVD").
    const std::string& path() const { return path_; }

    // nullopt: the value is missing, is not a REG_DWORD or its size is not exactly 4 bytes.
    std::optional<uint32_t> ReadDword(const std::string& name) const;
    // nullopt: missing or not a REG_SZ / REG_EXPAND_SZ (returned unexpanded). See RegValue::Text.
    std::optional<std::string> ReadString(const std::string& name) const;
    // The data bytes of a value of any type; nullopt when missing.
    std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) const;
    std::optional<RegValue> ReadValue(const std::string& name) const;

    RegStatus WriteDword(const std::string& name, uint32_t v);
    RegStatus WriteString(const std::string& name, const std::string& v);
    RegStatus WriteBinary(const std::string& name, const std::vector<uint8_t>& v);
    // InvalidArgument for a name holding NUL, CR or LF.
    RegStatus WriteValue(const std::string& name, const RegValue& v);
    // NotFound when there was no such value (the file is then left untouched).
    RegStatus DeleteValue(const std::string& name);

    // Names in stored order, with their stored case. Empty when the key is gone.
    std::vector<std::string> ValueNames() const;
    std::vector<std::string> SubKeyNames() const;

  private:
    RegistryKey(Hive hive, std::string path) : hive_(hive), path_(std::move(path)) {}
    Hive hive_;
    std::string path_;
};

// Deletes the key with all its sub-keys and values; NotFound when absent. The root cannot be
// deleted (InvalidArgument).
RegStatus DeleteRegistryKey(Hive hive, const std::string& path);

// The status and text of the last failure in this thread ("" and Ok after a success).
RegStatus RegistryLastStatus();
std::string RegistryLastError();

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char* HiveRootName(Hive hive);
// Parses "HKEY_CURRENT_USER\\Software\\RVD", "HKCU\\Software\\RVD" (and the HKLM forms) into hive
// and relative path; nullopt for another root.
std::optional<std::pair<Hive, std::string>> ParseRegistryKeyName(const std::string& fullName);
// The file that holds the hive, by the rules above.
std::string HiveFilePath(Hive hive);

// How a .reg text is written: Unicode is Windows' own export (UTF-16LE with byte-order mark,
// "Windows Registry Editor Version 5.00"); Ansi is the older "REGEDIT4" form in the ANSI code page.
enum class RegFileForm { Unicode, Ansi };

// Applies a .reg text (any form the hive files are read in; keys of either hive; "[-KEY]" and
// "\"Name\"=-" deletions) as one change per hive. Nothing is applied when the text does not parse.
RegStatus ImportRegistryText(const std::string& text);
// The key and its sub-keys as the bytes of a .reg file (header included, CRLF line ends); nullopt
// when the key is absent or the hive cannot be read. The Ansi form is refused (NotRepresentable,
// with the name that cannot be written in RegistryLastError) unless every name and value survive
// it unchanged.
[[nodiscard]] std::optional<std::string> ExportRegistryKey(Hive hive, const std::string& path,
                                                           RegFileForm form = RegFileForm::Unicode);
// The text of a .reg file in any form it is read in, as UTF-8 with LF line ends, for people to
// read; nullopt (last error set) when its encoding cannot be told.
[[nodiscard]] std::optional<std::string> RegistryFileText(const std::string& fileBytes);

}  // namespace winport
