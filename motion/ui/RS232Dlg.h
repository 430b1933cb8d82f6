#pragma once
// The RS-232 page of the setup dialog: the port and the baud rate. Data bits, parity, stop bits
// and handshake stay as the record holds them.
#include <wx/combobox.h>
#include <wx/panel.h>

#include "motion/comm/RS232Settings.h"
#include "motion/ui/InterfaceDlg.h"

class CRS232Dlg : public wxPanel, public CInterfaceDlg {
  public:
    static constexpr const char* kTitle = "RS-232";
    static constexpr const char* kDefaultBaudrate = "57600";

    CRS232Dlg(wxWindow* parent, RS232Settings& settings);

    // Baud rate from the box when it is a positive decimal number, and the port from the
    // "COM<n>" in the port box when n is above 0; otherwise the record keeps its value.
    bool ApplySettings() override;
    // Selects the record's port ("COM<n>", or the first description naming it; empty when no
    // item does) and its baud rate when the list offers it (else the box shows 57600).
    void LoadSettings() override;
    wxWindow* Window() override { return this; }
    const char* Title() const override { return kTitle; }

    wxComboBox* ComPortBox() { return m_pComPort; }
    wxComboBox* BaudrateBox() { return m_pBaudrate; }

  private:
    void FillComPorts();
    void FillBaudrates();

    RS232Settings& m_settings;
    wxComboBox* m_pComPort;
    wxComboBox* m_pBaudrate;
};
