#include "motion/ui/DialogContainer.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include <mutex>

#include "motion/ui/DialogServices.h"

namespace {

std::mutex g_hookLock;
CDialogContainer::ShownHook g_shownHook;

CDialogContainer::ShownHook CurrentHook() {
    std::lock_guard<std::mutex> lock(g_hookLock);
    return g_shownHook;
}

}  // namespace

CDialogContainer::CDialogContainer(wxWindow* parent, int type, bool extended,
                                   HexFaceSettings& settings, const wxString& title)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxSize(kWidth, kHeight),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_iType(type),
      m_bExtended(extended),
      m_settings(settings) {
    auto* layout = new wxBoxSizer(wxVERTICAL);
    auto* frame = new wxStaticBoxSizer(wxVERTICAL, this, wxEmptyString);
    m_pPage = CInterfaceDlg::CreateInterfaceDlg(type, extended, frame->GetStaticBox(), settings);
    if (m_pPage) {
        frame->GetStaticBox()->SetLabel(m_pPage->Title());
        frame->Add(m_pPage->Window(), 1, wxEXPAND | wxALL, 5);
    }
    layout->Add(frame, 1, wxEXPAND | wxALL, 10);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK, "OK");
    buttons->Add(ok, 0, wxRIGHT, 10);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    layout->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    ok->SetDefault();

    SetSizer(layout);
    SetSize(wxSize(kWidth, kHeight));
    CentreOnParent();
    Bind(wxEVT_BUTTON, &CDialogContainer::OnOK, this, wxID_OK);
    Bind(wxEVT_SHOW, &CDialogContainer::OnShow, this);
}

CDialogContainer::~CDialogContainer() {
    DialogResetPortCache();
}

bool CDialogContainer::Confirmed() {
    return ShowModal() == wxID_OK;
}

void CDialogContainer::OnOK(wxCommandEvent&) {
    if (m_pPage && !m_pPage->ApplySettings()) return;
    EndModal(wxID_OK);
}

void CDialogContainer::OnShow(wxShowEvent& event) {
    event.Skip();
    if (!event.IsShown()) return;
    if (m_pPage) m_pPage->PageShown();
    if (ShownHook hook = CurrentHook()) CallAfter([this, hook] { hook(*this); });
}

void CDialogContainer::SetShownHook(ShownHook hook) {
    std::lock_guard<std::mutex> lock(g_hookLock);
    g_shownHook = std::move(hook);
}
