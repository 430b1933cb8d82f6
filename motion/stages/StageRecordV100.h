#pragma once
// A record of the old 256-byte stage file layout and its conversion into a 2048-byte stage
// parameter set.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "motion/stages/StageParameterSet.h"

inline constexpr std::size_t kStageRecordV100Size = 256;

class StageRecordV100 {
  public:
    static constexpr std::size_t kSize = kStageRecordV100Size;
    static constexpr std::size_t kNameLengthOffset = 0xF0;
    static constexpr std::size_t kNameOffset = 0xF1;
    static constexpr std::size_t kNameSize = kSize - kNameOffset;  // 15 characters, no room for NUL

    StageRecordV100() : bytes_{} {}
    explicit StageRecordV100(std::span<const uint8_t, kSize> bytes);

    // The name as the conversion takes it: below a length byte of 15 the text up to its NUL,
    // otherwise all 15 characters.
    std::string Name() const;
    // Length byte and characters; false (name cut to 15) when longer.
    bool SetName(std::string_view name);

    // The parameter set in the current layout. The full conversion (used when a whole old user
    // database is imported) also fills the defaults of the newer board parameters and widens the
    // travel of linear stages by the reference offset.
    StageParameterSet ToV200(bool full) const;

    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    std::span<uint8_t, kSize> Bytes() { return bytes_; }
    std::span<const uint8_t, kSize> Bytes() const { return bytes_; }

  private:
    std::array<uint8_t, kSize> bytes_;
};
