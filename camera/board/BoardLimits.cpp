#include "camera/board/BoardLimits.h"

#include "camera/board/CcdTraits.h"

namespace lmv {
namespace {

constexpr int32_t kInitModeLongExposure = 0x100;   // registry test flag bit 8
constexpr int32_t kInitModeShortExposure = 0x200;  // bit 9
constexpr int kDefaultCcd = 1;                     // assumed until the camera is identified

struct intensifier_mode {
    int32_t exp_min;
    int32_t delay_max;
    int32_t gain_index;
};
constexpr intensifier_mode kIntensifierModes[8] = {
    {100, 500, 0}, {5, 300000, 1}, {5, 300000, 2}, {3, 300000, 3},
    {5, 500, 8},   {3, 500, 9},    {1, 500, 10},   {20, 500, 11},
};
constexpr int32_t kIntensifierTimes[8] = {2, 990, 0, 1, 0, 0, 0, 1000};

}  // namespace

void write_record_defaults(board_record& rec, int board) {
    board_record kept = rec;
    rec = board_record{};
    rec.device = kept.device;
    rec.board_type = kept.board_type;
    rec.board_version = kept.board_version;
    rec.init_mode = kept.init_mode;
    rec.recorder_busy = kept.recorder_busy;
    rec.dma_active = kept.dma_active;
    rec.dma_stop = kept.dma_stop;
    rec.dma_count = kept.dma_count;
    rec.avg_count = kept.avg_count;
    rec.buffers = kept.buffers;
    rec.buffer_size = kept.buffer_size;
    rec.buffer_width = kept.buffer_width;
    rec.buffer_height = kept.buffer_height;
    rec.buffer_count = kept.buffer_count;
    rec.dma_thread = kept.dma_thread;
    rec.sync_event = kept.sync_event;
    rec.board = board;
    rec.camera_typ = 2;
    const ccd_traits& ccd = *ccd_lookup(kDefaultCcd);
    rec.ccd_typ = ccd.ccd_typ;
    rec.camera_id = -1;
    rec.ccd_width = ccd.width;
    rec.ccd_height = ccd.height;
    rec.bits = 12;
    rec.exp_max = 1000000;
    rec.exp_min = 100;
    rec.aoi_offset = ccd.aoi_offset;
    rec.pics_per_start = 1;
    rec.run_mode = 255;
    rec.image_ms = 20;
    rec.roixmax = ccd.width;
    rec.roiymax = ccd.height;
    rec.hbin = 1;
    rec.vbin = 1;
    rec.timevalues[1] = 10000;
    rec.timevalues[2] = -1;
    rec.timevalues[3] = -1;
    rec.delay_max = 500;
    rec.toram_wait = 500;
    rec.powerdown_lo = ccd.powerdown_lo;
    rec.powerdown_hi = ccd.powerdown_hi;
}

void set_exposure_limits(board_record& rec) {
    const bool long_exposure = rec.init_mode & kInitModeLongExposure;
    rec.exp_max = long_exposure ? 10800000 : 3600000;
    rec.exp_min = 1;
    if (rec.camera_typ == 1) {
        rec.exp_min = (rec.init_mode & kInitModeShortExposure) ? 50 : 100;
        rec.exp_max = long_exposure ? 9999900 : 1000000;
    }
    if (const int32_t fixed = ccd_traits_or_unknown(rec.ccd_typ).exp_max) rec.exp_max = fixed;
}

void set_intensifier_limits(board_record& rec, unsigned gain_mode) {
    const intensifier_mode& m = kIntensifierModes[gain_mode & 7];
    rec.exp_min = m.exp_min;
    rec.delay_max = m.delay_max;
    rec.gain_index = m.gain_index;
    for (int i = 0; i < 8; ++i) rec.timevalues[i] = kIntensifierTimes[i];
}

}  // namespace lmv
