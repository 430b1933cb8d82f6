// Axis identifiers and stage parameter sets: ApplyStageParameters, GetAxesIndex, SAI, qSAI,
// qSAI_ALL.
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAxisIdentifiers.h"

namespace {
constexpr int kMotTypeStepper = 6;
constexpr int kR210CountsFactor = 16;

std::string UpperCase(const char* text) {
    std::string s = text ? text : "";
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

ZR_BOOL CCorvaneController::ApplyStageParameters(int axis, const StageParameterSet& set) {
    const CCorvaneAxis* board = m_Axes.Get(axis);
    if (!board) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    const bool stepperStage = set.Get(StageFields::kMotType) == kMotTypeStepper;
    if (board->m_bStepper != stepperStage) {
        m_iLocalError = ZR_CNTR_INVALID_STAGE_NAME;
        return false;
    }
    StageParameterSet& p = m_ParameterSet[axis];
    CCorvaneAxisData& a = m_AxisData[axis];
    p = set;
    a.m_strStageName = p.StageName();
    if (a.m_cIdentifier == 0) a.m_cIdentifier = kDefaultAxisIdentifiers[axis];
    if (p.Get(StageFields::kMotCpuN) == 0) p.Set(StageFields::kMotCpuN, 1);
    if (board->m_bStepper)
        p.Set(StageFields::kMotCpuZ, p.Get(StageFields::kMotCpuZ) * kR210CountsFactor);
    a.m_dCountsPerUnit = static_cast<double>(p.Get(StageFields::kMotCpuZ)) /
                         static_cast<double>(p.Get(StageFields::kMotCpuN));
    a.m_iBrakeEngaged = 0;
    a.m_iServoState = 1;
    a.m_iSavedServoState = 1;
    a.m_bReferenced = false;
    m_iRefResult[axis] = p.Get(StageFields::kReferenceResult);
    return true;
}

ZR_BOOL CCorvaneController::GetAxesIndex(const char* axes, int* indices, int* count,
                                         const AxisRequirements& need) {
    const int length = axes ? static_cast<int>(std::strlen(axes)) : 0;
    const int capacity = length > 0 ? length : kMaxCorvaneBoards;
    if (!indices) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    for (int i = 0; i < capacity; ++i) indices[i] = -1;
    int found = 0;
    auto store = [&] {
        if (count) *count = found;
    };

    if (length == 0) {
        for (int i = 0; i < kMaxCorvaneBoards; ++i) {
            const CCorvaneAxisData& a = m_AxisData[i];
            if (a.m_strStageName.empty()) {
                if (need.allAxesWhenEmpty) indices[found++] = i;
                continue;
            }
            if ((need.referenced && !a.m_bReferenced) || (need.initialised && !a.m_bInitialised)) {
                m_iLocalError = ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO;
                store();
                return false;
            }
            indices[found++] = i;
        }
        store();
        return true;
    }

    const std::string upper = UpperCase(axes);
    for (char c : upper) {
        int last = -1;
        bool conditionMissing = false;
        for (int i = 0; i < kMaxCorvaneBoards; ++i) {
            const CCorvaneAxisData& a = m_AxisData[i];
            if (a.m_cIdentifier == 0 || a.m_cIdentifier != c) continue;
            // Two axes can share an identifier only through a fault elsewhere; the caller's
            // array has room for one entry per character, and never gets more.
            if (found < capacity) indices[found++] = i;
            last = i;
            const bool referenceExempt = need.honourReferenceMode && !a.m_bReferenceModeOn;
            if (need.referenced && !a.m_bReferenced && !referenceExempt) conditionMissing = true;
            if (need.initialised && !a.m_bInitialised) conditionMissing = true;
        }
        if (last < 0) {
            m_iLocalError = ZR_UNKNOWN_AXIS_IDENTIFIER;
            store();
            return false;
        }
        if (conditionMissing) {
            m_iLocalError = ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO;
            store();
            return false;
        }
        if (need.stage && m_AxisData[last].m_strStageName.empty()) {
            m_iLocalError = ZR_CNTR_INVALID_STAGE_NAME;
            store();
            return false;
        }
    }
    store();
    return true;
}

ZR_BOOL CCorvaneController::SAI(const char* oldAxes, const char* newAxes) {
    ZR_LOG_DEBUG("CCorvaneController::SAI(\"%s\", \"%s\")", oldAxes ? oldAxes : "",
                 newAxes ? newAxes : "");
    if (!RefuseInMacroMode()) return false;
    if (!oldAxes || oldAxes[0] == '\0') {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }
    const std::string upperNew = UpperCase(newAxes);
    int indices[kMaxCorvaneBoards + 1];
    std::unique_ptr<int[]> longIndices;
    int* idx = indices;
    const size_t oldLength = std::strlen(oldAxes);
    if (oldLength > kMaxCorvaneBoards) {
        longIndices = std::make_unique<int[]>(oldLength);
        idx = longIndices.get();
    }
    int n = 0;
    if (!CheckController(1) || !GetAxesIndex(oldAxes, idx, &n, {.stage = true})) {
        ZR_LOG_ERROR("CCorvaneController::SAI() CheckController() failed");
        return false;
    }
    // A new string shorter than the old one fails here, at its end.
    for (int i = 0; i < n; ++i) {
        const char c = i < static_cast<int>(upperNew.size()) ? upperNew[i] : '\0';
        if (!IsValidAxisIdentifier(c)) {
            ZR_LOG_ERROR("CCorvaneController::SAI() ZR_CNTR_INVALID_AXIS_IDENTIFIER");
            m_iLocalError = ZR_CNTR_INVALID_AXIS_IDENTIFIER;
            return false;
        }
    }
    for (int i = 0; i < n; ++i) {
        for (const CCorvaneAxisData& a : m_AxisData) {
            if (a.m_cIdentifier == upperNew[i]) {
                m_iLocalError = ZR_CNTR_INVALID_AXIS_IDENTIFIER;
                return false;
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int k = i + 1; k < n; ++k) {
            if (upperNew[i] == upperNew[k]) {
                ZR_LOG_ERROR("CCorvaneController::SAI() ZR_AXIS_ALREADY_EXISTS");
                m_iLocalError = ZR_AXIS_ALREADY_EXISTS;
                return false;
            }
        }
    }
    for (int i = 0; i < n; ++i) m_AxisData[idx[i]].m_cIdentifier = upperNew[i];
    return true;
}

ZR_BOOL CCorvaneController::qSAI(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    std::string text;
    for (const CCorvaneAxisData& a : m_AxisData)
        if (a.m_cIdentifier != 0 && !a.m_strStageName.empty()) text += a.m_cIdentifier;
    if (!buffer || static_cast<int>(text.size()) >= size) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

ZR_BOOL CCorvaneController::qSAI_ALL(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    std::string text;
    for (int i = 0; i < kMaxCorvaneBoards; ++i)
        if (m_Axes.Get(i)->m_bPresent) text += m_AxisData[i].m_cIdentifier;
    if (!buffer || size - 1 < m_iNrPresentBoards || static_cast<int>(text.size()) >= size) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}
