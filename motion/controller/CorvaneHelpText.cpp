// The fixed text of the help query.
#include "motion/controller/CorvaneHelpText.h"

#include <string>

namespace {

constexpr const char* kHelpLines[] = {
    "The following commands are valid:",
    "#5 query which stages are moving",
    "#7 is controller busy?",
    "#8 is macro running?",
    "#24 stop all axes",
    "*IDN? query identification string of controller",
    "BRA {<AxisId>} set brake on/off",
    "BRA? [{<AxisId>}] query axes with brakes",
    "CST {<AxisId> <StageName>} assign stage to axes",
    "CST? [{<AxisId>}] query stage assignment to axes",
    "CTO {<TriggerOut><uint><ParamValue>} set trigger parameter",
    "CTO? [{<TriggerOut><uint>}] query trigger parameter",
    "DEL delays execution of macro (only in macro)",
    "DFF {<AxisId> <Factor>} set factor for axes",
    "DFF? [{<AxisId>}] query factor",
    "DFH {<AxisId>} set home position for axes",
    "DFH? [{<AxisId>}] query home position",
    "DIO {<DIOId><bOutputOn>} set digital output lines",
    "DIO? [{<DIOId>}] query digital input lines",
    "ERR? query controller error",
    "FED {<AxisId> <EdgeId> <Param>}",
    "GOH [{<AxisId>}] go to home position",
    "HLP? display this help message",
    "HLT [{<AxisId>}] halt stage(s): stop smoothly",
    "HPA? display parameter help message",
    "INI [{<AxisId>}] initialize axes",
    "JAS? [{<JoystickId> <AxisId>}] get joystick value",
    "JAX? [{<JoystickId> <AxisId>}] query joystick axis",
    "JBS? [{<JoystickId><ButtonId>}] query if joystick button pressed",
    "JDT {<JoystickId> <AxisId> <TableNumber>} load joystick table",
    "JLT <JoystickId> <AxisId> <Addr> <Value> set value in joystick table",
    "JLT? [<Start Addr> <Length>] Query active joystick table",
    "JON {<JoystickId> <bOn>} joystick enable",
    "JON? [{<JoystickId>}] query joystick enabled?",
    "LIM? [{<AxisId>}] query presence of limit switches",
    "MAC BEG|DEL|END|NSTART|START call Macro function",
    "MAC? [<macname>] list Macros or content of a given macro",
    "MEX stops execution of macro (only in macro)",
    "MNL [{<AxisId>}] reference axes to negative Lim",
    "MOV {<AxisId> <Position>} move to given absolute position",
    "MOV? [{<AxisId>}] query target position",
    "MPL [{<AxisId>}] reference axes to positive Lim",
    "MVR {<AxisId> <Distance>} move relatively by given distance",
    "ONT? [{<AxisId>}] query whether stage is on target",
    "POS {<AxisId> <Position>} set actual position",
    "POS? [{<AxisId>}] query actual position",
    "REF [{<AxisId>}] reference axes to reference switch",
    "REF? [{<AxisId>}] query presence of reference switch",
    "RON {<AxisId> <bReferenceOn>} set referencing mode",
    "RON? [{<AxisId>}] query referencing mode",
    "SAI {<AxisId> <NewAxisId>} set axis identifier",
    "SAI? [\"ALL\"] query connected or all possible axes",
    "SPA {<AxisId> <ParameterId> <Value>} set parameter",
    "SPA? [{<AxisId> <ParameterId>}] query parameter",
    "SRG? <AxisId> <RegisterId> query status register",
    "STP stop stage(s): stop abruptly",
    "SVO {<AxisId> <bServoOn>} set control loop mode",
    "SVO? [{<AxisId>}] query control loop mode",
    "TAC? tell number of analog input lines",
    "TAV? <AnalogInputId> query analog voltage",
    "TIO? tell number of digital IOs",
    "TMN? [{<AxisId>}] tell minimum travel value",
    "TMX? [{<AxisId>}] tell maximum travel value",
    "TNJ? tell number of joysticks",
    "TRO {<TriggerOut><uint>} trigger enable",
    "TRO? [{<TriggerOut>}] query trigger enable",
    "TVI? display valid axis characters",
    "VEL {<AxisId> <Velocity>} set velocity",
    "VEL? [{<AxisId>}] query velocity",
    "VER? query version strings of controllers",
    "VST? query list of known stage types",
    "WAC wait until condition occurs (only in macro)",
    "end of help",
};

constexpr int kHelpLineCount = static_cast<int>(sizeof kHelpLines / sizeof kHelpLines[0]);

constexpr int Length(const char* text) {
    int n = 0;
    while (text[n] != '\0') ++n;
    return n;
}

// Every line but the last ends with " \n".
constexpr int TextLength() {
    int n = 0;
    for (int i = 0; i < kHelpLineCount; ++i)
        n += Length(kHelpLines[i]) + (i + 1 < kHelpLineCount ? 2 : 0);
    return n;
}

static_assert(kHelpLineCount == 73);
static_assert(TextLength() == kCorvaneHelpTextLength);

std::string Build() {
    std::string text;
    text.reserve(kCorvaneHelpTextLength);
    for (int i = 0; i < kHelpLineCount; ++i) {
        text += kHelpLines[i];
        if (i + 1 < kHelpLineCount) text += " \n";
    }
    return text;
}

}  // namespace

const std::string& CorvaneHelpText() {
    static const std::string* text = new std::string(Build());
    return *text;
}
