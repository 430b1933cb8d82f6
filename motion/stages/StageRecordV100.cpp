#include "motion/stages/StageRecordV100.h"

#include <algorithm>
#include <cstring>

#include "motion/stages/ByteOrder.h"

namespace {

enum class Src { U8, S8, U16, S16, I32, U32, F64 };
enum class Dst { I32, I64, F64 };

// dst := src, or dst := src / r (counts into units) when perCount is set.
struct Copy {
    uint16_t dst;
    Dst dstKind;
    uint16_t src;
    Src srcKind;
    bool perCount = false;
};

struct Constant {
    uint16_t dst;
    Dst dstKind;
    double value;
};

// Step tables of the conversion, applied in this order; later entries win.
constexpr Copy kCommonHead[] = {
    {0x5C4, Dst::I32, 0x62, Src::U8},
    {0x214, Dst::I32, 0x0E, Src::S16},
    {0x210, Dst::I32, 0x0C, Src::U16},
    {0x218, Dst::I32, 0x12, Src::U16},
    {0x20C, Dst::I32, 0xBF, Src::I32},
    // velocities and accelerations
    {0x554, Dst::F64, 0x14, Src::F64},
    {0x55C, Dst::F64, 0x14, Src::F64},
    {0x574, Dst::F64, 0x1C, Src::F64},
    {0x584, Dst::F64, 0x1C, Src::F64},
    {0x594, Dst::F64, 0x1C, Src::F64},
    {0x57C, Dst::F64, 0x24, Src::F64},
    {0x58C, Dst::F64, 0x24, Src::F64},
    {0x59C, Dst::F64, 0x24, Src::F64},
    {0x5A4, Dst::F64, 0x2C, Src::F64},
    {0x5AC, Dst::F64, 0x2C, Src::F64},
    {0x5B4, Dst::F64, 0x2C, Src::F64},
};

constexpr Copy kType4[] = {
    {0x11C, Dst::I32, 0xC7, Src::U16}, {0x27C, Dst::I32, 0x73, Src::U16},
    {0x26C, Dst::I32, 0x6D, Src::U16}, {0x270, Dst::I32, 0x6F, Src::U16},
    {0x274, Dst::I32, 0x71, Src::U16}, {0x118, Dst::I32, 0x6B, Src::U16},
    {0x20C, Dst::I32, 0xBF, Src::I32}, {0x254, Dst::I32, 0x06, Src::U16},
    {0x244, Dst::I32, 0x00, Src::U16}, {0x248, Dst::I32, 0x02, Src::U16},
    {0x24C, Dst::I32, 0x04, Src::U16}, {0x10C, Dst::I32, 0xCB, Src::U16},
    {0x108, Dst::I32, 0xC9, Src::U16}, {0x114, Dst::I32, 0xBE, Src::U8},
};
constexpr Constant kType4Constants[] = {{0x278, Dst::I32, 0}, {0x250, Dst::I32, 0}};

constexpr Copy kType4Full[] = {
    {0x138, Dst::I32, 0xC7, Src::U16}, {0x12C, Dst::I32, 0x6F, Src::U16},
    {0x140, Dst::I32, 0xBF, Src::I32}, {0x13C, Dst::I32, 0xBF, Src::I32},
    {0x150, Dst::I32, 0x6D, Src::U16}, {0x160, Dst::I32, 0x73, Src::U16},
    {0x154, Dst::I32, 0x6F, Src::U16}, {0x158, Dst::I32, 0x71, Src::U16},
    {0x168, Dst::I32, 0x6B, Src::U16}, {0x164, Dst::I32, 0x6B, Src::U16},
    {0x188, Dst::I32, 0x06, Src::U16}, {0x178, Dst::I32, 0x00, Src::U16},
    {0x17C, Dst::I32, 0x02, Src::U16}, {0x180, Dst::I32, 0x04, Src::U16},
};
constexpr Constant kType4FullConstants[] = {
    {0x128, Dst::I32, 10},      {0x130, Dst::I64, 10},    {0x15C, Dst::I32, 0},
    {0x66C, Dst::I32, 1},       {0x218, Dst::I32, 20000}, {0x1F8, Dst::F64, 32767.0},
    {0x3F4, Dst::F64, 10000.0}, {0x434, Dst::F64, 1.0},   {0x1F0, Dst::F64, 300.0},
    {0x664, Dst::F64, 4000.0},  {0x654, Dst::F64, 154.0}, {0x65C, Dst::F64, 220.0},
    {0x64C, Dst::F64, 175.0},   {0x184, Dst::I32, 0},     {0x190, Dst::I32, 10000},
    {0x18C, Dst::I32, 10000},   {0x104, Dst::I32, 3},     {0x110, Dst::I32, 0},
};

// DC motor, voice coil and type 7.
constexpr Copy kServo[] = {
    {0x244, Dst::I32, 0x00, Src::U16}, {0x248, Dst::I32, 0x02, Src::U16},
    {0x24C, Dst::I32, 0x04, Src::U16}, {0x254, Dst::I32, 0x06, Src::U16},
    {0x260, Dst::I32, 0x0A, Src::U16}, {0x250, Dst::I32, 0x08, Src::U16},
    {0x128, Dst::I32, 0x00, Src::U16}, {0x12C, Dst::I32, 0x02, Src::U16},
    {0x130, Dst::I32, 0x04, Src::U16}, {0x134, Dst::I32, 0x08, Src::U16},
    {0x138, Dst::I32, 0x06, Src::U16}, {0x150, Dst::I32, 0x00, Src::U16},
    {0x154, Dst::I32, 0x02, Src::U16}, {0x158, Dst::I32, 0x04, Src::U16},
    {0x15C, Dst::I32, 0x08, Src::U16}, {0x160, Dst::I32, 0x06, Src::U16},
    {0x140, Dst::I32, 0xBF, Src::I32}, {0x13C, Dst::I32, 0xBF, Src::I32},
};
constexpr Constant kServoConstants[] = {{0x104, Dst::I32, 1},
                                        {0x1F8, Dst::F64, 32767.0},
                                        {0x3F4, Dst::F64, 10000.0},
                                        {0x434, Dst::F64, 1.0}};

constexpr Copy kCommonTail[] = {
    {0x2D4, Dst::F64, 0xE8, Src::U32}, {0x2EC, Dst::F64, 0xE8, Src::U32},
    {0x2DC, Dst::F64, 0xEC, Src::U32}, {0x2F4, Dst::F64, 0xEC, Src::U32},
    {0x2E4, Dst::F64, 0xE4, Src::U32}, {0x2FC, Dst::F64, 0xE4, Src::U32},
    {0x5C8, Dst::I32, 0x65, Src::U8},  {0x01C, Dst::F64, 0x50, Src::I32, true},
    {0x078, Dst::I32, 0x60, Src::U8},  {0x054, Dst::I64, 0x38, Src::I32},
    {0x04C, Dst::I64, 0x34, Src::I32}, {0x064, Dst::I32, 0x46, Src::U8},
};
constexpr Constant kCommonTailConstants[] = {{0x304, Dst::I32, 500}};

constexpr Copy kFlagsAndCurrents[] = {
    {0x070, Dst::I32, 0xBC, Src::U8},        {0x068, Dst::I32, 0x47, Src::U8},
    {0x060, Dst::I32, 0x3D, Src::S8},        {0x06C, Dst::I32, 0xBB, Src::U8},
    {0x03C, Dst::F64, 0x5C, Src::I32, true}, {0x034, Dst::F64, 0x58, Src::I32, true},
    {0x05C, Dst::I32, 0x3C, Src::U8},        {0x074, Dst::I32, 0x66, Src::U8},
    {0x29C, Dst::I32, 0xD9, Src::U16},       {0x298, Dst::I32, 0xD7, Src::U16},
    {0x294, Dst::I32, 0xD5, Src::U16},       {0x2A0, Dst::I32, 0xDB, Src::U16},
    {0x000, Dst::I32, 0x63, Src::U16},       {0x220, Dst::I32, 0xDD, Src::U8},
    {0x224, Dst::I32, 0xDE, Src::U8},        {0x228, Dst::I32, 0x67, Src::U8},
};

class Converter {
  public:
    Converter(const uint8_t* old, StageParameterSet& out) : old_(old), out_(out) {
        const int32_t numerator = I32(0x34);
        const int32_t denominator = I32(0x38);
        // A zero numerator would turn every converted position into infinity.
        r_ = (denominator < 1 || numerator == 0) ? 1.0 : double(numerator) / double(denominator);
    }

    void Apply(std::span<const Copy> copies) {
        for (const Copy& c : copies) {
            const double v = Read(c.src, c.srcKind);
            Store(c.dst, c.dstKind, c.perCount ? v / r_ : v);
        }
    }
    void Apply(std::span<const Constant> constants) {
        for (const Constant& c : constants) Store(c.dst, c.dstKind, c.value);
    }
    void CopyBytes(std::size_t dst, std::size_t src, std::size_t n) {
        std::memcpy(out_.data() + dst, old_ + src, n);
    }

    uint8_t U8(std::size_t o) const { return old_[o]; }
    uint16_t U16(std::size_t o) const { return stage_bytes::LoadLE<uint16_t>(old_ + o); }
    int32_t I32(std::size_t o) const { return stage_bytes::LoadLE<int32_t>(old_ + o); }
    uint32_t U32(std::size_t o) const { return stage_bytes::LoadLE<uint32_t>(old_ + o); }
    double F64(std::size_t o) const { return stage_bytes::LoadLE<double>(old_ + o); }
    double r() const { return r_; }

  private:
    double Read(std::size_t o, Src kind) const {
        switch (kind) {
            case Src::U8:
                return U8(o);
            case Src::S8:
                return static_cast<int8_t>(U8(o));
            case Src::U16:
                return U16(o);
            case Src::S16:
                return static_cast<int16_t>(U16(o));
            case Src::I32:
                return I32(o);
            case Src::U32:
                return U32(o);
            case Src::F64:
                return F64(o);
        }
        return 0;
    }
    void Store(std::size_t o, Dst kind, double v) {
        switch (kind) {
            case Dst::I32:
                out_.SetAt<int32_t>(o, static_cast<int32_t>(v));
                break;
            case Dst::I64:
                out_.SetAt<int64_t>(o, static_cast<int64_t>(v));
                break;
            case Dst::F64:
                out_.SetAt<double>(o, v);
                break;
        }
    }

    const uint8_t* old_;
    StageParameterSet& out_;
    double r_;
};

}  // namespace

StageRecordV100::StageRecordV100(std::span<const uint8_t, kSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), bytes_.begin());
}

std::string StageRecordV100::Name() const {
    const char* text = reinterpret_cast<const char*>(bytes_.data() + kNameOffset);
    std::size_t n = 0;
    if (bytes_[kNameLengthOffset] < kNameSize) {
        while (n < kNameSize && text[n] != '\0') ++n;
    } else {
        n = kNameSize;
    }
    return std::string(text, n);
}

bool StageRecordV100::SetName(std::string_view name) {
    const std::size_t n = std::min(name.size(), kNameSize);
    bytes_[kNameLengthOffset] = static_cast<uint8_t>(n);
    for (std::size_t i = 0; i < kNameSize; ++i)
        bytes_[kNameOffset + i] = i < n ? static_cast<uint8_t>(name[i]) : 0;
    return n == name.size();
}

StageParameterSet StageRecordV100::ToV200(bool full) const {
    using namespace StageFields;
    StageParameterSet set;
    Converter c(bytes_.data(), set);
    const double r = c.r();

    set.SetControllerType("ALL");
    c.Apply(kCommonHead);
    c.CopyBytes(0x204, 0xCD, 8);
    set.SetAt<int32_t>(0x21C, c.U8(0xDF) == 1 ? 1 : 0);
    set.Set(kMotMaxPosError, (double(c.U16(0x10)) + double(c.I32(0xB1)) * 65536.0) / r);
    const double maxVel = c.F64(0x14);
    set.Set(kMotCurrentVel73, maxVel * 0.5);
    set.Set(kMotRefVel80, std::min(maxVel * 0.5, 10.0));

    const uint16_t type = c.U16(0x63);
    if (type == 4) {
        c.Apply(kType4);
        c.Apply(kType4Constants);
        if (full) {
            c.Apply(kType4Full);
            c.Apply(kType4FullConstants);
        }
    } else if (type == 0 || type == 7 || type == 2) {
        c.Apply(kServo);
        c.Apply(kServoConstants);
    }
    c.Apply(kCommonTail);
    c.Apply(kCommonTailConstants);

    // Travel: a linear stage imported whole is measured from the reference position.
    const bool rotary = c.U8(0x46) != 0;
    double maxTravel = c.I32(0x48);
    double minTravel = c.I32(0xB7);
    if (full && !rotary) {
        const double shift = double(c.I32(0x4C)) - double(c.I32(0x54));
        maxTravel += shift;
        minTravel += shift;
    }
    set.Set(kMotMaxTravel, maxTravel / r);
    set.Set(kMotMinTravel, minTravel / r);

    if (c.U8(0x47) == 1 || c.I32(0x54) != 0) {
        set.Set(kMotWertBeiRef, c.I32(0x4C) / r);
        set.Set(kMotAbsNegRef, c.I32(0x54) / r);
    } else if (rotary && c.I32(0x4C) == 0) {
        set.Set(kMotWertBeiRef, 0.0);
        set.Set(kMotAbsNegRef, 0.0);
    } else {
        const double ref = (set.Get(kMotMinTravel) + set.Get(kMotMaxTravel)) / 2;
        set.Set(kMotWertBeiRef, ref);
        set.Set(kMotAbsNegRef, ref - set.Get(kMotMinTravel));
    }
    if (c.U32(0xE0) != 0)
        set.Set(kMotAbsPosRef, c.U32(0xE0) / r);
    else
        set.Set(kMotAbsPosRef,
                set.Get(kMotMaxTravel) - set.Get(kMotMinTravel) - set.Get(kMotAbsNegRef));

    c.CopyBytes(kMotFactor.kOffset, 0x3E, 8);
    c.Apply(kFlagsAndCurrents);
    set.SetStageName(Name());
    return set;
}
