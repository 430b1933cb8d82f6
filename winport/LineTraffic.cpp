#include "winport/LineTraffic.h"

#include <map>
#include <utility>

namespace winport {
namespace {

std::mutex gLinesMutex;
std::map<std::string, std::weak_ptr<LineTraffic>>& Lines() {
    static auto* lines = new std::map<std::string, std::weak_ptr<LineTraffic>>;
    return *lines;
}

}  // namespace

void LineTraffic::AttachPeer(MaySendBy maySendBy) {
    std::lock_guard<std::mutex> lock(peerMutex_);
    maySendBy_ = std::move(maySendBy);
}

void LineTraffic::DetachPeer() {
    std::lock_guard<std::mutex> lock(peerMutex_);
    maySendBy_ = nullptr;
}

void LineTraffic::PortWrote(size_t bytes) {
    std::lock_guard<std::mutex> lock(countMutex_);
    portWritten_ += bytes;
}

void LineTraffic::PortRead(size_t bytes) {
    std::lock_guard<std::mutex> lock(countMutex_);
    portRead_ += bytes;
}

void LineTraffic::PeerRead(size_t bytes) {
    std::lock_guard<std::mutex> lock(countMutex_);
    peerRead_ += bytes;
}

bool LineTraffic::QuietUntil(uint64_t deadlineUs) {
    // In this order: a byte the stand-in takes in after the first check shows in its answer to
    // the second; one it sends after the second shows in the third.
    {
        std::lock_guard<std::mutex> lock(countMutex_);
        if (peerRead_ < portWritten_) return false;
    }
    {
        std::lock_guard<std::mutex> lock(peerMutex_);
        if (!maySendBy_ || maySendBy_(deadlineUs)) return false;
    }
    std::lock_guard<std::mutex> lock(countMutex_);
    return portRead_ >= peerWritten_;
}

std::shared_ptr<LineTraffic> CreateLineTraffic(const std::string& devicePath) {
    auto line = std::make_shared<LineTraffic>();
    std::lock_guard<std::mutex> lock(gLinesMutex);
    auto& lines = Lines();
    for (auto it = lines.begin(); it != lines.end();)
        it = it->second.expired() ? lines.erase(it) : std::next(it);
    lines[devicePath] = line;
    return line;
}

std::shared_ptr<LineTraffic> FindLineTraffic(const std::string& devicePath) {
    std::lock_guard<std::mutex> lock(gLinesMutex);
    auto it = Lines().find(devicePath);
    return it == Lines().end() ? nullptr : it->second.lock();
}

}  // namespace winport
