// The reference thread: started with a handshake, it works through the reference list, one
// procedure per axis, and keeps the per-axis results.
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "winport/Clock.h"
#include "winport/Thread.h"

namespace {
constexpr uint32_t kStartHandshakeMs = 3000;
constexpr uint32_t kAfterAnswerLineMs = 10;
constexpr int kModeREF = 0;

std::atomic<int> g_iReferenceThreadCounter{0};

// The highest priority the process may set, best effort.
const char* RaisePriority() {
    using winport::ThreadPriority;
    struct Step {
        ThreadPriority priority;
        const char* name;
    };
    static constexpr Step kSteps[] = {{ThreadPriority::TimeCritical, "time-critical"},
                                      {ThreadPriority::Highest, "highest"},
                                      {ThreadPriority::AboveNormal, "above normal"}};
    for (const Step& s : kSteps)
        if (winport::SetCurrentThreadPriority(s.priority)) return s.name;
    return "normal";
}
}  // namespace

bool CCorvaneController::Terminated(int position) const {
    const auto& event = m_heventTerminateReferencemove[position];
    return event && event->IsSet();
}

// Results are written by the thread and read by callers without a lock.
void CCorvaneController::SetRefResult(int axis, int result) {
    std::atomic_ref<int>(m_iRefResult[axis]).store(result);
}

int CCorvaneController::RefResult(int axis) const {
    return std::atomic_ref<const int>(m_iRefResult[axis]).load();
}

// One entry per line, each ending in LF; a last piece without LF gets one, an empty one none.
void CCorvaneController::AddTALAnswer(const char* text) {
    const std::string all = text ? text : "";
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = all.find('\n', pos)) != std::string::npos; pos = end + 1)
        lines.push_back(all.substr(pos, end - pos + 1));
    if (pos < all.size()) lines.push_back(all.substr(pos) + '\n');
    winport::ScopedLock answers(m_csAnswerList);
    for (std::string& line : lines) m_TALAnswerList.push_back(std::move(line));
}

void CCorvaneController::AddReferenceAnswer(int axis) {
    AddTALAnswer(RefResult(axis) == 0 ? "0\n" : "1\n");
    winport::SleepMs(kAfterAnswerLineMs);
}

ZR_BOOL CCorvaneController::StartReferenceThread(const char* axes) {
    const char* shown = axes ? axes : "";
    m_heventWaitForReferenceThreadStart->Reset();
    for (int k = 0; k < kMaxCorvaneBoards; ++k) {
        ZR_LOG_DEBUG(
            "CCorvaneController::StartReferenceThread(\"%s\") "
            "ResetEvent(m_heventTerminateReferencemove[%d])",
            shown, k);
        m_heventTerminateReferencemove[k]->Reset();
    }
    m_IsReferencing = 1;
    ZR_LOG_DEBUG("CCorvaneController::StartReferenceThread() m_IsReferencing = %d",
                 m_IsReferencing.load());

    // The previous thread has cleared m_IsReferencing as its last act; it ends at once.
    if (m_ReferenceThread.joinable()) m_ReferenceThread.join();
    // from here on HLT and STP reach the procedure, even one that is just being created
    m_bReferenceThreadStarted = true;
    try {
        m_ReferenceThread = std::thread(&CCorvaneController::ReferenceThread, this);
    } catch (const std::system_error&) {
        ZR_LOG_ERROR("CCorvaneController::StartReferenceThread(\"%s\") CreateThread() failed!\n",
                     shown);
        m_IsReferencing = 0;
        return false;
    }

    ZR_LOG_DEBUG("CCorvaneController::StartReferenceThread(\"%s\") waiting for start event ... \n",
                 shown);
    if (m_heventWaitForReferenceThreadStart->Wait(kStartHandshakeMs)) {
        ZR_LOG_DEBUG("CCorvaneController::StartReferenceThread(\"%s\") got start event\n", shown);
        return true;
    }
    ZR_LOG_ERROR("CCorvaneController::StartReferenceThread(\"%s\") did not get start event !!!\n",
                 shown);
    for (int k = 0; k < kMaxCorvaneBoards; ++k)
        if (m_iReferenceList[k] != -1) m_heventTerminateReferencemove[k]->Set();
    return false;
}

void CCorvaneController::ReferenceThread(CCorvaneController* controller) {
    const int number = ++g_iReferenceThreadCounter;
    ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d)", number);
    const char* priority = RaisePriority();
    ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d) runs at %s priority", number, priority);
    controller->RunReferenceList(number);
}

void CCorvaneController::RunReferenceList(int number) {
    int lastAxis = -1;
    bool lastAnswered = true;
    for (int k = 0; k < kMaxCorvaneBoards; ++k) {
        const int a = m_iReferenceList[k];
        if (a == -1) continue;
        lastAxis = a;
        lastAnswered = false;
        int keptVelocity = 0;
        const bool velocityKept = ReadKeptVelocity(a, &keptVelocity);
        if (Terminated(k)) {
            ZR_LOG_DEBUG(
                "CCorvaneController::ReferenceThread(%d) got m_heventTerminateReferencemove[%d]",
                number, k);
            SetRefResult(a, 0);
            m_AxisData[a].m_bReferenced = false;
        } else {
            RunProcedure(number, k, a);
            m_heventWaitForReferenceThreadStart->Set();
        }
        if (m_iRefAnswerRequest != 0 && k + 1 < kMaxCorvaneBoards &&
            m_iReferenceList[k + 1] != -1) {
            AddReferenceAnswer(a);
            lastAnswered = true;
        }
        if (Terminated(k))
            RestoreVelocityAfterTermination(a, velocityKept ? &keptVelocity : nullptr);
        ZR_LOG_DEBUG(
            "CCorvaneController::ReferenceThread(%d) "
            "ResetEvent(pCntroller->m_heventTerminateReferencemove[%d])",
            number, k);
        m_heventTerminateReferencemove[k]->Reset();
    }
    std::atomic_ref<int>(m_iCurrentReferenceAxis).store(-1);
    FinishReferenceList(number, lastAnswered ? -1 : lastAxis);
}

// The velocity the board had before the procedure ("TY"); FALSE when it did not answer.
bool CCorvaneController::ReadKeptVelocity(int a, int* velocity) {
    // Once the starting caller has returned, HLT and STP may select boards: keep the selection
    // and the query together. Before that the caller may hold the lock (a command string) while
    // it waits for the start, so it is not taken.
    std::unique_lock<winport::CriticalSection> refFlag(m_csRefFlag, std::defer_lock);
    if (m_heventWaitForReferenceThreadStart->IsSet()) refFlag.lock();
    (void)m_Axes.Select(a);  // a failed selection fails the next exchange
    return QueryValue("TY", 'Y', 1, velocity) == 0;
}

// The procedure of the reference mode for axis a at position k; a failure clears its result.
void CCorvaneController::RunProcedure(int number, int k, int a) {
    const StageParameterSet& p = m_ParameterSet[a];
    std::atomic_ref<int>(m_iCurrentReferenceAxis).store(a);
    SetRefResult(a, 1);
    const char* name = nullptr;
    bool ok = false;
    if (m_iReferenceMode == kModeREF) {
        if (p.Get(StageFields::kMotHatRef) != 1) {
            SetRefResult(a, 0);  // no reference switch: skipped
            return;
        }
        name = "MakeREF";
        ok = MakeREF(a, k);
    } else if (p.Get(StageFields::kMotRadial) != 0 || p.Get(StageFields::kMotNoLimitSwitch) != 0) {
        ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d): Axis%d: RADIAL\n", number, a);
        SetRefResult(a, 0);
        return;
    } else {
        ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d): calling MakeMPNL(%d)", number, a);
        name = "MakeMPNL";
        ok = MakeMPNL(a, k);
    }
    if (ok) {
        ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d): %s(%d) OK\n", number, name, a);
        return;
    }
    ZR_LOG_ERROR("CCorvaneController::ReferenceThread(%d): %s(%d) FAILED\n", number, name, a);
    SetRefResult(a, 0);
    m_AxisData[a].m_bReferenced = false;
}

// Interrupted: the procedure may have left its own velocity on the board.
void CCorvaneController::RestoreVelocityAfterTermination(int a, const int* keptVelocity) {
    char line[kCorvaneCommandSize];
    const int velocity = keptVelocity
                             ? *keptVelocity
                             : ToCounts(a, m_ParameterSet[a].Get(StageFields::kMotCurrentVel73));
    std::snprintf(line, sizeof line, "SV%d", velocity);
    // HLT stops the boards under this lock: the line must not go to the board it selected
    winport::ScopedLock refFlag(m_csRefFlag);
    (void)m_Axes.Select(a);   // a failed selection fails the next exchange
    (void)SendCommand(line);  // best effort on a procedure that is over
}

// unanswered: the last axis when its answer line is still owed, else -1.
void CCorvaneController::FinishReferenceList(int number, int unanswered) {
    ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d) entering m_csRefFlag\n", number);
    winport::ScopedLock refFlag(m_csRefFlag);
    ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d) got m_csRefFlag\n", number);
    m_IsReferencing = 0;
    ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d) m_IsReferencing = %d", number,
                 m_IsReferencing.load());
    if (m_iRefAnswerRequest != 0 && unanswered != -1) AddReferenceAnswer(unanswered);
    m_iRefAnswerRequest = 0;
    ZR_LOG_DEBUG("CCorvaneController::ReferenceThread(%d) EXIT, leaving m_csRefFlag\n", number);
}
