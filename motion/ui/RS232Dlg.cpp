#include "motion/ui/RS232Dlg.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

#include <climits>
#include <string>
#include <vector>

#include "ZR_Corvane_TAL.h"
#include "motion/ui/DialogServices.h"

namespace {

// Offered rates; the list ends at the first value of 0 or less.
constexpr int kBaudrates[] = {110,   300,   600,   1200,   2400,   4800,   9600, 14400,
                              19200, 38400, 57600, 115200, 230400, 460800, 0};

constexpr int kPortListSize = 1023;
constexpr int kLargePortListSize = 65536;

// The port descriptions, one per line; none when no port is found.
std::vector<std::string> PortDescriptions() {
    std::vector<char> buffer(kPortListSize);
    int count = DialogEnumeratePorts(buffer.data(), kPortListSize);
    if (count == COM_BUFFER_OVERFLOW) {
        // Many ports or long descriptions: the short list would hide every one of them.
        buffer.resize(kLargePortListSize);
        count = DialogEnumeratePorts(buffer.data(), kLargePortListSize);
    }
    std::vector<std::string> lines;
    if (count <= 0) return lines;
    std::string list(buffer.data());
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\n', start);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

CRS232Dlg::CRS232Dlg(wxWindow* parent, RS232Settings& settings)
    : wxPanel(parent, wxID_ANY), m_settings(settings) {
    m_pComPort = new wxComboBox(this, wxID_ANY);
    m_pBaudrate = new wxComboBox(this, wxID_ANY, kDefaultBaudrate);
    FillComPorts();
    FillBaudrates();

    auto* grid = new wxFlexGridSizer(2, wxSize(10, 10));
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(this, wxID_ANY, "COM Port"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pComPort, 1, wxEXPAND);
    grid->Add(new wxStaticText(this, wxID_ANY, "Baudrate"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pBaudrate, 1, wxEXPAND);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(grid, 0, wxEXPAND | wxALL, 10);
    SetSizer(outer);
}

void CRS232Dlg::FillComPorts() {
    for (const std::string& line : PortDescriptions()) m_pComPort->Append(wxString::FromUTF8(line));
}

void CRS232Dlg::FillBaudrates() {
    for (int rate : kBaudrates) {
        if (rate <= 0) break;
        m_pBaudrate->Append(wxString::Format("%d", rate));
    }
    m_pBaudrate->SetValue(kDefaultBaudrate);
}

void CRS232Dlg::LoadSettings() {
    const wxString wanted = wxString::Format("COM%d", m_settings.port);
    int index = m_pComPort->FindString(wanted, true);
    for (unsigned int i = 0; index == wxNOT_FOUND && i < m_pComPort->GetCount(); ++i) {
        if (DialogPortName(m_pComPort->GetString(i).utf8_string()) == wanted.utf8_string())
            index = static_cast<int>(i);
    }
    if (index != wxNOT_FOUND)
        m_pComPort->SetSelection(index);
    else
        m_pComPort->SetValue(wxEmptyString);

    const wxString rate = wxString::Format("%d", m_settings.baudRate);
    bool offered = m_pBaudrate->FindString(rate, true) != wxNOT_FOUND;
    m_pBaudrate->SetValue(offered ? rate : wxString(kDefaultBaudrate));
}

bool CRS232Dlg::ApplySettings() {
    wxString text = m_pBaudrate->GetValue();
    text.Trim(true).Trim(false);
    long rate = 0;
    if (text.ToLong(&rate) && rate > 0 && rate <= INT_MAX)
        m_settings.baudRate = static_cast<int>(rate);

    int port = DialogPortNumber(m_pComPort->GetValue().utf8_string());
    if (port > 0) m_settings.port = port;
    return true;
}
