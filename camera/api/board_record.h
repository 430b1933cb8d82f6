#pragma once
// Per-board state of the camera library: one record per board, zero-filled when allocated.
#include <cstdint>

namespace winport {
class Event;
}

namespace lmv {

struct recorder_buffer;  // recorder buffer table entry

struct board_record {
    int32_t device;         // driver handle of this board (copied at set-up)
    int32_t board;          // board number
    int32_t board_type;     // low byte 1..3; bits 8-11 variant flag
    int32_t board_version;  // firmware version, two hex digits as one byte value
    int32_t camera_typ;     // 1, 2, 5
    int32_t ccd_typ;        // CCD type code 1..22
    int32_t camera_id;      // -1 until read
    int32_t ccd_width;
    int32_t ccd_height;
    int32_t bits;
    int32_t exp_max;
    int32_t exp_min;
    int32_t camera_flags;  // bit 0 alternate run command set; bit 8 extended shutter
    int32_t aoi_offset;    // added to the area-of-interest command words
    int32_t user_coc;      // 1 after a user table was loaded
    int32_t pics_per_start;
    int32_t firstread;  // next read must stop the camera and clear the board
    int32_t init_mode;  // low byte last SET_INIT mode; bits 8+ registry test flags
    int32_t run_mode;   // low nibble of the last RUN_COC argument; 255 = stopped
    int32_t reserved;
    int32_t ccd_temp;
    int32_t ele_temp;
    int32_t image_ms;
    float coctime;
    float beltime;
    float exptime;
    float deltime;
    int32_t submode;
    int32_t roixmin;
    int32_t roixmax;
    int32_t roiymin;
    int32_t roiymax;
    int32_t vbin;
    int32_t hbin;
    int32_t trigger;       // low byte mode, flags 0x100 and 0x200
    int32_t status_extra;  // bits 0-1 option bits; 8-15 extended camera byte; 16 option program
    int32_t timevalues[400];
    int32_t line_count;
    int32_t gain_index;
    int32_t delay_max;
    int32_t toram_wait;
    int32_t powerdown_lo;
    int32_t powerdown_hi;
    int32_t blacklines;
    int32_t dma_active;
    int32_t dma_stop;
    int32_t dma_count;
    int32_t recorder_busy;
    int32_t clear_needed;
    int32_t avg_count;
    recorder_buffer* buffers;
    int32_t buffer_size;
    int32_t buffer_width;
    int32_t buffer_height;
    int32_t buffer_count;
    void* dma_thread;
    winport::Event* sync_event;  // auto-reset, created signalled
};

}  // namespace lmv
