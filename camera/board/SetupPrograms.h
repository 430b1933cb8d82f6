#pragma once
// The four tiny operation-code programs of the camera set-up: 104 words each, alike but for
// their three leading selector words.
#include <array>
#include <cstddef>
#include <cstdint>

namespace lmv {

inline constexpr uint16_t kProgramTemperatures = 576;
inline constexpr uint16_t kProgramExtraSensor = 598;
inline constexpr uint16_t kProgramIdentByte = 614;
inline constexpr uint16_t kProgramCameraId = 630;
inline constexpr size_t kSetupProgramWords = 104;

using setup_program = std::array<uint16_t, kSetupProgramWords>;

setup_program setup_program_for(uint16_t selector);

}  // namespace lmv
