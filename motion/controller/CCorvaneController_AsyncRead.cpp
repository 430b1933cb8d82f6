// The background read of joystick tables: qJLT starts a reader thread that fills a value buffer of
// the controller row by row; GetAsyncBufferIndex tells how many values are final.
//
// The reader shares the line with the callers' threads. Each of its queries selects the board and
// asks it in one exchange under the channel lock, and then selects the board that was selected
// before again, so a caller that selected its board just before keeps talking to it. The reader
// never takes m_csRefFlag: the command-string interface waits for rows while it holds that lock.
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "motion/base/DataArrayHeader.h"
#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAnswer.h"

namespace {
constexpr int kTableSize = 256;
constexpr double kTableStep = 0.0009765625;  // 1 / 1024

std::string ColumnName(int joystick) {
    char name[48];
    std::snprintf(name, sizeof name, "Joystick %d Axis 1", joystick);
    return name;
}
}  // namespace

ZR_BOOL CCorvaneController::ListJoysticksToRead(const int* joysticks, const int* joystickAxes,
                                                int count, std::vector<int>& list) {
    list.clear();
    if (!joysticks && !joystickAxes) {
        for (int id = 1; id <= kMaxCorvaneBoards; ++id)
            if (m_iJoystickBoard[id - 1] >= 0) list.push_back(id);
        if (!list.empty()) return true;
        ZR_LOG_ERROR("CCorvaneController::qJLT() no joystick");
    } else if (joysticks && joystickAxes && count >= 1) {
        if (!CheckJoystickIDs(joysticks, joystickAxes, count)) return false;
        list.assign(joysticks, joysticks + count);
        return true;
    }
    m_iLocalError = ZR_CNTR_PARAMETER_MISSING;
    return false;
}

ZR_BOOL CCorvaneController::qJLT(const int* joysticks, const int* joystickAxes, int count,
                                 int start, int rows, double** values, char* header, int size) {
    ZR_LOG_DEBUG("CCorvaneController::qJLT(%d, %d, %d)", count, start, rows);
    if (!RefuseInMacroMode()) return false;
    winport::ScopedLock async(m_csAsyncBuffer);
    if (m_bAsyncReadActive) {
        m_iLocalError = ZR_CONTROLLER_BUSY;
        return false;
    }
    std::vector<int> list;
    if (!ListJoysticksToRead(joysticks, joystickAxes, count, list)) return false;
    if (start < 1 || rows < 1 || start > kTableSize ||
        static_cast<long long>(start) + rows > kTableSize + 1) {
        m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
        return false;
    }
    if (!RequireValues(values)) return false;
    std::vector<std::string> names;
    for (int id : list) names.push_back(ColumnName(id));
    if (!CopyText(MakeDataArrayHeader(names, rows), header, size)) return false;

    if (m_AsyncReader.joinable()) m_AsyncReader.join();  // the last read is over
    for (auto& columns : m_AsyncColumns) columns.clear();
    for (size_t k = 0; k < list.size(); ++k)
        m_AsyncColumns[m_iJoystickBoard[list[k] - 1]].push_back(static_cast<int>(k));
    m_iAsyncStart = start;
    m_iAsyncRows = rows;
    m_iAsyncColumnCount = static_cast<int>(list.size());
    m_iAsyncDelivered = 0;
    m_AsyncValues.assign(list.size() * static_cast<size_t>(rows), 0.0);
    m_bAsyncReadStop = false;
    m_bAsyncReadActive = true;
    try {
        m_AsyncReader = std::thread(&CCorvaneController::RunAsyncRead, this);
    } catch (const std::system_error&) {
        ZR_LOG_ERROR("CCorvaneController::qJLT() CreateThread() failed");
        m_bAsyncReadActive = false;
        m_iLocalError = ZR_COULD_NOT_START_THREAD;
        return false;
    }
    *values = m_AsyncValues.data();
    return true;
}

int CCorvaneController::GetAsyncBufferIndex() {
    winport::ScopedLock async(m_csAsyncBuffer);
    return m_iAsyncDelivered;
}

void CCorvaneController::StopAsyncRead() {
    if (!m_AsyncReader.joinable()) return;
    ZR_LOG_DEBUG("CCorvaneController::StopAsyncRead()");
    m_bAsyncReadStop = true;
    m_AsyncReader.join();
}

// Rows are read until the last or the first query without a valid answer; the buffer then counts
// as delivered whole, the rows not read staying 0.0.
void CCorvaneController::RunAsyncRead() {
    ZR_LOG_DEBUG("CCorvaneController::RunAsyncRead() %d rows from %d", m_iAsyncRows, m_iAsyncStart);
    for (int row = 0; row < m_iAsyncRows && !m_bAsyncReadStop; ++row) {
        if (!ReadAsyncRow(row)) break;
        winport::ScopedLock async(m_csAsyncBuffer);
        m_iAsyncDelivered += m_iAsyncColumnCount;
    }
    winport::ScopedLock async(m_csAsyncBuffer);
    m_iAsyncDelivered = m_iAsyncColumnCount * m_iAsyncRows;
    m_bAsyncReadActive = false;
    ZR_LOG_DEBUG("CCorvaneController::RunAsyncRead() done");
}

bool CCorvaneController::ReadAsyncRow(int row) {
    char query[kCorvaneCommandSize];
    std::snprintf(query, sizeof query, "SI%d,SJ?", m_iAsyncStart - 1 + row);
    for (int board = 0; board < kMaxCorvaneBoards; ++board) {
        if (m_AsyncColumns[board].empty()) continue;
        if (m_bAsyncReadStop) return false;
        int value = 0;
        {
            winport::ScopedLock channel(m_csChannel);
            const int previous = m_Axes.GetCurrentIndex();
            const char* answer = QueryBoard(board, query, 0, m_Axes.Get(board)->m_cSJAnswer, 2);
            if (answer) value = CorvaneAnswerValue(answer);
            if (previous != kNoBoardSelected && previous != board) (void)m_Axes.Select(previous);
            if (!answer) {
                ZR_LOG_ERROR("CCorvaneController::RunAsyncRead() row %d of board %d failed", row,
                             board);
                return false;
            }
        }
        const size_t base = static_cast<size_t>(row) * static_cast<size_t>(m_iAsyncColumnCount);
        for (int column : m_AsyncColumns[board])
            m_AsyncValues[base + static_cast<size_t>(column)] = value * kTableStep;
    }
    return true;
}
