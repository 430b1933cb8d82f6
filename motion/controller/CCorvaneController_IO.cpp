// Digital and analog I/O: DIO, qDIO, qTIO, GetInputChannelNames, qTAC, qTAV, ReadAnalogLine.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAnswer.h"

namespace {
constexpr char kInputByte = '#';  // the single byte a board answers with its input lines
constexpr double kVoltsPerReading = 5.0 / 255.0;

// The channels' positions in the channel names; -1 at the first unknown one.
int FindChannels(const CCorvaneController& c, const char* channels, std::vector<int>& indices,
                 int (CCorvaneController::*find)(char) const) {
    indices.clear();
    for (const char* p = channels; *p != '\0'; ++p) {
        const int index = (c.*find)(*p);
        if (index < 0) return -1;
        indices.push_back(index);
    }
    return 0;
}

// The hexadecimal value after the colon of an input answer.
int InputLines(const char* answer) {
    const char* colon = std::strchr(answer, ':');
    return colon ? static_cast<int>(std::strtol(colon + 1, nullptr, 16)) : 0;
}
}  // namespace

ZR_BOOL CCorvaneController::DIO(const char* channels, const ZR_BOOL* flags) {
    ZR_LOG_DEBUG("CCorvaneController::DIO(\"%s\")", channels ? channels : "");
    if (!CheckController(1)) return false;
    if (!channels || channels[0] == '\0') {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;  // a setter needs its channels
        return false;
    }
    std::vector<int> list;
    if (FindChannels(*this, channels, list, &CCorvaneController::ChannelIndex) != 0) {
        m_iLocalError = ZR_CNTR_NO_DIGITAL_INPUT;
        return false;
    }
    if (!RequireValues(flags)) return false;
    if (m_iMacroRecording &&
        (list.size() != 1 || !CheckRecordedBoards({m_iIOChannelBoard[list[0]]}))) {
        m_iLocalError = ZR_CNTR_MACRO_RECORD_ERROR;
        return false;
    }
    for (size_t k = 0; k < list.size(); ++k) {
        char line[kCorvaneCommandSize];
        std::snprintf(line, sizeof line, flags[k] != 0 ? "CN%d" : "CF%d",
                      m_iIOChannelLine[list[k]]);
        if (!SelectAndSend(m_iIOChannelBoard[list[k]], line)) return false;
    }
    return true;
}

ZR_BOOL CCorvaneController::qDIO(const char* channels, ZR_BOOL* states) {
    ZR_LOG_DEBUG("CCorvaneController::qDIO()");
    if (!RefuseInMacroMode() || !CheckController(1)) return false;
    if (!channels || channels[0] == '\0') channels = m_szIOChannelNames;
    std::vector<int> list;
    if (FindChannels(*this, channels, list, &CCorvaneController::ChannelIndex) != 0) {
        m_iLocalError = ZR_CNTR_NO_DIGITAL_INPUT;
        return false;
    }
    if (!list.empty() && !RequireValues(states)) return false;
    int inputs[kMaxCorvaneBoards] = {};
    bool read[kMaxCorvaneBoards] = {};
    for (size_t k = 0; k < list.size(); ++k) {
        const int board = m_iIOChannelBoard[list[k]];
        if (!read[board]) {
            const char* answer = m_Axes.Get(board)->m_bSingleChar
                                     ? QueryBoard(board, nullptr, kInputByte, 'H', 3)
                                     : QueryBoard(board, "TC", 0, 'H', 3);
            if (!answer) return false;
            inputs[board] = InputLines(answer);
            read[board] = true;
        }
        states[k] = (inputs[board] >> (m_iIOChannelLine[list[k]] - 1)) & 1;
    }
    return true;
}

ZR_BOOL CCorvaneController::qTIO(int* inputs, int* outputs) {
    if (!RefuseInMacroMode() || !RequireValues(inputs) || !RequireValues(outputs)) return false;
    *inputs = *outputs = m_iNrIOChannels;
    return true;
}

ZR_BOOL CCorvaneController::GetInputChannelNames(char* buffer, int size) {
    if (!buffer || size <= 0) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    const size_t n = std::min(std::strlen(m_szIOChannelNames), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, m_szIOChannelNames, n);
    buffer[n] = '\0';
    return true;
}

ZR_BOOL CCorvaneController::qTAC(int* count) {
    if (!RefuseInMacroMode() || !RequireValues(count)) return false;
    *count = m_iNrAnalogChannels;
    return true;
}

ZR_BOOL CCorvaneController::qTAV(int channel, double* volts) {
    ZR_LOG_DEBUG("CCorvaneController::qTAV(%d)", channel);
    if (!RefuseInMacroMode() || !RequireValues(volts)) return false;
    int n = 0;
    while (n < m_iNrAnalogChannels && m_iAnalogChannel[n] != channel) ++n;
    if (n == m_iNrAnalogChannels) {
        ZR_LOG_ERROR("CCorvaneController::qTAV(%d) ZR_CNTR_INVALID_ANALOG_INPUT", channel);
        m_iLocalError = ZR_CNTR_INVALID_ANALOG_INPUT;
        return false;
    }
    int reading = 0;
    if (!ReadAnalogLine(m_iAnalogBoard[n], m_iAnalogLine[n], &reading)) return false;
    *volts = reading * kVoltsPerReading;
    return true;
}

// The firmware answers "TA%d" in one of two forms; a board whose form is not known yet is asked
// in the "A" form first, and the form that answered is kept.
ZR_BOOL CCorvaneController::ReadAnalogLine(int board, int line, int* reading) {
    CCorvaneAxis* record = m_Axes.Get(board);
    if (!record || !reading) {
        m_iLocalError = ZR_INVALID_ARGUMENT;
        return false;
    }
    char query[kCorvaneCommandSize];
    std::snprintf(query, sizeof query, "TA%d", line);
    winport::ScopedLock channel(m_csChannel);
    if (record->m_cTAAnswer == 0 || record->m_cTAAnswer == 'A') {
        const bool known = record->m_cTAAnswer == 'A';
        if (const char* answer = QueryBoard(board, query, 0, 'A', 2)) {
            record->m_cTAAnswer = 'A';
            ZR_LOG_DEBUG("pAxis->m_cTAAnswer = 'A';");
            *reading = CorvaneAnswerValue(answer);
            return true;
        }
        if (known) return false;
        m_iLocalError = 0;
    }
    const char* answer = QueryBoard(board, query, 0, 'T', 3);
    if (!answer) return false;
    record->m_cTAAnswer = 'T';
    ZR_LOG_DEBUG("pAxis->m_cTAAnswer = 'T';");
    *reading = CorvaneAnswerValue(answer);
    return true;
}
