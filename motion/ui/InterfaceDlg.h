#pragma once
// The page of the setup dialog for one interface kind. A page edits the saved interface settings
// record that the dialog was given.
#include "motion/comm/HexFaceSettings.h"

class wxWindow;

class CInterfaceDlg {
  public:
    // Interface kinds by type number.
    enum : int { TYPE_RS232 = 1 };

    // The page for type as a child of parent, loaded from settings; nullptr for a type without a
    // page. extended asks for the page's extended form where it has one.
    static CInterfaceDlg* CreateInterfaceDlg(int type, bool extended, wxWindow* parent,
                                             HexFaceSettings& settings);

    virtual ~CInterfaceDlg() = default;
    // Copies the controls into the record; false keeps the dialog open.
    virtual bool ApplySettings() = 0;
    // Called when the page comes into view; the pages of this library need nothing then.
    virtual void PageShown() {}
    // Record -> controls.
    virtual void LoadSettings() = 0;
    virtual bool IsValid() const { return true; }

    // The page as a window, and its title for the frame around it.
    virtual wxWindow* Window() = 0;
    virtual const char* Title() const = 0;
};
