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

int ReadTemperatures(int board, temperatures& t) {
    if (int rc = driver::ReadRegister(board, 7, &t.raw); rc != kOk) return rc;
    t.ccd = static_cast<int>(t.raw & 0xFF) - 128;
    t.ele = static_cast<int>((t.raw >> 8) & 0xFF) - 128;
    return kOk;
}

int HighByte(int board, uint32_t* value) {
    temperatures t;
    if (int rc = ReadTemperatures(board, t); rc != kOk) return rc;
    *value = (t.raw >> 8) & 0xFF;
    return kOk;
}

int Failed(const temperatures& t) {
    LogMessage(kLogSetupError, "temperature test failed %d %d \r\n", t.ccd, t.ele);
    return kNotInitialised;
}

int LoadProgram(uint16_t selector) {
    setup_program program = SetupProgram(selector);
    return LOAD_USER_COC(program.data());
}

// Loads the program, then lets the camera run it once.
int RunProgram(int board, uint16_t selector) {
    if (int rc = LoadProgram(selector); rc != kOk) return rc;
    if (int rc = driver::WriteRegister(board, 0, camera::kRun); rc != kOk) return rc;
    winport::SleepMs(kStepMs);
    return driver::WriteRegister(board, 0, 0);
}

// A camera that reads 0x795E twice does not answer: 120 after restarting the link.
int CheckCcdTemperature(int board) {
    temperatures t;
    for (int i = 0; i < kCcdChecks; ++i) {
        if (i > 0) winport::SleepMs(kStepMs);
        if (int rc = ReadTemperatures(board, t); rc != kOk) return rc;
        SetupBox("stat %x %d %d", t.raw, t.ccd, t.ele);
        if (t.raw == kNoCameraRaw) {
            winport::SleepMs(kStepMs);
            if (int rc = ReadTemperatures(board, t); rc != kOk) return rc;
            if (t.raw == kNoCameraRaw) {
                driver::BoardCommand(board, ioctl::kCmdRestartLink);
                winport::SleepMs(kRestartWaitMs);
                return kNoCameraAnswer;
            }
            continue;
        }
        if (t.ccd < kCcdMin || t.ccd > kCcdMax) return Failed(t);
    }
    LogMessage(kLogInit, "setupboard ccd-temperature ok,  ccd %d ele %d \r\n", t.ccd, t.ele);
    winport::SleepMs(kStepMs);
    return kOk;
}

int CheckBothTemperatures(int board, board_record& rec) {
    if (int rc = LoadProgram(kProgramTemperatures); rc != kOk) return rc;
    if (int rc = RunProgram(board, kProgramTemperatures); rc != kOk) return rc;
    temperatures t;
    for (int i = 0; i < kBothChecks; ++i) {
        if (i > 0) winport::SleepMs(kStepMs);
        if (int rc = ReadTemperatures(board, t); rc != kOk) return rc;
        SetupBox("stat %x %d %d", t.raw, t.ccd, t.ele);
        if (t.ccd < kCcdMin || t.ccd > kCcdMax || t.ele < kEleMin || t.ele > kEleMax)
            return Failed(t);
    }
    LogMessage(kLogInit, "setupboard both temperatures ok,  ccd %d ele %d \r\n", t.ccd, t.ele);
    rec.ccd_temp = t.ccd;
    rec.ele_temp = t.ele;
    return kOk;
}

// A camera without the extra sensor answers the extra-sensor program with its electronics
// temperature (within 2 degrees); any other byte is the extended camera byte, and such a camera
// also reports its identification byte and camera id.
int ReadExtraSensor(int board, board_record& rec, uint32_t* ident_byte) {
    *ident_byte = 0;
    uint32_t extra = 0;
    if (int rc = RunProgram(board, kProgramExtraSensor); rc != kOk) return rc;
    if (int rc = HighByte(board, &extra); rc != kOk) return rc;
    const int raw_ele = rec.ele_temp + 128;
    const int value = static_cast<int>(extra);
    if (value >= raw_ele - 2 && value <= raw_ele + 2) return kOk;
    rec.status_extra = (rec.status_extra & 0xFF00) | static_cast<int32_t>(extra << 8);
    winport::SleepMs(kStepMs);
    if (int rc = RunProgram(board, kProgramIdentByte); rc != kOk) return rc;
    if (int rc = HighByte(board, ident_byte); rc != kOk) return rc;
    winport::SleepMs(kStepMs);
    uint32_t id = 0;
    if (int rc = RunProgram(board, kProgramCameraId); rc != kOk) return rc;
    if (int rc = HighByte(board, &id); rc != kOk) return rc;
    rec.camera_id = static_cast<int32_t>(id);
    winport::SleepMs(kStepMs);
    return kOk;
}

int Idle(int board) {
    uint32_t raw = 0;
    int rc = RunProgram(board, kProgramTemperatures);
    if (rc == kOk) rc = driver::ReadRegister(board, 7, &raw);
    if (rc == kOk) rc = driver::WriteRegister(board, 0, camera::kRun);
    if (rc == kOk) rc = driver::BoardCommand(board, ioctl::kCmdRestartLink);
    if (rc == kOk) {
        winport::SleepMs(kIdleWaitMs);
        rc = driver::WriteRegister(board, 0, 0);
    }
    if (rc != kOk) {
        SetupBox("error idle");
        LogMessage(kLogSetupError, "error idle \r\n");
        return rc;
    }
    return driver::ReadRegister(board, 7, &raw);
}

int TakeIdlePicture(int board) {
    uint32_t status = 0;
    if (int rc = driver::ReadStatus(board, &status); rc != kOk) return rc;
    if (!camera::PictureWaiting(status)) {
        SetupBox("error picin");
        LogMessage(kLogSetupError, "error no picture  \r\n");
        return kNotInitialised;
    }
    if (int rc = camera::EmptyBoardBuffer(board); rc != kOk) {
        SetupBox("error clear");
        LogMessage(kLogSetupError, "error clear buffers \r\n");
        return rc;
    }
    return kOk;
}

int FirstRead(int board, board_record& rec) {
    if (int rc = acquire_start(board, rec, 0); rc != kOk) return rc;
    unsigned short scratch[kScratchBytes / sizeof(unsigned short)] = {};
    static_assert(sizeof scratch >= kFirstWidth * kFirstHeight * sizeof(unsigned short));
    const int rc = READ_IMAGE_12BIT(0, kFirstWidth, kFirstHeight, scratch);
    (void)acquire_stop(board, rec, 0);
    (void)camera::EmptyBoardBuffer(board);
    return rc;
}

}  // namespace

int SetupBoard(int board) {
    board_record* rec = Record(board);
    if (!rec) return kNoMemory;
    if (int rc = driver::BoardCommand(board, ioctl::kCmdReset); rc != kOk) return rc;
    winport::SleepMs(5);
    if (int rc = driver::WriteRegister(board, 0, 0); rc != kOk) return rc;
    if (int rc = CheckCcdTemperature(board); rc != kOk) return rc;
    if (int rc = CheckBothTemperatures(board, *rec); rc != kOk) return rc;
    uint32_t ident_byte = 0;
    if (int rc = ReadExtraSensor(board, *rec, &ident_byte); rc != kOk) return rc;
    if (int rc = Idle(board); rc != kOk) return rc;
    if (int rc = TakeIdlePicture(board); rc != kOk) return rc;
    uint32_t status = 0;
    if (int rc = driver::ReadRegister(board, 6, &status); rc != kOk) return rc;
    int result = DecodeCamera(*rec, ident_byte, status);
    SetupBox("vor dma read");
    if (result == kOk) result = FirstRead(board, *rec);
    SetupBox("nach dma read");
    LogMessage(kLogInit, "after first dma read  error %d \r\n", result);
    return result;
}

}  // namespace lmv
