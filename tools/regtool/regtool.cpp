// regtool: reads and changes the registry store from the command line.
#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tools/common/ToolOptions.h"
#include "winport/Registry.h"

namespace {

using winport::Hive;
using winport::RegistryKey;
using winport::RegStatus;
using winport::RegType;
using winport::RegValue;

const zrtool::tool_description kDescription = {
    "regtool",
    "query KEY [VALUE]\n"
    "set KEY VALUE TYPE DATA\n"
    "delete KEY [VALUE]\n"
    "import FILE.reg        (FILE - reads standard input)\n"
    "export [--ascii] KEY   (.reg file on standard output)\n"
    "cat HIVE|FILE.reg      (a hive or .reg file as UTF-8 text)\n"
    "where                  (the hive files in use)",
    "Reads and changes the settings store (the registry hives) from the command line.",
    "KEY: HKEY_CURRENT_USER\\path or HKEY_LOCAL_MACHINE\\path (short: HKCU\\, HKLM\\).\n"
    "VALUE: a value name; @ is the key's default value.\n"
    "TYPE and DATA: dword or qword in decimal or 0x hex; sz or expand_sz as text; multi_sz as\n"
    "  items separated by \\0; hex or hex(N) (a value of type N, N in hex; hex(0) has no type)\n"
    "  as bytes like 01,a0,ff or 01a0ff.\n"
    "export writes UTF-16LE as Windows' regedit does; --ascii writes REGEDIT4 text in the ANSI\n"
    "  code page ($WINPORT_REG_CODEPAGE, default cp1252) and fails rather than lose anything.\n",
};
const zrtool::Tool kTool(kDescription);

struct UsageError {
    std::string message;
};
struct Failure {
    std::string message;
};

[[noreturn]] void Usage(const std::string& message) {
    throw UsageError{message};
}
[[noreturn]] void FailWith(const std::string& message) {
    throw Failure{message};
}
[[noreturn]] void FailFromStore() {
    FailWith(winport::RegistryLastError());
}

struct KeyName {
    Hive hive;
    std::string path;
    std::string full;  // as the user wrote it, for messages
};

KeyName ParseKey(const std::string& text) {
    auto parsed = winport::ParseRegistryKeyName(text);
    if (!parsed)
        Usage("unknown root key in \"" + text + "\" (use HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE)");
    return {parsed->first, parsed->second, text};
}

std::string ValueName(const std::string& arg) {
    return arg == "@" ? "" : arg;
}

// ---- query output, in the layout of Windows' reg query ----

const char* TypeName(RegType type) {
    static const char* const kNames[] = {"REG_NONE",
                                         "REG_SZ",
                                         "REG_EXPAND_SZ",
                                         "REG_BINARY",
                                         "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN",
                                         "REG_LINK",
                                         "REG_MULTI_SZ",
                                         "REG_RESOURCE_LIST",
                                         "REG_FULL_RESOURCE_DESCRIPTOR",
                                         "REG_RESOURCE_REQUIREMENTS_LIST",
                                         "REG_QWORD"};
    auto index = uint32_t(type);
    return index < std::size(kNames) ? kNames[index] : "REG_UNKNOWN";
}

std::string HexBytes(const std::vector<uint8_t>& data) {
    std::string out;
    char buf[4];
    for (uint8_t b : data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    return out;
}

// NUL, CR and LF would break the one-line layout; they are shown as C escapes.
std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\0')
            out += "\\0";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

uint64_t LittleEndian(const std::vector<uint8_t>& data) {
    uint64_t v = 0;
    for (size_t i = data.size(); i-- > 0;) v = v << 8 | data[i];
    return v;
}

// The data part of a value's line, and for REG_MULTI_SZ one more line per item.
std::string ShowData(const RegValue& v) {
    const bool whole = v.data.size() % 2 == 0;
    if ((v.type == RegType::Dword && v.data.size() == 4) ||
        (v.type == RegType::Qword && v.data.size() == 8)) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%llx",
                      static_cast<unsigned long long>(LittleEndian(v.data)));
        return std::string("    ") + buf;
    }
    if (auto text = v.Text(); text && whole) return "    " + Printable(*text);
    if (auto items = v.TextList(); items && whole) {
        std::string lines;
        for (const auto& item : *items) lines += "\n        " + Printable(item);
        return lines;
    }
    return "    " + HexBytes(v.data);
}

void ShowValue(const RegistryKey& key, const std::string& name) {
    auto v = key.ReadValue(name);
    if (!v) FailFromStore();
    std::cout << "    " << (name.empty() ? "(Default)" : name) << "    " << TypeName(v->type)
              << ShowData(*v) << "\n";
}

RegistryKey OpenOrFail(const KeyName& k) {
    auto key = RegistryKey::Open(k.hive, k.path);
    if (!key) FailFromStore();
    return *key;
}

std::string FullName(const RegistryKey& key) {
    return key.path().empty() ? winport::HiveRootName(key.hive())
                              : std::string(winport::HiveRootName(key.hive())) + "\\" + key.path();
}

// The value's name as stored (names match without regard to case); fails when it is missing.
std::string StoredValueName(const RegistryKey& key, const std::string& name) {
    for (const auto& stored : key.ValueNames())
        if (strcasecmp(stored.c_str(), name.c_str()) == 0) return stored;
    if (!key.ReadValue(name)) FailFromStore();
    return name;
}

int Query(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) Usage("query needs KEY [VALUE]");
    RegistryKey key = OpenOrFail(ParseKey(args[0]));
    if (args.size() == 2) {
        const std::string name = StoredValueName(key, ValueName(args[1]));
        std::cout << FullName(key) << "\n";
        ShowValue(key, name);
        return 0;
    }
    std::cout << FullName(key) << "\n";
    for (const auto& name : key.ValueNames()) ShowValue(key, name);
    for (const auto& sub : key.SubKeyNames())
        std::cout << "\n" << FullName(key) << "\\" << sub << "\n";
    return 0;
}

// ---- set ----

uint64_t ParseNumber(const std::string& text, uint64_t max, const std::string& type) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos)
        Usage(type + " DATA must be a decimal or 0x hex number: \"" + text + "\"");
    errno = 0;
    unsigned long long v = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno == ERANGE || v > max)
        Usage(type + " DATA does not fit " + (max > 0xFFFFFFFFull ? "64" : "32") + " bits: \"" +
              text + "\"");
    return v;
}

std::vector<uint8_t> ParseHexData(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c == ',' || c == ' ') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            Usage("hex DATA holds \"" + std::string(1, c) + "\"");
        digits += c;
    }
    if (digits.size() % 2 != 0) Usage("hex DATA needs two digits per byte");
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

// "hex(7)": a value of type 7; nullopt when `type` is not of that form.
std::optional<RegType> HexType(const std::string& type) {
    if (type.size() < 6 || strncasecmp(type.c_str(), "hex(", 4) != 0 || type.back() != ')')
        return std::nullopt;
    const std::string number = type.substr(4, type.size() - 5);
    if (number.empty() || number.size() > 8 ||
        number.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        Usage("hex(N) needs N as 1 to 8 hex digits: \"" + type + "\"");
    return RegType(std::stoul(number, nullptr, 16));
}

std::vector<std::string> SplitItems(const std::string& data) {
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t at; (at = data.find("\\0", start)) != std::string::npos; start = at + 2)
        items.push_back(data.substr(start, at - start));
    items.push_back(data.substr(start));
    return items;
}

RegValue ParseData(const std::string& type, const std::string& data) {
    auto is = [&type](const char* a, const char* b) {
        return strcasecmp(type.c_str(), a) == 0 || strcasecmp(type.c_str(), b) == 0;
    };
    if (is("dword", "REG_DWORD"))
        return RegValue::FromDword(ParseNumber(data, 0xFFFFFFFFull, "dword"));
    if (is("qword", "REG_QWORD")) return RegValue::FromQword(ParseNumber(data, ~0ull, "qword"));
    if (is("sz", "REG_SZ")) return RegValue::FromString(data);
    if (is("expand_sz", "REG_EXPAND_SZ")) return RegValue::FromExpandString(data);
    if (is("multi_sz", "REG_MULTI_SZ"))
        return RegValue::FromMultiString(data.empty() ? std::vector<std::string>{}
                                                      : SplitItems(data));
    if (is("hex", "REG_BINARY")) return RegValue::FromBinary(ParseHexData(data));
    if (auto t = HexType(type)) return RegValue{*t, ParseHexData(data)};
    Usage("unknown type \"" + type + "\" (dword, qword, sz, expand_sz, multi_sz, hex, hex(N))");
}

int Set(const std::vector<std::string>& args) {
    if (args.size() != 4) Usage("set needs KEY VALUE TYPE DATA");
    KeyName k = ParseKey(args[0]);
    RegValue value = ParseData(args[2], args[3]);
    auto key = RegistryKey::Create(k.hive, k.path);
    if (!key) FailFromStore();
    if (key->WriteValue(ValueName(args[1]), value) != RegStatus::Ok) FailFromStore();
    return 0;
}

// ---- delete, import, export ----

int Delete(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) Usage("delete needs KEY [VALUE]");
    KeyName k = ParseKey(args[0]);
    if (args.size() == 1) {
        if (winport::DeleteRegistryKey(k.hive, k.path) != RegStatus::Ok) FailFromStore();
        return 0;
    }
    RegistryKey key = OpenOrFail(k);
    if (key.DeleteValue(ValueName(args[1])) != RegStatus::Ok) FailFromStore();
    return 0;
}

std::string ReadInput(const std::string& path) {
    if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
    std::ifstream in(path, std::ios::binary);
    if (!in) FailWith("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Import(const std::vector<std::string>& args) {
    if (args.size() != 1) Usage("import needs FILE.reg");
    const std::string text = ReadInput(args[0]);
    if (winport::ImportRegistryText(text) != RegStatus::Ok)
        FailWith(args[0] + ": " + winport::RegistryLastError());
    return 0;
}

void WriteOut(const std::string& bytes) {
    std::cout.write(bytes.data(), std::streamsize(bytes.size()));
    std::cout.flush();
    if (!std::cout) FailWith("cannot write to standard output");
}

int Export(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    winport::RegFileForm form = winport::RegFileForm::Unicode;
    // --utf16 names the default, for scripts written when it was not.
    while (!args.empty() && (args[0] == "--ascii" || args[0] == "--utf16")) {
        form = args[0] == "--ascii" ? winport::RegFileForm::Ansi : winport::RegFileForm::Unicode;
        args.erase(args.begin());
    }
    if (args.size() != 1) Usage("export needs [--ascii] KEY");
    KeyName k = ParseKey(args[0]);
    auto bytes = winport::ExportRegistryKey(k.hive, k.path, form);
    if (!bytes) FailFromStore();
    WriteOut(*bytes);
    return 0;
}

// A hive by its root's name, else a file.
int Cat(const std::vector<std::string>& args) {
    if (args.size() != 1) Usage("cat needs HIVE or FILE.reg");
    std::string path = args[0];
    if (auto hive = winport::ParseRegistryKeyName(args[0]); hive && hive->second.empty()) {
        path = winport::HiveFilePath(hive->first);
        if (!std::filesystem::exists(path)) {
            std::cerr << "regtool: " << path << " does not exist (an empty hive)\n";
            return 0;
        }
    }
    auto text = winport::RegistryFileText(ReadInput(path));
    if (!text) FailWith(path + ": " + winport::RegistryLastError());
    WriteOut(*text);
    return 0;
}

int Where(const std::vector<std::string>& args) {
    if (!args.empty()) Usage("where takes no arguments");
    std::cout << "HKEY_CURRENT_USER  " << winport::HiveFilePath(Hive::CurrentUser) << "\n"
              << "HKEY_LOCAL_MACHINE " << winport::HiveFilePath(Hive::LocalMachine) << "\n";
    return 0;
}

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
};

constexpr Command kCommands[] = {
    {"query", Query},   {"set", Set}, {"delete", Delete}, {"import", Import},
    {"export", Export}, {"cat", Cat}, {"where", Where},
};

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> done = kTool.Start(argc, argv)) return *done;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return kTool.UsageError(
            "a command is needed; usage: regtool query|set|delete|import|export|cat|where ...");
    const std::string command = args[0];
    args.erase(args.begin());
    try {
        for (const auto& c : kCommands)
            if (command == c.name) return c.run(args);
        Usage("unknown command \"" + command + "\"");
    } catch (const UsageError& e) {
        return kTool.UsageError(e.message);
    } catch (const Failure& e) {
        return kTool.Failure(e.message);
    }
}
