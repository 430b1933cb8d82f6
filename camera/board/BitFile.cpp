#include "camera/board/BitFile.h"

#include <cstdio>
#include <fstream>
#include <new>

#include "winport/Process.h"
#include "winport/Registry.h"

namespace lmv {
namespace {

constexpr size_t kBinfileLimit = 100;  // a longer "Binfile" value is not used

bool Opens(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

std::optional<std::string> Found(const std::string& name) {
    auto path = winport::FindFile(name, reinterpret_cast<const void*>(&Found));
    if (path && Opens(*path)) return path;
    return std::nullopt;
}

std::optional<std::string> BinfileSetting() {
    auto key = winport::RegistryKey::Open(winport::Hive::LocalMachine, kBinfileKey);
    if (!key) return std::nullopt;
    auto value = key->ReadString("Binfile");
    if (!value || value->empty() || value->size() >= kBinfileLimit) return std::nullopt;
    return value;
}

}  // namespace

std::string BitFileBase(int board_type) {
    switch (board_type & 0xFF) {
        case 2:
            return "rz410";
        case 3:
            return "rz420";
        default:
            return "";
    }
}

std::string BitFileName(const std::string& base, int number) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%03d.bit", base.c_str(), number);
    return name;
}

std::optional<std::string> FindBitFile(const std::string& base) {
    std::optional<std::string> chosen;
    for (int n = 0; n < kBitFileNumbers; ++n)
        if (auto path = Found(BitFileName(base, n))) chosen = path;
    if (chosen) return chosen;
    if (auto name = BinfileSetting()) return Found(*name);
    return std::nullopt;
}

bool ReadBitFile(const std::string& path, std::vector<uint8_t>& data, bool& no_memory) {
    no_memory = false;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<uint64_t>(size) > UINT32_MAX) return false;
    try {
        data.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        no_memory = true;
        return false;
    }
    in.seekg(0);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(data.data()), size));
}

}  // namespace lmv
