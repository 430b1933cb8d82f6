#pragma once
// The GUI toolkit inside the library. It is started the first time a dialog is needed, never at
// load, so that loading needs no display. Started by the library, it lives in a thread of its
// own, and every dialog runs there while the caller's thread waits: callers may use any thread.
// In an application that runs the toolkit itself, dialogs run in the application's GUI thread
// instead.
//
// Once started, the toolkit keeps the library loaded until the process ends: the toolkit cannot
// be unloaded safely.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class CGuiToolkit {
  public:
    static CGuiToolkit& Instance();

    // Runs task in the toolkit's thread and waits for it; an exception it throws is logged and
    // ends it. False, with an ERROR log line, when there is no display, the toolkit cannot
    // start, or the application's toolkit is not called from its GUI thread; task has not run
    // then.
    bool Run(const std::function<void()>& task);

    // Whether the library started the toolkit (and runs dialogs in its own thread).
    bool IsStarted();

    // Stops the toolkit's thread and cleans the toolkit up; at process end.
    ~CGuiToolkit();

  private:
    enum class State { Stopped, Running, Failed };

    CGuiToolkit() = default;
    bool Start();
    void ThreadMain();
    bool RunInApplication(const std::function<void()>& task);

    std::mutex m_lock;
    std::condition_variable m_changed;
    State m_state = State::Stopped;
    bool m_bStopRequested = false;
    bool m_bStartDone = false;
    std::deque<std::function<void()>*> m_tasks;
    std::thread m_thread;
    std::mutex m_runLock;  // one dialog at a time
};
