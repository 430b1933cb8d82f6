// Identification queries: qIDN, qVER, qHLP, qTVI. They answer from the library's own texts, except
// qVER, which also asks every board for its version text.
#include <cstdio>
#include <cstring>
#include <string>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAxisIdentifiers.h"
#include "motion/controller/CorvaneHelpText.h"
#include "motion/controller/CorvaneVersion.h"

namespace {
constexpr int kVersionAnswerSize = 1000;  // one board's version line, at most 999 characters

std::string VersionNumber() {
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", kCorvaneVersionMajor, kCorvaneVersionMinor,
                  kCorvaneVersionRelease, kCorvaneVersionBuild);
    return text;
}

void TrimControlCharacters(char* text) {
    size_t n = std::strlen(text);
    while (n > 0 && static_cast<unsigned char>(text[n - 1]) < 0x20) text[--n] = '\0';
}

// Copies text with its NUL when both fit: 0, else COM_BUFFER_OVERFLOW with the buffer untouched.
int CopyAnswer(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0 || text.size() >= static_cast<size_t>(size))
        return COM_BUFFER_OVERFLOW;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}
}  // namespace

ZR_BOOL CCorvaneController::qIDN(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    ZR_LOG_DEBUG("CCorvaneController::qIDN()");
    const std::string text = kCorvaneIdentification + VersionNumber() + "\n";
    const int error = CopyAnswer(text, buffer, size);
    if (error != 0) m_iLocalError = error;
    return error == 0;
}

ZR_BOOL CCorvaneController::qVER(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    ZR_LOG_DEBUG("CCorvaneController::qVER()");
    winport::ScopedLock channel(m_csChannel);
    std::string text = std::string(kCorvaneLibraryName) + ": " + VersionNumber();
    int error = 0;
    for (int i = 0; i < kMaxCorvaneBoards && error == 0; ++i) {
        if (m_AxisData[i].m_cIdentifier == 0) continue;
        char answer[kVersionAnswerSize] = {};
        error = m_Axes.Select(i);
        if (error == 0) error = m_Device.Query("VE", answer, sizeof answer);
        if (error != 0) break;
        TrimControlCharacters(answer);
        text += " \n";
        text += m_AxisData[i].m_cIdentifier;
        text += ':';
        text += answer;
    }
    if (error != 0) {
        ZR_LOG_ERROR("CCorvaneController::qVER() failed, error %d", error);
        m_iLocalError = error;
        return false;
    }
    text += "\n";
    error = CopyAnswer(text, buffer, size);
    if (error != 0) m_iLocalError = error;
    return error == 0;
}

ZR_BOOL CCorvaneController::qHLP(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    const int error = CopyAnswer(CorvaneHelpText(), buffer, size);
    if (error != 0) m_iLocalError = error;
    return error == 0;
}

ZR_BOOL CCorvaneController::qTVI(char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    const int error = CopyAnswer(kValidAxisIdentifiers, buffer, size);
    if (error != 0) m_iLocalError = error;
    return error == 0;
}
