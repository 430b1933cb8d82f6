// The dialog as the user sees it: rendered on a private X server, clicked with real input
// events.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/uiaction.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "ZR_Corvane_TAL.h"
#include "motion/ui/DialogTestSupport.h"
#include "motion/ui/SetupRS232Dlg.h"

namespace {

using namespace zrtest;

struct Picture {
    size_t colours = 0;
    size_t darkPixels = 0;  // text and frames
};

// What the screen shows inside the dialog's rectangle.
Picture Grab(wxWindow& window, const std::string& saveAs) {
    wxRect rect = window.GetScreenRect();
    wxBitmap bitmap(rect.width, rect.height, 24);
    {
        wxScreenDC screen;
        wxMemoryDC memory(bitmap);
        memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    wxImage image = bitmap.ConvertToImage();
    if (!saveAs.empty()) {
        if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
        image.SaveFile(saveAs, wxBITMAP_TYPE_PNG);
    }
    Picture picture;
    std::set<unsigned long> colours;
    const unsigned char* rgb = image.GetData();
    for (int i = 0; i < image.GetWidth() * image.GetHeight(); ++i, rgb += 3) {
        colours.insert((rgb[0] << 16) | (rgb[1] << 8) | rgb[2]);
        if (rgb[0] + rgb[1] + rgb[2] < 3 * 96) ++picture.darkPixels;
    }
    picture.colours = colours.size();
    return picture;
}

// Lets the toolkit draw until pred holds or 10 s pass.
template <typename Pred>
bool PumpUntil(Pred pred) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxYield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class RenderedDialogTest : public DialogMachine {};

TEST_F(RenderedDialogTest, TheDialogIsDrawn) {
    AddPort(1, "/dev/zr-test-com1");
    std::string file = std::string(ZR_BUILD_DIR) + "/test-output/setup_dialog.png";
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    Picture picture;
    Drive([&](CDialogContainer& dialog) {
        PumpUntil([&] {
            picture = Grab(dialog, "");
            return picture.colours > 8 && picture.darkPixels > 200;
        });
        Grab(dialog, file);
        Press(dialog, wxID_CANCEL);
    });
    EXPECT_EQ(setupRS232Dlg("ZRTest/Shot", false), -1);
    EXPECT_EQ(hookRuns_, 1);
    EXPECT_GT(picture.colours, 8u);
    EXPECT_GT(picture.darkPixels, 200u);
    EXPECT_GT(std::filesystem::file_size(file), 1000u);  // kept for people to look at
}

TEST_F(RenderedDialogTest, ClickingOkWithTheMouseConfirms) {
    AddPort(1, "/dev/zr-test-com1");
    AddPort(2, (root_ / "dev/missing").string());
    HexFaceSettings chosen{};
    Drive([&](CDialogContainer& dialog) {
        Page(dialog).ComPortBox()->SetSelection(1);
        Page(dialog).BaudrateBox()->SetValue("4800");
        wxWindow* ok = dialog.FindWindow(wxID_OK);
        PumpUntil([&] { return ok->IsShownOnScreen(); });
        wxUIActionSimulator mouse;
        mouse.MouseMove(ok->GetScreenRect().GetPosition() + ok->GetSize() / 2);
        wxYield();
        mouse.MouseClick();
        // The click arrives through the server; if it does not, Cancel ends the run below.
        if (!PumpUntil([&] { return !dialog.IsModal(); })) Press(dialog, wxID_CANCEL);
        chosen = dialog.Settings();
    });
    SetLastConnectError(0);
    EXPECT_EQ(setupRS232Dlg("ZRTest/Click", false), -1);  // COM2 does not open
    EXPECT_EQ(IFgetLastConnectError(), COM_NO_DEVICE_WITH_ID);
    EXPECT_EQ(chosen.rs232.port, 2);
    EXPECT_EQ(chosen.rs232.baudRate, 4800);
}

}  // namespace
