// ALLOC_PHYS, FREE_PHYS and CLEAR_BOARD_BUFFER, and the board-buffer clearing with its limit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "acquire_fixture.h"
#include "camera/acquire/Acquire.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"

namespace testing_acquire {
namespace {

std::string CodeOf(const std::string& line) {
    return line.substr(0, line.find(" in="));
}

struct Allocation {
    int rc;
    int number = -1;
    int status1 = -1;
    int status0 = -1;
    void* address = nullptr;
};

Allocation Alloc(int board = 0) {
    Allocation a{0};
    a.rc = ALLOC_PHYS(board, &a.number, &a.status1, &a.status0, &a.address);
    return a;
}

TEST_F(AcquireTest, DeviceBufferIsAllocatedMappedAndFreed) {
    OpenLog(lmv::kLogRecorder);
    Allocation a;
    auto lines = TraceOf([&] { a = Alloc(); });
    ASSERT_EQ(a.rc, lmv::kOk);
    EXPECT_EQ(a.number, 0);
    EXPECT_EQ(a.status0, 0) << "the simulated board's first status word is the number";
    EXPECT_EQ(a.status1, 131072) << "and the second its size";
    ASSERT_NE(a.address, nullptr);
    std::memset(a.address, 0x5A, 131072);
    std::vector<std::string> codes;
    for (const auto& l : lines) codes.push_back(CodeOf(l));
    EXPECT_EQ(codes, (std::vector<std::string>{"0 ioctl 0x2221f4", "0 ioctl 0x2221e0",
                                               "0 ioctl 0x2221f8", "0 ioctl 0x222224"}));
    EXPECT_NE(LogText().find("ALLOCATE_BUFFER: next free buffer is nr.: 0"), std::string::npos);
    EXPECT_NE(LogText().find("MAP_BUFFER: buffer nr.: 0 bytes mapped to address"),
              std::string::npos);
    EXPECT_EQ(Alloc().number, 1);

    lines = TraceOf([&] { EXPECT_EQ(FREE_PHYS(0, 0), lmv::kOk); });
    codes.clear();
    for (const auto& l : lines) codes.push_back(CodeOf(l));
    EXPECT_EQ(codes, (std::vector<std::string>{"0 ioctl 0x222228", "0 ioctl 0x2221e4"}));
    EXPECT_NE(LogText().find("FREE_BUFFER: buffer nr.: 0 deallocated"), std::string::npos);
    EXPECT_EQ(Alloc().number, 0) << "the freed number is taken again";
    EXPECT_EQ(FREE_PHYS(0, 7), lmv::kDeviceBufferError) << "no such buffer";
}

TEST_F(AcquireTest, AFailedMappingIsReportedAndFreesTheBuffer) {
    Reopen({{"LMVSIM_FAIL", "0x222224"}});
    Allocation a;
    const auto lines = TraceOf([&] { a = Alloc(); });
    EXPECT_EQ(a.rc, lmv::kDeviceBufferError);
    EXPECT_EQ(a.address, nullptr);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(CodeOf(lines.back()), "0 ioctl 0x2221e4");
}

TEST_F(AcquireTest, DeviceBufferRefusals) {
    int n = 0;
    void* address = nullptr;
    EXPECT_EQ(ALLOC_PHYS(1, &n, &n, &n, &address), lmv::kDriverNotOpen);
    EXPECT_EQ(ALLOC_PHYS(20, &n, &n, &n, &address), lmv::kWrongParameter);
    EXPECT_EQ(ALLOC_PHYS(0, &n, &n, &n, nullptr), lmv::kNoMemory);
    EXPECT_EQ(FREE_PHYS(1, 0), lmv::kDriverNotOpen);
    EXPECT_EQ(FREE_PHYS(-2, 0), lmv::kWrongParameter);
}

TEST_F(AcquireTest, ClearBoardBuffer) {
    OpenLog(lmv::kLogApi);
    const auto lines = TraceOf([&] { EXPECT_EQ(CLEAR_BOARD_BUFFER(0), lmv::kOk); });
    EXPECT_EQ(lines, std::vector<std::string>{BoardCommandLine(4)});
    EXPECT_NE(LogText().find("CLEAR_BOARD_BUFFER(0) \r\n, actual board 0 \r\n"), std::string::npos);
    EXPECT_EQ(CLEAR_BOARD_BUFFER(5), lmv::kNotInitialised);
    EXPECT_EQ(CLEAR_BOARD_BUFFER(20), lmv::kWrongParameter);
    EXPECT_EQ(CLEAR_BOARD_BUFFER(-1), lmv::kWrongParameter);
}

TEST_F(AcquireTest, ABoardBufferThatNeverEmptiesEndsAfterAHundredClearCommands) {
    Reopen({{"LMVSIM_IMAGE_MS", "0"}});
    LoadSmallTable();
    ASSERT_EQ(RUN_COC(0), lmv::kOk);  // a new picture at once after every clear
    ASSERT_TRUE(WaitPicture());
    const auto lines =
        TraceOf([&] { EXPECT_EQ(lmv::camera::empty_board_buffer(0), lmv::kBufferNotEmptied); });
    EXPECT_EQ(std::count(lines.begin(), lines.end(), BoardCommandLine(4)), 100);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), StatusLine(true)), 101);
}

}  // namespace
}  // namespace testing_acquire
