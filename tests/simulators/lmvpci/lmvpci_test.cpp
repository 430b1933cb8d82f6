// The simulated board through the seam, as a driver's user would see it.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "camera/api/DriverRequests.h"
#include "simulators/lmvpci/LmvpciBackend.h"
#include "simulators/lmvpci/SimEnvironment.h"
#include "simulators/lmvpci/SimTrace.h"

namespace {

namespace io = lmv::ioctl;

struct Completion {
    lmv_seam_request request{};
    bool done = false;
    uint32_t status = 0;
    uint32_t bytes = 0;
    Completion() {
        request.context = this;
        request.complete = [](lmv_seam_request* r, uint32_t status, uint32_t bytes) {
            auto* c = static_cast<Completion*>(r->context);
            c->done = true;
            c->status = status;
            c->bytes = bytes;
        };
    }
};

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes(words.size() * 4);
    size_t at = 0;
    for (uint32_t w : words) {
        std::memcpy(bytes.data() + at, &w, 4);
        at += 4;
    }
    return bytes;
}

uint32_t WordOf(const std::vector<uint8_t>& bytes, size_t index = 0) {
    uint32_t w = 0;
    std::memcpy(&w, bytes.data() + index * 4, 4);
    return w;
}

class LmvpciTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (auto* d : open_) seam_->close(d);
    }

    lmv_seam_device* OpenBoard(int board) {
        lmv_seam_device* d = nullptr;
        const std::string name = "\\\\.\\LMVPCI" + std::to_string(board);
        EXPECT_EQ(seam_->open(name.c_str(), &d), 0u) << name;
        if (d) open_.push_back(d);
        return d;
    }

    // A request that the board completes at once; the answer is the output bytes written.
    std::vector<uint8_t> Call(lmv_seam_device* d, uint32_t code, const std::vector<uint8_t>& in,
                              uint32_t outSize, uint32_t expectStatus = 0) {
        std::vector<uint8_t> out(outSize);
        Completion c;
        EXPECT_EQ(seam_->ioctl(d, code, in.empty() ? nullptr : in.data(),
                               static_cast<uint32_t>(in.size()), out.empty() ? nullptr : out.data(),
                               outSize, &c.request),
                  0u);
        EXPECT_TRUE(c.done);
        EXPECT_EQ(c.status, expectStatus) << std::hex << code;
        out.resize(c.bytes);
        return out;
    }

    std::vector<uint8_t> ReadPicture(lmv_seam_device* d, uint32_t mode, uint32_t size) {
        Call(d, io::kSetReadPic, Words({mode}), 0);
        std::vector<uint8_t> buffer(size);
        Completion c;
        EXPECT_EQ(seam_->read(d, buffer.data(), size, &c.request), 0u);
        EXPECT_TRUE(c.done);
        EXPECT_EQ(c.status, 0u);
        buffer.resize(c.bytes);
        return buffer;
    }

    void RunAndWaitForPicture(lmv_seam_device* d) {
        Call(d, io::kWriteRegister, Words({0, 5}), 8);
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!(WordOf(Call(d, io::kReadStatus, {}, 4)) & io::kStatusPicture) &&
               std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    testing_lmvpci::SimEnvironment env_;
    const lmv_driver_seam* seam_ = lmvpci::Backend();
    std::vector<lmv_seam_device*> open_;
};

TEST_F(LmvpciTest, OpensOnlyBoardsThatArePresent) {
    lmv_seam_device* d = nullptr;
    EXPECT_EQ(seam_->open("\\\\.\\LMVPCI1", &d), static_cast<uint32_t>(LMV_SEAM_NOT_FOUND));
    EXPECT_EQ(seam_->open("LMVPCI0", &d), static_cast<uint32_t>(LMV_SEAM_NOT_FOUND));
    EXPECT_EQ(seam_->open("\\\\.\\LMVPCIx", &d), static_cast<uint32_t>(LMV_SEAM_NOT_FOUND));
    EXPECT_EQ(d, nullptr);
    ::setenv("LMVSIM_BOARDS", "2", 1);
    EXPECT_NE(OpenBoard(1), nullptr);
}

TEST_F(LmvpciTest, BoardOpenElsewhereIsBusyUntilClosed) {
    lmv_seam_device* d = OpenBoard(0);
    ASSERT_NE(d, nullptr);
    pid_t child = ::fork();
    if (child == 0) {
        lmv_seam_device* other = nullptr;
        _exit(static_cast<int>(seam_->open("\\\\.\\LMVPCI0", &other)));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), LMV_SEAM_BUSY);
    seam_->close(d);
    open_.clear();
    EXPECT_NE(OpenBoard(0), nullptr);
}

TEST_F(LmvpciTest, IdentificationCarriesBoardLetterAndVersion) {
    struct Case {
        const char* type;
        const char* version;
        const char* text;
    } cases[] = {{"2", "0x21", "RZ4-L21"}, {"3", "0x1A", "RZ4-C1A"}, {"1", "0x05", "RZ4-S05"}};
    for (const auto& c : cases) {
        ::setenv("LMVSIM_BOARD_TYPE_0", c.type, 1);
        ::setenv("LMVSIM_BOARD_VERSION", c.version, 1);
        lmv_seam_device* d = OpenBoard(0);
        auto text = Call(d, io::kReadIdent, Words({3, 224}), 8);
        ASSERT_EQ(text.size(), 8u);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(text.data()), 7), c.text);
        Call(d, io::kReadIdent, Words({3, 225}), 8, LMV_SEAM_INVALID_PARAMETER);
        seam_->close(d);
        open_.clear();
    }
}

TEST_F(LmvpciTest, TemperatureRegisterFollowsSettingsPerBoard) {
    ::setenv("LMVSIM_BOARDS", "2", 1);
    ::setenv("LMVSIM_CCD_TEMP", "-12", 1);
    ::setenv("LMVSIM_ELE_TEMP_1", "31", 1);
    lmv_seam_device* b0 = OpenBoard(0);
    lmv_seam_device* b1 = OpenBoard(1);
    EXPECT_EQ(WordOf(Call(b0, io::kReadRegister, Words({7}), 4)), ((25u + 128) << 8) | (128 - 12));
    EXPECT_EQ(WordOf(Call(b1, io::kReadRegister, Words({7}), 4)), ((31u + 128) << 8) | (128 - 12));
    // The identification step reads with 8 bytes and gets 8 back.
    EXPECT_EQ(Call(b0, io::kReadRegister, Words({6, 0}), 8).size(), 8u);
    Call(b0, io::kReadRegister, Words({9}), 4, LMV_SEAM_INVALID_PARAMETER);
}

TEST_F(LmvpciTest, CameraWithoutAnswerReadsTheNoCameraValue) {
    ::setenv("LMVSIM_NO_CAMERA", "1", 1);
    EXPECT_EQ(WordOf(Call(OpenBoard(0), io::kReadRegister, Words({7}), 4)), 0x795Eu);
}

TEST_F(LmvpciTest, CameraStatusWordReportsTypeAndCcd) {
    struct Case {
        const char* camera;
        const char* ccd;
        uint32_t status;
    } cases[] = {
        {"2", "1", 0x0000}, {"1", "2", 0x1100}, {"2", "3", 0x8000}, {"5", "6", 0xFF00 | (2 << 6)}};
    ::setenv("LMVSIM_CAMERA_ID", "2", 1);
    for (const auto& c : cases) {
        ::setenv("LMVSIM_CAMERA_TYP", c.camera, 1);
        ::setenv("LMVSIM_CCD_TYP", c.ccd, 1);
        lmv_seam_device* d = OpenBoard(0);
        EXPECT_EQ(WordOf(Call(d, io::kReadRegister, Words({6}), 4)), c.status)
            << c.camera << "/" << c.ccd;
        seam_->close(d);
        open_.clear();
    }
}

// The set-up programs are told apart by their first word.
std::vector<uint8_t> Program(uint16_t selector) {
    std::vector<uint8_t> bytes(8);
    const uint16_t words[4] = {selector, selector, selector, 4064};
    std::memcpy(bytes.data(), words, sizeof words);
    return bytes;
}

TEST_F(LmvpciTest, SetUpProgramsNeedTheExtraSensor) {
    struct Case {
        const char* ccd;
        const char* extra;  // nullptr: by CCD type
        uint32_t extraHigh, identHigh, idHigh;
    } cases[] = {
        {"1", nullptr, 25 + 128, 25 + 128, 25 + 128},  // no sensor: the temperatures
        {"17", nullptr, 0, 16, 9},                     // its CCD needs the identification byte
        {"21", nullptr, 0, 18, 9},
        {"1", "0x41", 0x41, 0, 9},
        {"19", "-1", 25 + 128, 25 + 128, 25 + 128},
    };
    ::setenv("LMVSIM_CAMERA_ID", "9", 1);
    for (const auto& c : cases) {
        ::setenv("LMVSIM_CCD_TYP", c.ccd, 1);
        if (c.extra)
            ::setenv("LMVSIM_EXTRA_SENSOR", c.extra, 1);
        else
            ::unsetenv("LMVSIM_EXTRA_SENSOR");
        lmv_seam_device* d = OpenBoard(0);
        const uint32_t expected[] = {c.extraHigh, c.identHigh, c.idHigh};
        const uint16_t programs[] = {598, 614, 630};
        for (int i = 0; i < 3; ++i) {
            Call(d, io::kLoadCoc, Program(programs[i]), 0);
            EXPECT_EQ(WordOf(Call(d, io::kReadRegister, Words({7}), 4)),
                      (expected[i] << 8) | (128 - 10))
                << c.ccd << " " << programs[i];
        }
        Call(d, io::kLoadCoc, Program(576), 0);
        EXPECT_EQ(WordOf(Call(d, io::kReadRegister, Words({7}), 4)), ((25u + 128) << 8) | 118);
        seam_->close(d);
        open_.clear();
    }
}

TEST_F(LmvpciTest, StatusBitsAreAddedToTheCameraStatusWord) {
    ::setenv("LMVSIM_STATUS_BITS", "0x0610", 1);
    ::setenv("LMVSIM_CCD_TYP", "3", 1);
    EXPECT_EQ(WordOf(Call(OpenBoard(0), io::kReadRegister, Words({6}), 4)), 0x8610u);
}

TEST_F(LmvpciTest, MemoryFaultSpoilsOneWordOfTheTestPattern) {
    ::setenv("LMVSIM_MEMORY_FAULT", "3", 1);
    lmv_seam_device* d = OpenBoard(0);
    Call(d, io::kBoardCommand, Words({io::kCmdMemoryTest}), 0);
    EXPECT_EQ(WordOf(Call(d, io::kReadStatus, {}, 4)), io::kStatusPicture);
    for (int pass = 0; pass < 2; ++pass) {  // the pattern stays until the buffer is cleared
        const auto bytes = ReadPicture(d, 0, 10);
        const std::vector<uint8_t> expected = {0, 0, 1, 0, 2, 0, 0xFC, 0xFF, 4, 0};
        EXPECT_EQ(bytes, expected);
    }
}

TEST_F(LmvpciTest, BoardTypeThreeRegistersAreWritableAndReadable) {
    lmv_seam_device* d = OpenBoard(0);
    Call(d, io::kWriteRegister, Words({16, 7}), 8, LMV_SEAM_INVALID_PARAMETER);
    seam_->close(d);
    open_.clear();
    ::setenv("LMVSIM_BOARD_TYPE", "3", 1);
    d = OpenBoard(0);
    Call(d, io::kWriteRegister, Words({16, 0x1234}), 8);
    Call(d, io::kWriteRegister, Words({17, 0x0567}), 8);
    EXPECT_EQ(WordOf(Call(d, io::kReadRegister, Words({22}), 4)), 0x1234u);
    EXPECT_EQ(WordOf(Call(d, io::kReadRegister, Words({23}), 4)), 0x0567u);
    Call(d, io::kWriteRegister, Words({2, 1}), 8, LMV_SEAM_INVALID_PARAMETER);
}

TEST_F(LmvpciTest, RunningCameraIsBusyAndDeliversPicturesInEveryMode) {
    ::setenv("LMVSIM_IMAGE_MS", "1", 1);
    lmv_seam_device* d = OpenBoard(0);
    Call(d, io::kBoardCommand, Words({io::kCmdReset}), 0);
    EXPECT_EQ(WordOf(Call(d, io::kReadStatus, {}, 4)), 0u);
    EXPECT_EQ(WordOf(Call(d, io::kReadBusy, {}, 4)), 0u);
    std::vector<uint8_t> lut(io::kLutBytes);
    for (size_t i = 0; i < lut.size(); ++i) lut[i] = static_cast<uint8_t>(255 - (i & 0xFF));
    Call(d, io::kLoadLut, lut, 0);
    for (uint32_t mode = 0; mode < io::kTransferModeCount; ++mode) {
        RunAndWaitForPicture(d);
        EXPECT_EQ(WordOf(Call(d, io::kReadBusy, {}, 4)) & io::kBusyCamera, io::kBusyCamera);
        const uint32_t pixels = 64;
        auto picture = ReadPicture(d, mode, pixels * io::kBytesPerPixel[mode]);
        ASSERT_EQ(picture.size(), pixels * io::kBytesPerPixel[mode]) << mode;
        uint32_t first = 0, second = 0;
        std::memcpy(&first, picture.data(), io::kBytesPerPixel[mode]);
        std::memcpy(&second, picture.data() + io::kBytesPerPixel[mode], io::kBytesPerPixel[mode]);
        if (mode == 1) {
            EXPECT_EQ((first - second) & 0xFF, 7u);  // through the inverting output table
        } else {
            EXPECT_EQ((second - first) & 0xFFF, 7u) << mode;  // the pattern steps by 7
            EXPECT_LE(first, 0xFFFu);
        }
        Call(d, io::kWriteRegister, Words({0, 0}), 8);
        Call(d, io::kBoardCommand, Words({io::kCmdClearBuffer}), 0);
    }
    EXPECT_EQ(WordOf(Call(d, io::kReadStatus, Words({0}), 4)), 0u);
}

TEST_F(LmvpciTest, MemoryTestPatternStaysUntilTheBufferIsCleared) {
    lmv_seam_device* d = OpenBoard(0);
    Call(d, io::kBoardCommand, Words({io::kCmdMemoryTest}), 0);
    EXPECT_EQ(WordOf(Call(d, io::kReadStatus, {}, 4)), io::kStatusPicture);
    for (int pass = 0; pass < 2; ++pass) {
        auto words = ReadPicture(d, 0, 70000 * 2);
        ASSERT_EQ(words.size(), 140000u);
        for (uint32_t i : {0u, 1u, 65535u, 65536u, 69999u}) {
            uint16_t v;
            std::memcpy(&v, words.data() + i * 2, 2);
            EXPECT_EQ(v, i & 0xFFFF);
        }
    }
    Call(d, io::kBoardCommand, Words({io::kCmdClearBuffer}), 0);
    EXPECT_EQ(WordOf(Call(d, io::kReadStatus, {}, 4)), 0u);
    Call(d, io::kBoardCommand, Words({7}), 0, LMV_SEAM_INVALID_PARAMETER);
}

TEST_F(LmvpciTest, ReadWithoutAnnouncementIsRefused) {
    lmv_seam_device* d = OpenBoard(0);
    std::vector<uint8_t> buffer(16);
    Completion c;
    EXPECT_EQ(seam_->read(d, buffer.data(), 16, &c.request), 0u);
    EXPECT_TRUE(c.done);
    EXPECT_EQ(c.status, static_cast<uint32_t>(LMV_SEAM_INVALID_FUNCTION));
    Call(d, io::kSetReadPic, Words({4}), 0, LMV_SEAM_INVALID_PARAMETER);
    Call(d, 0x222000, {}, 0, LMV_SEAM_INVALID_FUNCTION);
}

TEST_F(LmvpciTest, HungRequestCompletesOnlyWhenCancelled) {
    ::setenv("LMVSIM_HANG", "0x222038", 1);
    lmv_seam_device* d = OpenBoard(0);
    uint32_t status = 0;
    Completion hung;
    ASSERT_EQ(seam_->ioctl(d, io::kReadStatus, nullptr, 0, &status, 4, &hung.request), 0u);
    EXPECT_FALSE(hung.done);
    EXPECT_EQ(WordOf(Call(d, io::kReadBusy, {}, 4)), 0u);  // other requests still complete
    Completion other;
    ASSERT_EQ(seam_->ioctl(d, io::kReadStatus, nullptr, 0, &status, 4, &other.request), 0u);
    seam_->cancel(d, &hung.request);
    EXPECT_TRUE(hung.done);
    EXPECT_EQ(hung.status, static_cast<uint32_t>(LMV_SEAM_CANCELLED));
    EXPECT_FALSE(other.done);
    seam_->close(d);  // closing cancels what is left
    open_.clear();
    EXPECT_TRUE(other.done);
    EXPECT_EQ(other.status, static_cast<uint32_t>(LMV_SEAM_CANCELLED));
}

bool Signalled(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, ms) != 1) return false;
    uint64_t count = 0;
    return ::read(fd, &count, sizeof count) == sizeof count && count > 0;
}

TEST_F(LmvpciTest, ArmedImageEventIsSignalledWhenAPictureArrives) {
    ::setenv("LMVSIM_IMAGE_MS", "30", 1);
    lmv_seam_device* d = OpenBoard(0);
    Call(d, io::kBoardCommand, Words({io::kCmdReset}), 0);
    const int fd = ::eventfd(0, EFD_CLOEXEC);
    ASSERT_GE(fd, 0);
    Call(d, io::kBeginWaitImage, Words({static_cast<uint32_t>(fd)}), 0);
    EXPECT_FALSE(Signalled(fd, 60));                // the camera is idle: no picture comes
    Call(d, io::kWriteRegister, Words({0, 4}), 8);  // one picture
    EXPECT_TRUE(Signalled(fd, 10000));
    EXPECT_EQ(WordOf(Call(d, io::kReadStatus, {}, 4)), io::kStatusPicture);
    // A picture already waiting signals at once; after the end of the wait nothing is signalled.
    Call(d, io::kBeginWaitImage, Words({static_cast<uint32_t>(fd)}), 0);
    EXPECT_TRUE(Signalled(fd, 0));
    Call(d, io::kEndWaitImage, {}, 0);
    Call(d, io::kBoardCommand, Words({io::kCmdClearBuffer}), 0);
    Call(d, io::kWriteRegister, Words({0, 4}), 8);
    EXPECT_FALSE(Signalled(fd, 100));
    ::close(fd);
}

TEST_F(LmvpciTest, ShortReadDeliversFewerBytes) {
    ::setenv("LMVSIM_SHORT_READ", "6", 1);
    lmv_seam_device* d = OpenBoard(0);
    Call(d, io::kBoardCommand, Words({io::kCmdMemoryTest}), 0);
    EXPECT_EQ(ReadPicture(d, 0, 100).size(), 94u);
}

TEST_F(LmvpciTest, DeviceBuffersAreAllocatedMappedQueriedAndFreed) {
    lmv_seam_device* d = OpenBoard(0);
    const std::vector<uint8_t> zero(20);
    EXPECT_EQ(WordOf(Call(d, io::kGetFreeDevBuf, zero, 20)), 0u);
    auto allocated = Call(d, io::kAllocateDeviceBuffer, Words({0, 131072, 0, 0, 0}), 20);
    ASSERT_EQ(allocated.size(), 20u);
    EXPECT_EQ(WordOf(allocated), 131072u);
    EXPECT_EQ(WordOf(Call(d, io::kGetFreeDevBuf, zero, 20)), 1u);
    auto status = Call(d, io::kGetStatusDevBuf, Words({3, 0, 0, 0, 0}), 16);
    ASSERT_EQ(status.size(), 16u);
    EXPECT_EQ(WordOf(status, 1), 131072u);
    auto mapped = Call(d, io::kMapDeviceBuffer, Words({0, 131072, 0, 0, 0}), 12);
    ASSERT_EQ(mapped.size(), 12u);
    auto* memory = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(WordOf(mapped)));
    ASSERT_NE(memory, nullptr);
    memory[0] = 1;
    memory[131071] = 2;  // the whole buffer is usable through the 32-bit address
    Call(d, io::kUnmapDeviceBuffer, Words({0, 0}), 8);
    Call(d, io::kUnmapDeviceBuffer, Words({0, 0}), 8, LMV_SEAM_INVALID_PARAMETER);
    Call(d, io::kFreeDeviceBuffer, Words({0, 0, 0, 0, 0}), 20);
    Call(d, io::kFreeDeviceBuffer, Words({0, 0, 0, 0, 0}), 20, LMV_SEAM_INVALID_PARAMETER);
    Call(d, io::kGetStatusDevBuf, Words({3, 0, 0, 0, 0}), 16, LMV_SEAM_INVALID_PARAMETER);
}

TEST_F(LmvpciTest, FailingRequestByCode) {
    ::setenv("LMVSIM_FAIL", "0x222044", 1);
    lmv_seam_device* d = OpenBoard(0);
    EXPECT_TRUE(Call(d, io::kReadBusy, {}, 4, LMV_SEAM_GEN_FAILURE).empty());
}

TEST_F(LmvpciTest, TraceHasOneLinePerRequestInTheFixedFormat) {
    lmv_seam_device* d = OpenBoard(0);
    Call(d, io::kBoardCommand, Words({io::kCmdMemoryTest}), 0);
    Call(d, io::kReadStatus, {}, 4);
    ReadPicture(d, 0, 4);
    Call(d, io::kReadIdent, Words({3, 224}), 8);
    const std::vector<std::string> expected = {
        "0 ioctl 0x222004 in=f4000000 out=-",
        "0 ioctl 0x222038 in=- out=00000004",
        "0 ioctl 0x222054 in=00000000 out=-",
        "0 read 4",
        "0 ioctl 0x222258 in=03000000e0000000 out=525a342d4c323100",
    };
    EXPECT_EQ(env_.TraceLines(), expected);
    EXPECT_EQ(lmvpci::HexBytes(nullptr, 0), "-");
}

}  // namespace
