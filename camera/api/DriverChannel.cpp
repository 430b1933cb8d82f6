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

struct open_device {
    const lmv_driver_seam* seam;
    lmv_seam_device* device;
    open_device(const lmv_driver_seam* s, lmv_seam_device* d) : seam(s), device(d) {}
    ~open_device() {
        if (uint32_t rc = seam->close(device)) {
            char text[64];
            std::snprintf(text, sizeof text, "failed to close driver %x %x",
                          static_cast<unsigned>(reinterpret_cast<uintptr_t>(device)), rc);
            show_warning(text);
        }
    }
    open_device(const open_device&) = delete;
    open_device& operator=(const open_device&) = delete;
};

struct device_slot {
    std::shared_ptr<open_device> open;
    std::unique_ptr<winport::Event> dmaEvent;
    std::atomic<bool> dmaInProgress{false};
    int32_t handle = 0;
};

struct device_channel {
    std::mutex mutex;
    device_slot slots[kBoardSlots];
    int32_t nextHandle = 1;
};

device_channel& devices() {
    static device_channel channel;
    return channel;
}

// A request in flight: its own event, kept alive by the completion until it has run.
struct pending_request {
    lmv_seam_request request{};
    winport::Event done{true, false};
    std::atomic<uint32_t> status{LMV_SEAM_OK};
    std::atomic<uint32_t> bytes{0};
};

void request_completed(lmv_seam_request* request, uint32_t status, uint32_t bytes) {
    auto* keep = static_cast<std::shared_ptr<pending_request>*>(request->context);
    std::shared_ptr<pending_request> pending = std::move(*keep);
    delete keep;
    pending->status = status;
    pending->bytes = bytes;
    pending->done.Set();
}

enum class request_outcome { done, failed, rejected, timed_out };

struct request_answer {
    request_outcome outcome = request_outcome::rejected;
    uint32_t error = LMV_SEAM_OK;  // system error of a failed, rejected or timed-out request
    uint32_t bytes = 0;
};

std::shared_ptr<open_device> device_of(int board) {
    std::lock_guard<std::mutex> lock(devices().mutex);
    return devices().slots[board].open;
}

template <typename submit_fn>
request_answer run_request(const std::shared_ptr<open_device>& dev, submit_fn submit) {
    auto pending = std::make_shared<pending_request>();
    pending->request.complete = request_completed;
    pending->request.context = new std::shared_ptr<pending_request>(pending);
    request_answer answer;
    if (uint32_t rc = submit(&pending->request)) {
        delete static_cast<std::shared_ptr<pending_request>*>(pending->request.context);
        answer.error = rc;
        return answer;
    }
    const int timeout = library().driverTimeout.load();
    if (!pending->done.Wait(static_cast<uint32_t>(timeout > 0 ? timeout : 0))) {
        // Cancelled so the driver never writes into buffers the caller is about to release.
        dev->seam->cancel(dev->device, &pending->request);
        answer.outcome = request_outcome::timed_out;
        answer.error = pending->status.load();
        return answer;
    }
    answer.bytes = pending->bytes.load();
    answer.error = pending->status.load();
    answer.outcome = answer.error == LMV_SEAM_OK ? request_outcome::done : request_outcome::failed;
    return answer;
}

request_answer submit_ioctl(const std::shared_ptr<open_device>& dev, uint32_t code, const void* in,
                            uint32_t inSize, void* out, uint32_t outSize) {
    return run_request(dev, [&](lmv_seam_request* r) {
        return dev->seam->ioctl(dev->device, code, in, inSize, out, outSize, r);
    });
}

int result_of(const request_answer& a, bool mustCarry) {
    switch (a.outcome) {
        case request_outcome::timed_out:
            return kTimeout;
        case request_outcome::rejected:
        case request_outcome::failed:
            return kTransferIncomplete;
        case request_outcome::done:
            break;
    }
    return mustCarry && a.bytes == 0 ? kTransferIncomplete : kOk;
}

int exchange_request(int board, uint32_t code, const void* in, uint32_t inSize, void* out,
                     uint32_t outSize, bool mustCarry, uint32_t* bytes = nullptr) {
    if (!is_board_slot(board)) return kWrongParameter;
    auto dev = device_of(board);
    if (!dev) return kDriverNotOpen;
    request_answer a = submit_ioctl(dev, code, in, inSize, out, outSize);
    if (bytes) *bytes = a.bytes;
    return result_of(a, mustCarry);
}

int exchange_word(int board, uint32_t code, uint32_t word) {
    return exchange_request(board, code, &word, sizeof word, nullptr, 0, false);
}

// The device-buffer requests: any failure is a communication error.
int device_buffer_request(int board, uint32_t code, const void* in, uint32_t inSize, void* out,
                          uint32_t outSize, const char* name, uint32_t* bytes = nullptr) {
    if (!is_board_slot(board)) return kWrongParameter;
    auto dev = device_of(board);
    if (!dev) return kDriverNotOpen;
    request_answer a = submit_ioctl(dev, code, in, inSize, out, outSize);
    if (bytes) *bytes = a.bytes;
    if (a.outcome != request_outcome::done) {
        uint32_t error = a.outcome == request_outcome::timed_out && a.error == LMV_SEAM_OK
                             ? static_cast<uint32_t>(LMV_SEAM_CANCELLED)
                             : a.error;
        log_message(kLogErrors, "%s: communication error %u\r\n", name, error);
        return kDeviceBufferError;
    }
    return kOk;
}

void put_words(uint8_t* record, std::initializer_list<uint32_t> words) {
    size_t at = 0;
    for (uint32_t w : words) {
        std::memcpy(record + at, &w, sizeof w);
        at += sizeof w;
    }
}

uint32_t word_at(const uint8_t* bytes, size_t index) {
    uint32_t w;
    std::memcpy(&w, bytes + index * 4, sizeof w);
    return w;
}

}  // namespace

int open_channel(int board) {
    if (!is_board_slot(board)) return kWrongParameter;
    if (is_open(board)) {
        int rc = board_command(board, ioctl::kCmdReset);
        if (rc != kOk) return rc;
        std::lock_guard<std::mutex> lock(devices().mutex);
        if (auto& e = devices().slots[board].dmaEvent) e->Reset();
        return kOk;
    }
    std::string why;
    const lmv_driver_seam* seam = driver_backend(&why);
    if (!seam) {
        log_message(kLogErrors, "%s\r\n", why.c_str());
        return kCannotOpenDriver;
    }
    char name[32];
    std::snprintf(name, sizeof name, kDeviceNameFormat, board);
    lmv_seam_device* device = nullptr;
    uint32_t rc = seam->open(name, &device);
    if (rc != LMV_SEAM_OK || !device) return rc == LMV_SEAM_BUSY ? kDeviceBusy : kCannotOpenDriver;
    auto open = std::make_shared<open_device>(seam, device);
    std::lock_guard<std::mutex> lock(devices().mutex);
    device_slot& slot = devices().slots[board];
    slot.open = std::move(open);
    slot.dmaEvent = std::make_unique<winport::Event>(true, false);
    slot.dmaInProgress = false;
    slot.handle = devices().nextHandle++;
    return kOk;
}

int close_channel(int board) {
    if (!is_board_slot(board)) return kWrongParameter;
    std::shared_ptr<open_device> open;
    {
        std::lock_guard<std::mutex> lock(devices().mutex);
        device_slot& slot = devices().slots[board];
        open = std::move(slot.open);
        slot.dmaEvent.reset();
        slot.dmaInProgress = false;
        slot.handle = 0;
    }
    if (open) open->seam->cancel(open->device, nullptr);
    return kOk;  // the device closes when its last request has returned
}

void close_all() {
    for (int b = 0; b < kBoardSlots; ++b) (void)close_channel(b);  // closing is best effort
}

bool is_open(int board) {
    return is_board_slot(board) && device_of(board) != nullptr;
}

int32_t handle_of(int board) {
    if (!is_board_slot(board)) return 0;
    std::lock_guard<std::mutex> lock(devices().mutex);
    return devices().slots[board].handle;
}

winport::Event* dma_event(int board) {
    if (!is_board_slot(board)) return nullptr;
    std::lock_guard<std::mutex> lock(devices().mutex);
    return devices().slots[board].dmaEvent.get();
}

bool dma_in_progress(int board) {
    return is_board_slot(board) && devices().slots[board].dmaInProgress.load();
}

void set_dma_in_progress(int board, bool on) {
    if (is_board_slot(board)) devices().slots[board].dmaInProgress = on;
}

int send_request(int board, uint32_t code, const void* in, uint32_t inSize, void* out,
                 uint32_t outSize, uint32_t* bytes) {
    return exchange_request(board, code, in, inSize, out, outSize, outSize > 0, bytes);
}

int board_command(int board, uint32_t command) {
    return exchange_word(board, ioctl::kBoardCommand, command);
}

int read_register(int board, uint32_t selector, uint32_t* value) {
    uint32_t answer = 0;
    int rc = exchange_request(board, ioctl::kReadRegister, &selector, sizeof selector, &answer,
                              sizeof answer, true);
    if (rc == kOk && value) *value = answer & 0xFFFF;
    return rc;
}

int read_register_wide(int board, uint32_t selector, uint8_t answer[8]) {
    uint8_t in[8] = {};
    put_words(in, {selector, 0});
    uint8_t out[8] = {};
    int rc = exchange_request(board, ioctl::kReadRegister, in, sizeof in, out, sizeof out, true);
    if (rc == kOk && answer) std::memcpy(answer, out, sizeof out);
    return rc;
}

int write_register(int board, uint32_t reg, uint32_t value) {
    uint8_t in[8];
    put_words(in, {reg, value});
    uint8_t ignored[8] = {};
    return exchange_request(board, ioctl::kWriteRegister, in, sizeof in, ignored, sizeof ignored,
                            false);
}

int load_coc(int board, const uint16_t* words, uint32_t count) {
    if (!words || count == 0 || count > UINT32_MAX / 2) return kWrongParameter;
    return exchange_request(board, ioctl::kLoadCoc, words, count * 2, nullptr, 0, false);
}

int read_status(int board, uint32_t* status, bool zeroWord) {
    const uint32_t zero = 0;
    uint32_t answer = 0;
    int rc = exchange_request(board, ioctl::kReadStatus, zeroWord ? &zero : nullptr,
                              zeroWord ? sizeof zero : 0, &answer, sizeof answer, true);
    if (rc == kOk && status) *status = answer;
    return rc;
}

int reload_fpga(int board, const uint8_t* data, uint32_t size, uint32_t* answer) {
    if (!data || size == 0) return kWrongParameter;
    uint32_t out = 0;
    int rc = exchange_request(board, ioctl::kReloadFpga, data, size, &out, sizeof out, false);
    if (rc == kOk && answer) *answer = out;
    return rc;
}

int read_busy(int board, uint32_t* busy) {
    uint32_t answer = 0;
    int rc = exchange_request(board, ioctl::kReadBusy, nullptr, 0, &answer, sizeof answer, true);
    if (rc == kOk && busy) *busy = answer & 0xFFFF;
    return rc;
}

int read_image(int board, uint16_t* dst, uint32_t pixels) {
    if (!dst || pixels == 0 || pixels > UINT32_MAX / 2) return kWrongParameter;
    uint32_t bytes = 0;
    int rc = exchange_request(board, ioctl::kReadImage, &pixels, sizeof pixels, dst, pixels * 2,
                              true, &bytes);
    if (rc == kOk && bytes != pixels * 2) return kTransferIncomplete;
    return rc;
}

int set_read_pic(int board, TransferMode mode) {
    return exchange_word(board, ioctl::kSetReadPic, static_cast<uint32_t>(mode));
}

int set_read_pic_record(int board, uint32_t submode, const void* buffer, uint32_t bytes) {
    uint8_t record[ioctl::kReadPicRecord] = {};
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer));
    put_words(record, {submode, address, bytes});
    return exchange_request(board, ioctl::kSetReadPic, record, sizeof record, nullptr, 0, false);
}

int load_lut(int board, const uint8_t lut[ioctl::kLutBytes]) {
    if (!lut) return kWrongParameter;
    return exchange_request(board, ioctl::kLoadLut, lut, ioctl::kLutBytes, nullptr, 0, false);
}

int begin_wait_image(int board, int eventFd) {
    return exchange_word(board, ioctl::kBeginWaitImage, static_cast<uint32_t>(eventFd));
}

int end_wait_image(int board) {
    return exchange_request(board, ioctl::kEndWaitImage, nullptr, 0, nullptr, 0, false);
}

int read_ident(int board, uint8_t text[ioctl::kIdentAnswer]) {
    uint8_t in[8];
    put_words(in, {3, 224});
    uint8_t out[ioctl::kIdentAnswer] = {};
    int rc = exchange_request(board, ioctl::kReadIdent, in, sizeof in, out, sizeof out, true);
    if (rc == kOk && text) std::memcpy(text, out, sizeof out);
    return rc;
}

uint32_t transfer_bytes(TransferMode mode, uint32_t pixels) {
    const auto m = static_cast<uint32_t>(mode);
    if (m >= ioctl::kTransferModeCount) return 0;
    const uint64_t bytes = uint64_t{pixels} * ioctl::kBytesPerPixel[m];
    return bytes > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

int read_announced(int board, void* dst, uint32_t bytes) {
    if (!is_board_slot(board)) return kWrongParameter;
    if (!dst || bytes == 0) return kWrongParameter;
    auto dev = device_of(board);
    if (!dev) return kDriverNotOpen;
    request_answer a = run_request(
        dev, [&](lmv_seam_request* r) { return dev->seam->read(dev->device, dst, bytes, r); });
    switch (a.outcome) {
        case request_outcome::rejected:
            return kNoResource;
        case request_outcome::timed_out:
            return kTimeout;
        case request_outcome::failed:
            return kTransferIncomplete;
        case request_outcome::done:
            break;
    }
    return a.bytes == bytes ? kOk : kTransferIncomplete;
}

int read_picture(int board, TransferMode mode, void* dst, uint32_t bytes) {
    if (!is_board_slot(board)) return kWrongParameter;
    if (!dst || bytes == 0 || static_cast<uint32_t>(mode) >= ioctl::kTransferModeCount)
        return kWrongParameter;
    if (!is_open(board)) return kDriverNotOpen;
    int rc = set_read_pic(board, mode);
    if (rc != kOk) return rc;
    return read_announced(board, dst, bytes);
}

int get_free_device_buffer(int board, int32_t* number) {
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    uint8_t out[ioctl::kDeviceBufferRecord] = {};
    int rc = device_buffer_request(board, ioctl::kGetFreeDevBuf, in, sizeof in, out, sizeof out,
                                   "GET_FREE_DEVBUF");
    if (rc != kOk) return rc;
    const auto n = static_cast<int32_t>(word_at(out, 0));
    if (number) *number = n;
    log_message(kLogRecorder, "ALLOCATE_BUFFER: next free buffer is nr.: %d\r\n", n);
    return kOk;
}

int allocate_device_buffer(int board, int32_t number, uint32_t size, uint32_t* allocated) {
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    put_words(in, {static_cast<uint32_t>(number), size, 0, 0, 0});
    uint8_t out[ioctl::kDeviceBufferRecord] = {};
    int rc = device_buffer_request(board, ioctl::kAllocateDeviceBuffer, in, sizeof in, out,
                                   sizeof out, "ALLOCATE_DEVICE_BUFFER");
    if (rc != kOk) return rc;
    const uint32_t got = word_at(out, 0);
    if (allocated) *allocated = got;
    log_message(kLogRecorder, "ALLOCATE_BUFFER: buffer nr.: %d  %u bytes allocated\r\n", number,
                got);
    return kOk;
}

int free_device_buffer(int board, int32_t number) {
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    put_words(in, {static_cast<uint32_t>(number)});
    uint8_t ignored[ioctl::kDeviceBufferRecord] = {};
    int rc = device_buffer_request(board, ioctl::kFreeDeviceBuffer, in, sizeof in, ignored,
                                   sizeof ignored, "FREE_DEVICE_BUFFER");
    if (rc == kOk) log_message(kLogRecorder, "FREE_BUFFER: buffer nr.: %d deallocated\r\n", number);
    return rc;
}

int get_device_buffer_status(int board, int32_t number, void* out, uint32_t size,
                             uint32_t* copied) {
    if (!out || size < 4 || size > ioctl::kDevBufStatusMax) return kWrongParameter;
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    put_words(in, {3, static_cast<uint32_t>(number)});
    uint32_t bytes = 0;
    int rc = device_buffer_request(board, ioctl::kGetStatusDevBuf, in, sizeof in, out, size,
                                   "GET_STATUS_DEVBUF", &bytes);
    if (rc != kOk) return rc;
    if (copied) *copied = bytes;
    log_message(kLogRecorder,
                "GETBUFFER_STATUS: buffer nr.: %d %u status bytes copied in data_area\r\n", number,
                bytes);
    return kOk;
}

int map_device_buffer(int board, int32_t number, uint32_t size, uint32_t* address) {
    uint8_t in[ioctl::kDeviceBufferRecord] = {};
    put_words(in, {static_cast<uint32_t>(number), size, 0});
    uint8_t out[ioctl::kMapAnswer] = {};
    int rc = device_buffer_request(board, ioctl::kMapDeviceBuffer, in, sizeof in, out, sizeof out,
                                   "MAP_DEVICE_BUFFER");
    if (rc != kOk) return rc;
    const uint32_t at = word_at(out, 0);
    if (address) *address = at;
    log_message(kLogRecorder, "MAP_BUFFER: buffer nr.: %d bytes mapped to address %x\r\n", number,
                at);
    return kOk;
}

int unmap_device_buffer(int board, int32_t number) {
    uint8_t in[ioctl::kUnmapRecord] = {};
    put_words(in, {static_cast<uint32_t>(number), 0});
    uint8_t ignored[ioctl::kUnmapRecord] = {};
    int rc = device_buffer_request(board, ioctl::kUnmapDeviceBuffer, in, sizeof in, ignored,
                                   sizeof ignored, "UNMAP_DEVICE_BUFFER");
    if (rc == kOk) log_message(kLogRecorder, "UNMAP_BUFFER: buffer nr.: %d unmapped\r\n", number);
    return rc;
}

}  // namespace lmv::driver
