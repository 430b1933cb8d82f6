#include "camera/coc/CocParamSettings.h"

#include <algorithm>

namespace lmv {
namespace {

constexpr int32_t kStatusExtraOptions = 0x100;
constexpr size_t kMaxListPairs = 200;
constexpr size_t kMaxGroups = 100;

int32_t value(const board_record& rec, size_t i) {
    return i < static_cast<size_t>(kCocMaxTimeValues) ? rec.timevalues[i] : -1;
}

// Pairs from `first` up to a -1 (at most `max_pairs`), each "%d,%d,\r\n", then the end mark.
std::string pair_list(const board_record& rec, size_t first, size_t max_pairs) {
    std::string text;
    for (size_t n = 0, i = first; n < max_pairs && value(rec, i) != -1; ++n, i += 2)
        text += coc_format("%d,%d,\r\n", value(rec, i), value(rec, i + 1));
    return text + "-1,-1,\r\n";
}

std::string group_list(const board_record& rec) {
    std::string text;
    for (size_t n = 0, i = 0; n < kMaxGroups && value(rec, i) != -1; ++n, i += 4)
        text += coc_format("%d,%d,%d,%d,\r\n", value(rec, i), value(rec, i + 1), value(rec, i + 2),
                           value(rec, i + 3));
    return text + "-1,-1,\r\n";
}

std::string long_exposure_text(const board_record& rec) {
    const int32_t* v = rec.timevalues;
    switch (rec.submode) {
        case 2:
        case 3:
            return coc_format("%d,%d,0,0,%d,%d,-1,-1\n", v[0], v[1], v[2], v[3]);
        case 5:
            if (v[2] > 1) return coc_format("%d,%d,%d,0,-1,-1\n", v[0], v[1], v[2]);
            return coc_format("%d,%d,-1,-1\n", v[0], v[1]);
        case 6:
            return coc_format("%d,%d,%d,%d,-1,-1\n", v[0], v[1], v[2], v[3]);
        case 18:
        case 19:
            return "-1,-1\n";
        default:
            return coc_format("%d,%d,-1,-1\n", v[0], v[1]);
    }
}

std::string fast_shutter_text(const board_record& rec) {
    const int32_t* v = rec.timevalues;
    switch (rec.submode) {
        case 1:
        case 2:
            return "-1,-1\n";
        case 3:
            return coc_format("%d,0,-1,-1,\r\n", v[0]);
        case 4:  // the two gates and the closing gap
            return pair_list(rec, 0, 3);
        case 7:
        case 8:
            return pair_list(rec, 0, 6);
        case 9:
            return pair_list(rec, 0, 1);
        case 6:
            return coc_format("%d,0,\r\n", rec.line_count) + pair_list(rec, 0, kMaxListPairs);
        default:
            return pair_list(rec, 0, kMaxListPairs);
    }
}

int class_byte(const board_record& rec) {
    switch (coc_class_of(rec.camera_typ)) {
        case coc_camera_class::fast_shutter:
            return 1;
        case coc_camera_class::intensified:
            return 5;
        default:
            return 0;
    }
}

std::string time_text(const board_record& rec) {
    switch (coc_class_of(rec.camera_typ)) {
        case coc_camera_class::long_exposure:
            return long_exposure_text(rec);
        case coc_camera_class::fast_shutter:
            return fast_shutter_text(rec);
        case coc_camera_class::intensified:
            return group_list(rec);
        case coc_camera_class::other:
            break;
    }
    return pair_list(rec, 0, kMaxListPairs);
}

bool double_image(const board_record& rec) {
    const int s = rec.submode;
    switch (coc_class_of(rec.camera_typ)) {
        case coc_camera_class::fast_shutter:
            return s == 1 || s == 2 || s == 4;
        case coc_camera_class::intensified:
            return s == 2;
        case coc_camera_class::long_exposure:
            return s == 6 || s == 17 || s == 19;
        case coc_camera_class::other:
            break;
    }
    return false;
}

}  // namespace

coc_parameters coc_settings_of(const board_record& rec) {
    coc_parameters p;
    int options = 0;
    if (rec.status_extra & kStatusExtraOptions) options = rec.status_extra & 0x3;
    p.mode = coc_make_mode(class_byte(rec), options, rec.submode & 0xFF);
    p.trigger = rec.trigger;
    p.hbin = rec.hbin;
    p.vbin = rec.vbin + (rec.blacklines << 16);
    coc_region_blocks(rec, p);
    p.text = time_text(rec);
    return p;
}

coc_image_size coc_image_size_of(const board_record& rec) {
    const int32_t hbin = std::max(rec.hbin, 1);
    const int32_t vbin = std::max(rec.vbin, 1);
    const int32_t rows = rec.roiymax - rec.roiymin;
    coc_image_size size{(rec.roixmax - rec.roixmin) / hbin, rows / vbin + rec.blacklines};
    if (double_image(rec)) size.height = 2 * rows / vbin + 2 * rec.blacklines;
    // The line sequence: blocks of lines, one after the other.
    if (coc_class_of(rec.camera_typ) == coc_camera_class::long_exposure && rec.submode == 5) {
        size.height = rec.timevalues[0] / vbin;
        if (rec.timevalues[2] > 0) size.height *= rec.timevalues[2];
    }
    return size;
}

}  // namespace lmv
