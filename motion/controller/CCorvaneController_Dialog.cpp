// Connecting through the interface setup dialog: the user picks the port.
#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/ui/InterfaceWithDialog.h"

CCorvaneController::CCorvaneController(const char* key) {
    ZR_LOG_DEBUG("CCorvaneController::CCorvaneController(\"%s\")", key ? key : "");
    int error = 0;
    const int interfaceID = OpenInterfaceWithDialog(key, &error);
    if (interfaceID < 0) {
        // The dialog's own reason: a cancelled dialog leaves no last-connect error, and a
        // controller without an error would be taken for a connected one.
        m_iInterfaceID = interfaceID;
        m_Device.SetInterfaceID(interfaceID);
        m_iLocalError = error;
        return;
    }
    AttachInterface(interfaceID, false);
}
