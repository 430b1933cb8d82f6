#include "winport/DeviceWatch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace winport {

namespace {

std::mutex g_foldersMutex;
std::vector<std::string> g_folders = {"/dev", "/dev/pts"};

constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;

}  // namespace

struct DeviceWatch::State {
    std::mutex mutex;
    std::condition_variable idle;
    std::map<int, Callback> callbacks;
    int nextToken = 0;
    bool started = false;
    bool running = false;  // a callback runs now
    int runningToken = -1;
    int inotifyFd = -1;
    int stopFd = -1;
    std::thread thread;

    bool Start();
    void Loop();
    void Dispatch();
};

bool DeviceWatch::State::Start() {
    inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd < 0) return false;
    std::vector<std::string> folders;
    {
        std::lock_guard<std::mutex> lock(g_foldersMutex);
        folders = g_folders;
    }
    int watches = 0;
    for (const std::string& folder : folders)
        watches += inotify_add_watch(inotifyFd, folder.c_str(), kEvents) >= 0;
    stopFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (watches == 0 || stopFd < 0) {
        close(inotifyFd);
        inotifyFd = -1;
        if (stopFd >= 0) close(stopFd);
        stopFd = -1;
        return false;
    }
    thread = std::thread([this] { Loop(); });
    return true;
}

void DeviceWatch::State::Loop() {
    alignas(inotify_event) char buffer[8192];
    while (true) {
        pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents & POLLIN) return;
        bool changed = false;
        while (read(inotifyFd, buffer, sizeof buffer) > 0) changed = true;
        if (changed) Dispatch();
    }
}

void DeviceWatch::State::Dispatch() {
    std::unique_lock<std::mutex> lock(mutex);
    // Subscriptions changed by a callback take effect after this round.
    std::vector<int> tokens;
    for (const auto& [token, cb] : callbacks) tokens.push_back(token);
    for (int token : tokens) {
        auto it = callbacks.find(token);
        if (it == callbacks.end()) continue;
        Callback cb = it->second;
        running = true;
        runningToken = token;
        lock.unlock();
        cb();
        lock.lock();
        running = false;
        runningToken = -1;
        idle.notify_all();
    }
}

DeviceWatch& DeviceWatch::Instance() {
    static DeviceWatch watch;
    return watch;
}

DeviceWatch::~DeviceWatch() {
    if (!state_) return;
    if (state_->thread.joinable()) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t r = write(state_->stopFd, &one, sizeof one);
        if (state_->thread.get_id() == std::this_thread::get_id())
            state_->thread.detach();
        else
            state_->thread.join();
    }
    if (state_->inotifyFd >= 0) close(state_->inotifyFd);
    if (state_->stopFd >= 0) close(state_->stopFd);
    delete state_;
}

int DeviceWatch::Subscribe(Callback callback) {
    static std::mutex createMutex;
    {
        std::lock_guard<std::mutex> lock(createMutex);
        if (!state_) state_ = new State;
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (!state_->started) {
        state_->started = true;
        if (!state_->Start()) state_->inotifyFd = -1;
    }
    if (state_->inotifyFd < 0) return -1;
    int token = state_->nextToken++;
    state_->callbacks[token] = std::move(callback);
    return token;
}

void DeviceWatch::Unsubscribe(int token) {
    if (!state_ || token < 0) return;
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->callbacks.erase(token);
    if (state_->thread.get_id() == std::this_thread::get_id()) return;
    state_->idle.wait(lock, [&] { return !(state_->running && state_->runningToken == token); });
}

void DeviceWatch::SetWatchedFolders(std::vector<std::string> folders) {
    std::lock_guard<std::mutex> lock(g_foldersMutex);
    g_folders = std::move(folders);
}

}  // namespace winport
