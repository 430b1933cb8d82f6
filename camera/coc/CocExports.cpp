// Exports of the camera operation code parameters: check, read back, image size, user
// tables and the user area of interest.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/coc/CocBuilder.h"
#include "camera/coc/CocParamCommit.h"
#include "camera/coc/CocParamSettings.h"
#include "camera/coc/TestCoc.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

constexpr unsigned kLogCocError = kLogCocAndMemory | kLogErrors;
constexpr int kSettingsTextBytes = 20000;  // GET_SETTINGS takes the caller's text this large
constexpr int32_t kSizeWithoutRecord = 1431040;
constexpr size_t kUserCocSearchWords = 250000;
constexpr size_t kUserCocLimitWords = 230000;  // an end word here or later does not fit

bool is_end_word(uint16_t word) {
    return ((word >> 8) & 0xF) == 0xF;
}

// The nine parameters behind the caller's pointers.
struct parameter_pointers {
    int* mode;
    int* trigger;
    int* roixmin;
    int* roixmax;
    int* roiymin;
    int* roiymax;
    int* hbin;
    int* vbin;

    bool valid() const {
        return mode && trigger && roixmin && roixmax && roiymin && roiymax && hbin && vbin;
    }
    coc_parameters read() const {
        coc_parameters p;
        p.mode = *mode;
        p.trigger = *trigger;
        p.roixmin = *roixmin;
        p.roixmax = *roixmax;
        p.roiymin = *roiymin;
        p.roiymax = *roiymax;
        p.hbin = *hbin;
        p.vbin = *vbin;
        return p;
    }
    void write(const coc_parameters& p) const {
        *mode = p.mode;
        *trigger = p.trigger;
        *roixmin = p.roixmin;
        *roixmax = p.roixmax;
        *roiymin = p.roiymin;
        *roiymax = p.roiymax;
        *hbin = p.hbin;
        *vbin = p.vbin;
    }
};

// Settings that pass the check may still make a table longer than the board memory (marks or
// exposures of hours); SET_COC would refuse them, so TEST_COC says so instead of passing them.
bool table_too_long(const board_record& rec, const coc_check& checked) {
    board_record copy = rec;
    if (coc_commit_parameters(copy, checked) != kOk) return false;
    coc_previous previous;
    std::vector<uint16_t> table;
    return coc_build(copy, previous, table) == kCocTooLong;
}

int test_coc(const parameter_pointers& ptr, char* text, int* length) {
    const board_record* rec = current_record();
    if (!rec) return kNotInitialised;
    if (!ptr.valid()) return kNoMemory;
    const int capacity = length ? *length : 0;
    try {
        coc_parameters request = ptr.read();
        if (text) {
            const size_t readable = capacity > 0 ? static_cast<size_t>(capacity) : SIZE_MAX;
            request.text.assign(text, strnlen(text, readable));
        }
        coc_check checked;
        const int rc = coc_check_parameters(*rec, request, checked);
        ptr.write(checked.adjusted);
        const std::string& adjusted = checked.adjusted.text;
        const auto needed = static_cast<int>(adjusted.size() + 1);
        if (length) *length = needed;
        if (!text || capacity < needed) return kCocTextTooShort;
        std::memcpy(text, adjusted.c_str(), adjusted.size() + 1);
        if (rc >= kOk && table_too_long(*rec, checked)) return kCocTooLong;
        return rc;
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
}

int get_coc_setting(const parameter_pointers& ptr, char* text, int capacity) {
    log_message(kLogCocAndMemory, "GET_SETTINGS()");
    const board_record* rec = current_record();
    if (!rec) return kNotInitialised;
    if (!ptr.valid()) return kNoMemory;
    coc_parameters settings;
    try {
        settings = coc_settings_of(*rec);
    } catch (const std::bad_alloc&) {
        log_message(kLogCocError, "GET_SETTINGS()not enough memory\r\n");
        return kNoMemory;
    }
    ptr.write(settings);
    if (!text || capacity < 0 || settings.text.size() + 1 > static_cast<size_t>(capacity)) {
        log_message(kLogCocError, "GET_SETTINGS() size of buffer to small\r\n");
        return kNoMemory;
    }
    std::memcpy(text, settings.text.c_str(), settings.text.size() + 1);
    return kOk;
}

int ccd_size(int* size) {
    const board_record* rec = current_record();
    const int32_t value = rec ? rec->ccd_width * rec->ccd_height : kSizeWithoutRecord;
    if (size) *size = value;
    log_message(kLogRecorder, "GET_CCDSIZE ccdsize=%d \r\n", value);
    if (!rec) return kNotInitialised;
    return size ? kOk : kNoMemory;
}

}  // namespace

extern "C" {

LMV_API int TEST_COC(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin, int* roiymax,
                     int* hbin, int* vbin, char* timevalues, int* length) {
    return test_coc({mode, trig, roixmin, roixmax, roiymin, roiymax, hbin, vbin}, timevalues,
                    length);
}

LMV_API int TESTCOC(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin, int* roiymax,
                    int* hbin, int* vbin, char* timevalues, int* length) {
    return test_coc({mode, trig, roixmin, roixmax, roiymin, roiymax, hbin, vbin}, timevalues,
                    length);
}

LMV_API int GET_SETTINGS(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin,
                         int* roiymax, int* hbin, int* vbin, char* timevalues) {
    return get_coc_setting({mode, trig, roixmin, roixmax, roiymin, roiymax, hbin, vbin}, timevalues,
                           kSettingsTextBytes);
}

LMV_API int GET_COC_SETTING(int* mode, int* trig, int* roixmin, int* roixmax, int* roiymin,
                            int* roiymax, int* hbin, int* vbin, char* timevalues, int length) {
    return get_coc_setting({mode, trig, roixmin, roixmax, roiymin, roiymax, hbin, vbin}, timevalues,
                           length);
}

LMV_API int GET_IMAGE_SIZE(int* width, int* height) {
    log_message(kLogCocAndMemory, "GET_IMAGE_SIZE()");
    const board_record* rec = current_record();
    if (!rec) return kNotInitialised;
    if (!width || !height) return kNoMemory;
    const coc_image_size size = coc_image_size_of(*rec);
    *width = size.width;
    *height = size.height;
    return kOk;
}

LMV_API int GET_CCDSIZE(int* size) {
    return ccd_size(size);
}

LMV_API int GET_CCD_SIZE(int* size) {
    return ccd_size(size);
}

LMV_API int LOAD_USER_COC(unsigned short* table) {
    const int board = library().currentBoard.load();
    board_record* rec = record_of(board);
    if (!rec || board_state(board) < kBoardOpened) return kNotInitialised;
    if (rec->recorder_busy) return kRecorderOwnsBoard;
    if (!table) return kNoMemory;
    size_t end = 0;
    while (end < kUserCocSearchWords && !is_end_word(table[end])) ++end;
    if (end >= kUserCocLimitWords) return kCocTooLong;
    const int rc = driver::load_coc(board, table, static_cast<uint32_t>(end + 1));
    if (rc == kOk) rec->user_coc = 1;
    return rc;
}

LMV_API int LOAD_USER_AOI(int x, int y) {
    const int board = library().currentBoard.load();
    // The user's words carry no area-of-interest offset.
    const camera::aoi_words aoi = camera::aoi_words_of(x, y, 0);
    if (int rc = driver::write_register(board, 0, aoi.start); rc != kOk) return rc;
    return driver::write_register(board, 0, aoi.end);
}

}  // extern "C"
