#pragma once
// The camera benchmarks' two views of the simulated board: board 0 made ready for the library
// without the set-up's camera dialogue, and a board driven straight through the driver seam, the
// baseline the library is measured against.
#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/DriverRequests.h"
#include "camera/api/DriverSeam.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BoardLimits.h"
#include "simulators/lmvpci/LmvpciBackend.h"

namespace bench {

// Board 0 ready with the set-up's record defaults (a 640 x 480 camera).
inline bool ready_board_zero() {
    if (lmv::ensure_record(0) != lmv::kOk || lmv::driver::open_channel(0) != lmv::kOk) return false;
    if (lmv::driver::board_command(0, lmv::ioctl::kCmdReset) != lmv::kOk) return false;
    lmv::board_record& rec = *lmv::record_of(0);
    lmv::write_record_defaults(rec, 0);
    rec.device = lmv::driver::handle_of(0);
    lmv::set_board_state(0, lmv::kBoardReady);
    return true;
}

// One simulated board opened through the seam, reset.
class SeamDevice {
  public:
    explicit SeamDevice(const char* name) : seam_(lmvpci::Backend()) {
        if (seam_->open(name, &device_) != LMV_SEAM_OK) device_ = nullptr;
        ok_ = device_ && Send(lmv::ioctl::kBoardCommand, {lmv::ioctl::kCmdReset});
    }
    ~SeamDevice() {
        if (device_) seam_->close(device_);
    }
    SeamDevice(const SeamDevice&) = delete;
    SeamDevice& operator=(const SeamDevice&) = delete;

    bool ok() const { return ok_; }
    // A request of up to two words; a register write reads its two answer words.
    bool Send(uint32_t code, std::initializer_list<uint32_t> words) {
        uint32_t in[2] = {};
        std::copy(words.begin(), words.end(), in);
        uint32_t out[2] = {};
        Done done;
        const auto size = static_cast<uint32_t>(words.size() * 4);
        const uint32_t out_size = code == lmv::ioctl::kWriteRegister ? 8 : 0;
        return seam_->ioctl(device_, code, in, size, out, out_size, &done.request) == LMV_SEAM_OK &&
               done.status == LMV_SEAM_OK;
    }
    bool Load(const uint16_t* words, uint32_t count) {
        Done done;
        return seam_->ioctl(device_, lmv::ioctl::kLoadCoc, words, count * 2, nullptr, 0,
                            &done.request) == LMV_SEAM_OK;
    }
    // Announces a picture read and reads it whole.
    bool Read(void* buffer, uint32_t bytes) {
        Done done;
        return Send(lmv::ioctl::kSetReadPic, {0}) &&
               seam_->read(device_, buffer, bytes, &done.request) == LMV_SEAM_OK &&
               done.bytes == bytes;
    }

  private:
    struct Done {
        lmv_seam_request request{&Completed, this};
        uint32_t status = LMV_SEAM_CANCELLED;
        uint32_t bytes = 0;
        static void Completed(lmv_seam_request* r, uint32_t status, uint32_t bytes) {
            auto* d = static_cast<Done*>(r->context);
            d->status = status;
            d->bytes = bytes;
        }
    };

    const lmv_driver_seam* seam_;
    lmv_seam_device* device_ = nullptr;
    bool ok_ = false;
};

}  // namespace bench
