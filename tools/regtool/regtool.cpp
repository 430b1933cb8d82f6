// regtool: reads and changes the registry store from the command line.
#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "winport/Registry.h"

namespace {

using winport::Hive;
using winport::RegistryKey;
using winport::RegStatus;
using winport::RegType;
using winport::RegValue;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: regtool query KEY [VALUE]\n"
    "       regtool set KEY VALUE (dword|sz|hex) DATA\n"
    "       regtool delete KEY [VALUE]\n"
    "       regtool import FILE.reg        (FILE - reads standard input)\n"
    "       regtool export [--utf16] KEY   (.reg text on standard output)\n"
    "       regtool where                  (the hive files in use)\n"
    "KEY: HKEY_CURRENT_USER\\path or HKEY_LOCAL_MACHINE\\path (short: HKCU\\, HKLM\\).\n"
    "VALUE: a value name; @ is the key's default value.\n"
    "DATA: dword in decimal or 0x hex; sz as text; hex as bytes like 01,a0,ff or 01a0ff.\n";

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

std::string ShowData(const RegistryKey& key, const std::string& name, const RegValue& v) {
    if (v.type == RegType::Dword && v.data.size() == 4) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%x", *key.ReadDword(name));
        return buf;
    }
    if (v.type == RegType::String || v.type == RegType::ExpandString) {
        return key.ReadString(name).value_or("");
    }
    return HexBytes(v.data);
}

void ShowValue(const RegistryKey& key, const std::string& name) {
    auto v = key.ReadValue(name);
    if (!v) FailFromStore();
    std::cout << "    " << (name.empty() ? "(Default)" : name) << "    " << TypeName(v->type)
              << "    " << ShowData(key, name, *v) << "\n";
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

uint32_t ParseDword(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos)
        Usage("dword DATA must be a decimal or 0x hex number: \"" + text + "\"");
    errno = 0;
    unsigned long long v = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno == ERANGE || v > 0xFFFFFFFFull)
        Usage("dword DATA does not fit 32 bits: \"" + text + "\"");
    return uint32_t(v);
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

RegValue ParseData(const std::string& type, const std::string& data) {
    auto is = [&type](const char* a, const char* b) {
        return strcasecmp(type.c_str(), a) == 0 || strcasecmp(type.c_str(), b) == 0;
    };
    if (is("dword", "REG_DWORD")) return RegValue::FromDword(ParseDword(data));
    if (is("sz", "REG_SZ")) return RegValue::FromString(data);
    if (is("hex", "REG_BINARY")) return RegValue::FromBinary(ParseHexData(data));
    Usage("unknown type \"" + type + "\" (dword, sz or hex)");
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

int Import(const std::vector<std::string>& args) {
    if (args.size() != 1) Usage("import needs FILE.reg");
    std::string text;
    if (args[0] == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream in(args[0], std::ios::binary);
        if (!in) FailWith("cannot read " + args[0]);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    if (winport::ImportRegistryText(text) != RegStatus::Ok)
        FailWith(args[0] + ": " + winport::RegistryLastError());
    return 0;
}

int Export(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    bool utf16 = false;
    if (!args.empty() && args[0] == "--utf16") {
        utf16 = true;
        args.erase(args.begin());
    }
    if (args.size() != 1) Usage("export needs [--utf16] KEY");
    KeyName k = ParseKey(args[0]);
    auto text = winport::ExportRegistryKey(k.hive, k.path, utf16);
    if (!text) FailFromStore();
    std::cout.write(text->data(), std::streamsize(text->size()));
    std::cout.flush();
    if (!std::cout) FailWith("cannot write to standard output");
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
    {"query", Query},   {"set", Set},       {"delete", Delete},
    {"import", Import}, {"export", Export}, {"where", Where},
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        (args.empty() ? std::cerr : std::cout) << kUsage;
        return args.empty() ? kExitUsage : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    try {
        for (const auto& c : kCommands)
            if (command == c.name) return c.run(args);
        Usage("unknown command \"" + command + "\"");
    } catch (const UsageError& e) {
        std::cerr << "regtool: " << e.message << "\n" << kUsage;
        return kExitUsage;
    } catch (const Failure& e) {
        std::cerr << "regtool: " << e.message << "\n";
        return kExitFailure;
    }
}
