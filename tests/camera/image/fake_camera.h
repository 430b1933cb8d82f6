#pragma once
// Capture procedures for the tests, standing in for the acquisition layer (the automatic
// functions are called with them, as the library calls them with the acquisition's): the start
// writes the run command to the simulated board (so a picture lands there), the read takes the
// picture off the board and hands over a test image instead, whose brightness follows the exposure
// of the record.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/AutoMinMax.h"
#include "camera/image/AutoRange.h"
#include "camera/image/ImageCapture.h"

namespace testing_image {

struct FakeCamera {
    // Image: `bright_share` of the pixels at exposure x gain (at most 4095), the rest at `base`.
    double gain = 1.0;
    double bright_share = 0.1;
    uint16_t base = 0;
    std::vector<uint16_t> fixed;  // when not empty: handed over as it stands
    int fail_read_at = -1;        // the read with this number fails with -12
    bool start_camera = true;     // false: the start succeeds but no picture comes
    std::vector<int> starts;      // run modes of the starts
    std::vector<int> exposures;   // exposure of each picture read
    int reads = 0;

    static FakeCamera& Get() {
        static FakeCamera camera;
        return camera;
    }

    static int Start(int board, int run_mode) {
        FakeCamera& c = Get();
        c.starts.push_back(run_mode);
        if (lmv::board_record* r = lmv::record_of(board)) r->run_mode = run_mode & 0xF;
        if (!c.start_camera) return lmv::kOk;
        return lmv::driver::write_register(board, 0, static_cast<uint32_t>(run_mode & 0xF));
    }

    static int Read(int board, int width, int height, uint16_t* dst) {
        FakeCamera& c = Get();
        const size_t pixels = static_cast<size_t>(width) * height;
        const int rc = lmv::driver::read_picture(board, lmv::ioctl::TransferMode::Pixels16, dst,
                                                 static_cast<uint32_t>(pixels * 2));
        if (rc != lmv::kOk) return rc;
        if (c.reads++ == c.fail_read_at) return lmv::kTransferIncomplete;
        if (!c.fixed.empty()) {
            std::copy_n(c.fixed.begin(), std::min(pixels, c.fixed.size()), dst);
            return lmv::kOk;
        }
        const int exposure = lmv::record_of(board)->timevalues[1];
        c.exposures.push_back(exposure);
        const auto level = static_cast<uint16_t>(std::min(4095.0, exposure * c.gain));
        const auto bright = static_cast<size_t>(pixels * c.bright_share);
        for (size_t i = 0; i < pixels; ++i) dst[i] = i < bright ? level : c.base;
        return lmv::kOk;
    }

    // The procedures the automatic functions are called with; empty until Install.
    static lmv::image_capture_procedures& Procedures() {
        static lmv::image_capture_procedures procedures;
        return procedures;
    }
    static void Install() {
        Get() = FakeCamera{};
        Procedures() = {&Start, &Read};
    }
    static void Uninstall() { Procedures() = {}; }
};

// The automatic functions as the exports call them, with the stand-in's procedures.
inline int AutoMinMax(int mode, int* min, int* max, int width, int height, uint16_t* image) {
    return lmv::auto_minmax(FakeCamera::Procedures(), mode, min, max, width, height, image);
}
inline int AutoMinMaxOff(int mode, int* min, int* max, int low, int high, int width, int height,
                         uint16_t* image) {
    return lmv::auto_minmax_off(FakeCamera::Procedures(), mode, min, max, low, high, width, height,
                                image);
}
inline int AutoRange(int flags, int* exposure, int percent, int width, int height,
                     uint16_t* image) {
    return lmv::auto_range(FakeCamera::Procedures(), flags, exposure, percent, width, height,
                           image);
}

}  // namespace testing_image
