// Recording macros: names, the define line, the 16-command limit, the commands that only a macro
// knows (WAC, MEX, DEL), the text form, and what every family does while recording.
#include <functional>
#include <utility>

#include "tests/motion/macros/MacroFixture.h"
#include "winport/Clock.h"

namespace macrotest {
namespace {

// Store waits and the answers that never come on a faster clock.
class MacroRecordingTest : public MacroFixture {
    winport::ScopedScaledClock fasterClock_{10};

  protected:
    void SetUp() override {
        MacroFixture::SetUp();
        Ready(0);
        sim->ClearTranscript();
    }
};

TEST_F(MacroRecordingTest, RelativeMoveIsStoredAsDefineLine) {
    ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC5"));
    EXPECT_TRUE(Recording());
    const double one = 1.0;
    ASSERT_TRUE(Corvane_MVR(id, "A", &one)) << Corvane_GetError(id);
    EXPECT_EQ(sim->Snapshot(0).position, 0);  // recorded, not moved
    ASSERT_TRUE(Corvane_MAC_END(id)) << Corvane_GetError(id);
    EXPECT_FALSE(Recording());
    const Lines lines = Sent(0);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "MD5,MR1000"), lines.end()) << Join(lines);
    EXPECT_EQ(Timeout(), 5000);               // the status read's long time-out is given back
    EXPECT_EQ(sim->Snapshot(0).position, 0);  // the board stored the move and made none
    EXPECT_FALSE(sim->Snapshot(0).moving);
    EXPECT_EQ(Corvane_GetError(id), 0);
}

TEST_F(MacroRecordingTest, SixteenCommandsFitAndTheSeventeenthFillsTheMacro) {
    ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC1"));
    for (int k = 0; k < 16; ++k) ASSERT_TRUE(Corvane_DEL(id, k)) << k;
    EXPECT_FALSE(Corvane_DEL(id, 16));
    EXPECT_FALSE(Corvane_MAC_END(id));
    EXPECT_FALSE(Recording());
    EXPECT_TRUE(NothingDefined()) << Join(Sent(0));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MACRO_MEMORY_FULL);
}

TEST_F(MacroRecordingTest, NamesThatDoNotParseSendNothing) {
    for (const char* name : {"AMC32", "ABC5", "amc5", "ZMC1", "A", "", "AM", "AMC99999999999"}) {
        EXPECT_FALSE(Corvane_MAC_BEG(id, name)) << name;
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_MAC_PARAMETER) << name;
        EXPECT_FALSE(Recording()) << name;
    }
    EXPECT_FALSE(Corvane_MAC_BEG(id, nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_MAC_PARAMETER);
    EXPECT_FALSE(Corvane_MAC_START(id, "BMC40"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_MAC_PARAMETER);
    EXPECT_TRUE(Sent(0).empty()) << Join(Sent(0));
    // "AMC" is macro 0; lower-case axis identifiers and leading zeros are taken
    EXPECT_EQ(Store("AMC", 0, [&] { ASSERT_TRUE(Corvane_DEL(id, 5)); }), "MD0,WA5");
    EXPECT_EQ(Store("aMC007", 0, [&] { ASSERT_TRUE(Corvane_DEL(id, 6)); }), "MD7,WA6");
}

TEST_F(MacroRecordingTest, EndRefusesWithoutRecordingOrCommands) {
    EXPECT_FALSE(Corvane_MAC_END(id));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE);
    ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC2"));
    EXPECT_FALSE(Corvane_MAC_BEG(id, "AMC3"));
    EXPECT_EQ(Corvane_GetError(id), ZR_IN_MACRO_MODE);
    EXPECT_FALSE(Corvane_MAC_END(id));
    EXPECT_EQ(Corvane_GetError(id), ZR_MACRO_EMPTY_OR_NOT_FOUND);
    EXPECT_FALSE(Recording());
    EXPECT_TRUE(NothingDefined());
}

TEST_F(MacroRecordingTest, WaitConditionsAreRecorded) {
    struct Case {
        const char* condition;
        bool ok;
        int error;
        const char* recorded;
    };
    const Case cases[] = {
        {"ONT? A = 1", true, 0, "WS"},
        {"ont? a = 1", true, 0, "WS"},
        {"DIO? A = 1", true, 0, "WN1"},
        {"DIO? C\t=\t0", true, 0, "WF3"},
        {"ONT? A = 0", false, ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
        {"ONT? B = 1", false, ZR_CNTR_INVALID_MAC_PARAMETER, nullptr},
        {"DIO? E = 1", false, ZR_CNTR_INVALID_MAC_PARAMETER, nullptr},
        {"DIO? A = 2", false, ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
        {"ONT? A 1", false, ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
        {"POS? A = 1", false, ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},  // no silent success
        {"", false, ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC4"));
        EXPECT_EQ(Corvane_WAC(id, c.condition), c.ok ? 1 : 0) << c.condition;
        if (!c.ok) {
            EXPECT_EQ(Corvane_GetError(id), c.error) << c.condition;
            EXPECT_FALSE(Corvane_MAC_END(id));
            EXPECT_EQ(Corvane_GetError(id), ZR_MACRO_EMPTY_OR_NOT_FOUND) << c.condition;
            continue;
        }
        sim->ClearTranscript();
        ASSERT_TRUE(Corvane_MAC_END(id)) << c.condition;
        EXPECT_EQ(Sent(0).front(), std::string("MD4,") + c.recorded) << c.condition;
    }
    EXPECT_FALSE(Corvane_WAC(id, "ONT? A = 1"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE);
    EXPECT_FALSE(Corvane_WAC(id, nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
}

TEST_F(MacroRecordingTest, ExitConditionsAreRecorded) {
    EXPECT_FALSE(Corvane_MEX(id, "DIO? A = 0"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE);
    struct Case {
        const char* condition;
        int error;  // 0: recorded
        const char* recorded;
    };
    const Case cases[] = {
        {"DIO? A = 0", 0, "XN1"},
        {"DIO? D = 1", 0, "XF4"},
        {"JBS? 1 1 = 0", 0, "YN"},
        {"JBS? 1 1 = 1", 0, "YF"},
        {"JBS? 2 1 = 1", ZR_CNTR_INVALID_MAC_PARAMETER, nullptr},
        {"JBS? 1 2 = 1", ZR_CNTR_INVALID_MAC_PARAMETER, nullptr},
        {"JBS? X 1 = 1", ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
        {"JBS? 1 1 = Y", ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
        {"DIO? E = 1", ZR_CNTR_INVALID_MAC_PARAMETER, nullptr},
        {"DIO? AB = 1", ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
        {"DIO? A = 1 2", ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},
        {"ONT? A = 1", ZR_CNTR_PARAMETER_SYNTAX_ERROR, nullptr},  // no silent success
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC4"));
        EXPECT_EQ(Corvane_MEX(id, c.condition), c.error == 0 ? 1 : 0) << c.condition;
        if (c.error != 0) {
            EXPECT_EQ(Corvane_GetError(id), c.error) << c.condition;
            EXPECT_FALSE(Corvane_MAC_END(id));
            (void)Corvane_GetError(id);
            continue;
        }
        sim->ClearTranscript();
        ASSERT_TRUE(Corvane_MAC_END(id)) << c.condition;
        EXPECT_EQ(Sent(0).front(), std::string("MD4,") + c.recorded) << c.condition;
    }
}

TEST_F(MacroRecordingTest, DelayOutsideAMacroWaitsOnTheBoardAndHere) {
    EXPECT_FALSE(Corvane_DEL(id, 65536));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_FALSE(Corvane_DEL(id, -1));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_TRUE(Sent(0).empty());
    const uint32_t start = winport::TickCount();
    ASSERT_TRUE(Corvane_DEL(id, 100));
    EXPECT_GE(winport::TicksSince(start), 95u);
    ASSERT_TRUE(sim->WaitForLine(0, "WA100", 5s));
    EXPECT_EQ(Sent(0), (Lines{"WA100"}));
}

TEST_F(MacroRecordingTest, TextFormTakesExactlyItsWords) {
    CCorvaneController& c = C();
    for (const char* text : {"NSTART AMC2 03", "NSTART AMC2 3x", "NSTART AMC2", "END x",
                             "BEG AMC1 AMC2", "FOO AMC1", "beg AMC1", "", "START"}) {
        EXPECT_FALSE(c.MAC(text)) << text;
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_MAC_PARAMETER) << text;
    }
    EXPECT_FALSE(c.MAC(nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_MAC_PARAMETER);
    EXPECT_TRUE(Sent(0).empty()) << Join(Sent(0));

    ASSERT_TRUE(c.MAC("NSTART   AMC2 3\r\n"));
    ASSERT_TRUE(sim->WaitForLine(0, "EM2,RP2", 5s));
    EXPECT_EQ(Sent(0), (Lines{"EM2,RP2"}));
    EXPECT_FALSE(c.MAC("BEG\tAMC6 "));  // a tab after the keyword is not its separator
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_MAC_PARAMETER);
    EXPECT_FALSE(Recording());
    ASSERT_TRUE(c.MAC("BEG AMC6"));
    EXPECT_TRUE(Recording());
    ASSERT_TRUE(Corvane_DEL(id, 3));
    sim->ClearTranscript();
    ASSERT_TRUE(c.MAC("END"));
    EXPECT_EQ(Sent(0).front(), "MD6,WA3");
}

TEST_F(MacroRecordingTest, RepeatedStartsSendTheirCount) {
    struct Case {
        int count;
        const char* line;
    };
    for (const Case& k : {Case{3, "EM2,RP2"}, Case{1, "EM2,WA1"}, Case{65536, "EM2,RP65535"}}) {
        sim->ClearTranscript();
        ASSERT_TRUE(Corvane_MAC_NSTART(id, "AMC2", k.count)) << k.count;
        ASSERT_TRUE(sim->WaitForLine(0, k.line, 5s)) << k.count;
        EXPECT_EQ(Sent(0), (Lines{k.line})) << k.count;
    }
    sim->ClearTranscript();
    for (int bad : {0, -1, 65537}) {
        EXPECT_FALSE(Corvane_MAC_NSTART(id, "AMC2", bad)) << bad;
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_MAC_PARAMETER) << bad;
    }
    EXPECT_TRUE(Sent(0).empty());
    ASSERT_TRUE(Corvane_MAC_START(id, "AMC9"));
    ASSERT_TRUE(sim->WaitForLine(0, "EM9,WA1", 5s));
    EXPECT_EQ(Sent(0), (Lines{"EM9,WA1"}));
}

TEST_F(MacroRecordingTest, EveryFamilyKeepsToTheMacroBoardOrRefuses) {
    Ready(1);
    ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC5"));
    sim->ClearTranscript();
    const double one = 1.0;
    const ZR_BOOL on = 1;
    const int two = 2, mode = 3;
    const unsigned int velocityID = 10;
    double value = 0;
    ZR_BOOL state = 0;
    int n = 0;
    char text[256] = {};
    using Call = std::pair<const char*, std::function<ZR_BOOL()>>;
    const std::vector<Call> otherBoard = {
        {"MVR B", [&] { return Corvane_MVR(id, "B", &one); }},
        {"DIO E", [&] { return Corvane_DIO(id, "E", &on); }},
        {"JON 2", [&] { return Corvane_JON(id, &two, &on, 1); }},
        {"TRO 2", [&] { return Corvane_TRO(id, &two, &on, 1); }},
        {"CTO 2", [&] { return Corvane_CTO(id, &two, &mode, "8", 1); }},
        {"MAC_START B", [&] { return Corvane_MAC_START(id, "BMC1"); }},
    };
    for (const auto& [name, call] : otherBoard) {
        EXPECT_FALSE(call()) << name;
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MACRO_RECORD_ERROR) << name;
    }
    const std::vector<Call> refused = {
        {"qPOS", [&] { return Corvane_qPOS(id, "A", &value); }},
        {"qONT", [&] { return Corvane_qONT(id, "A", &state); }},
        {"qDIO", [&] { return Corvane_qDIO(id, "A", &state); }},
        {"qTNJ", [&] { return Corvane_qTNJ(id, &n); }},
        {"qSPA", [&] { return Corvane_qSPA(id, "A", &velocityID, &value, text, 256); }},
        {"qIDN", [&] { return Corvane_qIDN(id, text, sizeof text); }},
        {"MPL", [&] { return Corvane_MPL(id, "A"); }},
        {"MNL", [&] { return Corvane_MNL(id, "A"); }},
        {"FED", [&] { return Corvane_FED(id, "A", &mode, &mode); }},
        {"MAC_BEG", [&] { return Corvane_MAC_BEG(id, "AMC6"); }},
        {"MAC_NSTART", [&] { return Corvane_MAC_NSTART(id, "AMC5", 2); }},
        {"MAC_DEL", [&] { return Corvane_MAC_DEL(id, "AMC5"); }},
        {"qMAC", [&] { return Corvane_qMAC(id, "AMC5", text, sizeof text); }},
        {"qMAC list", [&] { return Corvane_qMAC(id, nullptr, text, sizeof text); }},
    };
    for (const auto& [name, call] : refused) {
        EXPECT_FALSE(call()) << name;
        EXPECT_EQ(Corvane_GetError(id), ZR_IN_MACRO_MODE) << name;
    }
    EXPECT_TRUE(Sent(1).empty()) << Join(Sent(1));
    EXPECT_TRUE(Recording());
    // the macro board's own commands still go in
    ASSERT_TRUE(Corvane_VEL(id, "A", &one)) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_DIO(id, "B", &on)) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_MAC_START(id, "AMC1")) << Corvane_GetError(id);
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_MAC_END(id)) << Corvane_GetError(id);
    EXPECT_EQ(Sent(0).front(), "MD5,SV1000,CN2,EM1");
}

}  // namespace
}  // namespace macrotest
