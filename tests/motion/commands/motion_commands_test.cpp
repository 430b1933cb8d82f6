// The motion commands as an application calls them, against a simulated chain: an R-220 at
// address 0 (axis A) and an R-210 at address 1 (axis B).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "motion/api/CCorvaneCollection.h"
#include "motion/controller/CCorvaneController.h"
#include "tests/motion/api/ApiFixture.h"

namespace apitest {
namespace {

using Lines = std::vector<std::string>;

// The controller's records that only the macro and reference commands change.
struct Peek : CCorvaneController {
    static constexpr auto kAxisData = &Peek::m_AxisData;
    static constexpr auto kRecording = &Peek::m_iMacroRecording;
    static constexpr auto kMacroAxis = &Peek::m_iMacroAxis;
    static constexpr auto kMacroLine = &Peek::m_strMacroLine;
    static constexpr auto kReferencing = &Peek::m_IsReferencing;
};

struct Stage {
    long long cpuZ = 1000;
    int invert = 1;
    int hatRef = 1;
    int noLimitSwitch = 0;
    int brake = 0;
    double minTravel = -50;
    double maxTravel = 50;
    double velocity = 10;
    double maxVelocity = 20;

    StageParameterSet Make(bool stepper) const {
        StageParameterSet s;
        s.SetStageName(stepper ? "TESTSTEPPER" : "TESTSERVO");
        s.Set(StageFields::kMotType, stepper ? 6 : 0);
        s.Set(StageFields::kMotFactor, 1.0);
        s.Set(StageFields::kMotCpuZ, cpuZ);
        s.Set(StageFields::kMotCpuN, 1);
        s.Set(StageFields::kMotInvert, invert);
        s.Set(StageFields::kMotHatRef, hatRef);
        s.Set(StageFields::kMotNoLimitSwitch, noLimitSwitch);
        s.Set(StageFields::kMotHatBremse, brake);
        s.Set(StageFields::kMotMinTravel, minTravel);
        s.Set(StageFields::kMotMaxTravel, maxTravel);
        s.Set(StageFields::kMotCurrentVel73, velocity);
        s.Set(StageFields::kMotMaxVel10, maxVelocity);
        s.Set(StageFields::kMotCurrAccel11, 200.0);
        s.Set(StageFields::kMotP, 200);
        s.Set(StageFields::kMotMaxPosError, 2.0);
        return s;
    }
};

constexpr int kCom = 61;

// True when want appears in have in this order (other lines may lie between).
bool ContainsInOrder(const Lines& have, const Lines& want) {
    size_t k = 0;
    for (const std::string& line : have)
        if (k < want.size() && line == want[k]) ++k;
    return k == want.size();
}

class MotionTest : public ApiFixture {
  protected:
    void SetUp() override {
        // Not the shared probe for an output purge: it also counts the purges when the port
        // opens and closes, which lose nothing, and so skips everything.
        sim = &StartChain(kCom,
                          "[board 0]\ntype = R-220\nposition = 0\nvelocity = 40000\n"
                          "acceleration = 800000\n"
                          "[board 1]\ntype = R-210\nposition = 500\ninput-nibble = 9\n");
        id = Connect(kCom, 2);
        ASSERT_GE(id, 0);
    }
    CCorvaneController& C() { return *CorvaneCollection().GetController(id); }
    CCorvaneAxisData& Axis(int i) { return (C().*Peek::kAxisData)[i]; }
    // Gives the axis a stage and initialises it.
    void Ready(int axis, const Stage& stage = Stage()) {
        ASSERT_TRUE(C().ApplyStageParameters(axis, stage.Make(axis == 1)));
        const char name[2] = {static_cast<char>('A' + axis), 0};
        ASSERT_TRUE(Corvane_INI(id, name)) << Corvane_GetError(id);
    }
    // Reference mode off and the current place declared as position.
    void Referenced(const char* axes, double position) {
        const ZR_BOOL off[2] = {0, 0};
        const double at[2] = {position, position};
        ASSERT_TRUE(Corvane_RON(id, axes, off)) << Corvane_GetError(id);
        ASSERT_TRUE(Corvane_POS(id, axes, at)) << Corvane_GetError(id);
    }
    Lines Sent(int address) const { return sim->ReceivedLines(address); }
    // Command lines are written without an answer: wait until the board has the last one.
    bool Got(int address, const std::string& line) const {
        return sim->WaitForLine(address, line, 5s);
    }
    bool SentAny(int address, const std::string& prefix) const {
        const Lines lines = Sent(address);
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }
    bool WaitOnTarget(const char* axes) {
        for (int k = 0; k < 500; ++k) {
            ZR_BOOL on[2] = {0, 0};
            if (!Corvane_qONT(id, axes, on)) return false;
            if (on[0]) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    corvane_sim::CorvaneSim* sim = nullptr;
    int id = -1;
};

// ---- positions ---------------------------------------------------------------------------

TEST_F(MotionTest, MovSendsTheTargetInCountsWithTheStagesDirection) {
    const struct {
        int invert;
        double position;
        const char* line;
        double reached;  // what the board's counts read back as
    } cases[] = {{1, 2.5, "MA2500", 2.5}, {1, -0.0005, "MA-1", -0.001}, {-1, 2.5, "MA-2500", 2.5}};
    for (const auto& c : cases) {
        Stage stage;
        stage.invert = c.invert;
        Ready(0, stage);
        Referenced("A", 0);
        sim->ClearTranscript();
        ASSERT_TRUE(Corvane_MOV(id, "A", &c.position)) << Corvane_GetError(id);
        EXPECT_TRUE(Got(0, c.line));
        EXPECT_TRUE(Axis(0).m_bTargetValid);
        ASSERT_TRUE(WaitOnTarget("A"));
        double position = 0, target = 0;
        ASSERT_TRUE(Corvane_qPOS(id, "a", &position));
        ASSERT_TRUE(Corvane_qMOV(id, "A", &target));
        EXPECT_DOUBLE_EQ(position, c.reached) << c.line;
        EXPECT_DOUBLE_EQ(target, c.reached) << c.line;
        // back to counter 0 for the next case
        const double zero = 0;
        ASSERT_TRUE(Corvane_MOV(id, "A", &zero));
        EXPECT_TRUE(Got(0, "MA0"));
        ASSERT_TRUE(WaitOnTarget("A"));
    }
}

TEST_F(MotionTest, AMoveRunsUntilItIsOnTarget) {
    Ready(0);
    Referenced("A", 0);
    const double slow = 2, far = 2.5;
    ASSERT_TRUE(Corvane_VEL(id, "A", &slow));
    EXPECT_TRUE(Got(0, "SV2000"));
    ASSERT_TRUE(Corvane_MOV(id, "A", &far));
    ZR_BOOL moving = 0, any = 0;
    ASSERT_TRUE(Corvane_IsMoving(id, "A", &moving));
    EXPECT_TRUE(moving);
    ASSERT_TRUE(Corvane_IsMoving(id, "", &any));  // one answer for all axes
    EXPECT_TRUE(any);
    ZR_BOOL on = 1;
    ASSERT_TRUE(Corvane_qONT(id, "A", &on));
    EXPECT_FALSE(on);
    EXPECT_TRUE(WaitOnTarget("A"));
    ASSERT_TRUE(Corvane_IsMoving(id, "A", &moving));
    EXPECT_FALSE(moving);
    EXPECT_EQ(sim->Snapshot(0).position, 2500);
}

TEST_F(MotionTest, ARefusedAxisLeavesEveryAxisStanding) {
    Ready(0);
    Ready(1);
    Referenced("AB", 0);
    sim->ClearTranscript();
    const double targets[2] = {1, 51};
    EXPECT_FALSE(Corvane_MOV(id, "AB", targets));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_POSITION_OUT_OF_LIMITS);
    EXPECT_FALSE(SentAny(0, "MA"));
    EXPECT_FALSE(SentAny(1, "MA"));
    EXPECT_FALSE(Axis(0).m_bTargetValid);
}

TEST_F(MotionTest, RelativeMoveWithoutReferenceModeIsNotRangeChecked) {
    Ready(0);
    const ZR_BOOL off = 0;
    ASSERT_TRUE(Corvane_RON(id, "A", &off));
    ASSERT_FALSE(Axis(0).m_bReferenced);
    sim->ClearTranscript();
    const double step = 60;  // beyond the travel range
    ASSERT_TRUE(Corvane_MVR(id, "A", &step)) << Corvane_GetError(id);
    ASSERT_TRUE(Got(0, "MR60000"));
    EXPECT_EQ(Sent(0), (Lines{"TT", "MR60000"}));
    EXPECT_EQ(Axis(0).iTargetAbsolute, 0);  // as the board reported it before the move
    Corvane_STP(id);
}

TEST_F(MotionTest, RelativeMovesContinueFromTheLastTarget) {
    Ready(0);
    Referenced("A", 0);
    const double to = 1, by = 0.5, tooFar = 49.9;
    ASSERT_TRUE(Corvane_MOV(id, "A", &to));
    ASSERT_TRUE(Got(0, "MA1000"));
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_MVR(id, "A", &by));
    ASSERT_TRUE(Got(0, "MR500"));
    EXPECT_EQ(Sent(0), Lines{"MR500"});  // no "TT": the target is known
    EXPECT_EQ(Axis(0).iTargetAbsolute, 1500);
    EXPECT_FALSE(Corvane_MVR(id, "A", &tooFar));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_POSITION_OUT_OF_LIMITS);
    ASSERT_TRUE(WaitOnTarget("A"));
    double position = 0;
    ASSERT_TRUE(Corvane_qPOS(id, "A", &position));
    EXPECT_DOUBLE_EQ(position, 1.5);
}

TEST_F(MotionTest, PosDeclaresThePlaceWithoutMovingIt) {
    Ready(1);  // the stepper's counter stands at 500
    sim->ClearTranscript();
    Referenced("B", 0);
    EXPECT_EQ(Sent(1), Lines{"TP"});
    EXPECT_EQ(Axis(1).iCorvaneHomePosition, 500);
    EXPECT_TRUE(Axis(1).m_bReferenced);
    double position = 1;
    ASSERT_TRUE(Corvane_qPOS(id, "B", &position));
    EXPECT_DOUBLE_EQ(position, 0);
    EXPECT_EQ(sim->Snapshot(1).position, 500);

    // with reference mode on, an axis with switches is referenced by its reference move only
    const ZR_BOOL on = 1;
    const double zero = 0;
    ASSERT_TRUE(Corvane_RON(id, "B", &on));
    EXPECT_FALSE(Corvane_POS(id, "B", &zero));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_COMMAND_NOT_ALLOWED_FOR_STAGE);
}

// The direction sign is applied as the library always has: consistent while the offset is 0.
TEST_F(MotionTest, ReversedStageWithAnOffsetKeepsTheEstablishedArithmetic) {
    Stage stage;
    stage.invert = -1;
    Ready(1, stage);     // counter 500
    Referenced("B", 0);  // offset 500 counts
    double position = 1;
    ASSERT_TRUE(Corvane_qPOS(id, "B", &position));
    EXPECT_DOUBLE_EQ(position, 0);
    const double at = 1;
    ASSERT_TRUE(Corvane_POS(id, "B", &at));  // 1 unit = 16000 counts on a stepper
    ASSERT_TRUE(Corvane_qPOS(id, "B", &position));
    EXPECT_DOUBLE_EQ(position, -1);
}

// The board counts in 32 bits: a position beyond that is refused, not clamped into an offset.
TEST_F(MotionTest, PosBeyondWhatTheBoardCanCountIsRefused) {
    Ready(1);  // a stepper stage, 16000 counts per unit
    Referenced("B", 0);
    const int offsetBefore = Axis(1).iCorvaneHomePosition;
    for (const double wild : {1e308, -1e308, 134218.0, -134218.0}) {
        SCOPED_TRACE(wild);
        sim->ClearTranscript();
        EXPECT_FALSE(Corvane_POS(id, "B", &wild));
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_POSITION_OUT_OF_LIMITS);
        EXPECT_EQ(Axis(1).iCorvaneHomePosition, offsetBefore);
        EXPECT_TRUE(Sent(1).empty());
    }
    const double fits = 134000.0;  // 2 144 000 000 counts
    ASSERT_TRUE(Corvane_POS(id, "B", &fits)) << Corvane_GetError(id);
    double position = 0;
    ASSERT_TRUE(Corvane_qPOS(id, "B", &position));
    EXPECT_DOUBLE_EQ(position, fits);
}

TEST_F(MotionTest, HomeAndTravelLimits) {
    Ready(0);
    Referenced("A", 0);
    const double to = 2;
    ASSERT_TRUE(Corvane_MOV(id, "A", &to));
    ASSERT_TRUE(WaitOnTarget("A"));
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_DFH(id, "A"));
    EXPECT_EQ(Sent(0), Lines{"TP"});
    double home = 0, low = 0, high = 0, position = 0;
    ASSERT_TRUE(Corvane_qDFH(id, "A", &home));
    ASSERT_TRUE(Corvane_qTMN(id, "A", &low));
    ASSERT_TRUE(Corvane_qTMX(id, "A", &high));
    ASSERT_TRUE(Corvane_qPOS(id, "A", &position));
    EXPECT_DOUBLE_EQ(home, 2);
    EXPECT_DOUBLE_EQ(low, -52);
    EXPECT_DOUBLE_EQ(high, 48);
    EXPECT_DOUBLE_EQ(position, 0);

    const double factor = 2;
    ASSERT_TRUE(Corvane_DFF(id, "A", &factor));
    ASSERT_TRUE(Corvane_qDFH(id, "A", &home));
    EXPECT_DOUBLE_EQ(home, 1);
    const double bad[2] = {1, -1};
    EXPECT_FALSE(Corvane_DFF(id, "A", bad + 1));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    double f = 0;
    ASSERT_TRUE(Corvane_qDFF(id, "A", &f));
    EXPECT_DOUBLE_EQ(f, 2);
    ASSERT_TRUE(Corvane_DFF(id, "A", bad));

    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_GOH(id, "A"));
    ASSERT_TRUE(Got(0, "MA2000"));
    EXPECT_EQ(Sent(0), (Lines{"%", "MA2000"}));
}

// ---- velocity, servo, reference mode, brakes -----------------------------------------------

TEST_F(MotionTest, VelocityWithinTheStagesMaximum) {
    Ready(0);
    const double fine = 5, tooFast = 20.5, negative = -1;
    double v = 0;
    ASSERT_TRUE(Corvane_VEL(id, "A", &fine));
    EXPECT_TRUE(Got(0, "SV5000"));
    for (double bad : {tooFast, negative}) {
        EXPECT_FALSE(Corvane_VEL(id, "A", &bad)) << bad;
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_VELOCITY_OUT_OF_LIMITS) << bad;
    }
    ASSERT_TRUE(Corvane_qVEL(id, "A", &v));
    EXPECT_DOUBLE_EQ(v, 5);
    EXPECT_EQ(Sent(0).back(), "TY");
}

TEST_F(MotionTest, ServoStatesAndTheirRefusal) {
    Ready(0);
    Ready(1);
    Referenced("B", 0);
    sim->ClearTranscript();
    const ZR_BOOL off[2] = {0, 0}, on[2] = {1, 1}, two = 2;
    ASSERT_TRUE(Corvane_SVO(id, "AB", off));
    EXPECT_FALSE(Axis(1).m_bReferenced);  // the stepper loses its place
    ZR_BOOL states[2] = {1, 1};
    ASSERT_TRUE(Corvane_qSVO(id, "AB", states));
    EXPECT_EQ(states[0], 0);
    EXPECT_EQ(states[1], 0);
    ASSERT_TRUE(Corvane_SVO(id, "AB", on));
    ASSERT_TRUE(Got(0, "AB,MN"));
    ASSERT_TRUE(Got(1, "MN"));
    EXPECT_TRUE(ContainsInOrder(Sent(0), {"MF", "AB,MN"}));
    EXPECT_TRUE(ContainsInOrder(Sent(1), {"MF", "MN"}));
    EXPECT_TRUE(sim->Snapshot(0).servoOn);
    EXPECT_FALSE(Corvane_SVO(id, "A", &two));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);

    // a move of an axis whose motor is off is refused before anything is sent
    Referenced("A", 0);
    ASSERT_TRUE(Corvane_SVO(id, "A", off));
    const double to = 1;
    EXPECT_FALSE(Corvane_MOV(id, "A", &to));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO);
}

TEST_F(MotionTest, ReferenceModeIsRefusedForAStageWithoutSwitches) {
    Stage bare;
    bare.hatRef = 0;
    bare.noLimitSwitch = 1;
    Ready(0);
    Ready(1, bare);
    const ZR_BOOL on[2] = {1, 1}, off[2] = {0, 0};
    ASSERT_TRUE(Corvane_RON(id, "A", off));
    EXPECT_FALSE(Corvane_RON(id, "AB", on));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_COMMAND_NOT_ALLOWED_FOR_STAGE);
    ZR_BOOL states[2] = {1, 1};
    ASSERT_TRUE(Corvane_qRON(id, "AB", states));
    EXPECT_EQ(states[0], 0);  // unchanged
    ZR_BOOL limits[2] = {0, 1};
    ASSERT_TRUE(Corvane_qLIM(id, "", limits));
    EXPECT_EQ(limits[0], 1);
    EXPECT_EQ(limits[1], 0);
}

TEST_F(MotionTest, BrakesOfTheAxesThatHaveOne) {
    Stage braked;
    braked.brake = 1;
    Ready(0, braked);
    Ready(1, braked);
    char two[2] = {'#', '#'};
    EXPECT_FALSE(Corvane_qBRA(id, two, sizeof two));
    EXPECT_EQ(two[0], '#');
    EXPECT_EQ(Corvane_GetError(id), 0);  // no error for a short buffer
    char axes[3] = {};
    ASSERT_TRUE(Corvane_qBRA(id, axes, sizeof axes));
    EXPECT_STREQ(axes, "AB");

    sim->ClearTranscript();
    const ZR_BOOL engage = 1, release = 0;
    ASSERT_TRUE(Corvane_BRA(id, "A", &engage));
    EXPECT_EQ(Axis(0).m_iServoState, 0);
    ASSERT_TRUE(Corvane_BRA(id, "A", &release));
    ASSERT_TRUE(Got(0, "AB,MN,BF"));
    EXPECT_EQ(Sent(0), (Lines{"BN,MF", "AB,MN,BF"}));
    EXPECT_EQ(Axis(0).m_iServoState, 1);
}

// ---- stops ---------------------------------------------------------------------------------

TEST_F(MotionTest, HaltLeavesStoppedByCommandForOneRead) {
    Ready(0);
    Referenced("A", 0);
    const double to = 1;
    ASSERT_TRUE(Corvane_MOV(id, "A", &to));
    ASSERT_TRUE(Got(0, "MA1000"));
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_HLT(id, "A"));
    ASSERT_TRUE(Got(0, "ST,WS"));
    EXPECT_EQ(Sent(0), Lines{"ST,WS"});
    EXPECT_FALSE(Axis(0).m_bTargetValid);
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_STOPPED_BY_COMMAND);
    EXPECT_EQ(Corvane_GetError(id), 0);

    ASSERT_TRUE(Corvane_STP(id));
    EXPECT_TRUE(Got(0, "AB"));
    EXPECT_TRUE(Got(1, "AB"));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_STOPPED_BY_COMMAND);
}

// ---- status --------------------------------------------------------------------------------

TEST_F(MotionTest, StatusItemsAndRegisters) {
    Ready(0);
    Ready(1);
    const int items[2] = {5, 5};
    int values[2] = {-7, -7};
    EXPECT_FALSE(Corvane_GetStatus(id, "AB", items, values));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_EQ(values[0], -7);
    EXPECT_EQ(values[1], 9);  // the stepper's upper input lines

    const int servo[2] = {6, 4};
    ASSERT_TRUE(Corvane_GetStatus(id, "AB", servo, values));
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[1], 0);

    // register 3: the input byte, signed; the stepper's lines 0x9? read negative
    const int registers[2] = {3, 4};
    int inputs[2] = {0, -7};
    EXPECT_FALSE(Corvane_qSRG(id, "BA", registers, inputs));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_EQ(inputs[0], static_cast<int8_t>(sim->Snapshot(1).status[1]));
    EXPECT_LT(inputs[0], 0);
    EXPECT_EQ(inputs[1], -7);
}

TEST_F(MotionTest, SwitchesReferenceSignalAndMotionError) {
    Ready(0);
    sim->PlaceCarriage(0, 96000);  // beyond the positive limit switch, above the reference
    const int items[3] = {1, 2, 3};
    int values[3] = {-1, -1, -1};
    ASSERT_TRUE(Corvane_GetStatus(id, "AAA", items, values));
    EXPECT_EQ(values[0], 0);
    EXPECT_EQ(values[1], 1);
    EXPECT_EQ(values[2], 1);
    // a stage whose reference signal is wired the other way round
    StageParameterSet inverted = Stage().Make(false);
    inverted.Set(StageFields::kMotRefInvert, 1);
    ASSERT_TRUE(C().ApplyStageParameters(0, inverted));
    ASSERT_TRUE(Corvane_GetStatus(id, "A", items + 2, values + 2));
    EXPECT_EQ(values[2], 0);

    sim->InjectMotionError(0);
    ZR_BOOL moving = 1;
    EXPECT_FALSE(Corvane_IsMoving(id, "A", &moving));
    EXPECT_EQ(moving, 0);
    EXPECT_EQ(Corvane_GetError(id), ZR_MOTION_ERROR);
}

// ---- refusals -------------------------------------------------------------------------------

TEST_F(MotionTest, AxisRefusals) {
    Ready(0);  // B keeps no stage
    const double to = 1;
    ZR_BOOL flags[16] = {};
    const struct {
        std::function<ZR_BOOL()> call;
        int error;
        const char* what;
    } cases[] = {
        {[&] { return Corvane_MOV(id, "Z", &to); }, ZR_UNKNOWN_AXIS_IDENTIFIER, "unknown"},
        {[&] { return Corvane_MOV(id, "A", &to); }, ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO,
         "not referenced"},
        {[&] { return Corvane_MOV(id, "B", &to); }, ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO,
         "not initialised"},
        {[&] { return Corvane_qLIM(id, "B", flags); }, ZR_CNTR_INVALID_STAGE_NAME, "no stage"},
        {[&] { return Corvane_MOV(id, "", &to); }, ZR_CNTR_PARAMETER_SYNTAX_ERROR, "empty"},
        {[&] { return Corvane_HLT(id, nullptr); }, ZR_CNTR_PARAMETER_SYNTAX_ERROR, "null"},
        {[&] { return Corvane_qLIM(id, "A", nullptr); }, ZR_INVALID_ARGUMENT, "no values"},
    };
    sim->ClearTranscript();
    for (const auto& c : cases) {
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(Corvane_GetError(id), c.error) << c.what;
    }
    EXPECT_FALSE(SentAny(0, "MA"));
    EXPECT_FALSE(SentAny(0, "ST"));
    EXPECT_FALSE(Corvane_MOV(id + 1000, "A", &to));
}

TEST_F(MotionTest, BusyWhileAReferenceProcedureRuns) {
    Ready(0);
    Referenced("A", 0);
    C().*Peek::kReferencing = 1;
    const double to = 1, factor = 1;
    double value = 0;
    ZR_BOOL flag = 0;
    EXPECT_FALSE(Corvane_MOV(id, "A", &to));
    EXPECT_EQ(C().LocalError(), ZR_CONTROLLER_BUSY);
    EXPECT_FALSE(Corvane_qPOS(id, "A", &value));
    EXPECT_EQ(C().LocalError(), ZR_CONTROLLER_BUSY);
    // the export forms of DFF, qDFF and qLIM still answer
    EXPECT_TRUE(Corvane_DFF(id, "A", &factor));
    EXPECT_TRUE(Corvane_qDFF(id, "A", &value));
    EXPECT_TRUE(Corvane_qLIM(id, "A", &flag));
    C().*Peek::kReferencing = 0;
}

TEST_F(MotionTest, RecordingAMacro) {
    Ready(0);
    Ready(1);
    Referenced("A", 0);
    ASSERT_TRUE(Corvane_MAC_BEG(id, "AMC5"));
    sim->ClearTranscript();
    const double by = 1, to = 1;
    double value = 0;
    EXPECT_FALSE(Corvane_MOV(id, "A", &to));
    EXPECT_EQ(C().LocalError(), ZR_IN_MACRO_MODE);
    EXPECT_FALSE(Corvane_qPOS(id, "A", &value));
    EXPECT_EQ(C().LocalError(), ZR_IN_MACRO_MODE);
    ASSERT_TRUE(Corvane_MVR(id, "A", &by));
    ASSERT_TRUE(Corvane_HLT(id, "A"));
    EXPECT_FALSE(Corvane_MVR(id, "B", &by));
    EXPECT_EQ(C().LocalError(), ZR_CNTR_MACRO_RECORD_ERROR);
    EXPECT_EQ(C().*Peek::kMacroLine, "MD5,MR1000,ST");
    EXPECT_FALSE(SentAny(0, "MR"));
    EXPECT_EQ(Axis(0).iTargetAbsolute, 0);
    // the refused command keeps the macro from the board
    EXPECT_FALSE(Corvane_MAC_END(id));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_MACRO_RECORD_ERROR);
    EXPECT_FALSE(SentAny(0, "MD"));
    EXPECT_FALSE(C().MacroRecordingActive());
}

}  // namespace
}  // namespace apitest
