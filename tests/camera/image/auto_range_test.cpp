// AUTO_RANGE: the exposure search on its own, and whole runs against the simulated board with
// a camera whose pictures brighten with the exposure of the loaded table.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/coc/CocBuilder.h"
#include "camera/image/AutoRange.h"
#include "camera/image/BwSettings.h"
#include "fake_camera.h"
#include "image_fixture.h"
#include "lmvntcam.h"
#include "simulators/lmvpci/SimTrace.h"
#include "winport/Clock.h"
#include "winport/Module.h"

namespace {

using testing_image::AutoMinMax;
using testing_image::AutoMinMaxOff;
using testing_image::AutoRange;
using testing_image::FakeCamera;

TEST(ExposureSearch, StartValues) {
    struct row {
        int given, start;
    };
    const row rows[] = {{10000, 1500}, {2000, 1500}, {1999, 1999}, {500, 500},
                        {2, 2},        {1, 4},       {0, 4},       {-5, 4}};
    for (const auto& r : rows) {
        const lmv::exposure_search s = lmv::exposure_search_start(r.given);
        EXPECT_EQ(s.exposure, r.start) << r.given;
        EXPECT_EQ(s.step, r.start);
        EXPECT_EQ(s.previous, 0);
    }
}

// Levels met by the search and the exposures it moves to; the last level is on target.
struct walk {
    int start;
    std::vector<int> levels;
    std::vector<int> exposures;
    int state;
};

void Walk(const walk& w) {
    lmv::exposure_search s = lmv::exposure_search_start(w.start);
    std::vector<int> seen;
    for (int n : w.levels) {
        if (!lmv::exposure_search_step(s, n)) break;
        seen.push_back(s.exposure);
        if (s.state) break;
    }
    EXPECT_EQ(seen, w.exposures) << w.start;
    EXPECT_EQ(s.state, w.state) << w.start;
}

TEST(ExposureSearch, Walks) {
    const walk walks[] = {
        // The step keeps its size while the direction holds and halves when it turns.
        {1500, {1500, 750, 1125, 1500, 1313, 1406}, {750, 1125, 1500, 1313, 1406}, 0},
        // Very dark pictures double the step; the longest exposure is 2000.
        {1500, {0, 0}, {2000, 2000}, lmv::kAutoRangeUnder},
        {100, {300, 1000, 1450}, {300, 500}, 0},
        // Too bright down to the shortest exposure.
        {1500, {4095, 4095, 4095, 4095}, {750, 375, 1, 1}, lmv::kAutoRangeOver},
        // 1400 ends the search as well as 1401 .. 1499.
        {1000, {1400}, {}, 0},
        {1000, {1399}, {2000}, 0},
    };
    for (const auto& w : walks) Walk(w);
}

TEST(ExposureSearch, NoStepLeftIsABreak) {
    lmv::exposure_search s{10, 10, 5, 0};
    EXPECT_TRUE(lmv::exposure_search_step(s, 1000));  // dark, exposure not above the last one
    EXPECT_EQ(s.state, lmv::kAutoRangeBreak);
    EXPECT_EQ(s.exposure, 10);
}

TEST(ExposureSearch, LevelAboveShare) {
    std::vector<uint16_t> image = {0, 0, 0, 1500, 1500, 4095, 4096 + 7};  // 4096 + 7 reads as 7
    EXPECT_EQ(lmv::level_above_share(image.data(), image.size(), 0), 4095);
    EXPECT_EQ(lmv::level_above_share(image.data(), image.size(), 1), 1500);
    EXPECT_EQ(lmv::level_above_share(image.data(), image.size(), 3), 7);
    EXPECT_EQ(lmv::level_above_share(image.data(), image.size(), 4), 0);
    EXPECT_EQ(lmv::level_above_share(image.data(), image.size(), 7), -1);
}

class AutoRangeTest : public testing_image::BoardFixture {
    winport::ScopedScaledClock fasterClock_{20};

  protected:
    void SetUp() override {
        BoardFixture::SetUp();
        FakeCamera::Install();
        lmv::bw_store_parameters({0, 4095, 1});
        lmv::library().imageTimeout = lmv::kDefaultImageTimeout;
    }
    void TearDown() override {
        FakeCamera::Uninstall();
        lmv::set_dialog_module(0, nullptr);
        lmv::bw_store_parameters({});
        lmv::bw_reset_table();
        lmv::library().imageTimeout = lmv::kDefaultImageTimeout;
        BoardFixture::TearDown();
    }

    std::vector<std::string> CocLoads() const {
        std::vector<std::string> loads;
        for (const auto& line : env_.TraceLines())
            if (line.rfind("0 ioctl 0x222028 ", 0) == 0) loads.push_back(line);
        return loads;
    }

    std::shared_ptr<winport::Module> LoadModule(const char* name) {
        auto module = std::make_shared<winport::Module>(
            winport::Module::Load(std::string(TEST_MODULE_DIR "/") + name));
        EXPECT_TRUE(module->IsLoaded()) << module->LastError();
        lmv::set_dialog_module(0, module);
        return module;
    }

    lmv::board_record board_copy_{};

    static std::string Call(const std::shared_ptr<winport::Module>& m, const char* name) {
        auto fn = reinterpret_cast<const char* (*)()>(m->Symbol(name));
        return fn ? fn() : "";
    }
};

TEST_F(AutoRangeTest, OnlyLongExposureCameras) {
    int exposure = 0;
    for (int typ : {1, 5, 0, 4}) {
        rec_->camera_typ = typ;
        EXPECT_EQ(AutoRange(0, &exposure, 5, 0, 0, nullptr), lmv::kTypeNotSupported) << typ;
    }
    EXPECT_TRUE(env_.TraceLines().empty());
    EXPECT_TRUE(FakeCamera::Get().starts.empty());
}

TEST_F(AutoRangeTest, Refusals) {
    int exposure = 0;
    rec_->recorder_busy = 1;
    EXPECT_EQ(AutoRange(0, &exposure, 5, 0, 0, nullptr), lmv::kRecorderOwnsBoard);
    rec_->recorder_busy = 0;
    EXPECT_EQ(AutoRange(0, nullptr, 5, 0, 0, nullptr), lmv::kNoMemory);
    uint16_t image[4];
    EXPECT_EQ(AutoRange(0, &exposure, 5, 0, 2, image), lmv::kWrongParameter);
    lmv::set_board_state(0, lmv::kBoardOpened);
    EXPECT_EQ(AutoRange(0, &exposure, 5, 0, 0, nullptr), lmv::kNotInitialised);
    lmv::set_board_state(0, lmv::kBoardReady);
    FakeCamera::Uninstall();
    EXPECT_EQ(AutoRange(0, &exposure, 5, 0, 0, nullptr), lmv::kFunctionMissing);
    EXPECT_TRUE(env_.TraceLines().empty());
    EXPECT_EQ(rec_->timevalues[1], 10000);
}

TEST_F(AutoRangeTest, FindsTheExposureAndRestoresTheRunMode) {
    rec_->run_mode = 5;
    int exposure = 0;
    ASSERT_EQ(AutoRange(0, &exposure, 5, 0, 0, nullptr), lmv::kOk);
    EXPECT_EQ(exposure, 1406);
    EXPECT_EQ(rec_->timevalues[1], 1406);
    EXPECT_EQ(FakeCamera::Get().exposures, (std::vector<int>{1500, 750, 1125, 1500, 1313, 1406}));
    // A single picture per step, then the camera goes on in its own run mode.
    EXPECT_EQ(FakeCamera::Get().starts, (std::vector<int>{4, 4, 4, 4, 4, 4, 5}));
    EXPECT_EQ(rec_->run_mode, 5);
    EXPECT_EQ(rec_->submode, 0);
    // The first table, one per change, and the final one.
    EXPECT_EQ(CocLoads().size(), 7u);
    EXPECT_EQ(lmv::library().imageTimeout.load(), 2000);
    EXPECT_TRUE(rec_->sync_event->Wait(0));
}

TEST_F(AutoRangeTest, StoppedCameraStaysStoppedAndThePictureIsDelivered) {
    rec_->run_mode = 255;
    std::vector<uint16_t> image(640 * 480, 0xBEEF);
    int exposure = 0;
    ASSERT_EQ(AutoRange(0, &exposure, 5, 640, 480, image.data()), lmv::kOk);
    EXPECT_EQ(FakeCamera::Get().starts, (std::vector<int>{4, 4, 4, 4, 4, 4, 4}));
    EXPECT_EQ(rec_->run_mode, 255);
    EXPECT_EQ(image.front(), 1406);  // the bright tenth, taken with the new exposure
    EXPECT_EQ(image.back(), 0);
}

TEST_F(AutoRangeTest, StatesKeepTheExposureReached) {
    struct row {
        double gain;
        int state;
        int exposure;
    };
    const row rows[] = {{0.0, lmv::kAutoRangeUnder, 2000}, {10000.0, lmv::kAutoRangeOver, 1}};
    for (const auto& r : rows) {
        FakeCamera::Install();
        FakeCamera::Get().gain = r.gain;
        rec_->timevalues[1] = 10000;
        int exposure = 0;
        EXPECT_EQ(AutoRange(0, &exposure, 5, 0, 0, nullptr), r.state);
        EXPECT_EQ(exposure, r.exposure);
        EXPECT_EQ(rec_->timevalues[1], r.exposure);
    }
}

TEST_F(AutoRangeTest, AnErrorRestoresTheOldExposureAndItsTable) {
    board_copy_ = *rec_;
    FakeCamera::Get().fail_read_at = 1;
    rec_->run_mode = 255;
    int exposure = 0;
    EXPECT_EQ(AutoRange(0, &exposure, 5, 0, 0, nullptr), lmv::kTransferIncomplete);
    EXPECT_EQ(exposure, 10000);
    EXPECT_EQ(rec_->timevalues[1], 10000);
    EXPECT_EQ(rec_->run_mode, 255);
    EXPECT_EQ(lmv::library().imageTimeout.load(), 2000);
    EXPECT_TRUE(rec_->sync_event->Wait(0));
    // The board plays the table of the old exposure again.
    lmv::coc_previous previous;
    std::vector<uint16_t> table;
    ASSERT_EQ(lmv::coc_build(board_copy_, previous, table), lmv::kOk);
    const auto loads = CocLoads();
    ASSERT_FALSE(loads.empty());
    EXPECT_EQ(loads.back(),
              "0 ioctl 0x222028 in=" +
                  lmvpci::HexBytes(table.data(), static_cast<uint32_t>(table.size() * 2)) +
                  " out=-");
}

TEST_F(AutoRangeTest, ProgressGoesToAnOpenCameraDialog) {
    auto module = LoadModule("LMV_IMGDLG.so");
    auto open = reinterpret_cast<void (*)(int)>(module->Symbol("TEST_DIALOG_OPEN"));
    ASSERT_NE(open, nullptr);
    open(1);
    int exposure = 0;
    ASSERT_EQ(AutoRange(3, &exposure, 5, 0, 0, nullptr), lmv::kOk);
    EXPECT_EQ(Call(module, "TEST_TEXTS"),
              "0|AutoExposure running|1500\n0|AutoExposure running|750\n"
              "0|AutoExposure running|1125\n0|AutoExposure running|1500\n"
              "0|AutoExposure running|1313\n0|AutoExposure running|1406\n"
              "0|AutoExposure done|1406\n");
    // Camera dialog: mode, trigger, region in 32-pixel blocks, binning, delay and exposure.
    const std::string settings = Call(module, "TEST_SETTINGS");
    EXPECT_NE(settings.find("0,1406,-1,-1"), std::string::npos) << settings;
    int min = 0, max = 0, lin = 0;
    GET_DIALOG_BW(&min, &max, &lin);
    EXPECT_EQ(min, 100);
    EXPECT_EQ(max, 1650);
    EXPECT_EQ(lin, 1);

    // A closed dialog hears nothing; a state is reported with its own text.
    open(0);
    FakeCamera::Install();
    ASSERT_EQ(AutoRange(2, &exposure, 5, 0, 0, nullptr), lmv::kOk);
    EXPECT_EQ(Call(module, "TEST_TEXTS"), "");
    open(1);
    FakeCamera::Install();
    FakeCamera::Get().gain = 0.0;
    ASSERT_EQ(AutoRange(2, &exposure, 5, 0, 0, nullptr), lmv::kAutoRangeUnder);
    const std::string texts = Call(module, "TEST_TEXTS");
    EXPECT_NE(texts.find("0|AutoExposure Under-Exposure, Picture to dark|2000\n"),
              std::string::npos)
        << texts;
    EXPECT_EQ(Call(module, "TEST_SETTINGS"), "");  // flags bit 0 clear
}

TEST_F(AutoRangeTest, ModuleWithoutInfoTextIsRefused) {
    LoadModule("LMV_IMGDLG_NOINFO.so");
    int exposure = 0;
    EXPECT_EQ(AutoRange(0, &exposure, 5, 0, 0, nullptr), lmv::kFunctionMissing);
    EXPECT_TRUE(CocLoads().empty());
    EXPECT_TRUE(rec_->sync_event->Wait(0));
    EXPECT_EQ(rec_->timevalues[1], 10000);
}

}  // namespace
