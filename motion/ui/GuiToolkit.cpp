#include "motion/ui/GuiToolkit.h"

#include <dlfcn.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <clocale>
#include <exception>
#include <string>

#include "motion/ui/DialogServices.h"
#include "motion/ui/DisplayProbe.h"

namespace {

// The toolkit's log and assertion messages go to the library log instead of message boxes,
// which would wait for a user nobody promised.
class CWxLogBridge : public wxLog {
  protected:
    void DoLogTextAtLevel(wxLogLevel level, const wxString& text) override {
        const std::string line = text.utf8_string();
        if (level <= wxLOG_Error)
            DialogLog(kDialogLogError, "wxWidgets: %s", line.c_str());
        else if (level == wxLOG_Warning)
            DialogLog(kDialogLogWarn, "wxWidgets: %s", line.c_str());
        else
            DialogLog(kDialogLogDebug, "wxWidgets: %s", line.c_str());
    }
};

void LogAssertion(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    DialogLog(kDialogLogError, "wxWidgets: assertion \"%s\" failed in %s (%s:%d) %s",
              cond.utf8_str().data(), func.utf8_str().data(), file.utf8_str().data(), line,
              msg.utf8_str().data());
}

class CLibraryApp : public wxApp {
  public:
    // The host's command line is none of the toolkit's business.
    bool OnInit() override { return true; }
};

// The toolkit registers types and handlers that outlive an unload of its code.
void KeepLibraryLoaded() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&KeepLibraryLoaded), &info) || !info.dli_fname) return;
    if (!dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE))
        DialogLog(kDialogLogDebug, "CGuiToolkit: \"%s\" is not a loaded module", info.dli_fname);
}

// Starting GTK may switch the whole process to the user's locale (the toolkit version decides),
// and every number the library formats would follow it.
class CLocaleGuard {
  public:
    CLocaleGuard() {
        const char* current = std::setlocale(LC_ALL, nullptr);
        m_saved = current ? current : "C";
        using DisableFn = void (*)();
        if (auto disable =
                reinterpret_cast<DisableFn>(dlsym(RTLD_DEFAULT, "gtk_disable_setlocale")))
            disable();
    }
    ~CLocaleGuard() { std::setlocale(LC_ALL, m_saved.c_str()); }

  private:
    std::string m_saved;
};

bool StartToolkit() {
    static char name[] = "ZR_Corvane_TAL";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    CLocaleGuard locale;
    delete wxLog::SetActiveTarget(new CWxLogBridge);
    wxSetAssertHandler(LogAssertion);
    wxApp::SetInstance(new CLibraryApp);
    if (!wxEntryStart(argc, argv)) return false;
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return false;
    }
    wxTheApp->SetExitOnFrameDelete(false);
    return true;
}

void StopToolkit() {
    wxTheApp->OnExit();
    wxEntryCleanup();
}

// Nothing may escape into the toolkit's event loop or across the library's interface.
void RunGuarded(const std::function<void()>& task) {
    try {
        task();
    } catch (const std::exception& e) {
        DialogLog(kDialogLogError, "CGuiToolkit::Run() EXCEPTION: %s", e.what());
    } catch (...) {
        DialogLog(kDialogLogError, "CGuiToolkit::Run() EXCEPTION");
    }
}

}  // namespace

CGuiToolkit& CGuiToolkit::Instance() {
    static CGuiToolkit toolkit;
    return toolkit;
}

bool CGuiToolkit::IsStarted() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_state == State::Running;
}

bool CGuiToolkit::Run(const std::function<void()>& task) {
    std::lock_guard<std::mutex> one(m_runLock);
    State state;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        state = m_state;
    }
    if (state == State::Failed) {
        DialogLog(kDialogLogError,
                  "CGuiToolkit::Run() TOOLKIT_UNAVAILABLE: it failed to start before");
        return false;
    }
    if (state == State::Stopped) {
        if (wxTheApp) return RunInApplication(task);
        if (!Start()) return false;
    }

    struct Task {
        const std::function<void()>* fn;
        bool done;
    } job{&task, false};
    std::function<void()> wrapped = [this, &job] {
        RunGuarded(*job.fn);
        std::lock_guard<std::mutex> lock(m_lock);
        job.done = true;
        m_changed.notify_all();
    };
    std::unique_lock<std::mutex> lock(m_lock);
    m_tasks.push_back(&wrapped);
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return job.done; });
    return true;
}

bool CGuiToolkit::RunInApplication(const std::function<void()>& task) {
    if (!wxThread::IsMain()) {
        DialogLog(kDialogLogError,
                  "CGuiToolkit::Run() NOT_GUI_THREAD: the application runs the toolkit; "
                  "call from its GUI thread");
        return false;
    }
    RunGuarded(task);
    return true;
}

bool CGuiToolkit::Start() {
    std::string why;
    CDisplayProbe display;
    if (!display.Check(&why)) {
        DialogLog(kDialogLogError, "CGuiToolkit::Start() NO_DISPLAY: %s", why.c_str());
        return false;
    }
    KeepLibraryLoaded();
    m_thread = std::thread(&CGuiToolkit::ThreadMain, this);
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_bStartDone; });
    if (m_state == State::Running) {
        DialogLog(kDialogLogDebug, "CGuiToolkit::Start() toolkit started");
        return true;
    }
    lock.unlock();
    m_thread.join();
    DialogLog(kDialogLogError, "CGuiToolkit::Start() TOOLKIT_INIT_FAILED");
    return false;
}

void CGuiToolkit::ThreadMain() {
    bool started = StartToolkit();
    std::unique_lock<std::mutex> lock(m_lock);
    m_state = started ? State::Running : State::Failed;
    m_bStartDone = true;
    m_changed.notify_all();
    if (!started) return;
    for (;;) {
        m_changed.wait(lock, [this] { return m_bStopRequested || !m_tasks.empty(); });
        if (m_tasks.empty()) break;
        std::function<void()>* task = m_tasks.front();
        m_tasks.pop_front();
        lock.unlock();
        (*task)();
        lock.lock();
    }
    lock.unlock();
    StopToolkit();
}

CGuiToolkit::~CGuiToolkit() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_bStopRequested = true;
        m_changed.notify_all();
    }
    // A dialog still open when the process ends cannot be closed from here; its thread ends with
    // the process.
    if (m_runLock.try_lock()) {
        m_thread.join();
        m_runLock.unlock();
    } else {
        m_thread.detach();
    }
}
