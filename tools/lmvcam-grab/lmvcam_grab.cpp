// lmvcam-grab: initialises a camera board, takes pictures with a long-exposure operation code
// and writes them as 8-bit grey PNG files, each scaled between its darkest and brightest pixel.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "GrabOptions.h"
#include "PngFile.h"
#include "lmvntcam.h"

namespace {

constexpr int kNoPicture = 100;
constexpr int kNoCameraAnswer = 120;
constexpr int kAdjusted = 103;
constexpr int kWholeSensor = 9999;  // the check cuts the region to the sensor
constexpr int kPictureMarginMs = 5000;

// Where the registry store is, for the message that the installation is missing.
std::string RegistryWhere() {
    const char* dir = std::getenv("WINPORT_REGISTRY_DIR");
    if (dir && *dir) return std::string("WINPORT_REGISTRY_DIR=") + dir;
    return "/etc/winport/HKLM.reg; WINPORT_REGISTRY_DIR chooses another folder";
}

constexpr int kNoInstallation = -30;
constexpr const char* kDriverKey = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Lmvnt";

int Failed(const char* call, int rc) {
    return kGrabTool.Failure(std::string(call) + " returned " + std::to_string(rc));
}

// SET_INIT's answer when the driver's service key is missing: say how to get an installation.
int NoInstallation() {
    return kGrabTool.Failure(
        std::string("no camera installation: the driver key ") + kDriverKey +
        " is missing from the registry store (" + RegistryWhere() +
        "). Install the simulated board with lmvpci-install, or the driver of a real board.");
}

// The board stays initialised only while the object lives.
class BoardSession {
  public:
    ~BoardSession() {
        if (running_) STOP_COC(0);
        if (initialised_) SET_INIT(0);
    }
    int Init(const GrabOptions& o) {
        if (int rc = SET_BOARD(o.board); rc != 0) return Failed("SET_BOARD", rc);
        const int rc = SET_INIT(1);
        if (rc == kNoInstallation) return NoInstallation();
        if (rc != 0 && rc != kNoCameraAnswer) return Failed("SET_INIT(1)", rc);
        initialised_ = true;
        if (rc == kNoCameraAnswer)
            kGrabTool.Warning("no camera answers on board " + std::to_string(o.board));
        return 0;
    }
    int Run() {
        if (int rc = RUN_COC(0); rc != 0) return Failed("RUN_COC(0)", rc);
        running_ = true;
        return 0;
    }

  private:
    bool initialised_ = false;
    bool running_ = false;
};

struct CocSettings {
    int mode = 0, trig = 0, xmin, xmax, ymin, ymax, hbin, vbin;
    char text[64] = {};
};

int LoadCoc(const GrabOptions& o, CocSettings& s, bool quiet) {
    const bool whole = o.xmin == 0;
    s.xmin = whole ? 1 : o.xmin;
    s.xmax = whole ? kWholeSensor : o.xmax;
    s.ymin = whole ? 1 : o.ymin;
    s.ymax = whole ? kWholeSensor : o.ymax;
    s.hbin = o.hbin;
    s.vbin = o.vbin;
    std::snprintf(s.text, sizeof s.text, "0,%d,-1,-1", o.exposure_ms);
    int length = sizeof s.text;
    const int checked = TEST_COC(&s.mode, &s.trig, &s.xmin, &s.xmax, &s.ymin, &s.ymax, &s.hbin,
                                 &s.vbin, s.text, &length);
    if (checked != 0 && checked != kAdjusted) return Failed("TEST_COC", checked);
    if (checked == kAdjusted && !quiet && !whole)
        std::printf("settings adjusted to the camera: region %d,%d,%d,%d binning %d,%d times %s\n",
                    s.xmin, s.xmax, s.ymin, s.ymax, s.hbin, s.vbin, s.text);
    const int rc = SET_COC(s.mode, s.trig, s.xmin, s.xmax, s.ymin, s.ymax, s.hbin, s.vbin, s.text);
    return rc == 0 ? 0 : Failed("SET_COC", rc);
}

// Waits for the next picture as long as its exposure and a margin allow.
int ReadPicture(std::vector<unsigned short>& image, int width, int height, int exposure_ms) {
    const auto limit = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(exposure_ms + kPictureMarginMs);
    for (;;) {
        const int rc = READ_IMAGE_12BIT(0, width, height, image.data());
        if (rc != kNoPicture) return rc;
        if (std::chrono::steady_clock::now() >= limit) return rc;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string OutputName(const std::string& output, int index, int count) {
    if (count == 1) return output;
    std::string base = output;
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".png") == 0)
        base.resize(base.size() - 4);
    char number[24];
    std::snprintf(number, sizeof number, "-%03d.png", index + 1);
    return base + number;
}

int Grab(const GrabOptions& o) {
    BoardSession session;
    if (int rc = session.Init(o); rc != 0) return rc;
    CocSettings settings;
    if (int rc = LoadCoc(o, settings, o.quiet); rc != 0) return rc;
    int width = 0, height = 0;
    if (int rc = GET_IMAGE_SIZE(&width, &height); rc != 0 || width <= 0 || height <= 0)
        return Failed("GET_IMAGE_SIZE", rc);
    if (!o.quiet) {
        int typ = 0, ccd = 0;
        GET_CAMERA_TYP(o.board, &typ);
        GET_CAMERA_CCD(o.board, &ccd);
        std::printf("board %d: camera type %d, CCD type %d, picture %d x %d, exposure %d ms\n",
                    o.board, typ, ccd, width, height, o.exposure_ms);
    }
    if (int rc = session.Run(); rc != 0) return rc;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<unsigned short> image(pixels);
    std::vector<unsigned char> grey(pixels);
    for (int i = 0; i < o.count; ++i) {
        if (int rc = ReadPicture(image, width, height, o.exposure_ms); rc != 0)
            return Failed("READ_IMAGE_12BIT", rc);
        int low = 0, high = 0;
        if (int rc = AUTO_MINMAX(1, &low, &high, width, height, image.data()); rc != 0)
            return Failed("AUTO_MINMAX", rc);
        if (int rc = CONVERT_BUFFER_12TO8(0, width, height, reinterpret_cast<short*>(image.data()),
                                          grey.data());
            rc != 0)
            return Failed("CONVERT_BUFFER_12TO8", rc);
        const std::string name = OutputName(o.output, i, o.count);
        std::string error;
        if (!WriteGreyPng(name, grey.data(), width, height, &error)) {
            return kGrabTool.Failure(error);
        }
        const std::string where = std::filesystem::absolute(name).string();
        if (o.quiet)
            std::printf("%s\n", where.c_str());
        else
            std::printf("wrote %s (%d x %d, levels %d to %d shown as 0 to 255)\n", where.c_str(),
                        width, height, low, high);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = ParseGrabOptions(argc, argv);
    if (const int* done = std::get_if<int>(&options)) return *done;
    return Grab(std::get<GrabOptions>(options));
}
