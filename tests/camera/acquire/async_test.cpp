// DMA_IMAGE_START, BEGIN_WAIT_IMAGE and END_WAIT_IMAGE with an eventfd as the application's event.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "acquire_fixture.h"
#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"

namespace testing_acquire {
namespace {

constexpr int kPixels = kSize * kSize;

class EventFd {
  public:
    EventFd() : fd_(::eventfd(0, EFD_CLOEXEC)) {}
    ~EventFd() { ::close(fd_); }
    EventFd(const EventFd&) = delete;
    EventFd& operator=(const EventFd&) = delete;
    int fd() const { return fd_; }
    // True when signalled within `ms`; the signal is consumed.
    bool Wait(int ms) const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) != 1) return false;
        uint64_t count = 0;
        return ::read(fd_, &count, sizeof count) == sizeof count && count > 0;
    }
    void Signal() const {
        const uint64_t one = 1;
        ASSERT_EQ(::write(fd_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    }

  private:
    int fd_;
};

std::string ReadPicRecord(uint32_t submode, const void* buffer, uint32_t bytes) {
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer));
    return "0 ioctl 0x222054 in=" +
           testing_lmv::Le({submode, address, bytes, 0, 0, 0, 0, 0, 0, 0}) + " out=-";
}

TEST_F(AcquireTest, DmaImageStartSignalsTheEventWhenThePictureIsIn) {
    LoadSmallTable();
    TakePicture();
    EventFd event;
    event.Signal();  // stale: reset before the request
    std::vector<uint16_t> p(kPixels, 0xEEEE);
    const auto lines = TraceOf([&] {
        EXPECT_EQ(DMA_IMAGE_START(0, kSize, kSize, p.data(), event.fd()), lmv::kOk);
        ASSERT_TRUE(event.Wait(5000));
    });
    EXPECT_EQ(lines,
              (std::vector<std::string>{StatusLine(true), ReadPicRecord(0, p.data(), kPixels * 2),
                                        "0 read " + std::to_string(kPixels * 2)}));
    EXPECT_TRUE(std::all_of(p.begin(), p.end(), [](uint16_t v) { return v <= 0xFFF; }));
    EXPECT_FALSE(event.Wait(0)) << "signalled once";
    // The board is free for the next transfer.
    TakePicture();
    EXPECT_EQ(DMA_IMAGE_START(0, kSize, kSize, p.data(), event.fd()), lmv::kOk);
    EXPECT_TRUE(event.Wait(5000));
}

TEST_F(AcquireTest, DmaSubModesFiveAndSevenLeaveThePictureCheckToTheBoard) {
    LoadSmallTable();
    TakePicture();
    EventFd event;
    std::vector<uint16_t> p(kPixels);
    const auto lines = TraceOf([&] {
        EXPECT_EQ(DMA_IMAGE_START(0x0500, kSize, kSize, p.data(), event.fd()), lmv::kOk);
        EXPECT_TRUE(event.Wait(5000));
    });
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), ReadPicRecord(5, p.data(), kPixels * 2));
}

TEST_F(AcquireTest, DmaWithoutAPictureReturns100AndSignalsNothing) {
    EventFd event;
    std::vector<uint16_t> p(kPixels);
    const auto lines = TraceOf([&] {
        EXPECT_EQ(DMA_IMAGE_START(0, kSize, kSize, p.data(), event.fd()), lmv::kNoPicture);
    });
    EXPECT_EQ(lines, std::vector<std::string>{StatusLine(false)});
    EXPECT_FALSE(event.Wait(50));
}

TEST_F(AcquireTest, DmaClearsAPictureThatMustGo) {
    LoadSmallTable();
    TakePicture();
    Rec().clear_needed = 1;
    EventFd event;
    std::vector<uint16_t> p(kPixels);
    const auto lines = TraceOf([&] {
        EXPECT_EQ(DMA_IMAGE_START(0, kSize, kSize, p.data(), event.fd()), lmv::kNoPicture);
    });
    EXPECT_EQ(lines,
              (std::vector<std::string>{StatusLine(true), BoardCommandLine(4), StatusLine(false)}));
    EXPECT_EQ(Rec().clear_needed, 0);
}

TEST_F(AcquireTest, DmaRefusals) {
    EventFd event;
    std::vector<uint16_t> p(kPixels);
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    const auto lines = TraceOf([&] {
        EXPECT_EQ(DMA_IMAGE_START(20, kSize, kSize, p.data(), event.fd()), lmv::kWrongParameter);
        EXPECT_EQ(DMA_IMAGE_START(1, kSize, kSize, p.data(), event.fd()), lmv::kDriverNotOpen);
        EXPECT_EQ(DMA_IMAGE_START(0, 0, kSize, p.data(), event.fd()), lmv::kWrongParameter);
        EXPECT_EQ(DMA_IMAGE_START(0, kSize, kSize, p.data(), -1), lmv::kWrongParameter);
        EXPECT_EQ(DMA_IMAGE_START(0, kSize, kSize, p.data(), pipe_fds[1]), lmv::kWrongParameter);
        EXPECT_EQ(DMA_IMAGE_START(0, kSize, kSize, nullptr, event.fd()), lmv::kNoMemory);
        EXPECT_EQ(BEGIN_WAIT_IMAGE(0, pipe_fds[0]), lmv::kWrongParameter);
        EXPECT_EQ(BEGIN_WAIT_IMAGE(1, event.fd()), lmv::kDriverNotOpen);
        EXPECT_EQ(BEGIN_WAIT_IMAGE(-1, event.fd()), lmv::kWrongParameter);
        EXPECT_EQ(END_WAIT_IMAGE(1), lmv::kDriverNotOpen);
        EXPECT_EQ(END_WAIT_IMAGE(20), lmv::kWrongParameter);
    });
    EXPECT_TRUE(lines.empty());
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
}

TEST_F(AcquireTest, ASecondDmaWhileOneIsRunningIsRefused) {
    Reopen({{"LMVSIM_HANG", "read"}});
    LoadSmallTable();
    TakePicture();
    EventFd event;
    std::vector<uint16_t> p(kPixels);
    ASSERT_EQ(DMA_IMAGE_START(0, kSize, kSize, p.data(), event.fd()), lmv::kOk);
    EXPECT_EQ(DMA_IMAGE_START(0, kSize, kSize, p.data(), event.fd()), lmv::kRecorderOwnsBoard);
    // The read that never completes ends at the driver time limit without a signal.
    EXPECT_FALSE(event.Wait(lmv::kDefaultDriverTimeout + 1500));
    int rc = lmv::kRecorderOwnsBoard;
    for (int i = 0; i < 500 && rc == lmv::kRecorderOwnsBoard; ++i) {
        rc = DMA_IMAGE_START(0, kSize, kSize, p.data(), event.fd());
        if (rc == lmv::kRecorderOwnsBoard) ::usleep(10000);
    }
    EXPECT_EQ(rc, lmv::kOk);
}

TEST_F(AcquireTest, BeginWaitImageSignalsAtOnceWhenAPictureWaits) {
    LoadSmallTable();
    TakePicture();
    EventFd event;
    const auto lines = TraceOf([&] { EXPECT_EQ(BEGIN_WAIT_IMAGE(0, event.fd()), lmv::kOk); });
    EXPECT_EQ(lines, std::vector<std::string>{StatusLine(true)});
    EXPECT_TRUE(event.Wait(0));
}

TEST_F(AcquireTest, BeginWaitImageSignalsWhenThePictureLands) {
    LoadSmallTable();
    EventFd event;
    event.Signal();
    const auto lines = TraceOf([&] { EXPECT_EQ(BEGIN_WAIT_IMAGE(0, event.fd()), lmv::kOk); });
    const std::string registration =
        "0 ioctl 0x22207c in=" + testing_lmv::Le({static_cast<uint32_t>(event.fd())}) + " out=-";
    EXPECT_EQ(lines,
              (std::vector<std::string>{StatusLine(false), registration, StatusLine(false)}));
    EXPECT_FALSE(event.Wait(0)) << "the stale signal was reset";
    ASSERT_EQ(RUN_COC(4), lmv::kOk);
    EXPECT_TRUE(event.Wait(5000));
    const auto end = TraceOf([&] { EXPECT_EQ(END_WAIT_IMAGE(0), lmv::kOk); });
    EXPECT_EQ(end, std::vector<std::string>{"0 ioctl 0x222078 in=- out=-"});
}

TEST_F(AcquireTest, BeginWaitImageTimeOut) {
    Reopen({{"LMVSIM_HANG", "0x22207c"}});
    EventFd event;
    EXPECT_EQ(BEGIN_WAIT_IMAGE(0, event.fd()), lmv::kTimeout);
    EXPECT_FALSE(event.Wait(0));
}

}  // namespace
}  // namespace testing_acquire
