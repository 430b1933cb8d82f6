// Corvane_InterfaceSetupDlg: connecting a controller on the port the user picks.
#include <exception>

#include "ZR_Corvane_TAL.h"
#include "motion/api/CCorvaneCollection.h"
#include "motion/base/ZRLog.h"

extern "C" {

int Corvane_InterfaceSetupDlg(const char* szKey) {
    const char* shown = szKey ? szKey : "";
    int id = -1;
    try {
        id = CorvaneCollection().ConnectWithDialog(szKey);
    } catch (const std::exception& e) {
        ZR_LOG_ERROR("Corvane_InterfaceSetupDlg(\"%s\") failed: %s", shown, e.what());
    } catch (...) {
        ZR_LOG_ERROR("Corvane_InterfaceSetupDlg(\"%s\") failed", shown);
    }
    ZR_LOG_INFO("Corvane_InterfaceSetupDlg(\"%s\"): returning ID = %d", shown, id);
    return id;
}

}  // extern "C"
