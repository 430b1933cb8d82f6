#include "simulators/lmvpci/SimBoard.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "camera/api/DriverRequests.h"
#include "camera/api/DriverSeam.h"
#include "winport/Clock.h"
#include "winport/Event.h"

namespace lmvpci {
namespace {

namespace io = lmv::ioctl;
using Clock = winport::SteadyClock;

constexpr uint32_t kNoCameraAnswer = 0x795E;
constexpr uint32_t kMaxDeviceBuffers = 16;
constexpr uint32_t kPageBytes = 4096;
constexpr uint32_t kIdentLength = 8;
constexpr auto kLongestReadWait = std::chrono::milliseconds(100);
// A camera whose table gives no picture runs on without end.
constexpr auto kNoPictureTime = std::chrono::hours(24);
// Played pictures: a level that grows with the exposure towards kTopLevel, plus a pattern of
// 7 levels per sensor column, 5 per sensor row and 13 per picture, modulo kPatternLevels.
constexpr double kTopLevel = 3072;
constexpr double kHalfLevelExposureUs = 50000;
constexpr uint32_t kPatternLevels = 1024;
constexpr uint32_t kAoiStartCommand = 12;
constexpr uint32_t kAoiEndCommand = 13;

// CCD types as the camera reports them: identification byte and status bits 14-15 and 9-11;
// the colour variant (type + 1) sets status bit 8.
struct CcdIdentity {
    int ccdTyp;
    uint32_t identByte;
    uint32_t bits14to15;
    uint32_t bits9to11;
};
constexpr CcdIdentity kCcds[] = {
    {1, 0, 0, 0},  {3, 0, 2, 0},   {5, 0, 3, 7},   {9, 1, 0, 0},   {10, 2, 0, 0},
    {11, 3, 0, 0}, {17, 16, 0, 0}, {21, 18, 0, 0}, {19, 20, 0, 0},
};

struct CcdMatch {
    const CcdIdentity* identity = nullptr;
    bool colour = false;
};

CcdMatch FindCcd(int ccdTyp) {
    for (const auto& c : kCcds)
        if (c.ccdTyp == ccdTyp) return {&c, false};
    for (const auto& c : kCcds)
        if (c.ccdTyp + 1 == ccdTyp) return {&c, true};
    return {};
}

// Colour sensors carry an R G / G B mosaic (even rows red and green, odd rows green and blue, by
// sensor row and column); each colour has its own share of the played level, so that the colours
// can be told apart and balanced: green all of it, red three quarters, blue half.
constexpr uint32_t kRedQuarters = 3;
constexpr uint32_t kGreenQuarters = 4;
constexpr uint32_t kBlueQuarters = 2;

uint32_t MosaicQuarters(uint32_t row, uint32_t column) {
    if ((row & 1) != (column & 1)) return kGreenQuarters;
    return (row & 1) ? kBlueQuarters : kRedQuarters;
}

// Set-up programs select what the temperature register answers (first word of the table).
constexpr uint16_t kProgramExtraSensor = 598;
constexpr uint16_t kProgramIdentByte = 614;
constexpr uint16_t kProgramCameraId = 630;

void* MapLow(uint32_t size) {
    int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_32BIT
    flags |= MAP_32BIT;
#endif
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, flags, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    if (reinterpret_cast<uintptr_t>(p) + size > 0xFFFFFFFFull) {
        ::munmap(p, size);  // the 32-bit address field could not hold it
        return nullptr;
    }
    return p;
}

}  // namespace

const SimBoard::Entry SimBoard::kHandlers[] = {
    {io::kBoardCommand, &SimBoard::BoardCommand},
    {io::kReadRegister, &SimBoard::ReadRegister},
    {io::kWriteRegister, &SimBoard::WriteRegister},
    {io::kLoadCoc, &SimBoard::LoadCoc},
    {io::kReadStatus, &SimBoard::ReadStatus},
    {io::kReloadFpga, &SimBoard::ReloadFpga},
    {io::kReadBusy, &SimBoard::ReadBusy},
    {io::kReadImage, &SimBoard::ReadImage},
    {io::kSetReadPic, &SimBoard::SetReadPic},
    {io::kLoadLut, &SimBoard::LoadLut},
    {io::kEndWaitImage, &SimBoard::EndWaitImage},
    {io::kBeginWaitImage, &SimBoard::BeginWaitImage},
    {io::kAllocateDeviceBuffer, &SimBoard::AllocateDeviceBuffer},
    {io::kFreeDeviceBuffer, &SimBoard::FreeDeviceBuffer},
    {io::kGetFreeDevBuf, &SimBoard::GetFreeDevBuf},
    {io::kGetStatusDevBuf, &SimBoard::GetStatusDevBuf},
    {io::kMapDeviceBuffer, &SimBoard::MapDeviceBuffer},
    {io::kUnmapDeviceBuffer, &SimBoard::UnmapDeviceBuffer},
    {io::kReadIdent, &SimBoard::ReadIdent},
};

uint32_t SimBoard::Request::Word(uint32_t index) const {
    uint32_t w = 0;
    if (in && inSize >= (index + 1) * 4) std::memcpy(&w, in + index * 4, 4);
    return w;
}

SimBoard::~SimBoard() {
    UnmapAll();
}

void SimBoard::Attached() {
    std::lock_guard<std::mutex> lock(mutex_);
    config_ = ConfigForBoard(number_);
    NoteTablePlayer();
    Replay();
}

void SimBoard::Replay() {
    if (coc_.empty()) {
        played_ = PlayedPicture{};
        return;
    }
    CocCamera camera = CocCameraFor(config_.ccdTyp);
    camera.aoiStart = aoiStart_;
    camera.aoiEnd = aoiEnd_;
    played_ = PlayCoc(coc_.data(), coc_.size(), camera);
}

Clock::duration SimBoard::PictureTime() const {
    // A board without a table delivers its test pattern; LMVSIM_IMAGE_MS=0 makes every picture
    // land at once.
    if (coc_.empty() || config_.imageMs == 0) return std::chrono::milliseconds(config_.imageMs);
    if (!played_.picture) return kNoPictureTime;
    return std::chrono::microseconds(static_cast<int64_t>(std::ceil(played_.CycleUs())));
}

uint32_t SimBoard::ExposureLevel() const {
    const double e = played_.exposureUs > 0 ? played_.exposureUs : 0;
    return static_cast<uint32_t>(kTopLevel * e / (e + kHalfLevelExposureUs));
}

void SimBoard::Released() {
    std::lock_guard<std::mutex> lock(mutex_);
    UnmapAll();
    announced_ = -1;
    waitFd_ = -1;
    StateChanged();
}

void SimBoard::WatchForPictures() {
    if (watching_) return;
    watching_ = true;
    std::thread([this] {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (waitFd_ >= 0 && camera_ != Camera::Idle && !picture_) {
                changed_.wait_for(lock, winport::RealDuration(due_ - Clock::now()));
                Advance();
            } else {
                changed_.wait(lock);
            }
        }
    }).detach();
}

void SimBoard::UnmapAll() {
    for (auto& [n, b] : deviceBuffers_)
        if (b.mapped) ::munmap(b.mapped, b.size);
    deviceBuffers_.clear();
}

Reply SimBoard::Ioctl(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out,
                      uint32_t outSize) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (config_.hangCode && *config_.hangCode == code) return Reply{0, 0, true};
    if (config_.failCode && *config_.failCode == code) return Reply{LMV_SEAM_GEN_FAILURE, 0};
    Advance();
    for (const auto& e : kHandlers) {
        if (e.code != code) continue;
        const Reply reply = (this->*e.handler)(Request{in, inSize, out, outSize});
        StateChanged();
        return reply;
    }
    return Reply{LMV_SEAM_INVALID_FUNCTION, 0};
}

Reply SimBoard::Read(uint8_t* buffer, uint32_t size) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (config_.hangRead) return Reply{0, 0, true};
    if (announced_ < 0) return Reply{LMV_SEAM_INVALID_FUNCTION, 0};
    Advance();
    if (!picture_ && camera_ != Camera::Idle && due_ - Clock::now() <= kLongestReadWait) {
        // A picture about to land is waited for; a later one leaves the read pending, and the
        // caller's time limit ends it.
        const auto due = due_;
        lock.unlock();
        winport::SleepUntil(due);
        lock.lock();
        Advance();
    }
    if (!picture_) return Reply{0, 0, true};  // nothing comes until the request is cancelled
    const auto mode = static_cast<uint32_t>(announced_);
    announced_ = -1;
    const uint32_t bytes = size > config_.shortRead ? size - config_.shortRead : 0;
    DeliverPicture(buffer, bytes, mode);
    if (!memoryPattern_) PictureTaken();
    StateChanged();
    return Reply{0, bytes};
}

void SimBoard::Advance() {
    if (picture_ || camera_ == Camera::Idle || Clock::now() < due_) return;
    picture_ = true;
    ++frame_;
    if (camera_ == Camera::Single) camera_ = Camera::Idle;
    if (waitFd_ >= 0) winport::SignalEventFd(waitFd_);
}

void SimBoard::PictureTaken() {
    picture_ = false;
    memoryPattern_ = false;
    due_ = Clock::now() + PictureTime();
}

void SimBoard::ClearBuffer() {
    PictureTaken();
}

void SimBoard::CameraCommand(uint32_t value) {
    switch (value & 0xF) {
        case 0:  // stop: the picture in exposure is finished
            if (camera_ != Camera::Idle) {
                if (coc_.empty() || played_.picture) due_ = Clock::now();
                Advance();
                camera_ = Camera::Idle;
            }
            break;
        case 4:
            camera_ = Camera::Single;
            due_ = Clock::now() + PictureTime();
            break;
        case 5:
        case 6:
        case 8:
        case 9:
        case 14:
        case 15:
            camera_ = Camera::Continuous;
            due_ = Clock::now() + PictureTime();
            break;
        case kAoiStartCommand:
            aoiStart_ = value;
            Replay();
            break;
        case kAoiEndCommand:
            aoiEnd_ = value;
            Replay();
            break;
        default:  // arm commands change no run state
            break;
    }
}

Reply SimBoard::Put(const Request& r, const void* data, uint32_t size) {
    const uint32_t n = std::min(size, r.outSize);
    if (n && r.out) std::memcpy(r.out, data, n);
    return Reply{0, r.out ? n : 0};
}

Reply SimBoard::BoardCommand(const Request& r) {
    if (r.inSize != 4) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    switch (r.Word(0)) {
        case io::kCmdRestartLink:
        case io::kCmdStartTransfer:
        case io::kCmdPrepareDirectRead:
            break;
        case io::kCmdClearBuffer:
            ClearBuffer();
            break;
        case io::kCmdReset:
            camera_ = Camera::Idle;
            announced_ = -1;
            coc_.clear();
            aoiStart_.reset();
            aoiEnd_.reset();
            Replay();
            ClearBuffer();
            break;
        case io::kCmdMemoryTest:
            picture_ = true;
            memoryPattern_ = true;
            break;
        default:
            return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    }
    return Reply{};
}

uint32_t SimBoard::CameraStatusWord() const {
    uint32_t s = 0;
    if (config_.cameraTyp == 1) s |= 1u << 12;
    if (config_.cameraTyp == 5)
        s |= (3u << 12) | ((static_cast<uint32_t>(config_.cameraId) & 3) << 6);
    const CcdMatch ccd = FindCcd(config_.ccdTyp);
    if (ccd.identity) {
        s |= ccd.identity->bits14to15 << 14;
        s |= ccd.identity->bits9to11 << 9;
        if (ccd.colour) s |= 1u << 8;
    }
    return (s | config_.statusBits) & 0xFFFF;
}

int SimBoard::ExtraSensorByte() const {
    if (config_.extraSensor != kExtraSensorByCcd) return config_.extraSensor;
    const CcdMatch match = FindCcd(config_.ccdTyp);
    return match.identity && match.identity->identByte != 0 ? 0 : -1;
}

uint32_t SimBoard::TemperatureRegister() const {
    if (config_.noCamera) return kNoCameraAnswer;
    const uint32_t ccd = static_cast<uint32_t>(config_.ccdTemp + 128) & 0xFF;
    uint32_t high = static_cast<uint32_t>(config_.eleTemp + 128) & 0xFF;
    const uint16_t program = coc_.empty() ? 0 : coc_[0];
    const int extra = ExtraSensorByte();
    if (extra < 0) return (high << 8) | ccd;  // the programs need the extra sensor
    const CcdMatch match = FindCcd(config_.ccdTyp);
    if (program == kProgramExtraSensor) high = static_cast<uint32_t>(extra) & 0xFF;
    if (program == kProgramIdentByte) high = match.identity ? match.identity->identByte : 0xFF;
    if (program == kProgramCameraId) high = static_cast<uint32_t>(config_.cameraId) & 0xFF;
    return (high << 8) | ccd;
}

Reply SimBoard::ReadRegister(const Request& r) {
    if (r.inSize != 4 && r.inSize != 8) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    uint32_t value = 0;
    switch (r.Word(0)) {
        case 6:
            value = CameraStatusWord();
            break;
        case 7:
            value = TemperatureRegister();
            break;
        case 22:
        case 23:
            if (config_.boardType != 3) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
            value = registers_[r.Word(0) == 22 ? 16 : 17];
            break;
        default:
            return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    }
    uint8_t answer[8] = {};
    std::memcpy(answer, &value, 4);
    return Put(r, answer, r.outSize >= 8 ? 8 : 4);
}

Reply SimBoard::WriteRegister(const Request& r) {
    if (r.inSize != 8) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    const uint32_t reg = r.Word(0), value = r.Word(1);
    const bool typeThreeOnly = reg == 16 || reg == 17;
    if (!(reg == 0 || reg == 1 || (typeThreeOnly && config_.boardType == 3)))
        return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    registers_[reg] = value;
    if (reg == 0) CameraCommand(value);
    return Put(r, r.in, 8);
}

Reply SimBoard::LoadCoc(const Request& r) {
    if (r.inSize < 2 || r.inSize % 2) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    coc_.resize(r.inSize / 2);
    std::memcpy(coc_.data(), r.in, r.inSize);
    Replay();
    return Reply{};
}

Reply SimBoard::ReadStatus(const Request& r) {
    if (r.inSize != 0 && r.inSize != 4) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    const uint32_t status = picture_ ? io::kStatusPicture : 0;
    return Put(r, &status, 4);
}

Reply SimBoard::ReloadFpga(const Request& r) {
    if (r.inSize == 0) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    fpgaBytes_ = r.inSize;
    return Put(r, &fpgaBytes_, 4);
}

Reply SimBoard::ReadBusy(const Request& r) {
    const uint32_t busy = camera_ != Camera::Idle ? io::kBusyCamera : 0;
    return Put(r, &busy, 4);
}

Reply SimBoard::ReadImage(const Request& r) {
    if (r.inSize != 4 || !r.out) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    const uint64_t wanted = uint64_t{r.Word(0)} * 2;
    const auto bytes = static_cast<uint32_t>(std::min<uint64_t>(wanted, r.outSize));
    FillPicture(r.out, bytes, static_cast<uint32_t>(io::TransferMode::Pixels16));
    return Reply{0, bytes};
}

Reply SimBoard::SetReadPic(const Request& r) {
    if (r.inSize == io::kReadPicRecord) {
        announced_ = static_cast<int64_t>(io::TransferMode::Pixels16);
        return Reply{};
    }
    if (r.inSize != 4 || r.Word(0) >= io::kTransferModeCount)
        return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    announced_ = r.Word(0);
    return Reply{};
}

Reply SimBoard::LoadLut(const Request& r) {
    if (r.inSize != io::kLutBytes) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    lut_.assign(r.in, r.in + r.inSize);
    return Reply{};
}

Reply SimBoard::EndWaitImage(const Request&) {
    waitFd_ = -1;
    return Reply{};
}

Reply SimBoard::BeginWaitImage(const Request& r) {
    if (r.inSize != 4) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    waitFd_ = static_cast<int>(r.Word(0));
    if (picture_) winport::SignalEventFd(waitFd_);
    WatchForPictures();
    return Reply{};
}

Reply SimBoard::AllocateDeviceBuffer(const Request& r) {
    if (r.inSize != io::kDeviceBufferRecord) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    const uint32_t n = r.Word(0), size = r.Word(1);
    if (n >= kMaxDeviceBuffers || size == 0 || size > 0x40000000u)
        return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    if (auto it = deviceBuffers_.find(n); it != deviceBuffers_.end()) {
        if (it->second.mapped) ::munmap(it->second.mapped, it->second.size);
        deviceBuffers_.erase(it);
    }
    const uint32_t rounded = (size + kPageBytes - 1) / kPageBytes * kPageBytes;
    deviceBuffers_[n] = DeviceBuffer{rounded, nullptr};
    uint8_t answer[io::kDeviceBufferRecord] = {};
    std::memcpy(answer, &rounded, 4);
    return Put(r, answer, sizeof answer);
}

Reply SimBoard::FreeDeviceBuffer(const Request& r) {
    if (r.inSize != io::kDeviceBufferRecord) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    auto it = deviceBuffers_.find(r.Word(0));
    if (it == deviceBuffers_.end()) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    if (it->second.mapped) ::munmap(it->second.mapped, it->second.size);
    deviceBuffers_.erase(it);
    uint8_t answer[io::kDeviceBufferRecord] = {};
    return Put(r, answer, sizeof answer);
}

Reply SimBoard::GetFreeDevBuf(const Request& r) {
    for (uint32_t n = 0; n < kMaxDeviceBuffers; ++n) {
        if (deviceBuffers_.count(n)) continue;
        uint8_t answer[io::kDeviceBufferRecord] = {};
        std::memcpy(answer, &n, 4);
        return Put(r, answer, sizeof answer);
    }
    return Reply{LMV_SEAM_NOT_ENOUGH_MEMORY, 0};
}

Reply SimBoard::GetStatusDevBuf(const Request& r) {
    if (r.inSize != io::kDeviceBufferRecord || r.Word(0) != 3)
        return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    auto it = deviceBuffers_.find(r.Word(1));
    if (it == deviceBuffers_.end()) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    // Status: buffer number, size, mapped flag, bus address of the simulated board.
    uint32_t words[io::kDevBufStatusMax / 4] = {};
    words[0] = it->first;
    words[1] = it->second.size;
    words[2] = it->second.mapped ? 1 : 0;
    words[3] = 0x10000000u + it->first * 0x01000000u;
    return Put(r, words, sizeof words);
}

Reply SimBoard::MapDeviceBuffer(const Request& r) {
    if (r.inSize != io::kDeviceBufferRecord) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    auto it = deviceBuffers_.find(r.Word(0));
    if (it == deviceBuffers_.end() || r.Word(1) > it->second.size)
        return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    DeviceBuffer& b = it->second;
    if (!b.mapped) b.mapped = MapLow(b.size);
    if (!b.mapped) return Reply{LMV_SEAM_NOT_ENOUGH_MEMORY, 0};
    const uint32_t answer[3] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b.mapped)),
                                b.size, 0};
    return Put(r, answer, sizeof answer);
}

Reply SimBoard::UnmapDeviceBuffer(const Request& r) {
    if (r.inSize != io::kUnmapRecord) return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    auto it = deviceBuffers_.find(r.Word(0));
    if (it == deviceBuffers_.end() || !it->second.mapped)
        return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    ::munmap(it->second.mapped, it->second.size);
    it->second.mapped = nullptr;
    return Put(r, r.in, io::kUnmapRecord);
}

Reply SimBoard::ReadIdent(const Request& r) {
    if (r.inSize != 8 || r.Word(0) != 3 || r.Word(1) != 224)
        return Reply{LMV_SEAM_INVALID_PARAMETER, 0};
    static const char kLetters[] = {'S', 'S', 'L', 'C'};  // by board type 1, 2, 3
    static const char kHex[] = "0123456789ABCDEF";
    const int type = config_.boardType >= 1 && config_.boardType <= 3 ? config_.boardType : 1;
    const char text[kIdentLength] = {'R',
                                     'Z',
                                     '4',
                                     '-',
                                     kLetters[type],
                                     kHex[(config_.boardVersion >> 4) & 0xF],
                                     kHex[config_.boardVersion & 0xF],
                                     0};
    return Put(r, text, kIdentLength);
}

uint16_t SimBoard::PixelValue(uint32_t index) const {
    if (memoryPattern_) {
        const auto word = static_cast<uint16_t>(index & 0xFFFF);
        return config_.memoryFault && *config_.memoryFault == index ? static_cast<uint16_t>(~word)
                                                                    : word;
    }
    if (coc_.empty()) return static_cast<uint16_t>((index * 7u + frame_ * 13u) & 0xFFF);
    const uint32_t width = played_.width ? played_.width : 1;
    const uint32_t x = index % width, y = index / width;
    if (y >= played_.height) return 0;  // beyond the picture the board holds nothing
    const uint32_t column = played_.xmin + x * played_.hbin;
    const uint32_t row = played_.firstRow + y * played_.vbin;
    const uint32_t pattern = (column * 7u + row * 5u + frame_ * 13u) % kPatternLevels;
    const auto level = static_cast<uint32_t>(ExposureLevel() + pattern);
    if (!FindCcd(config_.ccdTyp).colour) return static_cast<uint16_t>(level);
    return static_cast<uint16_t>(level * MosaicQuarters(row, column) / 4);
}

void SimBoard::FillPicture(uint8_t* buffer, uint32_t bytes, uint32_t mode) const {
    const uint32_t width = io::kBytesPerPixel[mode < io::kTransferModeCount ? mode : 0];
    for (uint32_t at = 0, i = 0; at < bytes; at += width, ++i) {
        const uint16_t v = StampedPixel(i);
        uint8_t pixel[4] = {};
        if (width == 1)
            pixel[0] =
                lut_.size() == io::kLutBytes ? lut_[v & 0xFFF] : static_cast<uint8_t>(v >> 4);
        else
            std::memcpy(pixel, &v, 2);  // 32-bit sums of one picture: the upper half stays 0
        std::memcpy(buffer + at, pixel, std::min(width, bytes - at));
    }
}

// --- Recorder support: frame number and the adding transfer modes ---

uint16_t SimBoard::StampedPixel(uint32_t index) const {
    if (!config_.frameNumber || memoryPattern_ || index > 1) return PixelValue(index);
    return static_cast<uint16_t>(index == 0 ? frame_ & 0xFFFF : frame_ >> 16);
}

void SimBoard::DeliverPicture(uint8_t* buffer, uint32_t bytes, uint32_t mode) const {
    const auto m = static_cast<io::TransferMode>(mode);
    if (m == io::TransferMode::Average16 || m == io::TransferMode::Sums32)
        AddPicture(buffer, bytes, mode);
    else
        FillPicture(buffer, bytes, mode);
}

void SimBoard::AddPicture(uint8_t* buffer, uint32_t bytes, uint32_t mode) const {
    const bool sums = static_cast<io::TransferMode>(mode) == io::TransferMode::Sums32;
    const uint32_t width = sums ? 4 : 2;
    for (uint32_t at = 0, i = 0; at + width <= bytes; at += width, ++i) {
        if (sums) {
            uint32_t sum = 0;
            std::memcpy(&sum, buffer + at, 4);
            sum += StampedPixel(i);
            std::memcpy(buffer + at, &sum, 4);
        } else {
            uint16_t sum = 0;
            std::memcpy(&sum, buffer + at, 2);
            sum = static_cast<uint16_t>(sum + StampedPixel(i));
            std::memcpy(buffer + at, &sum, 2);
        }
    }
}

}  // namespace lmvpci
