#pragma once
// The FPGA bit file of a board type: "rz410" (board type 2) or "rz420" (board type 3) followed by
// a three-digit number and ".bit", looked for through the system's standard file search; the
// highest number found wins. Without any, the driver's "Binfile" setting names the file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lmv {

inline constexpr int kBitFileNumbers = 99;  // 000 to 098
inline constexpr const char* kBinfileKey = "System\\CurrentControlSet\\Services\\lmvnt\\Parameters";

// The base name of the bit files of a board type (low byte); empty when it needs no FPGA load.
std::string bit_file_base(int board_type);
// "<base><nnn>.bit".
std::string bit_file_name(const std::string& base, int number);
// The path of the file to load; nullopt when neither a numbered file nor "Binfile" opens.
std::optional<std::string> find_bit_file(const std::string& base);
// The whole file; false when it cannot be read or is empty; `no_memory` set when it is too large
// to hold.
bool read_bit_file(const std::string& path, std::vector<uint8_t>& data, bool& no_memory);

}  // namespace lmv
