// The seam functions of the simulated board: devices by name, "device busy" across processes
// through a lock file per board, pending requests that only a cancel completes, and the trace.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "simulators/lmvpci/LmvpciBackend.h"
#include "simulators/lmvpci/SimBoard.h"
#include "simulators/lmvpci/SimConfig.h"
#include "simulators/lmvpci/SimTrace.h"

struct lmv_seam_device {
    lmvpci::SimBoard* board;
    int lockFd;
    std::mutex mutex;
    std::vector<lmv_seam_request*> pending;
};

namespace lmvpci {
namespace {

constexpr int kMaxBoards = 20;

// Boards keep their state while the process runs, as hardware would; never destroyed, so a
// device closed at program exit still finds its board.
SimBoard& BoardNumber(int n) {
    static auto* boards = new std::unique_ptr<SimBoard>[kMaxBoards];
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    if (!boards[n]) boards[n] = std::make_unique<SimBoard>(n);
    return *boards[n];
}

bool ParseName(const char* name, int* board) {
    static const char kPrefix[] = "\\\\.\\LMVPCI";
    if (!name) return false;
    const std::string text(name);
    const std::string prefix(kPrefix);
    if (text.compare(0, prefix.size(), prefix) != 0 || text.size() == prefix.size()) return false;
    int n = 0;
    for (size_t i = prefix.size(); i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9' || n > kMaxBoards) return false;
        n = n * 10 + (text[i] - '0');
    }
    *board = n;
    return true;
}

int LockBoard(int board) {
    const std::string path = LockDir() + "/lmvpci-" + std::to_string(board) + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -2;
    }
    return fd;
}

uint32_t Open(const char* name, lmv_seam_device** device) {
    if (!device) return LMV_SEAM_INVALID_PARAMETER;
    *device = nullptr;
    int board = 0;
    if (!ParseName(name, &board) || board >= BoardCount()) return LMV_SEAM_NOT_FOUND;
    const int fd = LockBoard(board);
    if (fd == -2) return LMV_SEAM_BUSY;
    if (fd < 0) return LMV_SEAM_GEN_FAILURE;
    SimBoard& b = BoardNumber(board);
    b.Attached();
    *device = new lmv_seam_device{&b, fd, {}, {}};
    return LMV_SEAM_OK;
}

// The trace line is written before the request can complete: after that the caller may release
// its buffers, and a cancel may come at any time once the request is pending.
void Finish(lmv_seam_device* d, lmv_seam_request* r, const Reply& reply, const std::string& line) {
    if (reply.pend) {
        {
            std::lock_guard<std::mutex> lock(d->mutex);
            d->pending.push_back(r);
        }
        Trace(line);
        return;
    }
    Trace(line);
    r->complete(r, reply.status, reply.bytes);
}

uint32_t Ioctl(lmv_seam_device* d, uint32_t code, const void* in, uint32_t inSize, void* out,
               uint32_t outSize, lmv_seam_request* r) {
    if (!d || !r || !r->complete || (inSize && !in) || (outSize && !out))
        return LMV_SEAM_INVALID_PARAMETER;
    const Reply reply = d->board->Ioctl(code, static_cast<const uint8_t*>(in), inSize,
                                        static_cast<uint8_t*>(out), outSize);
    Finish(d, r, reply,
           IoctlLine(d->board->Number(), code, in, inSize, out, reply.pend ? 0 : reply.bytes));
    return LMV_SEAM_OK;
}

uint32_t Read(lmv_seam_device* d, void* buffer, uint32_t size, lmv_seam_request* r) {
    if (!d || !r || !r->complete || !buffer || size == 0) return LMV_SEAM_INVALID_PARAMETER;
    const Reply reply = d->board->Read(static_cast<uint8_t*>(buffer), size);
    Finish(d, r, reply, ReadLine(d->board->Number(), size));
    return LMV_SEAM_OK;
}

void Cancel(lmv_seam_device* d, lmv_seam_request* r) {
    if (!d) return;
    std::vector<lmv_seam_request*> cancelled;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        for (auto it = d->pending.begin(); it != d->pending.end();) {
            if (!r || *it == r) {
                cancelled.push_back(*it);
                it = d->pending.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto* c : cancelled) c->complete(c, LMV_SEAM_CANCELLED, 0);
}

uint32_t Close(lmv_seam_device* d) {
    if (!d) return LMV_SEAM_INVALID_PARAMETER;
    Cancel(d, nullptr);
    d->board->Released();
    ::close(d->lockFd);
    delete d;
    return LMV_SEAM_OK;
}

const lmv_driver_seam kBackend = {LMV_SEAM_VERSION, Open, Ioctl, Read, Cancel, Close};

}  // namespace

const lmv_driver_seam* Backend() {
    return &kBackend;
}

}  // namespace lmvpci
