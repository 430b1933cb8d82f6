#pragma once
// The 2048-byte stage parameter set: one record of a stage database file and, in the same layout,
// the parameter set each controller axis works with. Records are always copied whole; bytes this
// library does not name belong to other controller families and must survive unchanged.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "motion/stages/ByteOrder.h"

inline constexpr std::size_t kStageParameterSetSize = 2048;

// A typed field at a fixed offset; the offset is checked against the record size at compile time.
template <typename T, std::size_t Offset>
struct StageField {
    static_assert(std::is_arithmetic_v<T>, "stage fields are numbers");
    static_assert(Offset + sizeof(T) <= kStageParameterSetSize, "field lies outside the set");
    using Type = T;
    static constexpr std::size_t kOffset = Offset;
};

// The fields the library reads or writes, named after their parameters.
namespace StageFields {
inline constexpr StageField<int32_t, 0x000> kMotType{};         // 0 DC, 2 voice coil, 6 stepper
inline constexpr StageField<double, 0x004> kMotMinTravel{};     // stored x kMotFactor
inline constexpr StageField<double, 0x00C> kMotMaxTravel{};     // stored x kMotFactor
inline constexpr StageField<double, 0x014> kMotWertBeiRef{};    // position at the reference switch
inline constexpr StageField<double, 0x01C> kPositionValue1C{};  // filled by the old-layout import
inline constexpr StageField<double, 0x024> kMotAbsNegRef{};
inline constexpr StageField<double, 0x02C> kMotAbsPosRef{};
inline constexpr StageField<double, 0x034> kPositionValue34{};
inline constexpr StageField<double, 0x03C> kPositionValue3C{};
inline constexpr StageField<double, 0x044> kMotFactor{};
inline constexpr StageField<int64_t, 0x04C> kMotCpuZ{};
inline constexpr StageField<int64_t, 0x054> kMotCpuN{};
inline constexpr StageField<int32_t, 0x05C> kValue5C{};
inline constexpr StageField<int32_t, 0x060> kMotInvert{};  // +1 or -1
inline constexpr StageField<int32_t, 0x064> kMotRadial{};
inline constexpr StageField<int32_t, 0x068> kMotHatRef{};
inline constexpr StageField<int32_t, 0x06C> kMotRefInvert{};
inline constexpr StageField<int32_t, 0x070> kMotNoLimitSwitch{};
inline constexpr StageField<int32_t, 0x074> kMotHatBremse{};
inline constexpr StageField<int32_t, 0x078> kMotAchsLimMode{};  // 0 or 3
inline constexpr StageField<double, 0x204> kMotSettleTimeSec{};
inline constexpr StageField<int32_t, 0x20C> kMotSettleWindow{};
inline constexpr StageField<int32_t, 0x244> kMotP{};
inline constexpr StageField<int32_t, 0x248> kMotI{};
inline constexpr StageField<int32_t, 0x24C> kMotD{};
inline constexpr StageField<int32_t, 0x254> kMotILim{};
inline constexpr StageField<int32_t, 0x294> kMotStepperHc{};
inline constexpr StageField<int32_t, 0x298> kMotStepperDc{};
inline constexpr StageField<int32_t, 0x29C> kMotStepperHt{};
inline constexpr StageField<int32_t, 0x2A0> kMotStepperMaxCurrent{};
inline constexpr StageField<double, 0x554> kMotMaxVel10{};
inline constexpr StageField<double, 0x564> kMotCurrentVel73{};
inline constexpr StageField<double, 0x56C> kMotRefVel80{};
inline constexpr StageField<double, 0x574> kMotMaxAccel74{};
inline constexpr StageField<double, 0x584> kMotCurrAccel11{};
inline constexpr StageField<double, 0x5BC> kMotMaxPosError{};
inline constexpr StageField<int32_t, 0x5C8> kReferenceResult{};  // copied to the axis when applied

// Texts: the controller type the set is meant for ("ALL" or one controller family) and the name.
inline constexpr std::size_t kControllerTypeOffset = 0x5CC;
inline constexpr std::size_t kControllerTypeSize = 0x7E0 - 0x5CC;
inline constexpr std::size_t kStageNameOffset = 0x7E0;
inline constexpr std::size_t kStageNameSize = 32;  // at most 31 characters and the NUL
}  // namespace StageFields

static_assert(StageFields::kStageNameOffset + StageFields::kStageNameSize ==
              kStageParameterSetSize);

class StageParameterSet {
  public:
    static constexpr std::size_t kSize = kStageParameterSetSize;
    static constexpr std::size_t kMaxNameLength = StageFields::kStageNameSize - 1;

    StageParameterSet() : bytes_{} {}

    template <typename T, std::size_t Offset>
    T Get(StageField<T, Offset>) const {
        return stage_bytes::LoadLE<T>(bytes_.data() + Offset);
    }
    template <typename T, std::size_t Offset>
    void Set(StageField<T, Offset>, std::type_identity_t<T> value) {
        stage_bytes::StoreLE<T>(bytes_.data() + Offset, value);
    }

    // Access by offset for fields without a name here (other controller families, the import of
    // the old layout). Out-of-range offsets read 0 and write nothing.
    template <typename T>
    T GetAt(std::size_t offset) const {
        return Fits<T>(offset) ? stage_bytes::LoadLE<T>(bytes_.data() + offset) : T{};
    }
    template <typename T>
    void SetAt(std::size_t offset, std::type_identity_t<T> value) {
        if (Fits<T>(offset)) stage_bytes::StoreLE<T>(bytes_.data() + offset, value);
    }

    // The name up to its NUL (never more than the 32 bytes of its field).
    std::string StageName() const {
        return Text(StageFields::kStageNameOffset, StageFields::kStageNameSize);
    }
    // Stores at most 31 characters and clears the rest of the field; false when the name was
    // longer (the stored name is then cut).
    bool SetStageName(std::string_view name) {
        return SetText(StageFields::kStageNameOffset, StageFields::kStageNameSize, name);
    }
    std::string ControllerType() const {
        return Text(StageFields::kControllerTypeOffset, StageFields::kControllerTypeSize);
    }
    bool SetControllerType(std::string_view type) {
        return SetText(StageFields::kControllerTypeOffset, StageFields::kControllerTypeSize, type);
    }

    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return kSize; }
    std::span<uint8_t, kSize> Bytes() { return bytes_; }
    std::span<const uint8_t, kSize> Bytes() const { return bytes_; }

    bool operator==(const StageParameterSet&) const = default;

  private:
    template <typename T>
    static constexpr bool Fits(std::size_t offset) {
        return offset <= kSize && sizeof(T) <= kSize - offset;
    }
    std::string Text(std::size_t offset, std::size_t size) const {
        const char* p = reinterpret_cast<const char*>(bytes_.data() + offset);
        std::size_t n = 0;
        while (n < size && p[n] != '\0') ++n;
        return std::string(p, n);
    }
    bool SetText(std::size_t offset, std::size_t size, std::string_view text) {
        const std::size_t n = text.size() < size ? text.size() : size - 1;
        for (std::size_t i = 0; i < size; ++i)
            bytes_[offset + i] = i < n ? static_cast<uint8_t>(text[i]) : 0;
        return n == text.size();
    }

    std::array<uint8_t, kSize> bytes_;
};

static_assert(sizeof(StageParameterSet) == kStageParameterSetSize);
static_assert(std::is_trivially_copyable_v<StageParameterSet>);
