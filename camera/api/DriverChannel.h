#pragma once
// The driver channel: a board's device is opened and closed here, and every driver request
// follows one pattern: device not open -> -9; a fresh event per request; wait driver_timeout;
// time-out -> the request is cancelled and -2 returned; a request whose output must carry data
// but carries none -> -12. Board numbers outside the 20 slots are refused with -3.
#include <cstdint>

#include "camera/api/DriverRequests.h"
#include "winport/Event.h"

namespace lmv::driver {

inline constexpr const char* kDeviceNameFormat = "\\\\.\\LMVPCI%d";

// Opens the board's device (0, -3, -4, -11); an open device is reset instead (board command 5,
// then its DMA event is reset).
[[nodiscard]] int open_channel(int board);
// Cancels pending I/O, closes the DMA event and the device. 0, or -3.
[[nodiscard]] int close_channel(int board);
void close_all();
bool is_open(int board);
// Number that stands for the open device in board_record::device (0 while closed).
int32_t handle_of(int board);
// Manual-reset event of single DMA transfers; null while the device is closed.
winport::Event* dma_event(int board);
bool dma_in_progress(int board);
void set_dma_in_progress(int board, bool on);

// One request by code with the request pattern. `bytes` receives the output byte count.
[[nodiscard]] int send_request(int board, uint32_t code, const void* in, uint32_t inSize, void* out,
                               uint32_t outSize, uint32_t* bytes = nullptr);

[[nodiscard]] int board_command(int board, uint32_t command);
// Register read with the 4-byte selector; the low 16 bits of the answer are the value.
[[nodiscard]] int read_register(int board, uint32_t selector, uint32_t* value);
// Register read of the identification step: 8 bytes out (selector first, then 0), 8 bytes back.
[[nodiscard]] int read_register_wide(int board, uint32_t selector, uint8_t answer[8]);
[[nodiscard]] int write_register(int board, uint32_t reg, uint32_t value);
// COC words, end word included.
[[nodiscard]] int load_coc(int board, const uint16_t* words, uint32_t count);
// Status word; `zeroWord` sends the 4 zero bytes that some callers pass.
[[nodiscard]] int read_status(int board, uint32_t* status, bool zeroWord = false);
[[nodiscard]] int reload_fpga(int board, const uint8_t* data, uint32_t size, uint32_t* answer);
[[nodiscard]] int read_busy(int board, uint32_t* busy);
// Direct read: 2 bytes per pixel into `dst`.
[[nodiscard]] int read_image(int board, uint16_t* dst, uint32_t pixels);
[[nodiscard]] int set_read_pic(int board, ioctl::TransferMode mode);
// The 40-byte record of an asynchronous transfer: sub-mode, buffer address (its low 32 bits in
// a 64-bit build), byte count, 28 zero bytes.
[[nodiscard]] int set_read_pic_record(int board, uint32_t submode, const void* buffer,
                                      uint32_t bytes);
[[nodiscard]] int load_lut(int board, const uint8_t lut[ioctl::kLutBytes]);
// The event handle field carries the application's eventfd descriptor.
[[nodiscard]] int begin_wait_image(int board, int eventFd);
[[nodiscard]] int end_wait_image(int board);
[[nodiscard]] int read_ident(int board, uint8_t text[ioctl::kIdentAnswer]);

// A transfer by read: the read-picture request with `mode`, then a read of exactly `bytes`.
// -2 on a time-out (pending I/O cancelled), -27 when the read cannot be queued, -12 when fewer
// bytes arrive or the read fails.
[[nodiscard]] int read_picture(int board, ioctl::TransferMode mode, void* dst, uint32_t bytes);
// The read alone, after the read-picture request was sent.
[[nodiscard]] int read_announced(int board, void* dst, uint32_t bytes);
// Byte count of a picture of `pixels` pixels in a transfer mode (0 for an unknown mode).
uint32_t transfer_bytes(ioctl::TransferMode mode, uint32_t pixels);

// Device buffers: every failure (time-out included) is a communication error, -5, and is
// logged with the system error.
[[nodiscard]] int get_free_device_buffer(int board, int32_t* number);
[[nodiscard]] int allocate_device_buffer(int board, int32_t number, uint32_t size,
                                         uint32_t* allocated);
[[nodiscard]] int free_device_buffer(int board, int32_t number);
// Buffer status (selector 3): copies up to `size` (4 to 400) bytes, `copied` gets the count.
int get_device_buffer_status(int board, int32_t number, void* out, uint32_t size, uint32_t* copied);
// The 32-bit user address of the mapped buffer (the driver maps below 4 GiB).
int map_device_buffer(int board, int32_t number, uint32_t size, uint32_t* address);
int unmap_device_buffer(int board, int32_t number);

}  // namespace lmv::driver
