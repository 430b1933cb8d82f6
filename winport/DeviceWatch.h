#pragma once
// Notices devices coming and going: one thread per process watches the device folders ("/dev"
// and "/dev/pts") with inotify and calls every subscriber after each batch of changes. Callbacks
// run in that thread, one at a time.
#include <functional>
#include <string>
#include <vector>

namespace winport {

class DeviceWatch {
  public:
    using Callback = std::function<void()>;

    static DeviceWatch& Instance();

    // Starts the thread on first use. Returns a token for Unsubscribe; -1 when the folders cannot
    // be watched (the callback will then never run).
    int Subscribe(Callback callback);
    // After it returns the callback no longer runs, except when called from the callback itself,
    // where the current call finishes normally.
    void Unsubscribe(int token);

    // Folders to watch; takes effect for a thread started afterwards (test rigs).
    static void SetWatchedFolders(std::vector<std::string> folders);

    ~DeviceWatch();
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

  private:
    DeviceWatch() = default;
    struct State;
    State* state_ = nullptr;
};

}  // namespace winport
