#include "camera/board/CcdTraits.h"

#include <initializer_list>

namespace lmv {
namespace {

constexpr ccd_timing kTiming12{63.52f, 20.48f, 7.36f, 10};
constexpr ccd_timing kTiming34{117.28f, 20.48f, 8.4f, 6};
constexpr ccd_timing kTiming56{117.28f, 20.48f, 8.4f, 8};
constexpr ccd_timing kTiming1722{95.5f, 16.0f, 6.4f, 0};
constexpr ccd_timing kTiming912{117.28f, 20.48f, 8.4f, 16};

constexpr ccd_constants kGeneral12{kTiming12, coc_builder_kind::general};
constexpr ccd_constants kGeneral34{kTiming34, coc_builder_kind::general};
constexpr ccd_constants kGeneral56{kTiming56, coc_builder_kind::general};
constexpr ccd_constants kGeneral1720{kTiming1722, coc_builder_kind::general};
constexpr ccd_constants kFast912{kTiming912, coc_builder_kind::ccd_9_12};
constexpr ccd_constants kBuilder2122{kTiming1722, coc_builder_kind::ccd_21_22};

constexpr ccd_words kWordsNone{{0, {}}, {0, {}}, false};
constexpr ccd_words kWords12{{7, {196, 196, 194, 194, 194, 194, 194}}, {3, {197, 195, 195}}, false};
constexpr ccd_words kWords34{{6, {193, 193, 193, 193, 193, 193}}, {3, {194, 194, 194}}, false};
constexpr ccd_words kWords56{{4, {193, 193, 193, 193}}, {4, {193, 193, 193, 193}}, false};
constexpr ccd_words kWords1720{{2, {196, 194}}, {2, {196, 194}}, true};

constexpr ccd_fast_words kFastNone{0, 0, 0};
constexpr ccd_fast_words kFast12{6, 5, 0};
constexpr ccd_fast_words kFast34{0, 4, 0};
constexpr ccd_fast_words kFast1112{0, 0, 34};

constexpr ccd_bin_list kAny{0, {}};
constexpr ccd_bin_list kH8{4, {1, 2, 4, 8}};
constexpr ccd_bin_list kH2{2, {1, 2}};
constexpr ccd_bin_list kV12{13, {1, 2, 4, 8, 16, 32, 60, 64, 120, 128, 240, 256, 480}};
constexpr ccd_bin_list kV34{11, {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024}};
constexpr ccd_bin_list kV56{4, {1, 2, 4, 8}};
constexpr ccd_bin_list kV1720{5, {1, 2, 4, 8, 16}};

constexpr double kCounts12 = 15.7430725;
constexpr double kCounts3612 = 8.526603;
constexpr double kCounts1718 = 10.471204;
constexpr int32_t kLongest56 = 10800000;

constexpr uint32_t submode_set(std::initializer_list<int> modes) {
    uint32_t bits = 0;
    for (int m : modes) bits |= 1u << m;
    return bits;
}

using D = ccd_dialog;

// clang-format off
constexpr ccd_traits kCcds[] = {
// typ col  width height aoi  pd_lo pd_hi constants   words       fast       settle exp_max    short counts       vbin    hbin dbl    black  trig opt  sensor fast submodes                 header board3 init       open
  {1,  false, 640,  480, 128, 1500, 3071, kGeneral12,  kWords12, kFast12,   50,    0,          0,   kCounts12,   kV12,   kH8, false, false, 2,   1,   false, 0,                           false, false, D::by_camera, D::by_camera},
  {2,  true,  640,  480, 128, 1500, 3071, kGeneral12,  kWords12, kFast12,   50,    0,          0,   kCounts12,   kV12,   kH8, false, false, 2,   1,   false, 0,                           false, false, D::by_camera, D::by_camera},
  {3,  false, 1280, 1024, 160, 1900, 3071, kGeneral34, kWords34, kFast34,   150,   0,          0,   kCounts3612, kV34,   kH8, false, false, 2,   1,   false, submode_set({6}),               false, false, D::by_camera, D::by_camera},
  {4,  true,  1280, 1024, 160, 1900, 3071, kGeneral34, kWords34, kFast34,   150,   0,          0,   kCounts3612, kV34,   kH8, false, false, 2,   1,   false, 0,                           false, false, D::by_camera, D::by_camera},
  {5,  false, 1312, 1032, 128, 1900, 3071, kGeneral56, kWords56, kFastNone,   150,   kLongest56, 24,  kCounts3612, kV56,   kH8, false, false, 2,   1,   false, 0,                           false, false, D::interline, D::by_camera},
  {6,  true,  1312, 1032, 128, 1900, 3071, kGeneral56, kWords56, kFastNone,   150,   kLongest56, 24,  kCounts3612, kV56,   kH8, false, false, 2,   1,   false, 0,                           false, false, D::interline, D::by_camera},
  {9,  false, 1280, 1024, 160, 1900, 3071, kFast912,   kWordsNone, kFast34, 150,   0,          0,   kCounts3612, kAny,   kH8, true,  true,  2,   1,   false, submode_set({7, 9}),            false, false, D::hsf,       D::hsf},
  {10, false, 1280, 1024, 160, 1900, 3071, kFast912,   kWordsNone, kFastNone, 150,   0,          0,   kCounts3612, kAny,   kH8, true,  true,  2,   1,   false, submode_set({7, 8, 9}),         false, false, D::hsf,       D::hsf},
  {11, false, 1280, 1024, 160, 1900, 3071, kFast912,   kWordsNone, kFast1112, 150,   0,          0,   kCounts3612, kV34,   kH8, false, true,  2,   1,   false, submode_set({9}),               false, false, D::hsf,       D::hsf},
  {12, true,  1280, 1024, 160, 1900, 3071, kFast912,   kWordsNone, kFast1112, 150,   0,          0,   kCounts3612, kAny,   kH8, false, true,  2,   1,   false, submode_set({9}),               false, false, D::by_camera, D::by_camera},
  {17, false, 1376, 1040, 96,  1900, 3071, kGeneral1720, kWords1720, kFastNone, 110, 0,          16,  kCounts1718, kV1720, kH8, false, false, 2,   2,   true,  0,                           false, false, D::hsl,       D::hsl},
  {18, true,  1376, 1040, 96,  1900, 3071, kGeneral1720, kWords1720, kFastNone, 110, 0,          16,  kCounts1718, kV1720, kH8, false, false, 2,   2,   true,  0,                           false, false, D::hsl,       D::hsl},
  {19, false, 1376, 1040, 96,  1900, 3071, kGeneral1720, kWords1720, kFastNone, 110, 0,          16,  0,           kV1720, kH8, false, false, 4,   1,   false, 0,                           false, false, D::hsl,       D::by_camera},
  {20, true,  1376, 1040, 96,  1900, 3071, kGeneral1720, kWords1720, kFastNone, 0,   0,          16,  0,           kV1720, kH8, false, false, 4,   1,   false, 0,                           false, false, D::hsl,       D::by_camera},
  {21, false, 1376, 1040, 96,  1900, 3071, kBuilder2122, kWordsNone, kFastNone, 110, 0,          16,  0,           kH2,    kH2, false, false, 4,   1,   true,  0,                           true,  true,  D::hsl,       D::by_camera},
  {22, true,  1376, 1040, 96,  1900, 3071, kBuilder2122, kWordsNone, kFastNone, 0,   0,          16,  0,           kH2,    kH2, false, false, 4,   1,   true,  0,                           true,  false, D::hsl,       D::by_camera},
};

constexpr ccd_traits kUnknown =
  {0,  false, 0,    0,   0,   1900, 3071, {},          kWordsNone, kFastNone, 0,     0,          0,   0,           kAny,   kH8, false, false, 2,   1,   false, 0,                           false, false, D::by_camera, D::by_camera};
// clang-format on

}  // namespace

const ccd_traits* ccd_lookup(int ccd_typ) {
    for (const auto& c : kCcds)
        if (c.ccd_typ == ccd_typ) return &c;
    return nullptr;
}

const ccd_traits& ccd_traits_or_unknown(int ccd_typ) {
    const ccd_traits* traits = ccd_lookup(ccd_typ);
    return traits ? *traits : kUnknown;
}

}  // namespace lmv
