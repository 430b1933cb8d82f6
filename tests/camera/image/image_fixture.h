#pragma once
// Surroundings of the image tests: a registry of their own, the simulated board behind the driver
// seam, and board 0 ready with the record the set-up leaves for a 640 x 480 long-exposure camera.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/ImageCapture.h"
#include "simulators/lmvpci/LmvpciBackend.h"
#include "simulators/lmvpci/SimEnvironment.h"

namespace testing_image {

class RegistryFolder {
  public:
    RegistryFolder() {
        char pattern[] = "/tmp/lmv-image-reg-XXXXXX";
        dir_ = ::mkdtemp(pattern) ? pattern : "/tmp/lmv-image-reg";
        ::setenv("WINPORT_REGISTRY_DIR", dir_.c_str(), 1);
    }
    ~RegistryFolder() {
        ::unsetenv("WINPORT_REGISTRY_DIR");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    RegistryFolder(const RegistryFolder&) = delete;
    RegistryFolder& operator=(const RegistryFolder&) = delete;

  private:
    std::string dir_;
};

// The record defaults of the set-up (camera type 2, CCD type 1).
inline void SetUpDefaults(lmv::board_record& r) {
    r.board = 0;
    r.camera_typ = 2;
    r.ccd_typ = 1;
    r.camera_id = -1;
    r.ccd_width = 640;
    r.ccd_height = 480;
    r.bits = 12;
    r.exp_max = 1000000;
    r.exp_min = 100;
    r.aoi_offset = 128;
    r.pics_per_start = 1;
    r.run_mode = 255;
    r.image_ms = 20;
    r.roixmin = 0;
    r.roixmax = 640;
    r.roiymin = 0;
    r.roiymax = 480;
    r.hbin = 1;
    r.vbin = 1;
    r.timevalues[0] = 0;
    r.timevalues[1] = 10000;
    r.timevalues[2] = -1;
    r.timevalues[3] = -1;
    r.delay_max = 500;
    r.toram_wait = 500;
    r.powerdown_lo = 1500;
    r.powerdown_hi = 3071;
}

class BoardFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("LMVSIM_IMAGE_MS", "5", 1);
        lmv::UseDriverBackend(lmvpci::Backend());
        ASSERT_EQ(lmv::InitialiseBoardTables(), lmv::kOk);
        ASSERT_EQ(lmv::driver::Open(0), lmv::kOk);
        ASSERT_EQ(lmv::driver::BoardCommand(0, lmv::ioctl::kCmdReset), lmv::kOk);
        rec_ = lmv::Record(0);
        ASSERT_NE(rec_, nullptr);
        SetUpDefaults(*rec_);
        lmv::SetBoardState(0, lmv::kBoardReady);
        env_.ClearTrace();
    }
    void TearDown() override {
        lmv::image_set_capture({});
        lmv::driver::CloseAll();
        lmv::ReleaseBoardTables();
        lmv::UseDriverBackend(nullptr);
    }

    testing_lmvpci::SimEnvironment env_;
    RegistryFolder registry_;
    lmv::board_record* rec_ = nullptr;
};

}  // namespace testing_image
