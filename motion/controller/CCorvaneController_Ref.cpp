// The reference commands: REF, MPL and MNL start a reference procedure on the reference thread,
// FED starts the boards' own edge search, and the queries report on the procedures.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneCounts.h"

namespace {
constexpr int kModeREF = 0;
constexpr int kModeMPL = 1;
constexpr int kModeMNL = 2;
constexpr int kEdgeIdReferenceSignal = 3;

// One int per character of axes, 16 for an empty string, as GetAxesIndex needs.
std::vector<int> IndexBuffer(const char* axes) {
    const size_t length = axes ? std::strlen(axes) : 0;
    return std::vector<int>(std::max<size_t>(length, kMaxCorvaneBoards), -1);
}

bool SameIdentifier(const char* axes, char identifier) {
    return axes && axes[0] != '\0' && axes[1] == '\0' &&
           std::toupper(static_cast<unsigned char>(axes[0])) == identifier;
}
}  // namespace

ZR_BOOL CCorvaneController::REF(const char* axes) {
    ZR_LOG_DEBUG("CCorvaneController::REF(\"%s\")", axes ? axes : "");
    if (m_iMacroRecording) {
        const int a = m_iMacroAxis;
        const bool recordable = ValidAxis(a) && SameIdentifier(axes, m_AxisData[a].m_cIdentifier) &&
                                m_ParameterSet[a].Get(StageFields::kMotHatRef) == 1;
        const std::string line = recordable ? MakeRefMacroLine(a) : std::string();
        if (line.empty()) {
            m_iLocalError = ZR_CNTR_MACRO_RECORD_ERROR;
            return false;
        }
        const int pending = m_iLocalError.exchange(0);
        RecordMacroLine(line.c_str());
        if (m_iLocalError != 0) return false;  // the macro is full
        m_iLocalError = pending;
        return true;
    }
    return StartReferenceMode("REF", axes, kModeREF);
}

ZR_BOOL CCorvaneController::MPL(const char* axes) {
    ZR_LOG_DEBUG("CCorvaneController::MPL(\"%s\")", axes ? axes : "");
    return StartReferenceMode("MPL", axes, kModeMPL);
}

ZR_BOOL CCorvaneController::MNL(const char* axes) {
    ZR_LOG_DEBUG("CCorvaneController::MNL(\"%s\")", axes ? axes : "");
    return StartReferenceMode("MNL", axes, kModeMNL);
}

// A start that is refused leaves the list of a running procedure as it is: HLT and STP still
// need it to find that procedure's terminate events.
ZR_BOOL CCorvaneController::StartReferenceMode(const char* name, const char* axes, int mode) {
    if (!RefuseInMacroMode()) return false;
    winport::ScopedLock start(m_csRefStart);
    if (!CheckController(1)) return false;
    std::vector<int> indices = IndexBuffer(axes);
    int n = 0;
    const bool resolved =
        GetAxesIndex(axes, indices.data(), &n, {.stage = true, .initialised = true}) != 0;
    if (resolved && n > kMaxCorvaneBoards) {
        ZR_LOG_ERROR("CCorvaneController::%s() more than %d axes", name, kMaxCorvaneBoards);
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    m_iReferenceList.Clear();
    for (int k = 0; k < std::min(n, kMaxCorvaneBoards); ++k)
        m_iReferenceList.entry[k] = indices[static_cast<size_t>(k)];
    if (!resolved) return false;
    if (n == 0) {
        // nothing would ever signal the start: no axis has a stage
        m_iLocalError = ZR_CNTR_NO_STAGE_CONNECTED;
        return false;
    }
    m_iReferenceMode = mode;
    return StartReferenceThread(axes);
}

ZR_BOOL CCorvaneController::FED(const char* axes, const int* edgeIDs, const int*) {
    ZR_LOG_DEBUG("CCorvaneController::FED(\"%s\")", axes ? axes : "");
    if (!RefuseInMacroMode()) return false;
    winport::ScopedLock start(m_csRefStart);
    if (!CheckController(1)) return false;
    std::vector<int> indices = IndexBuffer(axes);
    int n = 0;
    if (!GetAxesIndex(axes, indices.data(), &n, {.stage = true, .initialised = true})) return false;
    for (int i = 0; i < n; ++i) {
        if (!edgeIDs || edgeIDs[i] != kEdgeIdReferenceSignal) {
            m_iControllerError = ZR_INVALID_ARGUMENT;
            return false;
        }
    }
    for (int i = 0; i < n; ++i) {
        (void)m_Axes.Select(
            indices[static_cast<size_t>(i)]);  // a failed selection fails the next exchange
        if (SendCommand("FE2") != 0) return false;
    }
    return true;
}

ZR_BOOL CCorvaneController::IsReferencing(const char* axes, ZR_BOOL* isReferencing) {
    ZR_LOG_DEBUG("CCorvaneController::IsReferencing()");
    if (!isReferencing) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    std::vector<int> indices = IndexBuffer(axes);
    int n = 0;
    if (!GetAxesIndex(axes, indices.data(), &n, {.stage = true})) return false;
    if (!axes || axes[0] == '\0') {
        isReferencing[0] = m_IsReferencing;
        ZR_LOG_DEBUG("CCorvaneController::IsReferencing() global state: m_IsReferencing = %d",
                     isReferencing[0]);
        return true;
    }
    ZR_LOG_DEBUG("CCorvaneController::IsReferencing() axes:\"%s\"", axes);
    const int current = std::atomic_ref<int>(m_iCurrentReferenceAxis).load();
    for (int i = 0; i < n; ++i) {
        const int a = indices[static_cast<size_t>(i)];
        bool listed = false;
        for (int k = 0; k < kMaxCorvaneBoards; ++k) listed = listed || m_iReferenceList[k] == a;
        isReferencing[i] = m_IsReferencing == 1 && listed && a == current;
        if (isReferencing[i])
            ZR_LOG_DEBUG("CCorvaneController::IsReferencing() pbIsReferencing[%d] = TRUE", i);
    }
    return true;
}

ZR_BOOL CCorvaneController::GetRefResult(const char* axes, int* results) {
    ZR_LOG_DEBUG("CCorvaneController::GetRefResult(\"%s\")", axes ? axes : "");
    if (!CheckController(1)) return false;
    std::vector<int> indices;
    if (!ResolveQueryAxes(axes, results, {.initialised = true}, indices)) return false;
    for (size_t i = 0; i < indices.size(); ++i) results[i] = RefResult(indices[i]);
    return true;
}

ZR_BOOL CCorvaneController::IsReferenceOK(const char* axes, ZR_BOOL* referenced) {
    ZR_LOG_DEBUG("CCorvaneController::IsReferenceOK(\"%s\")", axes ? axes : "");
    if (!CheckController(1)) return false;
    std::vector<int> indices;
    if (!ResolveQueryAxes(axes, referenced, {.initialised = true}, indices)) return false;
    for (size_t i = 0; i < indices.size(); ++i)
        referenced[i] = m_AxisData[indices[i]].m_bReferenced ? 1 : 0;
    return true;
}

ZR_BOOL CCorvaneController::qREF(const char* axes, ZR_BOOL* hasReference) {
    ZR_LOG_DEBUG("CCorvaneController::qREF(\"%s\")", axes ? axes : "");
    if (!RefuseInMacroMode()) return false;
    std::vector<int> indices;
    if (!ResolveQueryAxes(axes, hasReference, {}, indices)) return false;
    for (size_t i = 0; i < indices.size(); ++i)
        hasReference[i] = m_ParameterSet[indices[i]].Get(StageFields::kMotHatRef);
    return true;
}

ZR_BOOL CCorvaneController::ResolveQueryAxes(const char* axes, const void* values,
                                             AxisRequirements need, std::vector<int>& indices) {
    need.stage = true;
    indices = IndexBuffer(axes);
    int n = 0;
    if (!GetAxesIndex(axes, indices.data(), &n, need)) return false;
    indices.resize(static_cast<size_t>(n));
    if (!values && n > 0) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    return true;
}

// What the board does for REF on its own: the reference velocity, an edge search in the
// direction that ends left of the reference, a step back, the search of the edge itself, and
// the velocity again.
std::string CCorvaneController::MakeRefMacroLine(int axis) const {
    if (!ValidAxis(axis) || !m_AxisData[axis].m_bInitialised) return std::string();
    const StageParameterSet& p = m_ParameterSet[axis];
    const double cpu = m_AxisData[axis].m_dCountsPerUnit;
    const double back =
        std::min(p.Get(StageFields::kMotMaxTravel) / 10, p.Get(StageFields::kMotAbsNegRef));
    char line[kCorvaneCommandSize * 2];
    std::snprintf(line, sizeof line, "SV%d,FE%d,WS,MR-%d,WS,FE,WS,SV%d",
                  RoundToCounts(cpu * p.Get(StageFields::kMotRefVel80)),
                  2 + (p.Get(StageFields::kMotRefInvert) != 0 ? 1 : 0), RoundToCounts(cpu * back),
                  RoundToCounts(cpu * p.Get(StageFields::kMotCurrentVel73)));
    return line;
}
