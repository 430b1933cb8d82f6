#pragma once
// Inside the registry store: the key tree held in memory and the .reg file format it is read from
// and written to. Not for use outside winport/Registry*.cpp and their tests.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "winport/Registry.h"
#include "winport/RegistryCodePage.h"

namespace winport::reg {

// Key and value names compare without regard to ASCII case.
bool NamesEqual(std::string_view a, std::string_view b);
// False for a name holding NUL, CR or LF, which no .reg line can carry.
[[nodiscard]] bool IsWritableName(std::string_view name);

// Splits "Software\\RVD\\LOG" into its parts; empty parts (doubled or outer separators) are
// dropped. False when a part holds a character that a key name cannot hold (NUL, CR, LF) or is
// longer than 255 UTF-16 characters.
bool SplitKeyPath(std::string_view path, std::vector<std::string>& parts);
std::string JoinKeyPath(const std::vector<std::string>& parts);

struct Node {
    std::string name;
    std::vector<std::pair<std::string, RegValue>> values;  // stored order
    std::vector<std::unique_ptr<Node>> children;           // stored order

    Node* Child(std::string_view childName) const;
    Node& ChildOrAdd(const std::string& childName);
    bool RemoveChild(std::string_view childName);
    const RegValue* Value(std::string_view valueName) const;
    // A value that exists keeps the case of its stored name.
    void SetValue(const std::string& valueName, RegValue value);
    bool RemoveValue(std::string_view valueName);

    Node* Find(const std::vector<std::string>& path);
    const Node* Find(const std::vector<std::string>& path) const;
    Node& FindOrAdd(const std::vector<std::string>& path);
};

// One step of a .reg text, applied in order.
struct Op {
    enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind = CreateKey;
    Hive hive = Hive::CurrentUser;
    std::vector<std::string> path;
    std::string name;
    RegValue value;
};

struct ParseResult {
    bool ok = false;
    std::string error;  // "line N: what is wrong"
    std::vector<Op> ops;
};

// The characters of a .reg file and how its 8-bit string data are to be read.
struct DecodedFile {
    bool ok = false;
    std::string error;
    std::u16string text;
    // Set when the file's hex(1)/hex(2)/hex(7) data are 8-bit text (a REGEDIT4 file) rather
    // than the registry's UTF-16LE bytes.
    std::optional<CodePage> stringData8Bit;
    std::string codePageError;  // why stringData8Bit is missing in a UTF-16 file
};

// Tells the encoding: UTF-16LE with or without byte-order mark; UTF-8 with a byte-order mark;
// without a mark, a REGEDIT4 file in the ANSI code page of kCodePageVariable, any other in UTF-8.
[[nodiscard]] DecodedFile DecodeRegFile(std::string_view bytes);

// Parses the bytes of a .reg file in any of the forms above; LF or CRLF line ends. Blank and
// empty input is valid and empty.
ParseResult ParseRegText(std::string_view bytes);

// Applies one step to a hive's root; deletions of absent keys or values do nothing.
void ApplyOp(Node& root, const Op& op);

// Writes `node` (found at `path` in the hive) and everything below it as a Unicode .reg file:
// byte-order mark, header, each key as a "[ROOT\path]" line, its values and a blank line.
[[nodiscard]] std::string WriteRegFile(Hive hive, const Node& node,
                                       const std::vector<std::string>& path);
// The same in the REGEDIT4 form in `codePage`; nullopt (with `error` naming the line) when a name
// or value has no exact form there.
[[nodiscard]] std::optional<std::string> WriteAnsiRegFile(Hive hive, const Node& node,
                                                          const std::vector<std::string>& path,
                                                          const CodePage& codePage,
                                                          std::string& error);

}  // namespace winport::reg
