#include "motion/controller/TalDispatchTable.h"

namespace {

using A = TalAnswer;
using G = TalGrowth;
constexpr TalBuffer kNone{};
constexpr TalBuffer Fixed(int size) {
    return {G::Fixed, size, 0};
}
constexpr TalBuffer kAdd100From100{G::Add, 100, 100};
constexpr TalBuffer kAdd100From1700{G::Add, 1700, 100};
constexpr TalBuffer kDoubleFrom10000{G::Double, 10000, 0};
constexpr TalBuffer kAdd500From500{G::Add, 500, 500};

// clang-format off
const TalCommandRow kRows[] = {
    {"\x05", tal::IsMoving,        kNone,             A::Special},
    {"\x07", tal::ControllerReady, kNone,             A::Special},
    {"\x08", tal::RunningMacro,    kNone,             A::Special},
    {"\x18", tal::Stop,            kNone,             A::None},
    {"CLR",  tal::Nothing,         kNone,             A::None},
    {"XXX",  tal::Nothing,         kNone,             A::None},
    {"MOV",  tal::MOV,             kNone,             A::None},
    {"MVR",  tal::MVR,             kNone,             A::None},
    {"POS",  tal::POS,             kNone,             A::None},
    {"MOV?", tal::qMOV,            kNone,             A::AxisValues},
    {"POS?", tal::qPOS,            kNone,             A::AxisValues},
    {"VEL?", tal::qVEL,            kNone,             A::AxisValues},
    {"DFF?", tal::qDFF,            kNone,             A::AxisValues},
    {"DFH?", tal::qDFH,            kNone,             A::AxisValues},
    {"TMN?", tal::qTMN,            kNone,             A::AxisValues},
    {"TMX?", tal::qTMX,            kNone,             A::AxisValues},
    {"VEL",  tal::VEL,             kNone,             A::None},
    {"DFF",  tal::DFF,             kNone,             A::None},
    {"GOH",  tal::GOH,             kNone,             A::None},
    {"DFH",  tal::DFH,             kNone,             A::None},
    {"HLT",  tal::HLT,             kNone,             A::None},
    {"INI",  tal::INI,             kNone,             A::None},
    {"STP",  tal::Stop,            kNone,             A::None},
    {"SVO",  tal::SVO,             kNone,             A::None},
    {"RON",  tal::RON,             kNone,             A::None},
    {"BRA",  tal::BRA,             kNone,             A::None},
    {"ONT?", tal::qONT,            kNone,             A::AxisStates},
    {"SVO?", tal::qSVO,            kNone,             A::AxisStates},
    {"RON?", tal::qRON,            kNone,             A::AxisStates},
    {"REF?", tal::qREF,            kNone,             A::AxisStates},
    {"LIM?", tal::qLIM,            kNone,             A::AxisStates},
    {"MPL",  tal::MPL,             kNone,             A::None},
    {"MNL",  tal::MNL,             kNone,             A::None},
    {"REF",  tal::REF,             kNone,             A::None},
    {"FED",  tal::FED,             kNone,             A::None},
    {"SRG?", tal::qSRG,            kNone,             A::Registers},
    {"BRA?", tal::qBRA,            Fixed(1024),       A::TextLine},
    {"CST",  tal::CST,             kNone,             A::None},
    {"CST?", tal::qCST,            kNone,             A::Text},
    {"VST?", tal::qVST,            kDoubleFrom10000,  A::Text},
    {"SAI",  tal::SAI,             kNone,             A::None},
    {"SAI?", tal::qSAI,            Fixed(18),         A::TextLine},
    {"TVI?", tal::qTVI,            Fixed(66),         A::TextLine},
    {"*IDN?", tal::qIDN,           kAdd100From100,    A::Text},
    {"VER?", tal::qVER,            kAdd100From1700,   A::Text},
    {"ERR?", tal::qERR,            kNone,             A::Number},
    {"HLP?", tal::qHLP,            kDoubleFrom10000,  A::Text},
    {"HPA?", tal::qHPA,            kDoubleFrom10000,  A::Text},
    {"SPA",  tal::SPA,             kNone,             A::None},
    {"SPA?", tal::qSPA,            Fixed(32768),      A::Parameters},
    {"DIO",  tal::DIO,             kNone,             A::None},
    {"DIO?", tal::qDIO,            kNone,             A::AxisStates},
    {"TIO?", tal::qTIO,            kNone,             A::Special},
    {"TAC?", tal::qTAC,            kNone,             A::Number},
    {"TNJ?", tal::qTNJ,            kNone,             A::Number},
    {"TAV?", tal::qTAV,            kNone,             A::Number},
    {"JON",  tal::JON,             kNone,             A::None},
    {"JON?", tal::qJON,            kNone,             A::Groups, "%d=%d"},
    {"JBS?", tal::qJBS,            kNone,             A::Groups, "%d %d=%d"},
    {"JAS?", tal::qJAS,            kNone,             A::Groups, "%d %d=%f"},
    {"JAX?", tal::qJAX,            Fixed(160),        A::Groups, "%d %d=%s"},
    {"JDT",  tal::JDT,             kNone,             A::None},
    {"JLT",  tal::JLT,             kNone,             A::None},
    {"JLT?", tal::qJLT,            kNone,             A::Special},
    {"CTO",  tal::CTO,             kNone,             A::None},
    {"CTO?", tal::qCTO,            Fixed(479),        A::Groups, "%d %d=%s"},
    {"TRO",  tal::TRO,             kNone,             A::None},
    {"TRO?", tal::qTRO,            kNone,             A::OutputStates},
    {"DEL",  tal::DEL,             kNone,             A::None},
    {"WAC",  tal::WAC,             kNone,             A::None},
    {"MEX",  tal::MEX,             kNone,             A::None},
    {"MAC",  tal::MAC,             kNone,             A::None},
    {"MAC?", tal::qMAC,            kAdd500From500,    A::Text},
    // parsed, but without an operation
    {"PLM",  tal::Unknown,         kNone,             A::None},
    {"NLM",  tal::Unknown,         kNone,             A::None},
    {"SSL",  tal::Unknown,         kNone,             A::None},
};
// clang-format on

}  // namespace

const TalCommandRow* FindTalCommand(std::string_view word) {
    for (const TalCommandRow& row : kRows)
        if (row.word == word) return &row;
    return nullptr;
}

std::span<const TalCommandRow> TalCommandRows() {
    return kRows;
}
