#include "camera/session/CameraSetup.h"

#include <cstdint>
#include <cstdio>

#include "camera/acquire/Acquire.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/CameraIdentity.h"
#include "camera/board/SetupMessages.h"
#include "camera/board/SetupPrograms.h"
#include "lmvntcam.h"
#include "winport/Clock.h"

namespace lmv {
namespace {

constexpr uint32_t kNoCameraRaw = 0x795E;  // the temperature register without a camera
constexpr int kCcdChecks = 5;
constexpr int kBothChecks = 3;
constexpr int kCcdMin = -30, kCcdMax = 60;
constexpr int kEleMin = 1, kEleMax = 60;
constexpr uint32_t kStepMs = 10;
constexpr uint32_t kRestartWaitMs = 500;
constexpr uint32_t kIdleWaitMs = 50;
constexpr int kFirstWidth = 64, kFirstHeight = 5;
constexpr size_t kScratchBytes = 1000;

struct temperatures {
    uint32_t raw = 0;
    int ccd = 0;
    int ele = 0;
};

int read_temperatures(int board, temperatures& t) {
    if (int rc = driver::read_register(board, 7, &t.raw); rc != kOk) return rc;
    t.ccd = static_cast<int>(t.raw & 0xFF) - 128;
    t.ele = static_cast<int>((t.raw >> 8) & 0xFF) - 128;
    return kOk;
}

int high_byte(int board, uint32_t* value) {
    temperatures t;
    if (int rc = read_temperatures(board, t); rc != kOk) return rc;
    *value = (t.raw >> 8) & 0xFF;
    return kOk;
}

int temperature_failure(const temperatures& t) {
    log_message(kLogSetupError, "temperature test failed %d %d \r\n", t.ccd, t.ele);
    return kNotInitialised;
}

int load_program(uint16_t selector) {
    setup_program program = setup_program_for(selector);
    return LOAD_USER_COC(program.data());
}

// Loads the program, then lets the camera run it once.
int run_program(int board, uint16_t selector) {
    if (int rc = load_program(selector); rc != kOk) return rc;
    if (int rc = driver::write_register(board, 0, camera::kRun); rc != kOk) return rc;
    winport::SleepMs(kStepMs);
    return driver::write_register(board, 0, 0);
}

// A camera that reads 0x795E twice does not answer: 120 after restarting the link.
int check_ccd_temperature(int board) {
    temperatures t;
    for (int i = 0; i < kCcdChecks; ++i) {
        if (i > 0) winport::SleepMs(kStepMs);
        if (int rc = read_temperatures(board, t); rc != kOk) return rc;
        setup_box("stat %x %d %d", t.raw, t.ccd, t.ele);
        if (t.raw == kNoCameraRaw) {
            winport::SleepMs(kStepMs);
            if (int rc = read_temperatures(board, t); rc != kOk) return rc;
            if (t.raw == kNoCameraRaw) {
                (void)driver::board_command(
                    board,
                    ioctl::kCmdRestartLink);  // best effort; the next request reports a dead board
                winport::SleepMs(kRestartWaitMs);
                return kNoCameraAnswer;
            }
            continue;
        }
        if (t.ccd < kCcdMin || t.ccd > kCcdMax) return temperature_failure(t);
    }
    log_message(kLogInit, "setupboard ccd-temperature ok,  ccd %d ele %d \r\n", t.ccd, t.ele);
    winport::SleepMs(kStepMs);
    return kOk;
}

int check_both_temperatures(int board, board_record& rec) {
    if (int rc = load_program(kProgramTemperatures); rc != kOk) return rc;
    if (int rc = run_program(board, kProgramTemperatures); rc != kOk) return rc;
    temperatures t;
    for (int i = 0; i < kBothChecks; ++i) {
        if (i > 0) winport::SleepMs(kStepMs);
        if (int rc = read_temperatures(board, t); rc != kOk) return rc;
        setup_box("stat %x %d %d", t.raw, t.ccd, t.ele);
        if (t.ccd < kCcdMin || t.ccd > kCcdMax || t.ele < kEleMin || t.ele > kEleMax)
            return temperature_failure(t);
    }
    log_message(kLogInit, "setupboard both temperatures ok,  ccd %d ele %d \r\n", t.ccd, t.ele);
    rec.ccd_temp = t.ccd;
    rec.ele_temp = t.ele;
    return kOk;
}

// A camera without the extra sensor answers the extra-sensor program with its electronics
// temperature (within 2 degrees); any other byte is the extended camera byte, and such a camera
// also reports its identification byte and camera id.
int read_extra_sensor(int board, board_record& rec, uint32_t* ident_byte) {
    *ident_byte = 0;
    uint32_t extra = 0;
    if (int rc = run_program(board, kProgramExtraSensor); rc != kOk) return rc;
    if (int rc = high_byte(board, &extra); rc != kOk) return rc;
    const int raw_ele = rec.ele_temp + 128;
    const int value = static_cast<int>(extra);
    if (value >= raw_ele - 2 && value <= raw_ele + 2) return kOk;
    rec.status_extra = (rec.status_extra & 0xFF00) | static_cast<int32_t>(extra << 8);
    winport::SleepMs(kStepMs);
    if (int rc = run_program(board, kProgramIdentByte); rc != kOk) return rc;
    if (int rc = high_byte(board, ident_byte); rc != kOk) return rc;
    winport::SleepMs(kStepMs);
    uint32_t id = 0;
    if (int rc = run_program(board, kProgramCameraId); rc != kOk) return rc;
    if (int rc = high_byte(board, &id); rc != kOk) return rc;
    rec.camera_id = static_cast<int32_t>(id);
    winport::SleepMs(kStepMs);
    return kOk;
}

int camera_idle(int board) {
    uint32_t raw = 0;
    int rc = run_program(board, kProgramTemperatures);
    if (rc == kOk) rc = driver::read_register(board, 7, &raw);
    if (rc == kOk) rc = driver::write_register(board, 0, camera::kRun);
    if (rc == kOk) rc = driver::board_command(board, ioctl::kCmdRestartLink);
    if (rc == kOk) {
        winport::SleepMs(kIdleWaitMs);
        rc = driver::write_register(board, 0, 0);
    }
    if (rc != kOk) {
        setup_box("error idle");
        log_message(kLogSetupError, "error idle \r\n");
        return rc;
    }
    return driver::read_register(board, 7, &raw);
}

int take_idle_picture(int board) {
    uint32_t status = 0;
    if (int rc = driver::read_status(board, &status); rc != kOk) return rc;
    if (!camera::picture_waiting(status)) {
        setup_box("error picin");
        log_message(kLogSetupError, "error no picture  \r\n");
        return kNotInitialised;
    }
    if (int rc = camera::empty_board_buffer(board); rc != kOk) {
        setup_box("error clear");
        log_message(kLogSetupError, "error clear buffers \r\n");
        return rc;
    }
    return kOk;
}

int first_read(int board, board_record& rec) {
    if (int rc = acquire_start(board, rec, 0); rc != kOk) return rc;
    unsigned short scratch[kScratchBytes / sizeof(unsigned short)] = {};
    static_assert(sizeof scratch >= kFirstWidth * kFirstHeight * sizeof(unsigned short));
    const int rc = READ_IMAGE_12BIT(0, kFirstWidth, kFirstHeight, scratch);
    (void)acquire_stop(board, rec, 0);
    (void)camera::empty_board_buffer(board);
    return rc;
}

}  // namespace

int setup_board(int board) {
    board_record* rec = record_of(board);
    if (!rec) return kNoMemory;
    if (int rc = driver::board_command(board, ioctl::kCmdReset); rc != kOk) return rc;
    winport::SleepMs(5);
    if (int rc = driver::write_register(board, 0, 0); rc != kOk) return rc;
    if (int rc = check_ccd_temperature(board); rc != kOk) return rc;
    if (int rc = check_both_temperatures(board, *rec); rc != kOk) return rc;
    uint32_t ident_byte = 0;
    if (int rc = read_extra_sensor(board, *rec, &ident_byte); rc != kOk) return rc;
    if (int rc = camera_idle(board); rc != kOk) return rc;
    if (int rc = take_idle_picture(board); rc != kOk) return rc;
    uint32_t status = 0;
    if (int rc = driver::read_register(board, 6, &status); rc != kOk) return rc;
    int result = decode_camera(*rec, ident_byte, status);
    setup_box("vor dma read");
    if (result == kOk) result = first_read(board, *rec);
    setup_box("nach dma read");
    log_message(kLogInit, "after first dma read  error %d \r\n", result);
    return result;
}

}  // namespace lmv
