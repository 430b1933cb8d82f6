#include "camera/image/AutoRange.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/coc/CocParamSettings.h"
#include "camera/coc/CocReload.h"
#include "camera/image/BwSettings.h"
#include "camera/image/ImageCapture.h"
#include "camera/image/ImageSize.h"
#include "winport/Clock.h"
#include "winport/Thread.h"

namespace lmv {
namespace {

constexpr int kSinglePicture = 4;
constexpr int32_t kStopped = 255;
constexpr uint32_t kPictureWaitMs = 5000;
constexpr uint32_t kSyncExtraMs = 22000;
constexpr int kAfterwardsImageTimeout = 2000;
constexpr int kDialogMin = 100;
constexpr int kDialogMax = 1650;
constexpr int kShortestStart = 4;
constexpr int kLongStart = 1500;
constexpr int kTooDarkToDouble = 400;

using info_text_fn = int (*)(int board, char* text, int exposure);
using status_dialog_fn = int (*)(int board, int* window, int* status);
using set_dialog_cam_fn = int (*)(int board, int mode, int trig, int roixmin, int roixmax,
                                  int roiymin, int roiymax, int hbin, int vbin, char* text);

// The camera dialog module as far as the automatic exposure talks to it.
struct dialog_link {
    std::shared_ptr<winport::Module> module;
    info_text_fn info = nullptr;
    bool reporting = false;  // flags bit 1 and the camera dialog is open

    void report(int board, const char* text, int exposure) const {
        if (!reporting) return;
        std::string copy(text);
        info(board, copy.data(), exposure);
    }
};

// -13 when a module is loaded without "AUTO_INFO_TEXT".
int link_dialog(int board, int flags, dialog_link& link) {
    link.module = dialog_module(board);
    if (!link.module || !link.module->IsLoaded()) return kOk;
    link.info = reinterpret_cast<info_text_fn>(link.module->Symbol("AUTO_INFO_TEXT"));
    if (!link.info) return kFunctionMissing;
    auto status = reinterpret_cast<status_dialog_fn>(link.module->Symbol("STATUS_DIALOG_CAM"));
    int window = 0, state = 0;
    const bool open = status && status(board, &window, &state) == kOk && window != 0;
    link.reporting = (flags & kAutoRangeInfoText) && open;
    return kOk;
}

// The table of the record, loaded while the sync_event is held; the camera is left stopped with
// its area of interest written.
int load_table(int board, board_record& rec) {
    winport::ScopedThreadPriority raised(winport::ThreadPriority::Highest);
    return coc_load_held(board, rec, nullptr, false);
}

// One single picture into `dst`: start, wait for it, read it.
int take_single(int board, const image_capture_procedures& procs, int width, int height,
                uint16_t* dst) {
    if (int rc = procs.start(board, kSinglePicture); rc != kOk) return rc;
    if (int rc = image_wait_picture(board, kPictureWaitMs); rc != kOk) return rc;
    return procs.read_12bit(board, width, height, dst);
}

void set_camera_dialog(int board, const board_record& rec, const dialog_link& link) {
    if (!link.module || !link.module->IsLoaded()) return;
    auto set = reinterpret_cast<set_dialog_cam_fn>(link.module->Symbol("SET_DIALOG_CAM"));
    if (!set) return;
    coc_parameters p = coc_settings_of(rec);
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,-1,-1", rec.timevalues[0], rec.timevalues[1]);
    set(board, p.mode, p.trigger, p.roixmin, p.roixmax, p.roiymin, p.roiymax, p.hbin, p.vbin, text);
}

const char* state_text(int state) {
    switch (state) {
        case kAutoRangeBreak:
            return "AutoExposure break, no exact exposure time possible";
        case kAutoRangeUnder:
            return "AutoExposure Under-Exposure, Picture to dark";
        default:
            return "AutoExposure Over-Exposure, Picture to bright";
    }
}

// The board's sync_event is held from here to the end of the search.
class auto_range_run {
  public:
    auto_range_run(int board, int flags, board_record& rec, const image_capture_procedures& procs,
                   const dialog_link& link)
        : board_(board), flags_(flags), rec_(rec), procs_(procs), link_(link) {}

    int run(int* exposure, int percent, int width, int height, uint16_t* image) {
        int w = 0, h = 0;
        if (!image_size_of(rec_, w, h)) return kWrongParameter;
        std::vector<uint16_t> picture;
        try {
            picture.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        } catch (const std::bad_alloc&) {
            return kNoMemory;
        }
        saved_run_mode_ = rec_.run_mode;
        saved_exposure_ = rec_.timevalues[1];
        const int32_t saved_submode = rec_.submode;
        exposure_search s = exposure_search_start(saved_exposure_);
        rec_.submode = 0;
        rec_.timevalues[1] = s.exposure;
        const long long target = static_cast<long long>(picture.size()) * percent / 100;
        int rc = load_table(board_, rec_);
        const uint32_t t0 = winport::TickCount();
        while (rc == kOk && s.state == 0) {
            rc = take_single(board_, procs_, w, h, picture.data());
            if (rc != kOk) break;
            link_.report(board_, "AutoExposure running", s.exposure);
            const int n = level_above_share(picture.data(), picture.size(), target);
            if (!exposure_search_step(s, n)) break;
            rec_.timevalues[1] = s.exposure;
            rc = load_table(board_, rec_);
            if (s.state == 0 && winport::TicksSince(t0) > kAutoRangeTimeLimitMs)
                s.state = kAutoRangeBreak;
        }
        rec_.submode = saved_submode;
        if (rc == kOk) rc = load_table(board_, rec_);
        if (rc != kOk) return failed(rc, exposure);
        return succeeded(s, exposure, width, height, image);
    }

    // The board keeps the old exposure in its record and, so that pictures match it, its table.
    int failed(int rc, int* exposure) {
        rec_.run_mode = saved_run_mode_;
        rec_.timevalues[1] = saved_exposure_;
        *exposure = saved_exposure_;
        load_table(board_, rec_);
        library().imageTimeout = kAfterwardsImageTimeout;
        char text[64];
        std::snprintf(text, sizeof text, "AutoExposure error: %d", rc);
        link_.report(board_, text, saved_exposure_);
        return rc;
    }

    int succeeded(const exposure_search& s, int* exposure, int width, int height, uint16_t* image) {
        *exposure = s.exposure;
        int rc = kOk;
        if (image) rc = take_single(board_, procs_, width, height, image);
        library().imageTimeout = kAfterwardsImageTimeout;
        if (flags_ & kAutoRangeSetDialogs) {
            bw_parameters p = bw_current();
            bw_set_dialog(kDialogMin, kDialogMax, p.lin);
            set_camera_dialog(board_, rec_, link_);
        }
        rec_.run_mode = saved_run_mode_;
        if (saved_run_mode_ != kStopped) procs_.start(board_, saved_run_mode_);
        if (s.state) {
            link_.report(board_, state_text(s.state), s.exposure);
            return s.state;
        }
        char text[64];
        if (rc == kOk)
            std::snprintf(text, sizeof text, "AutoExposure done");
        else
            std::snprintf(text, sizeof text, "AutoExposure error: %d", rc);
        link_.report(board_, text, s.exposure);
        return rc;
    }

  private:
    int board_;
    int flags_;
    board_record& rec_;
    image_capture_procedures procs_;
    const dialog_link& link_;
    int32_t saved_run_mode_ = kStopped;
    int32_t saved_exposure_ = 0;
};

}  // namespace

exposure_search exposure_search_start(int exposure) {
    exposure_search s;
    if (exposure > kAutoRangeLongestExposure - 1)
        exposure = kLongStart;
    else if (exposure <= 1)
        exposure = kShortestStart;
    s.exposure = exposure;
    s.step = exposure;
    return s;
}

bool exposure_search_step(exposure_search& s, int n) {
    if (n > kAutoRangeLowLevel - 1 && n < kAutoRangeHighLevel) return false;
    if (n < kAutoRangeLowLevel) {  // too dark
        if (s.exposure <= s.previous) s.step = (s.exposure - s.previous) / 2;
        if (n < kTooDarkToDouble) s.step *= 2;
        s.step = std::abs(s.step);
        if (s.step == 0) s.state = kAutoRangeBreak;
        s.previous = s.exposure;
        s.exposure += s.step;
        if (s.exposure > kAutoRangeLongestExposure) {
            s.exposure = kAutoRangeLongestExposure;
            if (s.previous == kAutoRangeLongestExposure) s.state = kAutoRangeUnder;
        }
        return true;
    }
    // too bright
    if (s.exposure >= s.previous) s.step = (s.previous - s.exposure) / 2;
    s.step = -std::abs(s.step);
    if (s.step == 0) s.state = kAutoRangeBreak;
    s.previous = s.exposure;
    s.exposure += s.step;
    if (s.exposure < 1) {
        s.exposure = std::max(s.previous + s.step / 2, 1);
        if (s.exposure == s.previous) s.state = kAutoRangeOver;
    }
    return true;
}

int level_above_share(const uint16_t* image, size_t pixels, long long target) {
    std::vector<uint32_t> histogram(4096, 0);
    for (size_t i = 0; i < pixels; ++i) ++histogram[image[i] & 0xFFF];
    long long sum = 0;
    for (int level = 4095; level >= 0; --level) {
        sum += histogram[level];
        if (sum > target) return level;
    }
    return -1;
}

int auto_range(const image_capture_procedures& procs, int flags, int* exposure, int percent,
               int width, int height, uint16_t* image) {
    const int board = library().currentBoard.load();
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    if (rec->camera_typ != 2 && rec->camera_typ != 3) return kTypeNotSupported;
    if (rec->recorder_busy) return kRecorderOwnsBoard;
    if (!exposure) return kNoMemory;
    if (image && image_size_check(width, height, 2, image_empty::refused) != kOk)
        return kWrongParameter;
    if (board_state(board) < kBoardReady) return kNotInitialised;
    if (!procs.start || !procs.read_12bit) return kFunctionMissing;

    winport::ScopedThreadPriority raised(winport::ThreadPriority::Highest);
    winport::Event* sync = rec->sync_event;
    if (!sync) return kNoResource;
    const auto wait = static_cast<uint32_t>(rec->image_ms) +
                      static_cast<uint32_t>(library().imageTimeout.load()) + kSyncExtraMs;
    if (!sync->Wait(wait)) {
        sync->Set();
        return kTimeout;
    }
    dialog_link link;
    int rc = link_dialog(board, flags, link);
    if (rc == kOk) {
        auto_range_run run(board, flags, *rec, procs, link);
        rc = run.run(exposure, percent, width, height, image);
    }
    sync->Set();
    return rc;
}

}  // namespace lmv
