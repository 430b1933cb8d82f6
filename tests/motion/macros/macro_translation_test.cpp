// The table of native macro commands and their TAL lines, and the normalisation of what the
// boards tell back.
#include <gtest/gtest.h>

#include "motion/controller/MacroTranslation.h"

namespace {

MacroAxisView AxisA() {
    MacroAxisView a;
    a.identifier = 'A';
    a.initialised = true;
    a.countsPerUnit = 1000;
    a.factor = 2;
    a.joystickID = 1;
    a.channelOfLine[1] = "A";
    a.channelOfLine[3] = "C";
    return a;
}

TEST(MacroTranslation, EveryNativeCommandHasItsLine) {
    const struct {
        const char* native;
        const char* tal;
    } rows[] = {
        {"MR5000", "MVR A2.5"},
        {"MR-2000000000", "MVR A-1e+06"},
        {"SV4000", "VEL A2"},
        {"WS", "WAC ONT? A = 1"},
        {"WA250", "DEL 250"},
        {"WN1", "WAC DIO? A = 1"},
        {"WF3", "WAC DIO? C = 0"},
        {"XN1", "MEX DIO? A = 0"},
        {"XF3", "MEX DIO? C = 1"},
        {"YN", "MEX JBS? 1 1 = 0"},
        {"YF", "MEX JBS? 1 1 = 1"},
        {"JN", "JON 1 1"},
        {"JF", "JON 1 0"},
        {"EM5", "MAC START AMC005"},
        {"EM31", "MAC START AMC031"},
        {"BF", "BRA A0"},
        {"BN", "BRA A1"},
        {"AB", "STP"},
        {"ST", "HLT A"},
        {"MN", "SVO A1"},
        {"MF", "SVO A0"},
        {"DH", "DFH A"},
        {"GH", "GOH A"},
        {"CN3", "DIO C1"},
        {"CF1", "DIO A0"},
        {"DP120", "SPA A1 120"},
        {"DI7", "SPA A2 7"},
        {"DD9", "SPA A3 9"},
        {"DL4", "SPA A4 4"},
        {"SM3000", "SPA A8 1.5"},
        {"SA400000", "SPA A11 200"},
        {"LF", "SPA A50 1"},
        {"LN", "SPA A50 0"},
        {"LL", "SPA A24 3"},
        {"LH", "SPA A24 0"},
        {"DC12", "SPA A65 12"},
        {"HC3", "SPA A64 3"},
        {"HT8", "SPA A66 8"},
        {"FE2", "<non TAL: \"FE2\">"},
        {"Q", "<non TAL: \"Q\">"},
        {"", "<non TAL: \"\">"},
    };
    for (const auto& row : rows) EXPECT_EQ(TranslateNativeCommand(row.native, AxisA()), row.tal);
}

TEST(MacroTranslation, CountsStayCountsOnAnAxisNotInitialised) {
    MacroAxisView a = AxisA();
    a.initialised = false;
    EXPECT_EQ(TranslateNativeCommand("MR5000", a), "MVR A5000");
    EXPECT_EQ(TranslateNativeCommand("WN2", a), "WAC DIO?  = 1");  // no channel on that line
}

TEST(MacroTranslation, NormalisationDropsSignsAndLeadingZeros) {
    EXPECT_EQ(NormaliseMacroText("MR+00100,ST"), "MR100,ST");
    EXPECT_EQ(NormaliseMacroText("MR-00050,WA+00000,SV+01020"), "MR-50,WA,SV1020");
    EXPECT_EQ(NormaliseMacroText(""), "");
}

TEST(MacroTranslation, MacroBecomesLinesAndTheReferencePatternOneRef) {
    const MacroAxisView a = AxisA();
    EXPECT_EQ(TranslateNativeMacro("MR2000,ST", "", a), "MVR A1 \nHLT A\n");
    const std::string ref = "SV5,FE2,WS,MR-2,WS,FE,WS,SV10";
    EXPECT_EQ(TranslateNativeMacro(ref, ref, a), "REF A\n");
    EXPECT_EQ(TranslateNativeMacro("AB," + ref + ",ST", ref, a), "STP \nREF A \nHLT A\n");
    // the pattern counts only as whole commands
    EXPECT_EQ(TranslateNativeMacro(ref + "0", ref, a).rfind("VEL A0.0025", 0), 0u);
    EXPECT_EQ(TranslateNativeMacro("", "", a), "<non TAL: \"\">\n");
}

}  // namespace
