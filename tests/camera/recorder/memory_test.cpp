// The recorder's memory: the arena sized from the available memory, the boards' buffers carved
// from it, their addresses, release and page locking.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>

#include "camera/api/ResultCodes.h"
#include "camera/recorder/Arena.h"
#include "recorder_fixture.h"
#include "winport/Registry.h"

namespace testing_recorder {
namespace {

using lmv::kNoMemory;
using lmv::kOk;
using lmv::kRecorderOwnsBoard;
using lmv::kWrongParameter;

constexpr int64_t kPage = 4096;

// Images ALLOC_RECORDER finds room for under the cap: 95 % of it less 16384 bytes, in images,
// then the block (the images plus 8192 bytes, whole pages) divided into images again.
int ImagesUnderCap(int size) {
    const int64_t memsize = int64_t(kMemoryCap / 100 * 95);
    const int64_t b = 2 * int64_t(size);
    const int64_t count = (memsize - 16384) / b;
    const int64_t block = (count * b + 8192) / kPage * kPage;
    return int(block / b);
}

void WriteBuffersKey(const char* name, uint32_t value) {
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser, "Software\\RVD\\Buffers");
    ASSERT_TRUE(key);
    ASSERT_EQ(key->WriteDword(name, value), winport::RegStatus::Ok);
}

bool InsideArena(const void* p, size_t bytes) {
    std::lock_guard<std::mutex> lock(lmv::recorder_mutex());
    return lmv::arena_contains(p, bytes);
}

TEST_F(RecorderTest, AllocWithCountZeroTakesWhatFitsUnderTheMemoryCap) {
    OpenLog(4);
    for (const int size : {kPixels, 640 * 480, 1376 * 1040}) {
        int count = 0;
        ASSERT_EQ(ALLOC_RECORDER(&count, size), kOk) << size;
        EXPECT_EQ(count, ImagesUnderCap(size)) << size;
        EXPECT_GE(count, 1);
        EXPECT_LE(int64_t(count) * 2 * size, int64_t(kMemoryCap));
        // Asking for more than fits gives the same.
        int many = 1000000;
        ASSERT_EQ(ALLOC_RECORDER(&many, size), kOk);
        EXPECT_EQ(many, count);
    }
    const std::string log = LogText();
    EXPECT_NE(log.find("ALLOC_RECORDER start buffer 0 size 512  \r\n"), std::string::npos);
    EXPECT_NE(log.find("ALLOC_RECORDER calculated count of buffers is " +
                       std::to_string(ImagesUnderCap(kPixels)) + " \r\n"),
              std::string::npos);
    EXPECT_NE(log.find("EnableWorkingSet RegistryKey : 1\r\n"), std::string::npos);
}

TEST_F(RecorderTest, AllocRefusesNoSizeAndNoCount) {
    int count = 5;
    EXPECT_EQ(ALLOC_RECORDER(&count, 0), kWrongParameter);
    EXPECT_EQ(ALLOC_RECORDER(&count, -7), kWrongParameter);
    EXPECT_EQ(ALLOC_RECORDER(nullptr, 100), kNoMemory);
    // Not one image fits under the cap.
    count = 1;
    EXPECT_EQ(ALLOC_RECORDER(&count, int(kMemoryCap)), kNoMemory);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(FREE_RECORDER(), kOk);
    EXPECT_EQ(GET_RECORDER_ADDR(&count, &count), kWrongParameter);
    EXPECT_EQ(GET_RECORDER_ADDR(nullptr, nullptr), kWrongParameter);
}

TEST_F(RecorderTest, ArenaPagesAreZeroAndBuffersZeroedWhenCarved) {
    Buffers(4);
    for (int picnr = 1; picnr <= 4; ++picnr) {
        uint16_t* b = Buffer(picnr);
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(std::all_of(b, b + kPixels, [](uint16_t v) { return v == 0; }));
        std::fill(b, b + kPixels, 0x5A5A);
    }
    int count = 4;
    ASSERT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kOk);
    uint16_t* b = Buffer(1);
    EXPECT_TRUE(std::all_of(b, b + kPixels, [](uint16_t v) { return v == 0; }));
}

TEST_F(RecorderTest, BufferCountLimitsAndAddresses) {
    OpenLog(5);
    int n = 8;
    ASSERT_EQ(ALLOC_RECORDER(&n, kPixels), kOk);
    int count = 100001;
    EXPECT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kWrongParameter);
    for (const auto& [w, h] : {std::pair{0, 16}, {16, 0}, {-1, 16}, {65536, 65536}}) {
        count = 2;
        EXPECT_EQ(SET_BUFFER_SIZE(&count, w, h), kWrongParameter) << w << " x " << h;
    }
    EXPECT_EQ(SET_BUFFER_SIZE(nullptr, kWidth, kHeight), kNoMemory);
    // Above the arena: reduced to what fits beside the work buffer.
    count = 100000;
    ASSERT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kOk);
    const size_t commit = lmv::arena_commit_size();
    EXPECT_EQ(count, int(commit / (kPixels * 2)) - 1);
    void* address = nullptr;
    int w = 0, h = 0;
    EXPECT_EQ(GET_BUFFER_ADDR(count + 1, &address, &w, &h), kWrongParameter);
    EXPECT_EQ(GET_BUFFER_ADDR(0, &address, &w, &h), kWrongParameter);
    EXPECT_NE(LogText().find("GET_BUFFER_ADDR() error picnr, maximal number is " +
                             std::to_string(count) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(GET_BUFFER_ADDR(1, nullptr, &w, &h), kNoMemory);
    ASSERT_EQ(GET_BUFFER_ADDR(count, &address, &w, &h), kOk);
    EXPECT_TRUE(InsideArena(address, kPixels * 2));
    // Consecutive buffers follow each other.
    void* first = nullptr;
    ASSERT_EQ(GET_BUFFER_ADDR(1, &first, &w, &h), kOk);
    EXPECT_EQ(static_cast<uint8_t*>(address) - static_cast<uint8_t*>(first),
              ptrdiff_t(count - 1) * kPixels * 2);
}

TEST_F(RecorderTest, NoBuffersWithoutArenaOrAfterRelease) {
    OpenLog(5);
    int count = 3;
    EXPECT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kOk);
    EXPECT_EQ(count, 0);
    EXPECT_NE(LogText().find("SET_BUFFER_SIZE() not enough memory commitsize 0\r\n"),
              std::string::npos);
    void* address = nullptr;
    int w = 0, h = 0;
    EXPECT_EQ(GET_BUFFER_ADDR(1, &address, &w, &h), kNoMemory);
    int status = -1;
    EXPECT_EQ(GET_DMA_STATUS(&status), kNoMemory);
    EXPECT_EQ(status, 0);
    Buffers(3);
    EXPECT_EQ(GET_DMA_STATUS(&status), kOk);
    EXPECT_EQ(status, 1);
    // A new arena takes the old one's buffers with it.
    int n = 8;
    ASSERT_EQ(ALLOC_RECORDER(&n, kPixels), kOk);
    EXPECT_EQ(GET_BUFFER_ADDR(1, &address, &w, &h), kNoMemory);
    Buffers(3);
    EXPECT_EQ(FREE_RECORDER(), kOk);
    EXPECT_EQ(GET_BUFFER_ADDR(1, &address, &w, &h), kNoMemory);
    EXPECT_EQ(FREE_RECORDER(), kOk);
    EXPECT_NE(LogText().find("FREE_RECORDER() commitsize==0 \r\n"), std::string::npos);
}

TEST_F(RecorderTest, TwoBoardsBuffersAreDisjointInsideTheArena) {
    Sim("BOARDS", "2");
    ASSERT_EQ(testing_lmv::OpenReadyBoard(1), kOk);
    int n = 40;
    ASSERT_EQ(ALLOC_RECORDER(&n, kPixels), kOk);
    const int wanted[2] = {5, 7};
    uint8_t* start[2] = {};
    for (int board = 0; board < 2; ++board) {
        ASSERT_EQ(SET_BOARD(board), kOk);
        int count = wanted[board];
        ASSERT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kOk);
        ASSERT_EQ(count, wanted[board]);
        start[board] = reinterpret_cast<uint8_t*>(Buffer(1));
        // Every buffer, the work buffer behind the last included, lies in the arena.
        EXPECT_TRUE(InsideArena(start[board], size_t(count + 1) * kPixels * 2));
    }
    const size_t bytes0 = size_t(wanted[0] + 1) * kPixels * 2;
    EXPECT_GE(start[1], start[0] + bytes0);
    // Board 1 keeps its buffers when board 0 takes new ones; the new ones do not overlap them.
    ASSERT_EQ(SET_BOARD(0), kOk);
    int count = 3;
    ASSERT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kOk);
    uint8_t* again = reinterpret_cast<uint8_t*>(Buffer(1));
    const size_t bytes1 = size_t(wanted[1] + 1) * kPixels * 2;
    EXPECT_TRUE(again >= start[1] + bytes1 || again + size_t(count + 1) * kPixels * 2 <= start[1]);
    ASSERT_EQ(SET_BOARD(1), kOk);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(Buffer(1)), start[1]);
    // Only the free part counts: more than is left behind the buffers in use is reduced.
    count = n;
    ASSERT_EQ(SET_BUFFER_SIZE(&count, kWidth, kHeight), kOk);
    EXPECT_LT(count, n - 1);
    EXPECT_TRUE(InsideArena(Buffer(count), size_t(2) * kPixels * 2));
    ASSERT_EQ(SET_BOARD(0), kOk);
}

TEST_F(RecorderTest, WorkingSetSwitchedOffLeavesLockingOff) {
    WriteBuffersKey("EnableWorkingSet", 0);
    WriteBuffersKey("EnableLock", 1);
    OpenLog(4);
    Buffers(2);
    const std::string log = LogText();
    EXPECT_NE(log.find("EnableWorkingSet RegistryKey : 0\r\n"), std::string::npos);
    EXPECT_EQ(log.find("SetProcessWorkingSetSize() minsize"), std::string::npos);
    EXPECT_NE(log.find("SET_BUFFER_SIZE() numbers 2, width 32, height 16 lock=0\r\n"),
              std::string::npos);
}

// Locking runs into the locked-memory limit, which a child process lowers; a child that may
// lock without limit (CAP_IPC_LOCK) gives that up first.
bool DropLockCapability() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0) return false;
    data[0].effective &= ~(1u << CAP_IPC_LOCK);
    data[0].permitted &= ~(1u << CAP_IPC_LOCK);
    return ::syscall(SYS_capset, &header, data) == 0;
}

class LockLimitTest : public RecorderTest {
  protected:
    // In the child: lowers the limit, carves `wanted` buffers and exits 0 when the result,
    // count and log are as expected.
    void CarveUnderLimit(rlim_t limit, int wanted, int rc, int count, const std::string& line) {
        if (!DropLockCapability()) std::_Exit(9);
        rlimit rl{};
        if (::getrlimit(RLIMIT_MEMLOCK, &rl) != 0) std::_Exit(10);
        rl.rlim_cur = limit;
        if (::setrlimit(RLIMIT_MEMLOCK, &rl) != 0) std::_Exit(11);
        int n = wanted + 4;
        if (ALLOC_RECORDER(&n, kPixels) != kOk) std::_Exit(12);
        int c = wanted;
        if (SET_BUFFER_SIZE(&c, kWidth, kHeight) != rc) std::_Exit(13);
        if (rc == kOk && c != count) std::_Exit(14);
        if (LogText().find(line) == std::string::npos) std::_Exit(15);
        std::_Exit(0);
    }
};

TEST_F(LockLimitTest, LockFailureStopsTheCarving) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    WriteBuffersKey("EnableLock", 1);
    OpenLog(4);
    // Room for two pages: four buffers share a page, so the ninth finds the limit reached.
    EXPECT_EXIT(
        CarveUnderLimit(2 * 4096, 10, kOk, 7,
                        "SET_BUFFER_SIZE() VirtualLock() failed err=12 break loop at 8\r\n"),
        ::testing::ExitedWithCode(0), "");
    // No locking at all: not one buffer.
    EXPECT_EXIT(CarveUnderLimit(0, 10, kNoMemory, 0,
                                "SET_BUFFER_SIZE() VirtualLock() failed err=1 break loop at 0\r\n"),
                ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace testing_recorder
