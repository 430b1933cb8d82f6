// The exports of this library frame, called in-process where a test must look at the board
// record or steer the library's state.
#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"
#include "winport/Clock.h"
#include "winport/Module.h"

namespace {

class ExportsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(lmv::initialise_board_tables(), lmv::kOk); }
    void TearDown() override {
        lmv::release_board_tables();
        lmv::library().boardLock.Set();
    }
};

TEST_F(ExportsTest, ToramWaitHasAFloorAndNeedsARecord) {
    struct Case {
        int wait;
        int stored;
    } cases[] = {{50, 200}, {200, 200}, {201, 201}, {-7, 200}, {500, 500}};
    for (const auto& c : cases) {
        EXPECT_EQ(SET_TORAM_WAIT(c.wait), 0);
        EXPECT_EQ(lmv::current_record()->toram_wait, c.stored) << c.wait;
    }
    lmv::free_record(0);
    EXPECT_EQ(SET_TORAM_WAIT(500), -1);
}

TEST_F(ExportsTest, TimeGettersReadTheCurrentRecord) {
    lmv::board_record* r = lmv::current_record();
    r->coctime = 1.5f;
    r->beltime = 2.25f;
    r->exptime = 100.0f;
    r->deltime = 0.5f;
    EXPECT_FLOAT_EQ(GET_COCTIME(), 1.5f);
    EXPECT_FLOAT_EQ(GET_BELTIME(), 2.25f);
    EXPECT_FLOAT_EQ(GET_EXPTIME(), 100.0f);
    EXPECT_FLOAT_EQ(GET_DELTIME(), 0.5f);
    lmv::free_record(0);
    EXPECT_EQ(GET_COCTIME(), 0.0f);
    EXPECT_EQ(GET_BELTIME(), 0.0f);
    EXPECT_EQ(GET_EXPTIME(), 0.0f);
    EXPECT_EQ(GET_DELTIME(), 0.0f);
}

TEST_F(ExportsTest, SelectingABoardGivesItARecordWithASignalledSyncEvent) {
    ASSERT_EQ(lmv::record_of(7), nullptr);
    EXPECT_EQ(SET_BOARD(7), 0);
    lmv::board_record* r = lmv::record_of(7);
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->sync_event, nullptr);
    EXPECT_FALSE(r->sync_event->IsManualReset());
    EXPECT_TRUE(r->sync_event->IsSet());
    EXPECT_EQ(r->toram_wait, 0);  // zero-filled; set-up writes the defaults
    EXPECT_EQ(lmv::library().currentBoard.load(), 7);
}

TEST_F(ExportsTest, InitialisedBoardGetsItsCocReloadedUnlessOnlySelected) {
    // The boards are marked initialised without an identified camera: the reload refuses to
    // build a table for CCD type 0 (-8); without a reload the selection answers 0.
    lmv::set_board_state(4, lmv::kBoardReady);
    lmv::set_board_state(5, lmv::kBoardOpened);
    EXPECT_EQ(SET_BOARD(4), lmv::kTypeNotSupported);
    EXPECT_EQ(lmv::library().currentBoard.load(), 4);
    EXPECT_EQ(SET_BOARD(0), 0);
    EXPECT_EQ(SET_BOARD(5 | 0x100), 0);
    EXPECT_EQ(SET_BOARD(5), 0);  // already current: nothing happens
    EXPECT_EQ(SET_BOARD(4 | 0x100), 0);
    EXPECT_EQ(SET_BOARD(4), 0);
}

TEST_F(ExportsTest, SelectionWaitsForABoardBeingSetUp) {
    lmv::library().boardLock.Reset();
    std::thread setup([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        lmv::library().boardLock.Set();
    });
    EXPECT_EQ(SET_BOARD(6), 0);
    setup.join();
    EXPECT_EQ(lmv::library().currentBoard.load(), 6);
}

TEST_F(ExportsTest, SelectionGivesUpAfterFiveSeconds) {
    // Five seconds of the library's clock, run faster: nobody is going to release the lock.
    winport::ScopedScaledClock faster(20);
    lmv::library().boardLock.Reset();
    const auto start = winport::SteadyClock::now();
    EXPECT_EQ(SET_BOARD(6), lmv::kTimeout);
    EXPECT_GE(winport::SteadyClock::now() - start, std::chrono::milliseconds(5000));
    EXPECT_EQ(lmv::library().currentBoard.load(), 0);
    EXPECT_EQ(lmv::record_of(6), nullptr);
}

class RegistryForwardingTest : public ExportsTest {
  protected:
    void SetUp() override {
        ExportsTest::SetUp();
        module_ = std::make_shared<winport::Module>(
            winport::Module::Load(TEST_MODULE_DIR "/LMV_REGTEST.so"));
        ASSERT_TRUE(module_->IsLoaded()) << module_->LastError();
        script_ =
            reinterpret_cast<void (*)(int, int, int, int, int)>(module_->Symbol("TEST_SCRIPT"));
        calls_ = reinterpret_cast<int (*)()>(module_->Symbol("TEST_CALLS"));
        ASSERT_TRUE(script_ && calls_);
    }
    std::shared_ptr<winport::Module> module_;
    void (*script_)(int, int, int, int, int) = nullptr;
    int (*calls_)() = nullptr;
};

TEST_F(RegistryForwardingTest, MissingModuleOrEntryPointIsFunctionMissing) {
    EXPECT_EQ(_READ_REGISTRY_VALUES(), lmv::kFunctionMissing);
    EXPECT_EQ(_WRITE_REGISTRY_VALUES(), lmv::kFunctionMissing);
    auto writeOnly = std::make_shared<winport::Module>(
        winport::Module::Load(TEST_MODULE_DIR "/LMV_WRITEONLY.so"));
    ASSERT_TRUE(writeOnly->IsLoaded()) << writeOnly->LastError();
    lmv::set_dialog_module(0, writeOnly);
    EXPECT_EQ(_READ_REGISTRY_VALUES(), lmv::kFunctionMissing);
    EXPECT_EQ(_WRITE_REGISTRY_VALUES(), 9);
    lmv::set_dialog_module(1, module_);  // another board's module is not the current board's
    EXPECT_EQ(_READ_REGISTRY_VALUES(), lmv::kFunctionMissing);
}

TEST_F(RegistryForwardingTest, ReadCreatesTheSettingsWhenTheyAreMissing) {
    lmv::set_dialog_module(0, module_);
    struct Case {
        int firstRead, secondRead, value, create;
        int result, calls;  // calls: reads * 10 + creates
    } cases[] = {
        {0, 0, 42, 0, 42, 10},   // read works: the value read is the result
        {1, 7, 42, 0, 7, 21},    // read fails, create works: the second read's result
        {1, 7, 42, -5, -5, 11},  // create fails: its result
    };
    for (const auto& c : cases) {
        script_(c.firstRead, c.secondRead, c.value, c.create, 0);
        EXPECT_EQ(_READ_REGISTRY_VALUES(), c.result);
        EXPECT_EQ(calls_(), c.calls);
    }
    script_(0, 0, 0, 0, 3);
    EXPECT_EQ(_WRITE_REGISTRY_VALUES(), 3);
}

}  // namespace
