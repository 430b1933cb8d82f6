#pragma once
// The modal interface setup dialog: one interface page inside a titled frame, with OK and
// Cancel. It edits the saved settings record it is given; OK applies the page first.
#include <wx/dialog.h>

#include <functional>
#include <memory>

#include "motion/comm/HexFaceSettings.h"
#include "motion/ui/InterfaceDlg.h"

class CDialogContainer : public wxDialog {
  public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    // title is shown as it is; the caller translates it.
    CDialogContainer(wxWindow* parent, int type, bool extended, HexFaceSettings& settings,
                     const wxString& title);
    // Forgets the cached serial-port list, so the next enumeration looks again.
    ~CDialogContainer() override;

    // Runs the dialog; true when the user confirmed.
    bool Confirmed();

    CInterfaceDlg* Page() { return m_pPage; }
    int Type() const { return m_iType; }
    bool Extended() const { return m_bExtended; }
    HexFaceSettings& Settings() { return m_settings; }

    // Called in the dialog's thread once the dialog is up, with the dialog; for programs that
    // drive the dialog without a user (tests, automation). Empty to stop.
    using ShownHook = std::function<void(CDialogContainer&)>;
    static void SetShownHook(ShownHook hook);

  private:
    void OnOK(wxCommandEvent& event);
    void OnShow(wxShowEvent& event);

    int m_iType;
    bool m_bExtended;
    HexFaceSettings& m_settings;
    CInterfaceDlg* m_pPage = nullptr;  // a child window: the dialog deletes it
};
