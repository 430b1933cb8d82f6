// Time limits, message boxes and the message log.
#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"
#include "winport/MessageBox.h"

using namespace lmv;

namespace {

constexpr int kMinDriverTimeout = 1500;  // smaller values are ignored
constexpr int kMinImageTimeout = 2000;

int GetTimeouts(int* driver_ms, int* image_ms) {
    const CameraLibrary& lib = Library();
    const int image = lib.imageTimeout.load();
    if (driver_ms) *driver_ms = lib.driverTimeout.load();
    if (image_ms) *image_ms = image;
    return image;
}

int SetTimeouts(int driver_ms, int image_ms) {
    CameraLibrary& lib = Library();
    if (driver_ms > kMinDriverTimeout) lib.driverTimeout = driver_ms;
    if (image_ms > kMinImageTimeout) lib.imageTimeout = image_ms;
    return image_ms;
}

}  // namespace

extern "C" {

LMV_API int GET_TIMEOUT(int* driver_ms, int* image_ms) {
    return GetTimeouts(driver_ms, image_ms);
}

LMV_API int SET_TIMEOUT(int driver_ms, int image_ms) {
    return SetTimeouts(driver_ms, image_ms);
}

LMV_API int GETTIMEOUT(int* driver_ms, int* image_ms) {
    return GetTimeouts(driver_ms, image_ms);
}

LMV_API int SETTIMEOUT(int driver_ms, int image_ms) {
    return SetTimeouts(driver_ms, image_ms);
}

LMV_API int ENABLE_ERROR_MESSAGES(int on) {
    Library().showMessages = on;
    return on ? winport::ShowMessageBox("", "set messages") : kOk;
}

LMV_API int ENABLE_MESSAGE_LOG(int level, char* filename) {
    return EnableMessageLog(level, filename);
}

}  // extern "C"
