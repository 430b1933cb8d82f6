#include "camera/api/DriverChannel.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"

namespace lmv::driver {
namespace {

using ioctl::TransferMode;

struct OpenDevice {
    const lmv_driver_seam* seam;
    lmv_seam_device* device;
    OpenDevice(const lmv_driver_seam* s, lmv_seam_device* d) : seam(s), device(d) {}
    ~OpenDevice() {
        if (uint32_t rc = seam->close(device)) {
            char text[64];
            std::snprintf(text, sizeof text, "failed to close driver %x %x",
                          static_cast<unsigned>(reinterpret_cast<uintptr_t>(device)), rc);
            ShowWarning(text);
        }
    }
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;
};

struct DeviceSlot {
    std::shared_ptr<OpenDevice> open;
    std::unique_ptr<winport::Event> dmaEvent;
    std::atomic<bool> dmaInProgress{false};
    int32_t handle = 0;
};

struct Channel {
    std::mutex mutex;
    DeviceSlot slots[kBoardSlots];
    int32_t nextHandle = 1;
};

Channel& Devices() {
    static Channel channel;
    return channel;
}

// A request in flight: its own event, kept alive by the completion until it has run.
struct Pending {
    lmv_seam_request request{};
    winport::Event done{true, false};
    std::atomic<uint32_t> status{LMV_SEAM_OK};
    std::atomic<uint32_t> bytes{0};
};

void Completed(lmv_seam_request* request, uint32_t status, uint32_t bytes) {
    auto* keep = static_cast<std::shared_ptr<Pending>*>(request->context);
    std::shared_ptr<Pending> pending = std::move(*keep);
    delete keep;
    pending->status = status;
    pending->bytes = bytes;
    pending->done.Set();
}

enum class Outcome { Done, Failed, Rejected, TimedOut };

struct Answer {
    Outcome outcome = Outcome::Rejected;
    uint32_t error = LMV_SEAM_OK;  // system error of a failed, rejected or timed-out request
    uint32_t bytes = 0;
};

std::shared_ptr<OpenDevice> DeviceOf(int board) {
    std::lock_guard<std::mutex> lock(Devices().mutex);
    return Devices().slots[board].open;
}

template <typename Submit>
Answer Run(const std::shared_ptr<OpenDevice>& dev, Submit submit) {
    auto pending = std::make_shared<Pending>();
    pending->request.complete = Completed;
    pending->request.context = new std::shared_ptr<Pending>(pending);
    Answer answer;
    if (uint32_t rc = submit(&pending->request)) {
        delete static_cast<std::shared_ptr<Pending>*>(pending->request.context);
        answer.error = rc;
        return answer;
    }
    const int timeout = Library().driverTimeout.load();
    if (!pending->done.Wait(static_cast<uint32_t>(timeout > 0 ? timeout : 0))) {
        // Cancelled so the driver never writes into buffers the caller is about to release.
        dev->seam->cancel(dev->device, &pending->request);
        answer.outcome = Outcome::TimedOut;
        answer.error = pending->status.load();
        return answer;
    }
    answer.bytes = pending->bytes.load();
    answer.error = pending->status.load();
    answer.outcome = answer.error == LMV_SEAM_OK ? Outcome::Done : Outcome::Failed;
    return answer;
}

Answer Submit(const std::shared_ptr<OpenDevice>& dev, uint32_t code, const void* in,
              uint32_t inSize, void* out, uint32_t outSize) {
    return Run(dev, [&](lmv_seam_request* r) {
        return dev->seam->ioctl(dev->device, code, in, inSize, out, outSize, r);
    });
}

int ResultOf(const Answer& a, bool mustCarry) {
    switch (a.outcome) {
        case Outcome::TimedOut:
            return kTimeout;
        case Outcome::Rejected:
        case Outcome::Failed:
            return kTransferIncomplete;
        case Outcome::Done:
            break;
    }
    return mustCarry && a.bytes == 0 ? kTransferIncomplete : kOk;
}

int Exchange(int board, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
             bool mustCarry, uint32_t* bytes = nullptr) {
    if (!IsBoardSlot(board)) return kWrongParameter;
    auto dev = DeviceOf(board);
    if (!dev) return kDriverNotOpen;
    Answer a = Submit(dev, code, in, inSize, out, outSize);
    if (bytes) *bytes = a.bytes;
    return ResultOf(a, mustCarry);
}

int ExchangeWord(int board, uint32_t code, uint32_t word) {
    return Exchange(board, code, &word, sizeof word, nullptr, 0, false);
}

// The device-buffer requests: any failure is a communication error.
int DeviceBufferRequest(int board, uint32_t code, const void* in, uint32_t inSize, void* out,
                        uint32_t outSize, const char* name, uint32_t* bytes = nullptr) {
    if (!IsBoardSlot(board)) return kWrongParameter;
    auto dev = DeviceOf(board);
    if (!dev) return kDriverNotOpen;
    Answer a = Submit(dev, code, in, inSize, out, outSize);
    if (bytes) *bytes = a.bytes;
    if (a.outcome != Outcome::Done) {
        uint32_t error = a.outcome == Outcome::TimedOut && a.error == LMV_SEAM_OK
                             ? static_cast<uint32_t>(LMV_SEAM_CANCELLED)
                             : a.error;
        LogMessage(kLogErrors, "%s: communication error %u\r\n", name, error);
        return kDeviceBufferError;
    }
    return kOk;
}

void PutWords(uint8_t* record, std::initializer_list<uint32_t> words) {
    size_t at = 0;
    for (uint32_t w : words) {
        std::memcpy(record + at, &w, sizeof w);
        at += sizeof w;
    }
}

uint32_t WordAt(const uint8_t* bytes, size_t index) {
    uint32_t w;
    std::memcpy(&w, bytes + index * 4, sizeof w);
    return w;
}

}  // namespace

int Open(int board) {
    if (!IsBoardSlot(board)) return kWrongParameter;
    if (IsOpen(board)) {
        int rc = BoardCommand(board, ioctl::kCmdReset);
        if (rc != kOk) return rc;
        std::lock_guard<std::mutex> lock(Devices().mutex);
        if (auto& e = Devices().slots[board].dmaEvent) e->Reset();
        return kOk;
    }
    std::string why;
    const lmv_driver_seam* seam = DriverBackend(&why);
    if (!seam) {
        LogMessage(kLogErrors, "%s\r\n", why.c_str());
        return kCannotOpenDriver;
    }
    char name[32];
    std::snprintf(name, sizeof name, kDeviceNameFormat, board);
    lmv_seam_device* device = nullptr;
    uint32_t rc = seam->open(name, &device);
    if (rc != LMV_SEAM_OK || !device) return rc == LMV_SEAM_BUSY ? kDeviceBusy : kCannotOpenDriver;
    auto open = std::make_shared<OpenDevice>(seam, device);
    std::lock_guard<std::mutex> lock(Devices().mutex);
    DeviceSlot& slot = Devices().slots[board];
    slot.open = std::move(open);
    slot.dmaEvent = std::make_unique<winport::Event>(true, false);
    slot.dmaInProgress = false;
    slot.handle = Devices().nextHandle++;
    return kOk;
}

int Close(int board) {
    if (!IsBoardSlot(board)) return kWrongParameter;
    std::shared_ptr<OpenDevice> open;
    {
        std::lock_guard<std::mutex> lock(Devices().mutex);
        DeviceSlot& slot = Devices().slots[board];
        open = std::move(slot.open);
        slot.dmaEvent.reset();
        slot.dmaInProgress = false;
        slot.handle = 0;
    }
    if (open) open->seam->cancel(open->device, nullptr);
    return kOk;  // the device closes when its last request has returned
}

void CloseAll() {
    for (int b = 0; b < kBoardSlots; ++b) Close(b);
}

bool IsOpen(int board) {
    return IsBoardSlot(board) && DeviceOf(board) != nullptr;
}

int32_t Handle(int board) {
    if (!IsBoardSlot(board)) return 0;
    std::lock_guard<std::mutex> lock(Devices().mutex);
    return Devices().slots[board].handle;
}

winport::Event* DmaEvent(int board) {
    if (!IsBoardSlot(board)) return nullptr;
    std::lock_guard<std::mutex> lock(Devices().mutex);
    return Devices().slots[board].dmaEvent.get();
}

bool DmaInProgress(int board) {
    return IsBoardSlot(board) && Devices().slots[board].dmaInProgress.load();
}

void SetDmaInProgress(int board, bool on) {
    if (IsBoardSlot(board)) Devices().slots[board].dmaInProgress = on;
}

int Request(int board, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
            uint32_t* bytes) {
    return Exchange(board, code, in, inSize, out, outSize, outSize > 0, bytes);
}

int BoardCommand(int board, uint32_t command) {
    return ExchangeWord(board, ioctl::kBoardCommand, command);
}

int ReadRegister(int board, uint32_t selector, uint32_t* value) {
    uint32_t answer = 0;
    int rc = Exchange(board, ioctl::kReadRegister, &selector, sizeof selector, &answer,
                      sizeof answer, true);
    if (rc == kOk && value) *value = answer & 0xFFFF;
    return rc;
}

int ReadRegisterWide(int board, uint32_t selector, uint8_t answer[8]) {
    uint8_t in[8] = {};
    PutWords(in, {selector, 0});
    uint8_t out[8] = {};
    int rc = Exchange(board, ioctl::kReadRegister, in, sizeof in, out, sizeof out, true);
    if (rc == kOk && answer) std::memcpy(answer, out, sizeof out);
    return rc;
}

int WriteRegister(int board, uint32_t reg, uint32_t value) {
    uint8_t in[8];
    PutWords(in, {reg, value});
    uint8_t ignored[8] = {};
    return Exchange(board, ioctl::kWriteRegister, in, sizeof in, ignored, sizeof ignored, false);
}

int LoadCoc(int board, const uint16_t* words, uint32_t count) {
    if (!words || count == 0 || count > UINT32_MAX / 2) return kWrongParameter;
    return Exchange(board, ioctl::kLoadCoc, words, count * 2, nullptr, 0, false);
}

int ReadStatus(int board, uint32_t* status, bool zeroWord) {
    const uint32_t zero = 0;
    uint32_t answer = 0;
    int rc = Exchange(board, ioctl::kReadStatus, zeroWord ? &zero : nullptr,
                      zeroWord ? sizeof zero : 0, &answer, sizeof answer, true);
    if (rc == kOk && status) *status = answer;
    return rc;
}

int ReloadFpga(int board, const uint8_t* data, uint32_t size, uint32_t* answer) {
    if (!data || size == 0) return kWrongParameter;
    uint32_t out = 0;
    int rc = Exchange(board, ioctl::kReloadFpga, data, size, &out, sizeof out, false);
    if (rc == kOk && answer) *answer = out;
    return rc;
}

int ReadBusy(int board, uint32_t* busy) {
    uint32_t answer = 0;
    int rc = Exchange(board, ioctl::kReadBusy, nullptr, 0, &answer, sizeof answer, true);
    if (rc == kOk && busy) *busy = answer & 0xFFFF;
    return rc;
}

int ReadImage(int board, uint16_t* dst, uint32_t pixels) {
    if (!dst || pixels == 0 || pixels > UINT32_MAX / 2) return kWrongParameter;
    uint32_t bytes = 0;
    int rc =
        Exchange(board, ioctl::kReadImage, &pixels, sizeof pixels, dst, pixels * 2, true, &bytes);
    if (rc == kOk && bytes != pixels * 2) return kTransferIncomplete;
    return rc;
}

int SetReadPic(int board, TransferMode mode) {
    return ExchangeWord(board, ioctl::kSetReadPic, static_cast<uint32_t>(mode));
}

int SetReadPicRecord(int board, uint32_t submode, const void* buffer, uint32_t bytes) {
    uint8_t record[ioctl::kReadPicRecord] = {};
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer));
    PutWords(record, {submode, address, bytes});
    return Exchange(board, ioctl::kSetReadPic, record, sizeof record, nullptr, 0, false);
}

int LoadLut(int board, const uint8_t lut[ioctl::kLutBytes]) {
    if (!lut) return kWrongParameter;
    return Exchange(board, ioctl::kLoadLut, lut, ioctl::kLutBytes, nullptr, 0, false);
}

int BeginWaitImage(int board, int eventFd) {
    return ExchangeWord(board, ioctl::kBeginWaitImage, static_cast<uint32_t>(eventFd));
}

int EndWaitImage(int board) {
    return Exchange(board, ioctl::kEndWaitImage, nullptr, 0, nullptr, 0, false);
}

int ReadIdent(int board, uint8_t text[ioctl::kIdentAnswer]) {
    uint8_t in[8];
    PutWords(in, {3, 224});
    uint8_t out[ioctl::kIdentAnswer] = {};
    int rc = Exchange(board, ioctl::kReadIdent, in, sizeof in, out, sizeof out, true);
    if (rc == kOk && text) std::memcpy(text, out, sizeof out);
    return rc;
}

uint32_t TransferBytes(TransferMode mode, uint32_t pixels) {
    const auto m = static_cast<uint32_t>(mode);
    if (m >= ioctl::kTransferModeCount) return 0;
    const uint64_t bytes = uint64_t{pixels} * ioctl::kBytesPerPixel[m];
    return bytes > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

int ReadAnnounced(int board, void* dst, uint32_t bytes) {
    if (!IsBoardSlot(board)) return kWrongParameter;
    if (!dst || bytes == 0) return kWrongParameter;
    auto dev = DeviceOf(board);
    if (!dev) return kDriverNotOpen;
    Answer a =
        Run(dev, [&](lmv_seam_request* r) { return dev->seam->read(dev->device, dst, bytes, r); });
    switch (a.outcome) {
        case Outcome::Rejected:
            return kNoResource;
        case Outcome::TimedOut:
            return kTimeout;
        case Outcome::Failed:
            return kTransferIncomplete;
        case Outcome::Done:
            break;
    }
    return a.bytes == bytes ? kOk : kTransferIncomplete;
}

int ReadPicture(int board, TransferMode mode, void* dst, uint32_t bytes) {
    if (!IsBoardSlot(board)) return kWrongParameter;
    if (!dst || bytes == 0 || static_cast<uint32_t>(mode) >= ioctl::kTransferModeCount)
        return kWrongParameter;
    if (!IsOpen(board)) return kDriverNotOpen;
    int rc = SetReadPic(board, mode);
    if (rc != kOk) return rc;
    return ReadAnnounced(board, dst, bytes);
}

int GetFreeDeviceBuffer(int board, int32_t* number) {
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    uint8_t out[ioctl::kDeviceBufferRecord] = {};
    int rc = DeviceBufferRequest(board, ioctl::kGetFreeDevBuf, in, sizeof in, out, sizeof out,
                                 "GET_FREE_DEVBUF");
    if (rc != kOk) return rc;
    const auto n = static_cast<int32_t>(WordAt(out, 0));
    if (number) *number = n;
    LogMessage(kLogRecorder, "ALLOCATE_BUFFER: next free buffer is nr.: %d\r\n", n);
    return kOk;
}

int AllocateDeviceBuffer(int board, int32_t number, uint32_t size, uint32_t* allocated) {
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    PutWords(in, {static_cast<uint32_t>(number), size, 0, 0, 0});
    uint8_t out[ioctl::kDeviceBufferRecord] = {};
    int rc = DeviceBufferRequest(board, ioctl::kAllocateDeviceBuffer, in, sizeof in, out,
                                 sizeof out, "ALLOCATE_DEVICE_BUFFER");
    if (rc != kOk) return rc;
    const uint32_t got = WordAt(out, 0);
    if (allocated) *allocated = got;
    LogMessage(kLogRecorder, "ALLOCATE_BUFFER: buffer nr.: %d  %u bytes allocated\r\n", number,
               got);
    return kOk;
}

int FreeDeviceBuffer(int board, int32_t number) {
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    PutWords(in, {static_cast<uint32_t>(number)});
    uint8_t ignored[ioctl::kDeviceBufferRecord] = {};
    int rc = DeviceBufferRequest(board, ioctl::kFreeDeviceBuffer, in, sizeof in, ignored,
                                 sizeof ignored, "FREE_DEVICE_BUFFER");
    if (rc == kOk) LogMessage(kLogRecorder, "FREE_BUFFER: buffer nr.: %d deallocated\r\n", number);
    return rc;
}

int GetDeviceBufferStatus(int board, int32_t number, void* out, uint32_t size, uint32_t* copied) {
    if (!out || size < 4 || size > ioctl::kDevBufStatusMax) return kWrongParameter;
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    PutWords(in, {3, static_cast<uint32_t>(number)});
    uint32_t bytes = 0;
    int rc = DeviceBufferRequest(board, ioctl::kGetStatusDevBuf, in, sizeof in, out, size,
                                 "GET_STATUS_DEVBUF", &bytes);
    if (rc != kOk) return rc;
    if (copied) *copied = bytes;
    LogMessage(kLogRecorder,
               "GETBUFFER_STATUS: buffer nr.: %d %u status bytes copied in data_area\r\n", number,
               bytes);
    return kOk;
}

int MapDeviceBuffer(int board, int32_t number, uint32_t size, uint32_t* address) {
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    PutWords(in, {static_cast<uint32_t>(number), size, 0});
    uint8_t out[ioctl::kMapAnswer] = {};
    int rc = DeviceBufferRequest(board, ioctl::kMapDeviceBuffer, in, sizeof in, out, sizeof out,
                                 "MAP_DEVICE_BUFFER");
    if (rc != kOk) return rc;
    const uint32_t at = WordAt(out, 0);
    if (address) *address = at;
    LogMessage(kLogRecorder, "MAP_BUFFER: buffer nr.: %d bytes mapped to address %x\r\n", number,
               at);
    return kOk;
}

int UnmapDeviceBuffer(int board, int32_t number) {
    uint8_t in[ioctl::kUnmapRecord] = {};
    PutWords(in, {static_cast<uint32_t>(number), 0});
    uint8_t ignored[ioctl::kUnmapRecord] = {};
    int rc = DeviceBufferRequest(board, ioctl::kUnmapDeviceBuffer, in, sizeof in, ignored,
                                 sizeof ignored, "UNMAP_DEVICE_BUFFER");
    if (rc == kOk) LogMessage(kLogRecorder, "UNMAP_BUFFER: buffer nr.: %d unmapped\r\n", number);
    return rc;
}

}  // namespace lmv::driver
