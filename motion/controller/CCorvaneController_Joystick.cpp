// Joysticks: JON, qJON, qTNJ, qJAX, qJBS, qJAS, JDT, JLT. Joystick j is the joystick port of
// board j - 1; its axis is analog line 5 of the board, its button analog line 6.
//
// The travel limits JON gives a board are ToCounts (Tmin) + H + C and ToCounts (Tmax) + H + C:
// the limits are stored multiplied by the factor and ToCounts applies the factor again, and the
// direction sign is not applied. The established arithmetic is kept as it is, like that of the
// motion commands for reversed stages; with factor 1 and sign +1 the limits are exactly the
// travel range in board counts.
#include <cstdio>
#include <string>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAnswer.h"
#include "motion/controller/CorvaneCounts.h"
#include "motion/controller/ScopedDeviceTimeout.h"

namespace {
constexpr int kJoystickAxisLine = 5;
constexpr int kJoystickButtonLine = 6;
constexpr int kButtonPressedAbove = 100;
constexpr unsigned kTableLoadTimeoutMs = 2000;
constexpr int kTableSize = 256;
constexpr double kTableUnit = 1024.0;

// JDT's table types and the board's table numbers: 1 linear, 3 the board's second table.
struct TableType {
    int type;
    int boardTable;
};
constexpr TableType kTableTypes[] = {{1, 0}, {3, 1}};

const TableType* FindTableType(int type) {
    for (const TableType& t : kTableTypes)
        if (t.type == type) return &t;
    return nullptr;
}

double JoystickPosition(int reading) {
    return reading * 2.0 / 255.0 - 1.0;
}
}  // namespace

ZR_BOOL CCorvaneController::ResolveJoysticks(const int* ids, const int* subIDs, int count,
                                             std::vector<int>& list) {
    list.clear();
    if (!ids) {
        if (count < m_iNrJoysticks) {
            m_iLocalError = ZR_ARRAY_RANGE_MISMATCH;
            return false;
        }
        for (int i = 0; i < kMaxCorvaneBoards; ++i)
            if (m_iJoystickBoard[i] >= 0) list.push_back(i + 1);
        return true;
    }
    if (count < 0) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    if (!CheckJoystickIDs(ids, subIDs, count)) return false;
    list.assign(ids, ids + count);
    return true;
}

ZR_BOOL CCorvaneController::ReadJoystickLines(const std::vector<int>& joysticks, int line,
                                              std::vector<int>& readings) {
    readings.assign(joysticks.size(), 0);
    for (size_t k = 0; k < joysticks.size(); ++k)
        if (!ReadAnalogLine(m_iJoystickBoard[joysticks[k] - 1], line, &readings[k])) return false;
    return true;
}

ZR_BOOL CCorvaneController::SendJoystickLines(int a, ZR_BOOL on) {
    const CCorvaneAxis* board = m_Axes.Get(a);
    const CCorvaneAxisData& axis = m_AxisData[a];
    const StageParameterSet& p = m_ParameterSet[a];
    const int velocity = ToCounts(a, p.Get(StageFields::kMotCurrentVel73));
    char line[kCorvaneCommandSize];
    if (on != 1) {
        std::snprintf(line, sizeof line, "JF,SV%d", velocity);
        return SelectAndSend(a, line) && SelectAndSend(a, "JC");
    }
    if (board->m_bHasJoystickLimits && axis.m_bReferenced) {
        const int low = AddCounts(ToCounts(a, p.Get(StageFields::kMotMinTravel)),
                                  axis.iAktHomePosition, axis.iCorvaneHomePosition);
        const int high = AddCounts(ToCounts(a, p.Get(StageFields::kMotMaxTravel)),
                                   axis.iAktHomePosition, axis.iCorvaneHomePosition);
        std::snprintf(line, sizeof line, "JL%d", low);
        if (!SelectAndSend(a, line)) return false;
        std::snprintf(line, sizeof line, "JH%d", high);
        if (!SelectAndSend(a, line)) return false;
    }
    std::snprintf(line, sizeof line, "JN%d", velocity);
    return SelectAndSend(a, line);
}

ZR_BOOL CCorvaneController::JON(const int* joysticks, const ZR_BOOL* flags, int count) {
    ZR_LOG_DEBUG("CCorvaneController::JON(%d)", count);
    if (!joysticks || !flags || count < 1) {
        m_iLocalError = ZR_CNTR_PARAMETER_MISSING;
        return false;
    }
    std::vector<int> boards;
    if (!JoystickBoardsToSet(joysticks, count, boards)) return false;
    for (int k = 0; k < count; ++k) {
        const int a = boards[static_cast<size_t>(k)];
        if (!SendJoystickLines(a, flags[k])) return false;
        uint8_t status[kMaxStatusBytes];
        if (!ReadBoardStatus(a, status)) return false;
        CCorvaneAxis* board = m_Axes.Get(a);
        board->m_bJoystickActive = board->JoystickActive(status);
    }
    m_iLocalError = 0;
    return true;
}

ZR_BOOL CCorvaneController::qJON(const int* joysticks, ZR_BOOL* states, int count) {
    std::vector<int> list;
    if (!RefuseInMacroMode() || !ResolveJoysticks(joysticks, nullptr, count, list)) return false;
    if (!list.empty() && !RequireValues(states)) return false;
    for (size_t k = 0; k < list.size(); ++k) {
        const int a = m_iJoystickBoard[list[k] - 1];
        const CCorvaneAxis* board = m_Axes.Get(a);
        if (!joysticks || !board->m_bCanReadJoystickMode) {
            states[k] = board->m_bJoystickActive ? 1 : 0;
            continue;
        }
        const char* answer = QueryBoard(a, "JN?", 0, 'J', 2);
        if (!answer) return false;
        states[k] = CorvaneAnswerValue(answer) != 0 ? 1 : 0;
    }
    return true;
}

ZR_BOOL CCorvaneController::qTNJ(int* count) {
    if (!RefuseInMacroMode() || !RequireValues(count)) return false;
    *count = m_iNrJoysticks;
    return true;
}

ZR_BOOL CCorvaneController::qJAX(const int* joysticks, const int* joystickAxes, int count,
                                 char* buffer, int size) {
    if (!RefuseInMacroMode()) return false;
    if (!joysticks || !joystickAxes) {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }
    if (count < 0) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    if (!CheckJoystickIDs(joysticks, joystickAxes, count)) return false;
    std::string text;
    for (int k = 0; k < count; ++k) {
        if (k > 0) text += " \n";
        text += m_AxisData[m_iJoystickBoard[joysticks[k] - 1]].m_cIdentifier;
    }
    return CopyText(text + "\n", buffer, size);
}

ZR_BOOL CCorvaneController::qJBS(const int* joysticks, const int* buttons, ZR_BOOL* pressed,
                                 int count) {
    std::vector<int> list;
    std::vector<int> readings;
    if (!RefuseInMacroMode() || (joysticks && !RequireValues(buttons)) ||
        !ResolveJoysticks(joysticks, buttons, count, list) ||
        (!list.empty() && !RequireValues(pressed)) ||
        !ReadJoystickLines(list, kJoystickButtonLine, readings))
        return false;
    for (size_t k = 0; k < list.size(); ++k) pressed[k] = readings[k] > kButtonPressedAbove;
    return true;
}

ZR_BOOL CCorvaneController::qJAS(const int* joysticks, const int* joystickAxes, double* values,
                                 int count) {
    std::vector<int> list;
    std::vector<int> readings;
    if (!RefuseInMacroMode() || (joysticks && !RequireValues(joystickAxes)) ||
        !ResolveJoysticks(joysticks, joystickAxes, count, list) ||
        (!list.empty() && !RequireValues(values)) ||
        !ReadJoystickLines(list, kJoystickAxisLine, readings))
        return false;
    for (size_t k = 0; k < list.size(); ++k) values[k] = JoystickPosition(readings[k]);
    return true;
}

// While a macro is recorded the lines go into the macro and no board answers them, so no answer
// is waited for then.
ZR_BOOL CCorvaneController::JDT(const int* joysticks, const int* tableTypes, int count) {
    ZR_LOG_DEBUG("CCorvaneController::JDT(%d)", count);
    if (!joysticks || !tableTypes || count < 1) {
        m_iLocalError = ZR_CNTR_PARAMETER_MISSING;
        return false;
    }
    std::vector<int> boards;
    if (!JoystickBoardsToSet(joysticks, count, boards)) return false;
    ScopedDeviceTimeout timeout(m_Device, kTableLoadTimeoutMs);
    for (int k = 0; k < count; ++k) {
        const TableType* table = FindTableType(tableTypes[k]);
        if (!table) {
            m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
            return false;
        }
        char line[kCorvaneCommandSize];
        std::snprintf(line, sizeof line, "JT%d", table->boardTable);
        winport::ScopedLock channel(m_csChannel);  // the answer is ours
        if (!SelectAndSend(boards[static_cast<size_t>(k)], line)) return false;
        if (m_iMacroRecording) continue;
        char answer[kCorvaneAnswerSize];
        (void)m_Device.ReceiveLine(answer, sizeof answer);  // the confirmation says nothing more
    }
    return true;
}

ZR_BOOL CCorvaneController::JLT(int joystick, int joystickAxis, int start, const double* values,
                                int count) {
    ZR_LOG_DEBUG("CCorvaneController::JLT(%d, %d, %d, %d)", joystick, joystickAxis, start, count);
    const bool inTable = start >= 1 && start <= kTableSize && count >= 1 &&
                         static_cast<long long>(start) + count <= kTableSize + 1;
    if (!ValidJoystick(joystick) || joystickAxis != 1 || !inTable) {
        m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
        return false;
    }
    if (!RequireValues(values)) return false;
    for (int i = 0; i < count; ++i) {
        if (values[i] >= -1.0 && values[i] <= 1.0) continue;  // NaN too is refused
        m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
        return false;
    }
    const int a = m_iJoystickBoard[joystick - 1];
    if (!CheckRecordedBoards({a})) return false;
    for (int i = 0; i < count; ++i) {
        char line[kCorvaneCommandSize];
        std::snprintf(line, sizeof line, "SI%d,SJ%d", start - 1 + i,
                      RoundToCounts(values[i] * kTableUnit));
        if (!SelectAndSend(a, line)) return false;
    }
    return true;
}
