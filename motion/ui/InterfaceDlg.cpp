#include "motion/ui/InterfaceDlg.h"

#include "motion/ui/DialogServices.h"
#include "motion/ui/RS232Dlg.h"

CInterfaceDlg* CInterfaceDlg::CreateInterfaceDlg(int type, bool extended, wxWindow* parent,
                                                 HexFaceSettings& settings) {
    DialogLog(kDialogLogDebug, "CInterfaceDlg::CreateInterfaceDlg(%d, %d, ...)", type,
              extended ? 1 : 0);
    CInterfaceDlg* page = nullptr;
    if (type == TYPE_RS232) page = new CRS232Dlg(parent, settings.rs232);
    if (page) page->LoadSettings();
    return page;
}
