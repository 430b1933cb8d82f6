// Bookkeeping of a serial line whose far end is a stand-in device in this process.
//
// On a faster clock (ScaledClock) a wait on the port for an answer may end at its time only
// when the stand-in vouches that nothing can reach the port by then: every byte the port wrote
// has been taken in by the stand-in, it has nothing due to send by the deadline, and every byte
// it sent has been read by the port. Without a stand-in such a wait lasts its full time in real
// milliseconds. On the system clock none of this is consulted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace winport {

class LineTraffic {
  public:
    // Asked by a waiting port: may the stand-in still send anything before deadlineUs (in
    // microseconds of the installed clock)? Called without any lock of the line held.
    using MaySendBy = std::function<bool(uint64_t deadlineUs)>;

    void AttachPeer(MaySendBy maySendBy);
    // Returns once no call of the function is running.
    void DetachPeer();

    // The port's side.
    void PortWrote(size_t bytes);
    void PortRead(size_t bytes);
    // Call the function that discards bytes through this; input only or both ways.
    enum class Discard { Input, Both };
    template <typename Flush>
    auto PortDiscards(Discard what, Flush flush) {
        std::lock_guard<std::mutex> lock(countMutex_);
        auto result = flush();
        portRead_ = peerWritten_;
        if (what == Discard::Both) portWritten_ = peerRead_;
        return result;
    }

    // The stand-in's side; a write of bytes to the line is counted in the same locked step.
    void PeerRead(size_t bytes);
    template <typename Write>
    auto PeerWrites(Write write) {
        std::lock_guard<std::mutex> lock(countMutex_);
        auto written = write();
        if (written > 0) peerWritten_ += static_cast<uint64_t>(written);
        return written;
    }

    // True when nothing can reach the port before deadlineUs.
    bool QuietUntil(uint64_t deadlineUs);

  private:
    std::mutex peerMutex_;
    MaySendBy maySendBy_;
    std::mutex countMutex_;
    uint64_t portWritten_ = 0;
    uint64_t portRead_ = 0;
    uint64_t peerRead_ = 0;
    uint64_t peerWritten_ = 0;
};

// The line of a device path: created for a stand-in (which keeps it), found by the port.
std::shared_ptr<LineTraffic> CreateLineTraffic(const std::string& devicePath);
std::shared_ptr<LineTraffic> FindLineTraffic(const std::string& devicePath);

}  // namespace winport
