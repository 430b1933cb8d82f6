// The driver channel against the simulated board linked in: every request's bytes on the wire,
// the request pattern's results, opening and closing.
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "simulators/lmvpci/LmvpciBackend.h"
#include "simulators/lmvpci/SimEnvironment.h"
#include "simulators/lmvpci/SimTrace.h"

namespace {

namespace io = lmv::ioctl;
namespace drv = lmv::driver;
using lmv::ioctl::TransferMode;

constexpr int kShortTimeout = 200;  // ms; keeps the time-out cases fast

std::string Hex(const void* data, size_t size) {
    return lmvpci::HexBytes(data, static_cast<uint32_t>(size));
}

std::string Le(std::initializer_list<uint32_t> words) {
    std::string text;
    for (uint32_t w : words) text += Hex(&w, 4);
    return text;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ChannelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        lmv::use_driver_backend(lmvpci::Backend());
        ASSERT_EQ(lmv::initialise_board_tables(), lmv::kOk);
    }
    void TearDown() override {
        drv::close_all();
        lmv::enable_message_log(0, nullptr);
        lmv::release_board_tables();
        lmv::use_driver_backend(nullptr);
    }

    void OpenBoard0() {
        ASSERT_EQ(drv::open_channel(0), lmv::kOk);
        // The board keeps its state between opens, as hardware does: start from a reset one.
        ASSERT_EQ(drv::board_command(0, io::kCmdReset), lmv::kOk);
        env_.ClearTrace();
    }

    // The trace lines written by one action.
    std::vector<std::string> TraceOf(const std::function<void()>& action) {
        env_.ClearTrace();
        action();
        return env_.TraceLines();
    }

    testing_lmvpci::SimEnvironment env_;
};

TEST_F(ChannelTest, EveryRequestHasItsWireLayout) {
    OpenBoard0();
    uint32_t value = 0;
    uint8_t wide[8];
    uint8_t ident[8];
    const uint16_t coc[] = {576, 576, 576, 193, 4064};
    const uint8_t fpga[] = {0xff, 0x04, 0x55, 0xaa, 0x99};
    std::vector<uint8_t> lut(io::kLutBytes, 0x5a);
    struct Case {
        const char* what;
        std::function<int()> call;
        std::string line;
    } cases[] = {
        {"board command", [] { return drv::board_command(0, 4); },
         "0 ioctl 0x222004 in=04000000 out=-"},
        {"register read", [&] { return drv::read_register(0, 7, &value); },
         "0 ioctl 0x222018 in=07000000 out=" + Le({(153u << 8) | 118})},
        {"register read of identification", [&] { return drv::read_register_wide(0, 6, wide); },
         "0 ioctl 0x222018 in=0600000000000000 out=0000000000000000"},
        {"register write", [] { return drv::write_register(0, 1, 0x1234); },
         "0 ioctl 0x22201c in=0100000034120000 out=0100000034120000"},
        {"COC load", [&] { return drv::load_coc(0, coc, 5); },
         "0 ioctl 0x222028 in=400240024002c100e00f out=-"},
        {"status", [&] { return drv::read_status(0, &value); },
         "0 ioctl 0x222038 in=- out=00000000"},
        {"status with zero word", [&] { return drv::read_status(0, &value, true); },
         "0 ioctl 0x222038 in=00000000 out=00000000"},
        {"FPGA load", [&] { return drv::reload_fpga(0, fpga, sizeof fpga, &value); },
         "0 ioctl 0x22203c in=ff0455aa99 out=05000000"},
        {"busy", [&] { return drv::read_busy(0, &value); }, "0 ioctl 0x222044 in=- out=00000000"},
        {"read-picture mode", [] { return drv::set_read_pic(0, TransferMode::Sums32); },
         "0 ioctl 0x222054 in=03000000 out=-"},
        {"output table", [&] { return drv::load_lut(0, lut.data()); },
         "0 ioctl 0x222058 in=" + Hex(lut.data(), lut.size()) + " out=-"},
        {"begin image wait", [] { return drv::begin_wait_image(0, 77); },
         "0 ioctl 0x22207c in=4d000000 out=-"},
        {"end image wait", [] { return drv::end_wait_image(0); }, "0 ioctl 0x222078 in=- out=-"},
        {"identification", [&] { return drv::read_ident(0, ident); },
         "0 ioctl 0x222258 in=03000000e0000000 out=525a342d4c323100"},
    };
    for (const auto& c : cases) {
        int rc = -100;
        auto lines = TraceOf([&] { rc = c.call(); });
        EXPECT_EQ(rc, lmv::kOk) << c.what;
        ASSERT_EQ(lines.size(), 1u) << c.what;
        EXPECT_EQ(lines[0], c.line) << c.what;
    }
    EXPECT_EQ(value & 0xFFFF0000u, 0u);  // only the low 16 bits of a register count
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ident), 4), "RZ4-");
}

TEST_F(ChannelTest, AsynchronousTransferRecordKeepsItsFortyBytes) {
    OpenBoard0();
    alignas(8) static uint16_t buffer[16];
    auto lines = TraceOf([] { EXPECT_EQ(drv::set_read_pic_record(0, 6, buffer, 32), lmv::kOk); });
    ASSERT_EQ(lines.size(), 1u);
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer));
    EXPECT_EQ(lines[0],
              "0 ioctl 0x222054 in=" + Le({6, address, 32, 0, 0, 0, 0, 0, 0, 0}) + " out=-");
}

TEST_F(ChannelTest, DeviceBufferRequestsHaveTheirLayouts) {
    OpenBoard0();
    int32_t number = -1;
    uint32_t size = 0, copied = 0, address = 0;
    uint8_t status[16];
    auto lines = TraceOf([&] {
        EXPECT_EQ(drv::get_free_device_buffer(0, &number), lmv::kOk);
        EXPECT_EQ(drv::allocate_device_buffer(0, number, 131072, &size), lmv::kOk);
        EXPECT_EQ(drv::get_device_buffer_status(0, number, status, sizeof status, &copied),
                  lmv::kOk);
        EXPECT_EQ(drv::map_device_buffer(0, number, 131072, &address), lmv::kOk);
        EXPECT_EQ(drv::unmap_device_buffer(0, number), lmv::kOk);
        EXPECT_EQ(drv::free_device_buffer(0, number), lmv::kOk);
    });
    EXPECT_EQ(number, 0);
    EXPECT_EQ(size, 131072u);
    EXPECT_EQ(copied, 16u);
    EXPECT_NE(address, 0u);
    const std::vector<std::string> expected = {
        "0 ioctl 0x2221f4 in=" + Le({0, 0, 0, 0, 0}) + " out=" + Le({0, 0, 0, 0, 0}),
        "0 ioctl 0x2221e0 in=" + Le({0, 131072, 0, 0, 0}) + " out=" + Le({131072, 0, 0, 0, 0}),
        "0 ioctl 0x2221f8 in=" + Le({3, 0, 0, 0, 0}) + " out=" + Hex(status, 16),
        "0 ioctl 0x222224 in=" + Le({0, 131072, 0, 0, 0}) + " out=" + Le({address, 131072, 0}),
        "0 ioctl 0x222228 in=" + Le({0, 0}) + " out=" + Le({0, 0}),
        "0 ioctl 0x2221e4 in=" + Le({0, 0, 0, 0, 0}) + " out=" + Le({0, 0, 0, 0, 0}),
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(ChannelTest, FailingDeviceBufferRequestIsACommunicationErrorAndLogged) {
    const std::string log = env_.Dir() + "/log.txt";
    ASSERT_EQ(lmv::enable_message_log(lmv::kLogErrors | lmv::kLogRecorder, log.c_str()), lmv::kOk);
    ::setenv("LMVSIM_FAIL", "0x2221F4", 1);
    OpenBoard0();
    int32_t number = 5;
    EXPECT_EQ(drv::get_free_device_buffer(0, &number), lmv::kDeviceBufferError);
    EXPECT_EQ(number, 5);
    EXPECT_EQ(drv::free_device_buffer(0, 3), lmv::kDeviceBufferError);  // no such buffer
    uint32_t size = 0;
    EXPECT_EQ(drv::allocate_device_buffer(0, 1, 4096, &size), lmv::kOk);
    const std::string text = ReadFile(log);
    EXPECT_NE(text.find("GET_FREE_DEVBUF: communication error 31\r\n"), std::string::npos);
    EXPECT_NE(text.find("FREE_DEVICE_BUFFER: communication error 87\r\n"), std::string::npos);
    EXPECT_NE(text.find("ALLOCATE_BUFFER: buffer nr.: 1  4096 bytes allocated\r\n"),
              std::string::npos);
}

TEST_F(ChannelTest, PicturesArriveByReadInEveryTransferMode) {
    ::setenv("LMVSIM_IMAGE_MS", "1", 1);
    OpenBoard0();
    const uint32_t pixels = 640 * 4;
    for (uint32_t m = 0; m < io::kTransferModeCount; ++m) {
        const auto mode = static_cast<TransferMode>(m);
        ASSERT_EQ(drv::write_register(0, 0, 5), lmv::kOk);  // camera runs
        const uint32_t bytes = drv::transfer_bytes(mode, pixels);
        EXPECT_EQ(bytes, pixels * io::kBytesPerPixel[m]);
        std::vector<uint8_t> picture(bytes);
        auto lines =
            TraceOf([&] { EXPECT_EQ(drv::read_picture(0, mode, picture.data(), bytes), 0); });
        const std::vector<std::string> expected = {"0 ioctl 0x222054 in=" + Le({m}) + " out=-",
                                                   "0 read " + std::to_string(bytes)};
        EXPECT_EQ(lines, expected);
        ASSERT_EQ(drv::write_register(0, 0, 0), lmv::kOk);
        ASSERT_EQ(drv::board_command(0, io::kCmdClearBuffer), lmv::kOk);
    }
    EXPECT_EQ(drv::transfer_bytes(static_cast<TransferMode>(4), pixels), 0u);
}

TEST_F(ChannelTest, DirectReadFillsTwoBytesPerPixel) {
    OpenBoard0();
    ASSERT_EQ(drv::board_command(0, io::kCmdMemoryTest), lmv::kOk);
    std::vector<uint16_t> pixels(100, 0xFFFF);
    auto lines = TraceOf([&] { EXPECT_EQ(drv::read_image(0, pixels.data(), 100), lmv::kOk); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 41), "0 ioctl 0x222050 in=64000000 out=00000100");
    EXPECT_EQ(pixels[99], 99);
}

TEST_F(ChannelTest, ClosedOrUnknownBoardsAreRefusedBeforeAnything) {
    uint32_t value = 0;
    uint8_t buffer[8];
    EXPECT_EQ(drv::read_status(0, &value), lmv::kDriverNotOpen);
    EXPECT_EQ(drv::read_picture(0, TransferMode::Pixels16, buffer, 8), lmv::kDriverNotOpen);
    EXPECT_EQ(drv::get_free_device_buffer(0, nullptr), lmv::kDriverNotOpen);
    for (int board : {-1, 20, 1000}) {
        EXPECT_EQ(drv::open_channel(board), lmv::kWrongParameter);
        EXPECT_EQ(drv::read_status(board, &value), lmv::kWrongParameter);
        EXPECT_EQ(drv::board_command(board, 4), lmv::kWrongParameter);
        EXPECT_EQ(drv::read_picture(board, TransferMode::Pixels16, buffer, 8),
                  lmv::kWrongParameter);
        EXPECT_EQ(drv::map_device_buffer(board, 0, 8, &value), lmv::kWrongParameter);
        EXPECT_EQ(drv::close_channel(board), lmv::kWrongParameter);
    }
    EXPECT_TRUE(env_.TraceLines().empty());
}

TEST_F(ChannelTest, OpeningClosingAndReopening) {
    EXPECT_EQ(drv::open_channel(1), lmv::kCannotOpenDriver);  // one board present
    ASSERT_EQ(drv::open_channel(0), lmv::kOk);
    EXPECT_TRUE(drv::is_open(0));
    EXPECT_NE(drv::handle_of(0), 0);
    ASSERT_NE(drv::dma_event(0), nullptr);
    EXPECT_FALSE(drv::dma_event(0)->IsSet());
    drv::dma_event(0)->Set();
    // Opening an open board resets it instead.
    auto lines = TraceOf([] { EXPECT_EQ(drv::open_channel(0), lmv::kOk); });
    EXPECT_EQ(lines, std::vector<std::string>{"0 ioctl 0x222004 in=05000000 out=-"});
    EXPECT_FALSE(drv::dma_event(0)->IsSet());
    EXPECT_EQ(drv::close_channel(0), lmv::kOk);
    EXPECT_FALSE(drv::is_open(0));
    EXPECT_EQ(drv::handle_of(0), 0);
    EXPECT_EQ(drv::dma_event(0), nullptr);
    EXPECT_EQ(drv::board_command(0, 4), lmv::kDriverNotOpen);
    EXPECT_EQ(drv::open_channel(0), lmv::kOk);
}

TEST_F(ChannelTest, SecondProcessGetsDeviceBusy) {
    OpenBoard0();
    pid_t child = ::fork();
    if (child == 0) {
        (void)drv::close_channel(
            0);  // forget the parent's device: the child is a process of its own
        _exit(-drv::open_channel(0));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(-WEXITSTATUS(status), lmv::kDeviceBusy);
}

TEST_F(ChannelTest, RequestThatNeverCompletesTimesOutAndTheNextWorks) {
    ::setenv("LMVSIM_HANG", "0x222038", 1);
    OpenBoard0();
    lmv::library().driverTimeout = kShortTimeout;
    uint32_t value = 0xdead;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(drv::read_status(0, &value), lmv::kTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kShortTimeout));
    EXPECT_EQ(value, 0xdeadu);
    EXPECT_EQ(drv::read_busy(0, &value), lmv::kOk);  // the next request has its own event
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(drv::read_status(0, &value), lmv::kTimeout);  // and the hung one still times out
    ::unsetenv("LMVSIM_HANG");
    (void)drv::close_channel(0);
    ASSERT_EQ(drv::open_channel(0), lmv::kOk);
    EXPECT_EQ(drv::read_status(0, &value), lmv::kOk);
}

TEST_F(ChannelTest, RequestsFromSeveralThreadsEachGetTheirAnswer) {
    OpenBoard0();
    ASSERT_EQ(drv::board_command(0, io::kCmdMemoryTest), lmv::kOk);
    auto worker = [](int* failures) {
        for (int i = 0; i < 200; ++i) {
            uint32_t status = 0, temperatures = 0;
            if (drv::read_status(0, &status) != lmv::kOk || status != io::kStatusPicture ||
                drv::read_register(0, 7, &temperatures) != lmv::kOk || temperatures != 0x9976)
                ++*failures;
        }
    };
    int failures[2] = {0, 0};
    std::thread a(worker, &failures[0]), b(worker, &failures[1]);
    a.join();
    b.join();
    EXPECT_EQ(failures[0] + failures[1], 0);
    EXPECT_EQ(env_.TraceLines().size(), 801u);
}

TEST_F(ChannelTest, ClosingCancelsARequestInFlight) {
    ::setenv("LMVSIM_HANG", "0x222038", 1);
    OpenBoard0();
    lmv::library().driverTimeout = 60000;
    int result = 0;
    std::thread waiting([&result] {
        uint32_t status = 0;
        result = drv::read_status(0, &status);
    });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (env_.TraceLines().empty() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(env_.TraceLines().size(), 1u);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(drv::close_channel(0), lmv::kOk);
    waiting.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(result, lmv::kTransferIncomplete);
    ::unsetenv("LMVSIM_HANG");
    EXPECT_EQ(drv::open_channel(0), lmv::kOk);  // the device was closed for real: the board is free
}

TEST_F(ChannelTest, ReadThatNeverCompletesTimesOut) {
    ::setenv("LMVSIM_HANG", "read", 1);
    OpenBoard0();
    lmv::library().driverTimeout = kShortTimeout;
    ASSERT_EQ(drv::board_command(0, io::kCmdMemoryTest), lmv::kOk);
    std::vector<uint8_t> picture(64);
    EXPECT_EQ(drv::read_picture(0, TransferMode::Pixels16, picture.data(), 64), lmv::kTimeout);
    uint32_t status = 0;
    EXPECT_EQ(drv::read_status(0, &status), lmv::kOk);
    EXPECT_EQ(status, io::kStatusPicture);
}

TEST_F(ChannelTest, ShortTransferIsIncomplete) {
    ::setenv("LMVSIM_SHORT_READ", "2", 1);
    OpenBoard0();
    ASSERT_EQ(drv::board_command(0, io::kCmdMemoryTest), lmv::kOk);
    std::vector<uint8_t> picture(64);
    EXPECT_EQ(drv::read_picture(0, TransferMode::Pixels16, picture.data(), 64),
              lmv::kTransferIncomplete);
}

TEST_F(ChannelTest, FailedRequestOrEmptyAnswerIsIncomplete) {
    ::setenv("LMVSIM_FAIL", "0x222018", 1);
    OpenBoard0();
    uint32_t value = 0;
    EXPECT_EQ(drv::read_register(0, 7, &value), lmv::kTransferIncomplete);
    EXPECT_EQ(drv::send_request(0, 0x222000, nullptr, 0, nullptr, 0), lmv::kTransferIncomplete);
    // A read without a picture being announced is refused by the board.
    uint8_t buffer[8];
    EXPECT_EQ(drv::read_announced(0, buffer, 8), lmv::kTransferIncomplete);
}

TEST_F(ChannelTest, BackendModuleIsChosenByEnvironment) {
    lmv::use_driver_backend(nullptr);
    ::setenv("LMV_DRIVER", ZR_BUILD_DIR "/lib/liblmvpci.so", 1);
    std::string why;
    EXPECT_NE(lmv::driver_backend(&why), nullptr) << why;
    EXPECT_EQ(drv::open_channel(0), lmv::kOk);
    (void)drv::close_channel(0);
    lmv::release_driver_backend();
    ::setenv("LMV_DRIVER", "/nonexistent/libnodriver.so", 1);
    EXPECT_EQ(lmv::driver_backend(&why), nullptr);
    EXPECT_NE(why.find("cannot load driver backend"), std::string::npos);
    EXPECT_EQ(drv::open_channel(0), lmv::kCannotOpenDriver);
    ::unsetenv("LMV_DRIVER");
}

TEST_F(ChannelTest, LogLinesAreCutAt219Characters) {
    const std::string log = env_.Dir() + "/log.txt";
    ASSERT_EQ(lmv::enable_message_log(lmv::kLogErrors | lmv::kLogPrefix, log.c_str()), lmv::kOk);
    const std::string longText(500, 'x');
    lmv::log_message(lmv::kLogErrors, "%s|", longText.c_str());
    lmv::log_message(lmv::kLogApi, "not logged\r\n");
    lmv::log_message(lmv::kLogErrors | lmv::kLogApi, "short\r\n");
    const std::string text = ReadFile(log);
    const size_t levelLine = text.find("Message Level: 1001\r\n");
    ASSERT_NE(levelLine, std::string::npos);
    const std::string rest = text.substr(levelLine + 21);
    ASSERT_GE(rest.size(), 219u);
    EXPECT_EQ(rest.substr(0, 8), "board 0 ");
    EXPECT_EQ(rest.substr(16, 2), "  ");
    EXPECT_EQ(rest.substr(18, 201), std::string(201, 'x'));  // prefix and text share the line
    EXPECT_EQ(rest.substr(219, 8), "board 0 ");
    EXPECT_EQ(text.find("not logged"), std::string::npos);
    EXPECT_NE(text.find("  short\r\n"), std::string::npos);
}

}  // namespace
