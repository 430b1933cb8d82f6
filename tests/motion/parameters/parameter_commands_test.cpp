// SPA, SPA? and HPA? as an application calls them, against a simulated chain: an R-220 at address
// 0 (axis A) and an R-210 at address 1 (axis B).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "motion/api/CCorvaneCollection.h"
#include "motion/controller/CCorvaneController.h"
#include "tests/motion/api/ApiFixture.h"
#include "tests/motion/api/TestStage.h"

namespace apitest {
namespace {

using Lines = std::vector<std::string>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kCom = 62;

// The controller's records that only stage assignment, macros and reference procedures change.
struct Peek : CCorvaneController {
    static constexpr auto kAxisData = &Peek::m_AxisData;
    static constexpr auto kParameterSet = &Peek::m_ParameterSet;
    static constexpr auto kAxes = &Peek::m_Axes;
    static constexpr auto kRecording = &Peek::m_iMacroRecording;
    static constexpr auto kMacroAxis = &Peek::m_iMacroAxis;
    static constexpr auto kMacroLine = &Peek::m_strMacroLine;
    static constexpr auto kReferencing = &Peek::m_IsReferencing;
    static constexpr auto kRefResult = &Peek::m_iRefResult;
};

class ParameterTest : public ApiFixture {
  protected:
    void SetUp() override {
        sim = &StartChain(kCom,
                          "[board 0]\ntype = R-220\nposition = 0\n"
                          "[board 1]\ntype = R-210\nposition = 0\n");
        id = Connect(kCom, 2);
        ASSERT_GE(id, 0);
    }
    void TearDown() override {
        if (id >= 0 && CorvaneCollection().GetController(id)) {
            C().*Peek::kRecording = 0;
            C().*Peek::kReferencing = 0;
        }
        ApiFixture::TearDown();
    }
    CCorvaneController& C() { return *CorvaneCollection().GetController(id); }
    CCorvaneAxisData& Axis(int i) { return (C().*Peek::kAxisData)[i]; }
    StageParameterSet& Set(int i) { return (C().*Peek::kParameterSet)[i]; }
    CCorvaneAxis& Board(int i) { return *(C().*Peek::kAxes).Get(i); }
    // Gives the axis its stage; initialises it unless asked not to.
    void Ready(int axis, bool initialise = true) {
        ASSERT_TRUE(C().ApplyStageParameters(axis, apitest::MakeTestStage(axis == 1)));
        const char name[2] = {static_cast<char>('A' + axis), 0};
        if (initialise) {
            ASSERT_TRUE(Corvane_INI(id, name)) << Corvane_GetError(id);
        }
        sim->ClearTranscript();
    }
    // One item.
    ZR_BOOL Spa(const char* axis, unsigned parameter, double value, const char* text = "") {
        return Corvane_SPA(id, axis, &parameter, &value, text);
    }
    bool Query(const char* axis, unsigned parameter, double* value) {
        char text[64] = {};
        return Corvane_qSPA(id, axis, &parameter, value, text, sizeof text) != 0;
    }
    Lines Sent(int address) const { return sim->ReceivedLines(address); }
    // Command lines are written without an answer: wait until the board has the line.
    bool Got(int address, const std::string& line) const {
        return sim->WaitForLine(address, line, 5s);
    }

    corvane_sim::CorvaneSim* sim = nullptr;
    int id = -1;
};

// ---- the check before anything is sent -----------------------------------------------------

TEST_F(ParameterTest, ARefusedItemSendsNothingAndChangesNothing) {
    Ready(0);
    Ready(1);
    const struct {
        const char* axis;
        unsigned parameter;
        double value;
        int error;
    } cases[] = {
        {"B", 1, 100, ZR_INVALID_SPA_PARAMETER_ID},  // servo gains are not on an R-210
        {"A", 64, 10, ZR_INVALID_SPA_PARAMETER_ID},  // stepper currents only on an R-210
        {"A", 5, 0, ZR_INVALID_SPA_PARAMETER_ID},    // in the map, not on the boards
        {"A", 999, 0, ZR_INVALID_SPA_PARAMETER_ID},
        {"B", 63, 1, ZR_INVALID_SPA_PARAMETER_ID},  // settle time needs an R-220 (2.40)
        {"B", 258, 1, ZR_INVALID_SPA_PARAMETER_ID},
        {"A", 25, 2, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 17, 0, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 149, 0.39, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 288, 129, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 63, 3e6, ZR_CNTR_PARAMETER_OUT_OF_RANGE},  // 3e9 ms do not fit the board's number
        {"A", 258, kNaN, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 276, 3e9, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 1, kNaN, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 10, kNaN, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 18, 0, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 18, -2, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 24, 1, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"B", 257, 0.5, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {"A", 80, 25, ZR_CNTR_PARAMETER_OUT_OF_RANGE},  // above the stored maximum velocity 20
        {"A", 282, 1, ZR_INVALID_SPA_PARAMETER_ID},     // read only
    };
    const StageParameterSet before = Set(0);
    for (const auto& c : cases) {
        EXPECT_FALSE(Spa(c.axis, c.parameter, c.value)) << c.axis << c.parameter;
        EXPECT_EQ(Corvane_GetError(id), c.error) << c.axis << c.parameter << " " << c.value;
    }
    EXPECT_EQ(Sent(0), Lines{});
    EXPECT_EQ(Sent(1), Lines{});
    EXPECT_TRUE(Set(0) == before);
}

TEST_F(ParameterTest, AValidItemBeforeARefusedOneIsNotSentEither) {
    Ready(0);
    const char* axes = "AAA";
    const unsigned ids[3] = {1, 2, 282};
    const double values[3] = {120, 5, 0};
    EXPECT_FALSE(Corvane_SPA(id, axes, ids, values, ""));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_SPA_PARAMETER_ID);
    const unsigned badName[2] = {1, 60};
    EXPECT_FALSE(Corvane_SPA(id, "AA", badName, values, "TWO WORDS\n"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_STAGE_NAME);
    EXPECT_EQ(Sent(0), Lines{});
    EXPECT_EQ(Set(0).Get(StageFields::kMotP), 200);
}

TEST_F(ParameterTest, ScaledNumbersThatDoNotFitTheBoardAreRefused) {
    Ready(0);
    const double factor = 100;
    ASSERT_TRUE(Corvane_DFF(id, "A", &factor));
    // 30000 x 1000 counts per unit x 100 does not fit 32 bits
    EXPECT_FALSE(Spa("A", 8, 30000));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    ASSERT_TRUE(Spa("A", 8, 20)) << Corvane_GetError(id);
    EXPECT_TRUE(Got(0, "SM2000000"));
}

TEST_F(ParameterTest, CheckWithoutValuesAsksOnlyTheBoards) {
    Ready(0);
    Ready(1);
    const int axes[3] = {0, 1, 0};
    const unsigned ids[3] = {1, 64, 282};
    EXPECT_EQ(
        C().CheckParameters(axes, ids, nullptr, 3, CCorvaneController::ParameterValues::Unchecked),
        0);
    const unsigned wrong[2] = {1, 1};
    EXPECT_EQ(C().CheckParameters(axes, wrong, nullptr, 2,
                                  CCorvaneController::ParameterValues::Unchecked),
              ZR_INVALID_SPA_PARAMETER_ID);
    const double values[3] = {1, kNaN, 0};
    EXPECT_EQ(
        C().CheckParameters(axes, ids, values, 3, CCorvaneController::ParameterValues::Checked),
        ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_EQ(
        C().CheckParameters(axes, ids, nullptr, 3, CCorvaneController::ParameterValues::Checked),
        ZR_INVALID_ARGUMENT);
    const int noBoard[1] = {7};
    EXPECT_EQ(C().CheckParameters(noBoard, ids, nullptr, 1,
                                  CCorvaneController::ParameterValues::Unchecked),
              ZR_INVALID_ARGUMENT);
}

// ---- what goes to the boards and what SPA? reads -------------------------------------------

TEST_F(ParameterTest, EachParameterSendsItsLineAndReadsBack) {
    Ready(0);
    Ready(1);
    sim->SetForce(0, -42);
    const struct {
        int address;
        unsigned parameter;
        double value;
        const char* line;   // what the board receives; nullptr: nothing
        const char* query;  // what SPA? asks the board; nullptr: nothing
        double read;
    } cases[] = {
        {0, 1, 120, "DP120", "GP", 120},
        {0, 2, 7, "DI7", "GI", 7},
        {0, 3, 9.9, "DD9", "GD", 9},
        {0, 4, 55, "DL55", "GL", 55},
        {0, 8, 2.5, "SM2500", nullptr, 2.5},
        {0, 24, 3, "LL", nullptr, 3},
        {0, 24, 0, "LH", nullptr, 0},
        {0, 54, 12, "WW12", "WW?", 12},
        {0, 63, 1.5, "WT1500", "WT?", 1.5},
        {0, 148, 300, "FN300", "FN?", 300},
        {0, 149, 2.5, "FQ250", "FQ?", 2.5},
        {0, 256, 1, "JA1", "JA?", 1},
        {0, 256, 0, "JA0", "JA?", 0},
        {0, 258, -3.7, "SB-3", "SB?", -3},
        {0, 272, 2, "FM2", "FM?", 2},
        {0, 273, -1000, "FA-1000", "FA?", -1000},
        {0, 274, 65535, "FP65535", "FP?", 65535},
        {0, 275, 11, "FI11", "FI?", 11},
        {0, 276, -77, "FL-77", "FL?", -77},
        {0, 277, 13, "FD13", "FD?", 13},
        {0, 278, -65535, "FO-65535", "FO?", -65535},
        {0, 279, 40, "FT40", "FT?", 40},
        {0, 288, -5, "JB-5", "JB?", -5},
        {0, 26, 0.5, nullptr, nullptr, 1},
        {0, 22, -3.25, nullptr, nullptr, -3.25},
        {1, 64, 10, "HC10", nullptr, 10},
        {1, 65, 11, "DC11", nullptr, 11},
        {1, 66, 12, "HT12", nullptr, 12},
        {1, 67, 13, "DC13", nullptr, 13},
        {1, 288, 128, "JB128", "JB?", 128},
    };
    for (const auto& c : cases) {
        const char axis[2] = {static_cast<char>('A' + c.address), 0};
        sim->ClearTranscript();
        ASSERT_TRUE(Spa(axis, c.parameter, c.value)) << c.parameter << " " << Corvane_GetError(id);
        if (c.line) {
            EXPECT_TRUE(Got(c.address, c.line)) << c.parameter;
        }
        double read = -999;
        ASSERT_TRUE(Query(axis, c.parameter, &read)) << c.parameter << " " << Corvane_GetError(id);
        EXPECT_DOUBLE_EQ(read, c.read) << c.parameter;
        const Lines sent = Sent(c.address);
        if (c.query) {
            EXPECT_NE(std::find(sent.begin(), sent.end(), c.query), sent.end()) << c.parameter;
        }
        if (!c.line && !c.query) {
            EXPECT_EQ(sent, Lines{}) << c.parameter;
        }
    }
    double force = 0;
    ASSERT_TRUE(Query("A", 282, &force)) << Corvane_GetError(id);
    EXPECT_DOUBLE_EQ(force, -42);
    EXPECT_EQ(Sent(0).back(), "TR");
    EXPECT_EQ(Board(0).m_ucLimitPolarity, 0);
}

TEST_F(ParameterTest, TravelLimitsAreKeptTimesTheFactor) {
    Ready(0);
    const double factor = 2;
    ASSERT_TRUE(Corvane_DFF(id, "A", &factor));
    ASSERT_TRUE(Spa("A", 21, 100)) << Corvane_GetError(id);
    ASSERT_TRUE(Spa("A", 48, -30)) << Corvane_GetError(id);
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotMaxTravel), 200);
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotMinTravel), -60);
    double value = 0;
    ASSERT_TRUE(Query("A", 21, &value));
    EXPECT_DOUBLE_EQ(value, 100);
    ASSERT_TRUE(Query("A", 48, &value));
    EXPECT_DOUBLE_EQ(value, -30);
    ASSERT_TRUE(Spa("A", 18, 4)) << Corvane_GetError(id);  // as DFF does
    ASSERT_TRUE(Query("A", 18, &value));
    EXPECT_DOUBLE_EQ(value, 4);
    EXPECT_EQ(Sent(0), Lines{});
}

TEST_F(ParameterTest, LimitSwitchSettingsSetTheBoardsLines) {
    Ready(0);
    ASSERT_TRUE(Spa("A", 24, 3));
    EXPECT_EQ(Board(0).m_ucLimitPolarity, Board(0).m_ucPosLimitMask | Board(0).m_ucNegLimitMask);
    // with a reference switch the lines stay on
    ASSERT_TRUE(Spa("A", 50, 1));
    ASSERT_TRUE(Got(0, "LN"));
    ASSERT_TRUE(Spa("A", 20, 0));
    ASSERT_TRUE(Got(0, "LF"));
    EXPECT_EQ(Sent(0), (Lines{"LL", "LN", "LF"}));
    double value = -1;
    ASSERT_TRUE(Query("A", 20, &value));
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(Query("A", 50, &value));
    EXPECT_EQ(value, 1);
}

TEST_F(ParameterTest, CountsPerUnitFollowNumeratorAndDenominator) {
    Ready(0);
    Ready(1);
    ASSERT_TRUE(Spa("A", 14, 4000));
    ASSERT_TRUE(Spa("A", 15, 8));
    EXPECT_DOUBLE_EQ(Axis(0).m_dCountsPerUnit, 500);
    const double velocity = 2;
    ASSERT_TRUE(Corvane_VEL(id, "A", &velocity));
    EXPECT_TRUE(Got(0, "SV1000"));
    // on a stepper the number is kept as given (stage files carry full steps x 16)
    ASSERT_TRUE(Spa("B", 14, 3200));
    EXPECT_DOUBLE_EQ(Axis(1).m_dCountsPerUnit, 3200);
    double value = 0;
    ASSERT_TRUE(Query("B", 14, &value));
    EXPECT_DOUBLE_EQ(value, 3200);
}

// ---- derived actions -----------------------------------------------------------------------

TEST_F(ParameterTest, MaximumVelocityBelowTheVelocityLowersItFirst) {
    Ready(0);
    ASSERT_TRUE(Spa("A", 10, 5)) << Corvane_GetError(id);
    EXPECT_TRUE(Got(0, "SV5000"));
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotMaxVel10), 5);
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotCurrentVel73), 5);
    sim->ClearTranscript();
    ASSERT_TRUE(Spa("A", 10, 30));  // above the velocity: only stored
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotMaxVel10), 30);
    ASSERT_TRUE(Spa("A", 73, 25)) << Corvane_GetError(id);
    EXPECT_TRUE(Got(0, "SV25000"));
    double value = 0;
    ASSERT_TRUE(Query("A", 73, &value));
    EXPECT_DOUBLE_EQ(value, 25);
    EXPECT_EQ(Sent(0).back(), "TY");
}

TEST_F(ParameterTest, MaximumVelocityStoresNothingWhenTheVelocityCannotBeSet) {
    Ready(0, false);  // VEL needs an initialised axis
    EXPECT_FALSE(Spa("A", 10, 5));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO);
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotMaxVel10), 20);
    EXPECT_EQ(Sent(0), Lines{});
}

TEST_F(ParameterTest, ReferenceVelocityMayNotExceedTheStoredMaximum) {
    Ready(0);
    const unsigned both[2] = {10, 80};
    const double values[2] = {30, 25};
    // checked against the stored maximum, even when the same call raises it
    EXPECT_FALSE(Corvane_SPA(id, "AA", both, values, ""));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    ASSERT_TRUE(Spa("A", 10, 30));
    ASSERT_TRUE(Spa("A", 80, 25)) << Corvane_GetError(id);
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotRefVel80), 25);
}

TEST_F(ParameterTest, AccelerationsShareOneSetter) {
    Ready(0);  // current 200, maximum 400
    EXPECT_FALSE(Spa("A", 11, 500));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_VELOCITY_OUT_OF_LIMITS);
    ASSERT_TRUE(Spa("A", 11, 300)) << Corvane_GetError(id);
    EXPECT_TRUE(Got(0, "SA300000"));
    ASSERT_TRUE(Spa("A", 74, 100)) << Corvane_GetError(id);  // lowers the current one first
    EXPECT_TRUE(Got(0, "SA100000"));
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotCurrAccel11), 100);
    EXPECT_DOUBLE_EQ(Set(0).Get(StageFields::kMotMaxAccel74), 100);
    ASSERT_TRUE(Spa("A", 11, 0.0001));  // the board takes no less than 200 counts
    EXPECT_TRUE(Got(0, "SA200"));
    EXPECT_EQ(Sent(0), (Lines{"SA300000", "SA100000", "SA200"}));
}

TEST_F(ParameterTest, DirectionUnreferencesTheAxisOnlyWhenItChanges) {
    Ready(0);
    const ZR_BOOL off = 0;
    const double zero = 0;
    ASSERT_TRUE(Corvane_RON(id, "A", &off));
    ASSERT_TRUE(Corvane_POS(id, "A", &zero));
    (C().*Peek::kRefResult)[0] = 1;  // as a reference procedure leaves it
    ASSERT_TRUE(Spa("A", 17, 1));
    ZR_BOOL referenced = 0;
    ASSERT_TRUE(Corvane_IsReferenceOK(id, "A", &referenced));
    EXPECT_TRUE(referenced);
    int result = 0;
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(Spa("A", 17, -1));
    ASSERT_TRUE(Corvane_IsReferenceOK(id, "A", &referenced));
    EXPECT_FALSE(referenced);
    ASSERT_TRUE(Corvane_GetRefResult(id, "A", &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Set(0).Get(StageFields::kMotInvert), -1);
}

TEST_F(ParameterTest, AFailingItemLeavesTheItemsBeforeItApplied) {
    Ready(0);
    const unsigned ids[3] = {1, 11, 2};
    const double values[3] = {150, 1000, 5};  // 1000 is above the maximum acceleration
    EXPECT_FALSE(Corvane_SPA(id, "AAA", ids, values, ""));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_VELOCITY_OUT_OF_LIMITS);
    EXPECT_TRUE(Got(0, "DP150"));
    EXPECT_EQ(Sent(0), Lines{"DP150"});
    EXPECT_EQ(Set(0).Get(StageFields::kMotP), 150);
    EXPECT_EQ(Set(0).Get(StageFields::kMotI), 0);
}

TEST_F(ParameterTest, TrackballIncrementIsTheJoystickAxisOfTheMode) {
    Ready(1);
    ASSERT_TRUE(Spa("B", 257, 3.9));
    EXPECT_EQ(Board(1).m_iJoystickAxis, 3);
    EXPECT_EQ(Sent(1), Lines{});
    ASSERT_TRUE(Spa("B", 256, 1.5));
    EXPECT_TRUE(Got(1, "JA3"));
    double value = 0;
    ASSERT_TRUE(Query("B", 257, &value));
    EXPECT_DOUBLE_EQ(value, 3);
    ASSERT_TRUE(Query("B", 256, &value));
    EXPECT_DOUBLE_EQ(value, 1);
}

// ---- the stage name ------------------------------------------------------------------------

TEST_F(ParameterTest, StageNameComesFromTheTextLines) {
    Ready(0);
    Ready(1);
    const unsigned ids[3] = {60, 1, 60};
    const double values[3] = {0, 120, 0};
    ASSERT_TRUE(Corvane_SPA(id, "AAB", ids, values, "  FIRST\r\nSECOND\n")) << Corvane_GetError(id);
    EXPECT_EQ(Axis(0).m_strStageName, "FIRST");
    EXPECT_EQ(Set(0).StageName(), "FIRST");
    EXPECT_EQ(Axis(1).m_strStageName, "SECOND");
    char text[32];
    const unsigned both[2] = {60, 60};
    double read[2] = {-1, -1};
    ASSERT_TRUE(Corvane_qSPA(id, "AB", both, read, text, sizeof text));
    EXPECT_STREQ(text, "FIRST\nSECOND\n");
    EXPECT_EQ(read[0], 0);
    // "FIRST\nSECOND\n" and its NUL need 14 bytes
    EXPECT_FALSE(Corvane_qSPA(id, "AB", both, read, text, 13));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    ASSERT_TRUE(Corvane_qSPA(id, "AB", both, read, text, 14));

    const char* refused[] = {"", "\n", "TWO WORDS\n", "ANAMEOFTHIRTYTWOCHARACTERSXXXXXX\n"};
    for (const char* t : refused) {
        EXPECT_FALSE(Spa("A", 60, 0, t)) << t;
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_STAGE_NAME) << t;
    }
    ASSERT_TRUE(Spa("A", 60, 0, "ANAMEOFTHIRTYONECHARACTERSXXXXX"));
    EXPECT_EQ(Set(0).StageName(), "ANAMEOFTHIRTYONECHARACTERSXXXXX");
}

// ---- SPA? ---------------------------------------------------------------------------------

TEST_F(ParameterTest, QueryChecksEveryIdBeforeAskingAnyBoard) {
    Ready(0);
    Ready(1);
    const unsigned ids[2] = {1, 1};
    double values[2] = {};
    char text[8];
    EXPECT_FALSE(Corvane_qSPA(id, "AB", ids, values, text, sizeof text));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_SPA_PARAMETER_ID);
    EXPECT_EQ(Sent(0), Lines{});
    EXPECT_FALSE(Corvane_qSPA(id, "A", ids, nullptr, text, sizeof text));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
    EXPECT_FALSE(Corvane_SPA(id, "A", nullptr, values, ""));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
    EXPECT_FALSE(Corvane_qSPA(id, "", ids, values, text, sizeof text));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
    EXPECT_FALSE(Corvane_qSPA(id, "X", ids, values, text, sizeof text));
    EXPECT_EQ(Corvane_GetError(id), ZR_UNKNOWN_AXIS_IDENTIFIER);
    // an invalid ID gives FALSE without touching anything
    EXPECT_FALSE(Corvane_SPA(-1, "A", ids, values, ""));
    EXPECT_FALSE(Corvane_qHPA(-1, text, sizeof text));
}

TEST_F(ParameterTest, BusyWhileAReferenceProcedureRuns) {
    Ready(0);
    C().*Peek::kReferencing = 1;
    double value = 0;
    EXPECT_FALSE(Spa("A", 1, 100));
    EXPECT_EQ(C().LocalError(), ZR_CONTROLLER_BUSY);
    EXPECT_FALSE(Query("A", 1, &value));
    EXPECT_EQ(C().LocalError(), ZR_CONTROLLER_BUSY);
    C().*Peek::kReferencing = 0;
    EXPECT_EQ(Sent(0), Lines{});
}

// ---- HPA? ---------------------------------------------------------------------------------

TEST_F(ParameterTest, HelpListsTheSupportedParameters) {
    sim->ClearTranscript();
    std::vector<char> buffer(8192, '#');
    ASSERT_TRUE(Corvane_qHPA(id, buffer.data(), static_cast<int>(buffer.size())));
    const std::string text = buffer.data();
    Lines lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines.front(), "The following parameters are valid: ");
    EXPECT_EQ(lines[1], "0x1=\t0\t16\tFLOAT\tSERVO\tP-Term ");
    EXPECT_EQ(lines[25], "0x3C=\t0\t16\tCHAR\tSERVO\tStage name ");
    EXPECT_EQ(lines[48], "0x120=\t0\t16\tFLOAT\tSERVO\tJoystick table offset ");
    EXPECT_EQ(lines.back(), "end of help");
    EXPECT_EQ(Sent(0), Lines{});  // no board is asked

    const int length = static_cast<int>(text.size());
    MarkedBuffer shortBuffer(static_cast<size_t>(length));
    EXPECT_FALSE(Corvane_qHPA(id, shortBuffer.data(), length));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_TRUE(shortBuffer.Untouched());
    EXPECT_FALSE(Corvane_qHPA(id, nullptr, 100000));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    ASSERT_TRUE(Corvane_qHPA(id, shortBuffer.data(), length + 1));
    EXPECT_EQ(shortBuffer.Text(), text);
}

// ---- macro recording ----------------------------------------------------------------------

TEST_F(ParameterTest, WhileRecordingLinesGoIntoTheMacroAndNothingIsStored) {
    Ready(0);
    Ready(1);
    C().*Peek::kRecording = 1;
    C().*Peek::kMacroAxis = 0;
    C().*Peek::kMacroLine = "MD5";
    const StageParameterSet before = Set(0);
    const unsigned ids[4] = {1, 24, 10, 17};
    const double values[4] = {120, 3, 5, -1};
    ASSERT_TRUE(Corvane_SPA(id, "AAAA", ids, values, "")) << C().LocalError();
    EXPECT_EQ(C().*Peek::kMacroLine, "MD5,DP120,LL,SV5000");
    EXPECT_TRUE(Set(0) == before);
    EXPECT_EQ(Board(0).m_ucLimitPolarity, 0);

    EXPECT_FALSE(Spa("B", 1, 120));
    EXPECT_EQ(C().LocalError(), ZR_CNTR_MACRO_RECORD_ERROR);
    EXPECT_FALSE(Spa("A", 18, 2));
    EXPECT_EQ(C().LocalError(), ZR_IN_MACRO_MODE);
    double value = 0;
    EXPECT_FALSE(Query("A", 1, &value));
    EXPECT_EQ(C().LocalError(), ZR_IN_MACRO_MODE);
    char text[16];
    EXPECT_FALSE(Corvane_qHPA(id, text, sizeof text));
    EXPECT_EQ(C().LocalError(), ZR_IN_MACRO_MODE);
    EXPECT_EQ(Sent(0), Lines{});
    C().*Peek::kRecording = 0;
    C().*Peek::kMacroLine = "";
}

}  // namespace
}  // namespace apitest
