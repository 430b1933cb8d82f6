#pragma once
// The command words of the command-string interface, one row each: the operation that carries the
// line out, how the text buffer of a text query is sized, and the form of the answer.
#include <span>
#include <string_view>
#include <vector>

#include "ZR_Corvane_TAL.h"
#include "motion/controller/TalParser.h"

class CCorvaneController;
struct TalCommandRow;

// One line on its way through the dispatcher.
struct TalCall {
    CCorvaneController& controller;
    const TalLine& line;
    const TalCommandRow& row;
    std::vector<int> axes;  // the listed axes' indices, in the order of the answer lines
};

using TalOperation = ZR_BOOL (*)(TalCall&);

// The answer a row adds when its operation succeeds.
enum class TalAnswer {
    None,
    AxisValues,    // A: "%c=%f" per listed axis
    AxisStates,    // B: "%c=1" or "%c=0" per listed axis (channels for DIO?)
    Registers,     // C: "%c%d=%d" per listed axis
    Parameters,    // D: "%c%d=%g", or "%c%d=%s" for the stage name
    Groups,        // E: one line per group in the row's own format
    OutputStates,  // F: "%d=1" or "%d=0" per trigger output
    Text,          // the operation's text as it is
    TextLine,      // the operation's text and a line feed
    Number,        // one number and a line feed
    Special,       // the operation adds its own answer
};

// How a text query's buffer is sized: a fixed size, or grown while the query fails with
// COM_BUFFER_OVERFLOW, by step bytes or by doubling, up to kTalMaxTextBuffer.
enum class TalGrowth { None, Fixed, Add, Double };
struct TalBuffer {
    TalGrowth growth = TalGrowth::None;
    int initial = 0;
    int step = 0;
};
inline constexpr int kTalMaxTextBuffer = 1 << 20;

struct TalCommandRow {
    std::string_view word;
    TalOperation run;
    TalBuffer buffer;
    TalAnswer answer;
    const char* groupFormat = nullptr;  // format E's per-group format
};

// The row of a command word; nullptr for a word without one. The single control characters
// 5, 7, 8 and 24 are words of their own.
[[nodiscard]] const TalCommandRow* FindTalCommand(std::string_view word);
[[nodiscard]] std::span<const TalCommandRow> TalCommandRows();

// The operations of the rows (CCorvaneController_Tal*.cpp).
namespace tal {
ZR_BOOL IsMoving(TalCall& c);
ZR_BOOL ControllerReady(TalCall& c);
ZR_BOOL RunningMacro(TalCall& c);
ZR_BOOL Stop(TalCall& c);
ZR_BOOL Nothing(TalCall& c);
ZR_BOOL Unknown(TalCall& c);
ZR_BOOL MOV(TalCall& c);
ZR_BOOL MVR(TalCall& c);
ZR_BOOL POS(TalCall& c);
ZR_BOOL VEL(TalCall& c);
ZR_BOOL DFF(TalCall& c);
ZR_BOOL qMOV(TalCall& c);
ZR_BOOL qPOS(TalCall& c);
ZR_BOOL qVEL(TalCall& c);
ZR_BOOL qDFF(TalCall& c);
ZR_BOOL qDFH(TalCall& c);
ZR_BOOL qTMN(TalCall& c);
ZR_BOOL qTMX(TalCall& c);
ZR_BOOL GOH(TalCall& c);
ZR_BOOL DFH(TalCall& c);
ZR_BOOL HLT(TalCall& c);
ZR_BOOL INI(TalCall& c);
ZR_BOOL SVO(TalCall& c);
ZR_BOOL RON(TalCall& c);
ZR_BOOL BRA(TalCall& c);
ZR_BOOL qONT(TalCall& c);
ZR_BOOL qSVO(TalCall& c);
ZR_BOOL qRON(TalCall& c);
ZR_BOOL qREF(TalCall& c);
ZR_BOOL qLIM(TalCall& c);
ZR_BOOL MPL(TalCall& c);
ZR_BOOL MNL(TalCall& c);
ZR_BOOL REF(TalCall& c);
ZR_BOOL FED(TalCall& c);
ZR_BOOL qSRG(TalCall& c);
ZR_BOOL qBRA(TalCall& c);
ZR_BOOL CST(TalCall& c);
ZR_BOOL qCST(TalCall& c);
ZR_BOOL qVST(TalCall& c);
ZR_BOOL SAI(TalCall& c);
ZR_BOOL qSAI(TalCall& c);
ZR_BOOL qTVI(TalCall& c);
ZR_BOOL qIDN(TalCall& c);
ZR_BOOL qVER(TalCall& c);
ZR_BOOL qERR(TalCall& c);
ZR_BOOL qHLP(TalCall& c);
ZR_BOOL qHPA(TalCall& c);
ZR_BOOL SPA(TalCall& c);
ZR_BOOL qSPA(TalCall& c);
ZR_BOOL DIO(TalCall& c);
ZR_BOOL qDIO(TalCall& c);
ZR_BOOL qTIO(TalCall& c);
ZR_BOOL qTAC(TalCall& c);
ZR_BOOL qTNJ(TalCall& c);
ZR_BOOL qTAV(TalCall& c);
ZR_BOOL JON(TalCall& c);
ZR_BOOL qJON(TalCall& c);
ZR_BOOL qJBS(TalCall& c);
ZR_BOOL qJAS(TalCall& c);
ZR_BOOL qJAX(TalCall& c);
ZR_BOOL JDT(TalCall& c);
ZR_BOOL JLT(TalCall& c);
ZR_BOOL qJLT(TalCall& c);
ZR_BOOL CTO(TalCall& c);
ZR_BOOL qCTO(TalCall& c);
ZR_BOOL TRO(TalCall& c);
ZR_BOOL qTRO(TalCall& c);
ZR_BOOL DEL(TalCall& c);
ZR_BOOL WAC(TalCall& c);
ZR_BOOL MEX(TalCall& c);
ZR_BOOL MAC(TalCall& c);
ZR_BOOL qMAC(TalCall& c);
}  // namespace tal
