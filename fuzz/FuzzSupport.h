#pragma once
// What every fuzz target shares: the libFuzzer entry point's signature, and a private scratch
// folder (also the registry folder, so no target reads or writes the user's settings).
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// A folder below /tmp made once per process and removed at exit; WINPORT_REGISTRY_DIR points at
// it before the first use.
const std::string& ScratchFolder();

// Reads a little-endian integer from the front of the input, consuming it; 0 when too short.
uint32_t TakeU32(const uint8_t*& data, size_t& size);
uint8_t TakeU8(const uint8_t*& data, size_t& size);

// Aborts with the message: a broken property is a finding like a crash.
[[noreturn]] void Fail(const char* what);

}  // namespace fuzz
