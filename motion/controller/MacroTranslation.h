#pragma once
// Stored board macros read back as TAL text: the boards answer with their native commands, which
// are turned into the TAL lines that would record them again. Pure functions over a view of the
// axis, so that the table can be tested without a controller.
#include <string>

// What the translation needs to know of the macro's axis.
struct MacroAxisView {
    char identifier = 0;
    bool initialised = false;  // counts become TAL units only for an initialised axis
    double countsPerUnit = 1;
    double factor = 1;
    int joystickID = 0;                 // the joystick of the axis's board (board index + 1)
    std::string channelOfLine[5] = {};  // the digital channel of each line 1 to 4, "" when none
};

// Every "+" removed and the leading zeros of every number, so that "MR+00100" becomes "MR100";
// a number made only of zeros is dropped entirely.
std::string NormaliseMacroText(const std::string& text);

// The TAL line of one native command ("<non TAL: \"...\">" for a command without one).
std::string TranslateNativeCommand(const std::string& command, const MacroAxisView& axis);

// The TAL lines of a normalised native macro, each but the last followed by " \n", the last by
// "\n". refPattern (normalised, may be empty) is the line a recorded REF stores; where the text
// holds it, one "REF" line stands for it.
std::string TranslateNativeMacro(const std::string& text, const std::string& refPattern,
                                 const MacroAxisView& axis);
