#include "motion/ui/InterfaceDlg.h"

#include "motion/base/ZRLog.h"
#include "motion/ui/RS232Dlg.h"

CInterfaceDlg* CInterfaceDlg::CreateInterfaceDlg(int type, bool extended, wxWindow* parent,
                                                 HexFaceSettings& settings) {
    ZR_LOG_DEBUG("CInterfaceDlg::CreateInterfaceDlg(%d, %d, ...)", type, extended ? 1 : 0);
    CInterfaceDlg* page = nullptr;
    if (type == TYPE_RS232) page = new CRS232Dlg(parent, settings.rs232);
    if (page) page->LoadSettings();
    return page;
}
