#pragma once
// Surroundings of the image tests: the simulated board installed into a registry and bit-file
// folder of their own, behind the driver seam, and board 0 set up by SET_INIT(1) for its
// 640 x 480 long-exposure camera.
#include <cstdlib>

#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"
#include "simulators/lmvpci/LmvpciBackend.h"
#include "simulators/lmvpci/SimEnvironment.h"
#include "simulators/lmvpci/SimInstalled.h"

namespace testing_image {

class BoardFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(installed_.ok()) << installed_.error();
        ::setenv("LMVSIM_IMAGE_MS", "5", 1);
        lmv::use_driver_backend(lmvpci::Backend());
        ASSERT_EQ(lmv::initialise_board_tables(), lmv::kOk);
        lmv::library().currentBoard = 0;
        ASSERT_EQ(SET_INIT(1), lmv::kOk);
        rec_ = lmv::record_of(0);
        ASSERT_NE(rec_, nullptr);
        env_.ClearTrace();
    }
    void TearDown() override {
        SET_INIT(0);
        lmv::driver::close_all();
        lmv::release_board_tables();
        lmv::use_driver_backend(nullptr);
    }

    testing_lmvpci::SimEnvironment env_;
    testing_lmvpci::SimInstalled installed_{env_.Dir()};
    lmv::board_record* rec_ = nullptr;
};

}  // namespace testing_image
