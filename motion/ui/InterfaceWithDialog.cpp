#include "motion/ui/InterfaceWithDialog.h"

#include <cstdio>

#include "ZR_Corvane_TAL.h"
#include "motion/comm/DeviceFunctions.h"
#include "motion/comm/HexFaceTools.h"
#include "motion/ui/SetupRS232Dlg.h"

namespace {

constexpr int kDialogBaudRate = 9600;

void SaveDialogLineSettings(const char* key) {
    HexFaceSettings settings;
    InitHexFaceSettings(settings);
    CHexFaceTools::ReadSettings(settings, key);
    std::snprintf(settings.rs232.handshake, sizeof settings.rs232.handshake, "NONE");
    settings.rs232.baudRate = kDialogBaudRate;
    CHexFaceTools::WriteSettings(settings, key);
}

}  // namespace

const char* DialogSettingsKey(const char* key) {
    return key && *key ? key : kDefaultDialogSettingsKey;
}

int OpenInterfaceWithDialog(const char* key, int* error) {
    key = DialogSettingsKey(key);
    SaveDialogLineSettings(key);
    SetClearRSMode(0);
    // A cancelled dialog leaves the last-connect error of some earlier connection (usually 0).
    const int before = IFgetLastConnectError();
    SetLastConnectError(0);
    int id = setupRS232Dlg(key, false);
    int reason = 0;
    if (id < 0) {
        reason = IFgetLastConnectError();
        if (reason == 0) {
            reason = NOT_CONNECTED_ERROR;
            SetLastConnectError(before);
        }
    }
    if (error) *error = reason;
    return id;
}
