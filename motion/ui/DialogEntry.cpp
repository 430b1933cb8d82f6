// The dialog module's entry point: the setup dialog in the toolkit's thread.
#include <wx/translation.h>
#include <wx/window.h>

#include "motion/ui/DialogContainer.h"
#include "motion/ui/DialogHost.h"
#include "motion/ui/DialogServices.h"
#include "motion/ui/GuiToolkit.h"

namespace {

constexpr const char* kDialogTitle = "Connect";

// The title in the language of the application's catalogue, when it loaded one.
wxString TranslatedTitle() {
    if (wxTranslations* translations = wxTranslations::Get()) {
        if (const wxString* text = translations->GetTranslatedString(kDialogTitle)) return *text;
    }
    return kDialogTitle;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int ZR_Corvane_TAL_SetupDialog(
    const dialog_host* host, HexFaceSettings* settings, int extended) {
    if (!host || host->version != kDialogHostVersion || !settings) return kDialogUnavailable;
    SetDialogHost(host);
    bool confirmed = false;
    const bool shown = CGuiToolkit::Instance().Run([&] {
        CDialogContainer dialog(wxGetActiveWindow(), CInterfaceDlg::TYPE_RS232, extended != 0,
                                *settings, TranslatedTitle());
        confirmed = dialog.Confirmed();
    });
    if (!shown) return kDialogUnavailable;
    return confirmed ? kDialogConfirmed : kDialogDismissed;
}
