// The native channel: command lines, queries with answer check, status bytes and their errors.
#include <cstdio>
#include <cstring>
#include <mutex>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAnswer.h"
#include "motion/controller/CorvaneCounts.h"

namespace {
constexpr int kReadAttempts = 3;
constexpr char kStatusByte = '%';

const char* SkipControlCharacters(const char* text) {
    while (*text != '\0' && static_cast<unsigned char>(*text) < 0x20) ++text;
    return text;
}
}  // namespace

int CCorvaneController::SendCommand(const char* text, ZR_BOOL waitForChannel) {
    if (!text) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return ZR_INVALID_ARGUMENT;
    }
    ZR_LOG_INFO("CCorvaneController::SendCommand(\"%s\")", text);
    if (m_iMacroRecording) return RecordMacroLine(text);
    // A line must not fall between a query and its answer, nor between another thread's selection
    // of a board and its query: it is written under the channel lock. Callers that hold the lock
    // already (waitForChannel FALSE) have it re-entrantly anyway.
    std::unique_lock<winport::CriticalSection> channel(m_csChannel, std::defer_lock);
    if (waitForChannel) channel.lock();
    const int rc = m_Device.WriteLine(text);
    if (rc != 0) {
        ZR_LOG_ERROR("CCorvaneController::SendCommand(\"%s\") failed, error %d", text, rc);
        m_iLocalError = rc;
    }
    return rc;
}

char* CCorvaneController::ReadCorvane(const char* query, char singleByte, char first,
                                      int colonPosition) {
    winport::ScopedLock channel(m_csChannel);
    int rc = 0;
    for (int attemptsLeft = kReadAttempts - 1; attemptsLeft >= 0; --attemptsLeft) {
        m_szAnswer[0] = '\0';
        if (singleByte != 0) {
            rc = m_Device.SendChar(static_cast<unsigned char>(singleByte));
            if (rc == 0) rc = m_Device.ReceiveLine(m_szAnswer, kCorvaneAnswerSize);
        } else {
            rc = m_Device.Query(query ? query : "", m_szAnswer, kCorvaneAnswerSize);
        }
        const char* text = SkipControlCharacters(m_szAnswer);
        if (rc != 0) {
            ZR_LOG_ERROR(
                "!!! CCorvaneController::ReadCorvane(): IFreadDevice() failed : error = %d, "
                "nrLoops = %d",
                rc, attemptsLeft);
            (void)m_Axes.ReSelect();  // a failed selection fails the next exchange
            (void)m_Device.Clear();   // a dead channel fails the next exchange
        } else if (!HasCorvaneAnswerForm(text, first, colonPosition)) {
            ZR_LOG_ERROR(
                "!!! CCorvaneController::ReadCorvane(): unexpected answer, nrLoops = %d, \"%s\", "
                "expected '%c' as first char and : at position %d",
                attemptsLeft, text, first, colonPosition);
            (void)m_Device.Clear();  // a dead channel fails the next exchange
            m_szAnswer[0] = '\0';
            rc = m_Device.ReceiveLine(m_szAnswer, kCorvaneAnswerSize);
        }
        if (rc == 0) break;
    }
    if (rc != 0) {
        m_iLocalError = rc;
        return nullptr;
    }
    char* answer = TrimCorvaneAnswer(m_szAnswer);
    if (!HasCorvaneAnswerForm(answer, first, colonPosition)) {
        ZR_LOG_ERROR(
            "!!! CCorvaneController::ReadCorvane(): invalid answer \"%s\", expected '%c' as first "
            "char and : at position %d",
            answer, first, colonPosition);
        m_iLocalError = COM_ERROR;
        return nullptr;
    }
    // A reference thread queries the same controller: once the channel is released its next
    // answer may overwrite the controller's buffer, so each thread gets the answer in its own.
    thread_local char threadAnswer[kCorvaneAnswerSize];
    std::strncpy(threadAnswer, answer, sizeof threadAnswer - 1);
    threadAnswer[sizeof threadAnswer - 1] = '\0';
    return threadAnswer;
}

ZR_BOOL CCorvaneController::ReadCorvaneStatus(uint8_t status[kMaxStatusBytes]) {
    ZR_LOG_DEBUG("CCorvaneController::ReadCorvaneStatus()");
    for (int i = 0; i < kMaxStatusBytes; ++i) status[i] = 0;
    const CCorvaneAxis* board = m_Axes.GetCurrent();
    if (!board) {
        m_iLocalError = COM_ERROR;  // nothing selected: there is no board to ask
        return false;
    }
    const char* answer = board->m_bSingleChar ? ReadCorvane(nullptr, kStatusByte, 'S', 1)
                                              : ReadCorvane("TS", 0, 'S', 1);
    if (!answer) return false;
    const CorvaneStatusParse parse = ParseCorvaneStatus(answer, board->m_iNrStatusBytes, status);
    if (!parse.ok) {
        m_iLocalError = COM_ERROR;
        ZR_LOG_ERROR("CCorvaneController::ReadCorvaneStatus() msg = \"%s\", c1=%d or c2=%d!",
                     answer, parse.badChar1, parse.badChar2);
        return false;
    }
    CheckStatusForError(status);
    return true;
}

void CCorvaneController::CheckStatusForError(const uint8_t status[kMaxStatusBytes]) {
    const CCorvaneAxis* board = m_Axes.GetCurrent();
    if (!board) return;
    if (board->MotionError(status)) {
        ZR_LOG_ERROR("CCorvaneController::CheckStatusForError(): motion error");
        m_iLocalError = ZR_MOTION_ERROR;
        return;
    }
    const CorvaneErrorCodeEntry* entry = FindCorvaneErrorCode(board->ErrorCode(status));
    if (!entry) return;
    if (entry->logName)
        ZR_LOG_ERROR("CCorvaneController::CheckStatusForError() %s", entry->logName);
    m_iControllerError = entry->controllerError;
}

ZR_BOOL CCorvaneController::IsTrajectoryComplete(const uint8_t status[kMaxStatusBytes]) {
    const CCorvaneAxis* board = m_Axes.GetCurrent();
    bool complete = false;
    if (board && !board->m_bStepper) {
        complete = (status[0] & kR220TrajectoryCompleteBit) != 0;
    } else if (board) {
        // The R-210 keeps the bit of the last move until it is read once: ask again.
        if ((status[0] & kR210TrajectoryCompleteBit) == 0) return false;
        uint8_t again[kMaxStatusBytes];
        complete = ReadCorvaneStatus(again) && (again[0] & kR210TrajectoryCompleteBit) != 0;
    }
    ZR_LOG_DEBUG("CCorvaneController::IsTrajectoryComplete() return %s",
                 complete ? "true" : "false");
    return complete;
}

ZR_BOOL CCorvaneController::CheckController(int checkBusy) {
    if (m_IsReferencing == 1 && checkBusy == 1) {
        m_iLocalError = ZR_CONTROLLER_BUSY;
        ZR_LOG_ERROR("CCorvaneController::CheckController(%d) BUSY", checkBusy);
        return false;
    }
    return true;
}

int CCorvaneController::ToCounts(int axis, double value) const {
    if (!ValidAxis(axis)) return 0;
    return RoundToCounts(value * m_AxisData[axis].m_dCountsPerUnit *
                         m_ParameterSet[axis].Get(StageFields::kMotFactor));
}

int CCorvaneController::ToCountsNoFactor(int axis, double value) const {
    if (!ValidAxis(axis)) return 0;
    return RoundToCounts(value * m_AxisData[axis].m_dCountsPerUnit);
}

const char* CCorvaneController::MakeAccelerationCommand(int value) {
    std::snprintf(m_szAccelerationCommand, sizeof m_szAccelerationCommand, "SA%d",
                  ClampAccelerationCounts(value));
    return m_szAccelerationCommand;
}

int CCorvaneController::QueryValue(const char* query, char first, int colonPosition, int* value) {
    const char* answer = ReadCorvane(query, 0, first, colonPosition);
    if (!answer) return m_iLocalError != 0 ? m_iLocalError.load() : COM_ERROR;
    if (value) *value = CorvaneAnswerValue(answer);
    return 0;
}
