#include "motion/ui/SetupRS232Dlg.h"

#include <cstdio>
#include <memory>

#include "motion/base/ZRLog.h"
#include "motion/comm/DeviceFunctions.h"
#include "motion/comm/HexFaceTools.h"
#include "motion/comm/InterfaceCollection.h"
#include "motion/comm/RS232.h"
#include "motion/ui/DialogModule.h"

namespace {

bool RS232Usable() {
    if (!(IFgetEnabledInterfaceTypes() & IF_TYPE_RS232)) {
        IFsetRS232Available(false);
        return false;
    }
    if (!IFisRS232Available() && C_RS232::EnumerateCOMPorts(nullptr, 0) > 0)
        IFsetRS232Available(true);
    return IFisRS232Available();
}

// Shows the dialog through the dialog module; true when the user confirmed.
bool ShowSetupDialog(HexFaceSettings& settings, bool extended) {
    return RunSetupDialog(settings, extended) == kDialogConfirmed;
}

std::shared_ptr<C_RS232> OpenChosenPort(HexFaceSettings& settings, const char* key) {
    std::shared_ptr<C_RS232> port = C_RS232::CreateNewCRS232(settings.rs232, IFgetClearRSMode());
    if (!port) return nullptr;
    port->SetLongWait(static_cast<uint32_t>(settings.general.timeOut));
    std::snprintf(settings.general.interfaceName, sizeof settings.general.interfaceName, "RS232");
    CHexFaceTools::WriteSettings(settings, key);
    return port;
}

}  // namespace

int setupRS232Dlg(const char* key, bool extended) {
    const char* name = key ? key : "";
    ZR_LOG_DEBUG("LIBRARY: setupRS232Dlg(\"%s\")", name);
    std::shared_ptr<C_RS232> port;
    if (RS232Usable()) {
        HexFaceSettings settings;
        InitHexFaceSettings(settings);
        CHexFaceTools::ReadSettings(settings, name);
        if (ShowSetupDialog(settings, extended)) port = OpenChosenPort(settings, name);
        C_RS232::ResetPortCache();
    }
    int id = CInterfaceCollection::Instance().AddInterface(port);
    ZR_LOG_DEBUG("LIBRARY: setupRS232Dlg()  returned: %d", id);
    return id;
}
