// What the joystick, I/O and trigger commands share: the checks of
// channel, joystick and trigger-output IDs, the recording rule, and a board's selection together
// with its query as one exchange.
#include <cctype>
#include <cstring>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

namespace {
constexpr int kOnlySubID = 1;  // a joystick has one axis and one button, both ID 1
}  // namespace

int CCorvaneController::ChannelIndex(char channel) const {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(channel)));
    if (upper == '\0') return -1;
    const char* found = std::strchr(m_szIOChannelNames, upper);
    return found ? static_cast<int>(found - m_szIOChannelNames) : -1;
}

bool CCorvaneController::ValidJoystick(int id) const {
    if (id < 1 || id > kMaxCorvaneBoards) return false;
    const CCorvaneAxis* board = m_Axes.Get(m_iJoystickBoard[id - 1]);
    return board && board->m_bHasJoystickPort;
}

bool CCorvaneController::ValidTriggerOutput(int id) const {
    if (id < 1 || id > kMaxCorvaneBoards) return false;
    const CCorvaneAxis* board = m_Axes.Get(m_iTriggerBoard[id - 1]);
    return board && board->m_bCanTrigger;
}

ZR_BOOL CCorvaneController::CheckJoystickIDs(const int* ids, const int* subIDs, int count) {
    for (int k = 0; k < count; ++k) {
        if (ValidJoystick(ids[k]) && (!subIDs || subIDs[k] == kOnlySubID)) continue;
        ZR_LOG_ERROR("CCorvaneController: joystick %d / %d not valid", ids[k],
                     subIDs ? subIDs[k] : kOnlySubID);
        m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
        return false;
    }
    return true;
}

ZR_BOOL CCorvaneController::CheckTriggerIDs(const int* ids, int count) {
    for (int k = 0; k < count; ++k) {
        if (ValidTriggerOutput(ids[k])) continue;
        ZR_LOG_ERROR("CCorvaneController: trigger output %d not valid", ids[k]);
        m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
        return false;
    }
    return true;
}

ZR_BOOL CCorvaneController::CheckRecordedBoards(const std::vector<int>& boards) {
    if (!m_iMacroRecording) return true;
    for (int board : boards) {
        if (board == m_iMacroAxis) continue;
        ZR_LOG_ERROR("CCorvaneController: board %d is not the macro's board %d", board,
                     m_iMacroAxis);
        m_iLocalError = ZR_CNTR_MACRO_RECORD_ERROR;
        return false;
    }
    return true;
}

char* CCorvaneController::QueryBoard(int board, const char* query, char singleByte, char first,
                                     int colon) {
    // another thread (the joystick-table reader) must not select another board in between
    winport::ScopedLock channel(m_csChannel);
    const int rc = m_Axes.Select(board);
    if (rc != 0) {
        m_iLocalError = rc;
        return nullptr;
    }
    return ReadCorvane(query, singleByte, first, colon);
}

ZR_BOOL CCorvaneController::ReadBoardStatus(int board, uint8_t status[kMaxStatusBytes]) {
    winport::ScopedLock channel(m_csChannel);
    const int rc = m_Axes.Select(board);
    if (rc != 0) {
        m_iLocalError = rc;
        return false;
    }
    return ReadCorvaneStatus(status);
}

ZR_BOOL CCorvaneController::CopyText(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0 || text.size() >= static_cast<size_t>(size)) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

ZR_BOOL CCorvaneController::JoystickBoardsToSet(const int* joysticks, int count,
                                                std::vector<int>& boards) {
    if (!CheckJoystickIDs(joysticks, nullptr, count)) return false;
    boards.clear();
    for (int k = 0; k < count; ++k) boards.push_back(m_iJoystickBoard[joysticks[k] - 1]);
    return CheckRecordedBoards(boards);
}
