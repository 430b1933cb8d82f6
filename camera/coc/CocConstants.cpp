#include "camera/coc/CocConstants.h"

namespace lmv {
namespace {

constexpr ccd_timing kTiming12{63.52f, 20.48f, 7.36f, 10};
constexpr ccd_timing kTiming34{117.28f, 20.48f, 8.4f, 6};
constexpr ccd_timing kTiming56{117.28f, 20.48f, 8.4f, 8};
constexpr ccd_timing kTiming1718{95.5f, 16.0f, 6.4f, 0};
constexpr ccd_timing kTiming912{117.28f, 20.48f, 8.4f, 16};

constexpr int kMaxCcdType = 22;

// Index = CCD type; builder general unless stated.
struct constants_entry {
    bool present;
    ccd_constants constants;
};
constexpr constants_entry kNone{false, {}};
constexpr constants_entry general(ccd_timing t) {
    return {true, {t, coc_builder_kind::general}};
}
constexpr constants_entry kFast{true, {kTiming912, coc_builder_kind::ccd_9_12}};
constexpr constants_entry kCcd2122{true, {kTiming1718, coc_builder_kind::ccd_21_22}};

constexpr constants_entry kConstants[kMaxCcdType + 1] = {
    kNone,  // 0
    general(kTiming12),
    general(kTiming12),  // 1, 2
    general(kTiming34),
    general(kTiming34),  // 3, 4
    general(kTiming56),
    general(kTiming56),  // 5, 6
    kNone,
    kNone,  // 7, 8
    kFast,
    kFast,  // 9, 10
    kFast,
    kFast,  // 11, 12
    kNone,
    kNone,  // 13, 14
    kNone,
    kNone,  // 15, 16
    general(kTiming1718),
    general(kTiming1718),  // 17, 18
    general(kTiming1718),
    general(kTiming1718),  // 19, 20
    kCcd2122,
    kCcd2122,  // 21, 22
};

constexpr ccd_words kWordsNone{{0, {}}, {0, {}}, false};
constexpr ccd_words kWords12{{7, {196, 196, 194, 194, 194, 194, 194}}, {3, {197, 195, 195}}, false};
constexpr ccd_words kWords34{{6, {193, 193, 193, 193, 193, 193}}, {3, {194, 194, 194}}, false};
constexpr ccd_words kWords56{{4, {193, 193, 193, 193}}, {4, {193, 193, 193, 193}}, false};
constexpr ccd_words kWords1720{{2, {196, 194}}, {2, {196, 194}}, true};

}  // namespace

const ccd_constants* coc_constants_for(int ccd_typ) {
    if (ccd_typ < 0 || ccd_typ > kMaxCcdType || !kConstants[ccd_typ].present) return nullptr;
    return &kConstants[ccd_typ].constants;
}

const ccd_words& coc_words_for(int ccd_typ) {
    switch (ccd_typ) {
        case 1:
        case 2:
            return kWords12;
        case 3:
        case 4:
            return kWords34;
        case 5:
        case 6:
            return kWords56;
        case 17:
        case 18:
        case 19:
        case 20:
            return kWords1720;
        default:
            return kWordsNone;
    }
}

int coc_option_base(int ccd_typ, int32_t status_extra) {
    int c = 0;
    const bool option_ccd = ccd_typ == 17 || ccd_typ == 18 || ccd_typ == 21 || ccd_typ == 22;
    if (option_ccd && (status_extra & 0x2)) c += 1;
    if ((status_extra & 0x100) && (status_extra & 0x1)) c += 8;
    return c;
}

}  // namespace lmv
