// Camera information, the board memory test and the power-down setting.
#include <algorithm>
#include <chrono>
#include <climits>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/fixture/camera_fixture.h"
#include "lmvntcam.h"

namespace {

using testing_lmv::BoardTest;
using CameraInfoTest = BoardTest;

TEST_F(CameraInfoTest, InformationNeedsAReadyBoardInTheTables) {
    int value = 5;
    EXPECT_EQ(GET_CAMERA_ID(0, &value), lmv::kNotInitialised);
    EXPECT_EQ(GET_CAMERA_CCD(-1, &value), lmv::kNotInitialised);
    EXPECT_EQ(GET_CAMERA_STAT(0, 6, &value), lmv::kNotInitialised);
    EXPECT_EQ(SET_CAMERA_VAL(0, 1, 3), lmv::kNotInitialised);
    EXPECT_EQ(GET_CAMERA_TYP(20, &value), lmv::kWrongParameter);
    EXPECT_EQ(GET_CAMERA_STAT(-2, 6, &value), lmv::kWrongParameter);
    EXPECT_EQ(CHECK_BOARD_MEMORY(21, 10), lmv::kWrongParameter);
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(Trace().empty());
}

TEST_F(CameraInfoTest, StatusValuesOfAReadyBoard) {
    Sim("BOARD_TYPE", "1");
    Sim("CCD_TEMP", "-12");
    Sim("ELE_TEMP", "31");
    Sim("BOARD_VERSION", "0x3a");
    Sim("STATUS_BITS", "0x10");
    ASSERT_EQ(SET_INIT(1), 0);
    struct Case {
        int what;
        int result;
        int value;
    } cases[] = {{1, 0, 0x10},  {2, 0, -12},  {3, 0, 31}, {4, -3, 0}, {5, -3, 0},
                 {6, 0, 0x101}, {7, 0, 0x3a}, {8, -3, 0}, {0, -3, 0}};
    for (const auto& c : cases) {
        int value = 0;
        EXPECT_EQ(GET_CAMERA_STAT(-1, c.what, &value), c.result) << c.what;
        EXPECT_EQ(value, c.value) << c.what;
    }
    EXPECT_EQ(GET_CAMERA_STAT(0, 6, nullptr), lmv::kNoMemory);
    EXPECT_EQ(GET_CAMERA_ID(0, nullptr), lmv::kNoMemory);
    EXPECT_EQ(SET_CAMERA_VAL(0, 1, 3), lmv::kWrongParameter);  // board type 1
    EXPECT_EQ(CHECK_BOARD_MEMORY(0, 16), lmv::kFunctionMissing);
}

TEST_F(CameraInfoTest, CameraValuesGoToTheBoardTypeThreeRegisters) {
    Sim("BOARD_TYPE", "3");
    Sim("CCD_TYP", "21");
    ASSERT_EQ(SET_INIT(1), 0);
    ClearTrace();
    EXPECT_EQ(SET_CAMERA_VAL(0, 2, 0x0567), 0);
    EXPECT_EQ(SET_CAMERA_VAL(0, 3, 1), lmv::kWrongParameter);
    const std::vector<std::string> expected = {
        "0 ioctl 0x22201c in=1100000067050000 out=1100000067050000"};
    EXPECT_EQ(Trace(), expected);
    int value = 0;
    EXPECT_EQ(GET_CAMERA_STAT(0, 5, &value), 0);
    EXPECT_EQ(value, 0x0567);
}

TEST_F(CameraInfoTest, BoardMemoryTestFindsAWrongWordOnlyOnTheSecondRead) {
    Sim("IMAGE_MS", "1");
    ASSERT_EQ(SET_INIT(1), 0);
    OpenLog(17);
    ClearTrace();
    EXPECT_EQ(CHECK_BOARD_MEMORY(-1, 70000), 0);
    EXPECT_NE(LogText().find("board memory check no errors found \r\n"), std::string::npos);
    const auto trace = Trace();
    ASSERT_GE(trace.size(), 4u);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "0 read 140000"), 2);
    EXPECT_EQ(CHECK_BOARD_MEMORY(0, 0), lmv::kWrongParameter);

    ASSERT_EQ(SET_INIT(0), 0);
    Sim("MEMORY_FAULT", "65537");
    ASSERT_EQ(SET_INIT(1), lmv::kMemoryTestFailed);  // the set-up's own test finds it too
    const size_t before = LogText().size();
    EXPECT_EQ(CHECK_BOARD_MEMORY(0, 70000), lmv::kMemoryTestFailed);
    const std::string log = LogText().substr(before);
    EXPECT_NE(log.find("board buffer 1 memory error number 1\r\nwrongvalue fffe at offset 65537\r\n"
                       "should be  0001\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("board buffer 2 memory error number 1\r\n"), std::string::npos);
    EXPECT_EQ(log.find("no errors found"), std::string::npos);
}

TEST_F(CameraInfoTest, BoardMemoryTestGoesNoFurtherThanTheBoardMemory) {
    Sim("IMAGE_MS", "1");
    ASSERT_EQ(SET_INIT(1), 0);
    ClearTrace();
    for (const int words : {4194305, INT_MAX}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(CHECK_BOARD_MEMORY(-1, words), lmv::kWrongParameter) << words;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << words;
    }
    EXPECT_TRUE(Trace().empty());  // refused before the board is asked
    EXPECT_EQ(CHECK_BOARD_MEMORY(-1, 4194304), 0);
}

TEST_F(CameraInfoTest, BoardMemoryReadErrorIsReturnedAsItIs) {
    Sim("SHORT_READ", "2");
    EXPECT_EQ(SET_INIT(1), lmv::kTransferIncomplete);
    EXPECT_EQ(CHECK_BOARD_MEMORY(0, 100), lmv::kTransferIncomplete);
}

TEST_F(CameraInfoTest, PowerDownCountsAreCheckedConvertedAndReloaded) {
    Sim("BOARD_TYPE", "1");
    ASSERT_EQ(SET_INIT(1), 0);
    lmv::board_record& rec = *lmv::record_of(0);
    // CCD type 1: 15.7430725 counts per unit; lower count at least 1500, upper above 3070.
    struct Case {
        int hi;
        int lo;
    } refused[] = {{100, 100}, {100, 150}, {195, 100}, {200, 95}, {190, 100}};
    ClearTrace();
    for (const auto& c : refused) {
        EXPECT_EQ(SET_POWERDOWN(c.hi, c.lo), lmv::kWrongParameter) << c.hi << "/" << c.lo;
        EXPECT_EQ(rec.powerdown_lo, 1500);
        EXPECT_EQ(rec.powerdown_hi, 3071);
    }
    // A reload that fails leaves the record as it was.
    rec.recorder_busy = 1;
    EXPECT_EQ(SET_POWERDOWN(200, 100), lmv::kRecorderOwnsBoard);
    EXPECT_EQ(rec.powerdown_hi, 3071);
    rec.recorder_busy = 0;
    EXPECT_TRUE(RequestsOf("0x222028").empty());
    EXPECT_EQ(SET_POWERDOWN(200, 100), 0);
    EXPECT_EQ(RequestsOf("0x222028").size(), 1u);
    EXPECT_EQ(rec.powerdown_lo, 1574);
    EXPECT_EQ(rec.powerdown_hi, 3148);

    rec.camera_typ = 1;  // no power-down in its operation code: taken at once
    rec.ccd_typ = 7;     // counts unconverted; lower at least 1900
    EXPECT_EQ(SET_POWERDOWN(4000, 1899), lmv::kWrongParameter);
    EXPECT_EQ(SET_POWERDOWN(4000, 3999), lmv::kWrongParameter);  // two counts apart at least
    EXPECT_EQ(SET_POWERDOWN(4000, 1900), 0);
    EXPECT_EQ(RequestsOf("0x222028").size(), 1u);  // taken without a reload
    EXPECT_EQ(rec.powerdown_lo, 1900);
    EXPECT_EQ(rec.powerdown_hi, 4000);
    EXPECT_EQ(SET_POWERDOWN(0x7FFFFFFF, 1900), 0);
    rec.ccd_typ = 1;
    EXPECT_EQ(SET_POWERDOWN(0x7FFFFFFF, 100), lmv::kWrongParameter);  // too large to hold
}

TEST_F(CameraInfoTest, PowerDownReloadsTheTableThroughTheOperationCodeLayer) {
    Sim("BOARD_TYPE", "1");
    ASSERT_EQ(SET_INIT(1), 0);
    ClearTrace();
    EXPECT_EQ(SET_POWERDOWN(200, 100), 0);
    const lmv::board_record& rec = *lmv::record_of(0);
    EXPECT_EQ(rec.powerdown_lo, 1574);
    EXPECT_EQ(rec.powerdown_hi, 3148);
    EXPECT_EQ(RequestsOf("0x222028").size(), 1u);  // the table with the new counts
}

}  // namespace
