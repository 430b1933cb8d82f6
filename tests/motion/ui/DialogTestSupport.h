// Test support for the setup dialog, linked in rather than loaded as a module: a fake machine
// without serial ports of its own, an empty registry, a private X server, and hooks that drive the
// dialog in the toolkit's thread.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/button.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "motion/base/LogCapture.h"
#include "motion/base/ZRLogger.h"
#include "motion/comm/DeviceFunctions.h"
#include "motion/comm/HexFaceTools.h"
#include "motion/comm/RS232.h"
#include "motion/ui/DialogContainer.h"
#include "motion/ui/DialogModule.h"
#include "motion/ui/DialogServices.h"
#include "motion/ui/RS232Dlg.h"
#include "winport/Registry.h"
#include "winport/SerialPortList.h"

extern char** environ;

namespace zrtest {

namespace fs = std::filesystem;

class DialogMachine : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zr_dialog_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        fs::create_directories(root_ / "dev");
        fs::create_directories(root_ / "sys/class/tty");
        fs::create_directories(root_ / "registry");
        setenv("WINPORT_REGISTRY_DIR", (root_ / "registry").c_str(), 1);
        for (char** env = environ; env && *env; ++env)
            if (std::string(*env).starts_with("WINPORT_COM")) saved_.push_back(*env);
        for (const std::string& e : saved_) unsetenv(e.substr(0, e.find('=')).c_str());
        winport::SetSerialDiscoveryRoots((root_ / "dev").string(), (root_ / "sys").string());
        IFsetEnabledInterfaceTypes(IF_TYPE_RS232);
        IFsetRS232Available(false);
        C_RS232::ResetPortCache();
        // The dialog code is linked in: the library's side uses it instead of the module.
        UseLinkedDialog(&ZR_Corvane_TAL_SetupDialog);
        SetDialogHost(&LibraryDialogHost());
    }
    void TearDown() override {
        CDialogContainer::SetShownHook({});
        for (int n : ports_) unsetenv(("WINPORT_COM" + std::to_string(n)).c_str());
        for (const std::string& e : saved_) putenv(strdup(e.c_str()));
        winport::SetSerialDiscoveryRoots("", "");
        unsetenv("WINPORT_REGISTRY_DIR");
        C_RS232::ResetPortCache();
        fs::remove_all(root_);
    }

    // Port COMn is the device at path.
    void AddPort(int n, const std::string& path) {
        setenv(("WINPORT_COM" + std::to_string(n)).c_str(), path.c_str(), 1);
        ports_.push_back(n);
    }
    // A USB adapter the machine itself has (it takes the lowest free port number).
    void AddUsbAdapter(const std::string& name, const std::string& maker,
                       const std::string& product) {
        fs::path sys = root_ / "sys";
        std::ofstream(root_ / "dev" / name) << "";
        fs::path usb = sys / "devices/pci0000:00/usb1" / (name + "-1");
        fs::path device = usb / ("1-1:1.0/" + name);
        fs::create_directories(device);
        std::ofstream(usb / "product") << product << "\n";
        std::ofstream(usb / "manufacturer") << maker << "\n";
        fs::create_directories(sys / "class/tty" / name);
        fs::create_directory_symlink(device, sys / "class/tty" / name / "device");
    }

    static HexFaceSettings Saved(const char* key) {
        HexFaceSettings s;
        InitHexFaceSettings(s);
        CHexFaceTools::ReadSettings(s, key);
        return s;
    }
    static void Save(const char* key, const std::function<void(HexFaceSettings&)>& change) {
        HexFaceSettings s = Saved(key);
        change(s);
        ASSERT_TRUE(CHexFaceTools::WriteSettings(s, key));
    }
    std::string RegistryText() {
        std::ifstream in(root_ / "registry/HKCU.reg", std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        // The hive is UTF-16LE as Windows writes it.
        return winport::RegistryFileText(bytes).value_or(bytes);
    }

    // The next dialog is driven by drive (in the dialog's thread); hookRuns counts the dialogs.
    void Drive(std::function<void(CDialogContainer&)> drive) {
        CDialogContainer::SetShownHook([this, drive](CDialogContainer& dialog) {
            ++hookRuns_;
            drive(dialog);
        });
    }

    fs::path root_;
    std::vector<std::string> saved_;
    std::vector<int> ports_;
    std::atomic<int> hookRuns_{0};
};

inline CRS232Dlg& Page(CDialogContainer& dialog) {
    return *dynamic_cast<CRS232Dlg*>(dialog.Page());
}

inline void Press(CDialogContainer& dialog, int id) {
    auto* button = dynamic_cast<wxButton*>(dialog.FindWindow(id));
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

inline std::vector<std::string> Items(wxComboBox* box) {
    std::vector<std::string> items;
    for (unsigned int i = 0; i < box->GetCount(); ++i)
        items.push_back(box->GetString(i).utf8_string());
    return items;
}

// The library's log lines while action runs, as "PRIORITY message".
inline std::vector<std::string> CaptureLog(const std::function<void()>& action) {
    log4cpp::Category& lib = ZRLogger::FetchLibraryLogger();
    lib.setPriority(log4cpp::Priority::DEBUG);
    QueueCapture capture(lib);
    action();
    lib.setPriority(log4cpp::Priority::EMERG);
    return capture.Lines();
}

inline bool HasLine(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace zrtest
