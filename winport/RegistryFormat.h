#pragma once
// Inside the registry store: the key tree held in memory and the .reg text format it is read from
// and written to. Not for use outside winport/Registry*.cpp and their tests.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "winport/Registry.h"

namespace winport::reg {

// Key and value names compare without regard to ASCII case.
bool NamesEqual(std::string_view a, std::string_view b);

// Splits "Software\\RVD\\LOG" into its parts; empty parts (doubled or outer separators) are
// dropped. False when a part holds a character that a key name cannot hold (NUL, CR, LF).
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

// Parses the bytes of a .reg file: UTF-16LE with its byte-order mark, or 8-bit text (a UTF-8
// byte-order mark is skipped); LF or CRLF line ends. Blank and empty input is valid and empty.
ParseResult ParseRegText(std::string_view bytes);

// Applies one step to a hive's root; deletions of absent keys or values do nothing.
void ApplyOp(Node& root, const Op& op);

// Writes `node` (found at `path` in the hive) and everything below it as .reg text with CRLF line
// ends, each key as a "[ROOT\path]" line, its values and a blank line. With `withHeader` the text
// starts with the version header line and a blank line.
std::string WriteRegText(Hive hive, const Node& node, const std::vector<std::string>& path,
                         bool withHeader);

// Text conversions for Windows' UTF-16LE files. Unpaired surrogates become U+FFFD; bytes that are
// not UTF-8 are taken as Latin-1 characters.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view text);

}  // namespace winport::reg
