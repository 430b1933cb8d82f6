#include "camera/board/BitFile.h"

#include <cstdio>
#include <fstream>
#include <new>

#include "winport/Process.h"
#include "winport/Registry.h"

namespace lmv {
namespace {

constexpr size_t kBinfileLimit = 100;  // a longer "Binfile" value is not used

bool can_open(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

std::optional<std::string> found_at(const std::string& name) {
    auto path = winport::FindFile(name, reinterpret_cast<const void*>(&found_at));
    if (path && can_open(*path)) return path;
    return std::nullopt;
}

std::optional<std::string> binfile_setting() {
    auto key = winport::RegistryKey::Open(winport::Hive::LocalMachine, kBinfileKey);
    if (!key) return std::nullopt;
    auto value = key->ReadString("Binfile");
    if (!value || value->empty() || value->size() >= kBinfileLimit) return std::nullopt;
    return value;
}

}  // namespace

std::string bit_file_base(int board_type) {
    switch (board_type & 0xFF) {
        case 2:
            return "rz410";
        case 3:
            return "rz420";
        default:
            return "";
    }
}

std::string bit_file_name(const std::string& base, int number) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%03d.bit", base.c_str(), number);
    return name;
}

std::optional<std::string> find_bit_file(const std::string& base) {
    std::optional<std::string> chosen;
    for (int n = 0; n < kBitFileNumbers; ++n)
        if (auto path = found_at(bit_file_name(base, n))) chosen = path;
    if (chosen) return chosen;
    if (auto name = binfile_setting()) return found_at(*name);
    return std::nullopt;
}

bool read_bit_file(const std::string& path, std::vector<uint8_t>& data, bool& no_memory) {
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
