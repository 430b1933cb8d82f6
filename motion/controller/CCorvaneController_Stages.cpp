// Stages: the catalogue for this controller type, CST, qCST, qVST, AddStage, RemoveStage and the
// edit dialogs this library does not have.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

namespace {

constexpr const char* kControllerType = "CORVANE";
constexpr const char* kNoStage = "NOSTAGE";
constexpr int kMinStageFileVersion = 200;
constexpr int kMinStageFileRevision = 0;
constexpr int kR210CountsFactor = 16;

// Stage types a Corvane board can drive: DC motor, voice coil, stepper motor.
bool IsCorvaneStageType(int32_t type) {
    return type == 0 || type == 2 || type == 6;
}

std::vector<std::string> SplitNames(const char* text) {
    std::vector<std::string> names;
    std::string current;
    for (const char* p = text ? text : ""; *p != '\0'; ++p) {
        if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') {
            if (!current.empty()) names.push_back(std::move(current));
            current.clear();
        } else {
            current += *p;
        }
    }
    if (!current.empty()) names.push_back(std::move(current));
    return names;
}

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Room for one index per axis character, and for all axes of an empty string.
std::vector<int> IndexBuffer(const char* axes) {
    const size_t length = axes ? std::strlen(axes) : 0;
    return std::vector<int>(length > kMaxCorvaneBoards ? length : kMaxCorvaneBoards, -1);
}

}  // namespace

void CCorvaneController::PrepareStageCatalogue() {
    m_StageInfo.SetZRStagesFileName(m_strZrStagesBasePath);
    m_StageInfo.SetUserStagesFileName(m_strUserStagesBasePath);
    m_StageInfo.SetControllerType(kControllerType);
}

ZR_BOOL CCorvaneController::StageTextResult(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0 || text.size() >= static_cast<size_t>(size)) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

ZR_BOOL CCorvaneController::GetAvailableStages(StageMap& stages) {
    PrepareStageCatalogue();
    m_StageInfo.GetAvailableStages(stages, kMinStageFileVersion, kMinStageFileRevision);
    if (m_StageInfo.GetLastError() == ZR_USERSTAGES_DAT_FILE_INVALID_REVISION) {
        m_iLocalError = m_StageInfo.TakeError();
        ZR_LOG_ERROR(
            "CCorvaneController::GetAvailableStages() - ZR_USERSTAGES_DAT_FILE_INVALID_REVISION");
        return false;
    }
    std::erase_if(stages, [](const auto& entry) {
        return entry.first == kNoStage ||
               !IsCorvaneStageType(entry.second.Get(StageFields::kMotType));
    });
    return true;
}

ZR_BOOL CCorvaneController::CST(const char* axes, const char* names) {
    ZR_LOG_DEBUG("CCorvaneController::CST(\"%s\", \"%s\")", axes ? axes : "", names ? names : "");
    if (!RefuseInMacroMode()) return false;
    if (!axes || axes[0] == '\0') {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }
    if (!CheckController(1)) return false;
    std::vector<int> indices = IndexBuffer(axes);
    int n = 0;
    if (!GetAxesIndex(axes, indices.data(), &n, {})) return false;
    const std::vector<std::string> stageNames = SplitNames(names);
    if (static_cast<int>(stageNames.size()) != n) {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }

    StageMap stages;
    if (!GetAvailableStages(stages)) return false;
    const int catalogueError = m_StageInfo.TakeError();
    if (stages.empty() && catalogueError != 0) {
        m_iLocalError = catalogueError;
        return false;
    }
    for (int i = 0; i < n; ++i) {
        const int axis = indices[i];
        const std::string name = UpperCase(stageNames[i]);
        if (name == kNoStage) {
            m_AxisData[axis].m_strStageName.clear();
            ZR_LOG_DEBUG("CCorvaneController::CST() axis %d: NOSTAGE ignored", axis);
            continue;
        }
        const auto found = stages.find(name);
        if (found == stages.end()) {
            ZR_LOG_ERROR("CCorvaneController::CST() stage \"%s\" not found", name.c_str());
            m_iLocalError = catalogueError != 0 ? catalogueError : ZR_CNTR_INVALID_STAGE_NAME;
            return false;
        }
        if (!ApplyStageParameters(axis, found->second)) return false;
    }
    return true;
}

ZR_BOOL CCorvaneController::qCST(const char* axes, char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    std::vector<int> indices = IndexBuffer(axes);
    int n = 0;
    if (!GetAxesIndex(axes, indices.data(), &n, {.allAxesWhenEmpty = true})) return false;
    std::string text;
    for (int i = 0; i < n; ++i) {
        const int axis = indices[i];
        if (!ValidAxis(axis) || !m_Axes.Get(axis)->m_bPresent) continue;
        const CCorvaneAxisData& a = m_AxisData[axis];
        text += a.m_cIdentifier;
        text += '=';
        text += a.m_strStageName.empty() ? kNoStage : a.m_strStageName;
        text += " \n";
    }
    if (text.empty())
        text = "\n";
    else
        text.replace(text.size() - 2, 2, "\n");
    return StageTextResult(text, buffer, size);
}

ZR_BOOL CCorvaneController::qVST(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    StageMap stages;
    if (!GetAvailableStages(stages)) return false;
    const int catalogueError = m_StageInfo.TakeError();
    if (stages.empty() && catalogueError != 0) {
        m_iLocalError = catalogueError;
        return false;
    }
    if (!buffer) return true;
    std::string text;
    for (const auto& entry : stages) text += entry.first + " \n";
    text += kNoStage;
    text += '\n';
    return StageTextResult(text, buffer, size);
}

ZR_BOOL CCorvaneController::AddStage(const char* axes) {
    ZR_LOG_DEBUG("CCorvaneController::AddStage(\"%s\")", axes ? axes : "");
    std::vector<int> indices = IndexBuffer(axes);
    int n = 0;
    if (!GetAxesIndex(axes, indices.data(), &n, {})) return false;
    PrepareStageCatalogue();
    std::vector<StageParameterSet> sets;
    for (int i = 0; i < n; ++i) {
        StageParameterSet set = m_ParameterSet[indices[i]];
        // The axis works with sixteenth steps; the stored stage counts full steps.
        if (m_Axes.Get(indices[i])->m_bStepper)
            set.Set(StageFields::kMotCpuZ, set.Get(StageFields::kMotCpuZ) / kR210CountsFactor);
        sets.push_back(set);
    }
    if (m_StageInfo.AddStages(sets)) return true;
    m_iLocalError = m_StageInfo.TakeError();
    return false;
}

ZR_BOOL CCorvaneController::RemoveStage(const char* name) {
    ZR_LOG_DEBUG("CCorvaneController::RemoveStage(\"%s\")", name ? name : "");
    PrepareStageCatalogue();
    if (m_StageInfo.RemoveStage(name ? name : "")) return true;
    m_iLocalError = m_StageInfo.TakeError();
    return false;
}

void* CCorvaneController::OpenUserStagesEditDialog() {
    ZR_LOG_WARN("CCorvaneController::OpenUserStagesEditDialog() \"%s\" COM_FUNCTION_NOT_SUPPORTED",
                (m_strUserStagesBasePath + "2.dat").c_str());
    m_iControllerError = COM_FUNCTION_NOT_SUPPORTED;
    return nullptr;
}

void* CCorvaneController::OpenZrStagesEditDialog() {
    ZR_LOG_WARN("CCorvaneController::OpenZrStagesEditDialog() \"%s\" COM_FUNCTION_NOT_SUPPORTED",
                (m_strZrStagesBasePath + "2.dat").c_str());
    m_iControllerError = COM_FUNCTION_NOT_SUPPORTED;
    return nullptr;
}
