#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fuzz {
namespace {

struct Scratch {
    Scratch() {
        std::string pattern = "/tmp/zr-fuzz.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a scratch folder");
        path = pattern;
        ::setenv("WINPORT_REGISTRY_DIR", path.c_str(), 1);
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

}  // namespace

const std::string& ScratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

uint32_t TakeU32(const uint8_t*& data, size_t& size) {
    uint32_t value = 0;
    for (int k = 0; k < 4 && size > 0; ++k, ++data, --size) value |= uint32_t{*data} << (8 * k);
    return value;
}

uint8_t TakeU8(const uint8_t*& data, size_t& size) {
    if (size == 0) return 0;
    --size;
    return *data++;
}

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

}  // namespace fuzz
