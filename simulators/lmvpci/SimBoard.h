#pragma once
// One simulated camera board: identification, camera registers, status and busy words, FPGA
// load, COC table, output table, board buffer with its picture, device buffers. It answers only
// what a board would answer to the requests it receives. Boards live as long as the process.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "simulators/lmvpci/SimCocPlayer.h"
#include "simulators/lmvpci/SimConfig.h"
#include "winport/Clock.h"

namespace lmvpci {

struct Reply {
    uint32_t status = 0;  // system error, 0 = success
    uint32_t bytes = 0;   // bytes written to the output
    bool pend = false;    // the request does not complete by itself
};

class SimBoard {
  public:
    explicit SimBoard(int number) : number_(number), config_(ConfigForBoard(number)) {}
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;
    ~SimBoard();

    int Number() const { return number_; }
    // A device was opened: the settings are read again.
    void Attached();
    // The device was closed: device buffers are unmapped and freed.
    void Released();

    Reply Ioctl(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize);
    Reply Read(uint8_t* buffer, uint32_t size);

  private:
    struct Request {
        const uint8_t* in;
        uint32_t inSize;
        uint8_t* out;
        uint32_t outSize;
        uint32_t Word(uint32_t index) const;
    };
    struct DeviceBuffer {
        uint32_t size = 0;
        void* mapped = nullptr;
    };
    enum class Camera { Idle, Single, Continuous };
    using Handler = Reply (SimBoard::*)(const Request&);
    struct Entry {
        uint32_t code;
        Handler handler;
    };
    static const Entry kHandlers[];

    Reply BoardCommand(const Request& r);
    Reply ReadRegister(const Request& r);
    Reply WriteRegister(const Request& r);
    Reply LoadCoc(const Request& r);
    Reply ReadStatus(const Request& r);
    Reply ReloadFpga(const Request& r);
    Reply ReadBusy(const Request& r);
    Reply ReadImage(const Request& r);
    Reply SetReadPic(const Request& r);
    Reply LoadLut(const Request& r);
    Reply EndWaitImage(const Request& r);
    Reply BeginWaitImage(const Request& r);
    Reply AllocateDeviceBuffer(const Request& r);
    Reply FreeDeviceBuffer(const Request& r);
    Reply GetFreeDevBuf(const Request& r);
    Reply GetStatusDevBuf(const Request& r);
    Reply MapDeviceBuffer(const Request& r);
    Reply UnmapDeviceBuffer(const Request& r);
    Reply ReadIdent(const Request& r);

    void Advance();  // lets the camera's time run: a due picture lands in the board buffer
    void PictureTaken();
    void CameraCommand(uint32_t value);
    void ClearBuffer();
    uint32_t CameraStatusWord() const;
    uint32_t TemperatureRegister() const;
    // The extended camera byte the extra sensor answers, or -1 without the sensor.
    int ExtraSensorByte() const;
    // Plays the loaded table again: after a load, an area-of-interest word or a new setting.
    void Replay();
    // Time from a start, or from the last picture, to the next picture.
    winport::SteadyClock::duration PictureTime() const;
    // Level of a picture taken with the played exposure.
    uint32_t ExposureLevel() const;
    uint16_t PixelValue(uint32_t index) const;
    void FillPicture(uint8_t* buffer, uint32_t bytes, uint32_t mode) const;
    // Recorder support: the averaging transfer modes add the picture to what the buffer holds,
    // and the frame number may be stamped into the picture.
    void AddPicture(uint8_t* buffer, uint32_t bytes, uint32_t mode) const;
    void DeliverPicture(uint8_t* buffer, uint32_t bytes, uint32_t mode) const;
    uint16_t StampedPixel(uint32_t index) const;
    static Reply Put(const Request& r, const void* data, uint32_t size);
    void UnmapAll();
    // Signals the registered image event when a picture lands while nobody asks the board.
    void WatchForPictures();
    void StateChanged() { changed_.notify_all(); }

    const int number_;
    BoardConfig config_;
    std::mutex mutex_;
    // Camera and board buffer.
    Camera camera_ = Camera::Idle;
    winport::SteadyClock::time_point due_{};
    bool picture_ = false;
    bool memoryPattern_ = false;
    uint32_t frame_ = 0;
    std::map<uint32_t, uint32_t> registers_;
    std::vector<uint16_t> coc_;  // empty: no table loaded since power-up or reset
    std::optional<uint32_t> aoiStart_;
    std::optional<uint32_t> aoiEnd_;
    PlayedPicture played_;
    std::vector<uint8_t> lut_;
    uint32_t fpgaBytes_ = 0;
    // The read announced by the read-picture request: transfer mode, or -1 for none.
    int64_t announced_ = -1;
    int waitFd_ = -1;
    std::condition_variable changed_;
    bool watching_ = false;
    std::map<uint32_t, DeviceBuffer> deviceBuffers_;
};

}  // namespace lmvpci
