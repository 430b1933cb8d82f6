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

int get_timeouts(int* driver_ms, int* image_ms) {
    const camera_library& lib = library();
    const int image = lib.imageTimeout.load();
    if (driver_ms) *driver_ms = lib.driverTimeout.load();
    if (image_ms) *image_ms = image;
    return image;
}

int set_timeouts(int driver_ms, int image_ms) {
    camera_library& lib = library();
    if (driver_ms > kMinDriverTimeout) lib.driverTimeout = driver_ms;
    if (image_ms > kMinImageTimeout) lib.imageTimeout = image_ms;
    return image_ms;
}

}  // namespace

extern "C" {

LMV_API int GET_TIMEOUT(int* driver_ms, int* image_ms) {
    return get_timeouts(driver_ms, image_ms);
}

LMV_API int SET_TIMEOUT(int driver_ms, int image_ms) {
    return set_timeouts(driver_ms, image_ms);
}

LMV_API int GETTIMEOUT(int* driver_ms, int* image_ms) {
    return get_timeouts(driver_ms, image_ms);
}

LMV_API int SETTIMEOUT(int driver_ms, int image_ms) {
    return set_timeouts(driver_ms, image_ms);
}

LMV_API int ENABLE_ERROR_MESSAGES(int on) {
    library().showMessages = on;
    return on ? winport::ShowMessageBox("", "set messages") : kOk;
}

LMV_API int ENABLE_MESSAGE_LOG(int level, char* filename) {
    return enable_message_log(level, filename);
}

}  // extern "C"
