// Trigger outputs: CTO, qCTO, TRO, qTRO. Trigger output j is the output of board j - 1.
//
// Parameter 1 is sent as S x round(value x F x cpu + H) and read back as value x S / cpu / F: the
// home position H that CTO adds is not taken away again by qCTO. The established arithmetic is
// kept as it is; with H 0 the two agree.
//
// Parameter 2 names the axis of the output's board. Axis identifiers may be digits, so a value of
// one character is compared as that character even where it also reads as a number.
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAnswer.h"
#include "motion/controller/CorvaneCounts.h"

namespace {
constexpr int kParamTriggerValue = 1;  // "ZI", in TAL units
constexpr int kParamAxis = 2;
constexpr int kParamMode = 3;       // "ZM"
constexpr int kParamPosition = 10;  // "ZP"
constexpr int kParameters[] = {kParamTriggerValue, kParamAxis, kParamMode, kParamPosition};
constexpr char kBlanks[] = " \t\r\n";

// TAL trigger modes and the board's "ZM" modes.
struct TriggerMode {
    int tal;
    int board;
};
constexpr TriggerMode kTriggerModes[] = {{8, 1}, {7, 2}, {0, 3}};

bool KnownParameter(int id) {
    for (int p : kParameters)
        if (p == id) return true;
    return false;
}

std::vector<std::string> SplitAtBlanks(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = text.find_first_not_of(kBlanks);
    while (start != std::string::npos) {
        const size_t end = text.find_first_of(kBlanks, start);
        pieces.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? end : text.find_first_not_of(kBlanks, end);
    }
    return pieces;
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
}  // namespace

struct CCorvaneController::TriggerValue {
    bool isNumber = false;
    double number = 0;
    bool isCharacter = false;
    char character = 0;

    // False for a piece that is neither a number nor a single character.
    bool Parse(const std::string& piece) {
        char* end = nullptr;
        number = std::strtod(piece.c_str(), &end);
        // "nan" and "inf" are read by strtod but are no position.
        isNumber = !piece.empty() && end && *end == '\0' && std::isfinite(number);
        isCharacter = piece.size() == 1;
        if (isCharacter)
            character = static_cast<char>(std::toupper(static_cast<unsigned char>(piece[0])));
        return isNumber || isCharacter;
    }
};

ZR_BOOL CCorvaneController::SetTriggerParameter(int a, int parameter, const TriggerValue& value) {
    if (parameter == kParamAxis) {
        if (value.isCharacter && value.character == m_AxisData[a].m_cIdentifier) return true;
        m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
        return false;
    }
    if (!value.isNumber) {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }
    const CorvaneAxisUnits u = UnitsOf(a);
    char line[kCorvaneCommandSize];
    if (parameter == kParamTriggerValue) {
        const double product = value.number * u.factor * u.cpu + u.home;
        if (!(std::fabs(product) <= static_cast<double>(INT_MAX))) {  // beyond the 32-bit counter
            m_iLocalError = ZR_CNTR_POSITION_OUT_OF_LIMITS;
            return false;
        }
        const int counts = RoundToCounts(product);
        std::snprintf(line, sizeof line, "ZI%d", SignedForBoard(u, counts));
        return SelectAndSend(a, line);
    }
    if (parameter == kParamPosition) {
        const double x = u.factor * value.number;
        const double reach = x + u.home / u.cpu;
        if (!(reach >= u.minTravel && reach <= u.maxTravel)) {
            m_iLocalError = ZR_CNTR_POSITION_OUT_OF_LIMITS;
            return false;
        }
        const int counts = AddCounts(u.offset, RoundToCounts(x * u.cpu + u.home));
        std::snprintf(line, sizeof line, "ZP%d", SignedForBoard(u, counts));
        return SelectAndSend(a, line);
    }
    const TriggerMode* mode = nullptr;
    for (const TriggerMode& m : kTriggerModes)
        if (value.number == m.tal) mode = &m;
    if (!mode) {
        m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
        return false;
    }
    m_Axes.Get(a)->m_iTriggerMode = mode->board;
    const char* answer = QueryBoard(a, "ZM?", 0, 'Z', 2);
    if (!answer) return false;
    if (CorvaneAnswerValue(answer) == 0) return true;  // output off: switched on with the mode
    std::snprintf(line, sizeof line, "ZM%d", mode->board);
    return SelectAndSend(a, line);
}

ZR_BOOL CCorvaneController::CTO(const int* outputs, const int* parameters, const char* values,
                                int count) {
    ZR_LOG_DEBUG("CCorvaneController::CTO(\"%s\", %d)", values ? values : "", count);
    if (!outputs || !parameters || !values || count < 1) {
        m_iLocalError = ZR_CNTR_PARAMETER_MISSING;
        return false;
    }
    if (!CheckTriggerIDs(outputs, count)) return false;
    std::vector<int> boards;
    for (int k = 0; k < count; ++k) {
        if (!KnownParameter(parameters[k])) {
            m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
            return false;
        }
        boards.push_back(m_iTriggerBoard[outputs[k] - 1]);
    }
    if (!CheckRecordedBoards(boards)) return false;
    const std::vector<std::string> pieces = SplitAtBlanks(values);
    std::vector<TriggerValue> parsed(pieces.size());
    bool syntaxOK = pieces.size() == static_cast<size_t>(count);
    for (size_t k = 0; syntaxOK && k < pieces.size(); ++k) syntaxOK = parsed[k].Parse(pieces[k]);
    if (!syntaxOK) {
        m_iLocalError = ZR_CNTR_PARAMETER_SYNTAX_ERROR;
        return false;
    }
    for (size_t k = 0; k < boards.size(); ++k)
        if (!SetTriggerParameter(boards[k], parameters[k], parsed[k])) return false;
    return true;
}

ZR_BOOL CCorvaneController::AddTriggerParameter(int a, int parameter, std::string& text) {
    const CorvaneAxisUnits u = UnitsOf(a);
    if (parameter == kParamAxis) {
        text += m_AxisData[a].m_cIdentifier;
        text += " \n";
        return true;
    }
    const char* query = parameter == kParamTriggerValue ? "ZI?"
                        : parameter == kParamMode       ? "ZM?"
                                                        : "ZP?";
    const char* answer = QueryBoard(a, query, 0, 'Z', 2);
    if (!answer) return false;
    const int value = CorvaneAnswerValue(answer);
    if (parameter == kParamTriggerValue) {
        text += Format("%f \n", static_cast<double>(value) * u.sign / u.cpu / u.factor);
    } else if (parameter == kParamPosition) {
        text += Format("%f \n", ((static_cast<double>(value) - u.offset) * u.sign - u.home) /
                                    u.cpu / u.factor);
    } else {
        const int mode = value != 0 ? value : m_Axes.Get(a)->m_iTriggerMode;
        const TriggerMode* found = nullptr;
        for (const TriggerMode& m : kTriggerModes)
            if (m.board == mode) found = &m;
        if (!found) {
            ZR_LOG_ERROR("CCorvaneController::qCTO() unknown trigger mode %d", mode);
            m_iLocalError = ZR_UNEXPECTED_RESPONSE;
            return false;
        }
        text += std::to_string(found->tal) + " \n";
    }
    return true;
}

ZR_BOOL CCorvaneController::qCTO(const int* outputs, const int* parameters, char* buffer, int count,
                                 int size) {
    if (!RefuseInMacroMode()) return false;
    if (!buffer || size < 1) {
        m_iLocalError = COM_BUFFER_OVERFLOW;
        return false;
    }
    std::vector<std::pair<int, int>> entries;  // board, parameter
    if (!outputs) {
        if (count < static_cast<int>(std::size(kParameters)) * m_iNrTriggerOutputs) {
            m_iLocalError = ZR_ARRAY_RANGE_MISMATCH;
            return false;
        }
        for (int i = 0; i < kMaxCorvaneBoards; ++i)
            if (m_iTriggerBoard[i] >= 0)
                for (int p : kParameters) entries.emplace_back(i, p);
    } else {
        if (count < 0 || !RequireValues(parameters)) {
            m_iLocalError = ZR_INVALID_ARGUMENT;
            return false;
        }
        if (!CheckTriggerIDs(outputs, count)) return false;
        for (int k = 0; k < count; ++k) {
            if (!KnownParameter(parameters[k])) {
                m_iLocalError = ZR_CNTR_PARAMETER_OUT_OF_RANGE;
                return false;
            }
            entries.emplace_back(m_iTriggerBoard[outputs[k] - 1], parameters[k]);
        }
    }
    std::string text;
    for (const auto& [board, parameter] : entries)
        if (!AddTriggerParameter(board, parameter, text)) return false;
    if (text.size() >= 2) text.replace(text.size() - 2, 2, "\n");
    return CopyText(text, buffer, size);
}

ZR_BOOL CCorvaneController::TRO(const int* outputs, const ZR_BOOL* flags, int count) {
    ZR_LOG_DEBUG("CCorvaneController::TRO(%d)", count);
    if (!outputs || !flags || count < 1) {
        m_iLocalError = ZR_CNTR_PARAMETER_MISSING;
        return false;
    }
    if (!CheckTriggerIDs(outputs, count)) return false;
    std::vector<int> boards;
    for (int k = 0; k < count; ++k) boards.push_back(m_iTriggerBoard[outputs[k] - 1]);
    if (!CheckRecordedBoards(boards)) return false;
    for (int k = 0; k < count; ++k) {
        const int a = boards[static_cast<size_t>(k)];
        char line[kCorvaneCommandSize];
        std::snprintf(line, sizeof line, "ZM%d", flags[k] == 1 ? m_Axes.Get(a)->m_iTriggerMode : 0);
        uint8_t status[kMaxStatusBytes];
        if (!SelectAndSend(a, line) || !ReadBoardStatus(a, status)) return false;
    }
    m_iLocalError = 0;
    return true;
}

ZR_BOOL CCorvaneController::qTRO(const int* outputs, ZR_BOOL* states, int count) {
    if (!RefuseInMacroMode()) return false;
    std::vector<int> boards;
    if (!outputs) {
        if (count < m_iNrTriggerOutputs) {
            m_iLocalError = ZR_ARRAY_RANGE_MISMATCH;
            return false;
        }
        for (int i = 0; i < kMaxCorvaneBoards; ++i)
            if (m_iTriggerBoard[i] >= 0) boards.push_back(i);
    } else {
        if (count < 0) {
            m_iLocalError = ZR_INVALID_ARGUMENT;
            return false;
        }
        if (!CheckTriggerIDs(outputs, count)) return false;
        for (int k = 0; k < count; ++k) boards.push_back(m_iTriggerBoard[outputs[k] - 1]);
    }
    if (!boards.empty() && !RequireValues(states)) return false;
    for (size_t k = 0; k < boards.size(); ++k) {
        const char* answer = QueryBoard(boards[k], "ZM?", 0, 'Z', 2);
        if (!answer) return false;
        const int value = CorvaneAnswerValue(answer);
        if (value != 0) m_Axes.Get(boards[k])->m_iTriggerMode = value;
        states[k] = value != 0 ? 1 : 0;
    }
    return true;
}
