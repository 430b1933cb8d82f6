// Joysticks through the exported functions: JON, qJON, qJAX, JDT, JLT.
#include "tests/motion/io/IoFixture.h"

namespace iotest {
namespace {

using apitest::MarkedBuffer;

class JoystickTest : public IoFixture {};

TEST_F(JoystickTest, OnLimitsAReferencedAxisToItsTravelAndOffGivesTheVelocityBack) {
    Ready(0, true);
    sim->ClearTranscript();
    const int one = 1;
    const ZR_BOOL on = 1, off = 0;
    ASSERT_TRUE(Corvane_JON(id, &one, &on, 1)) << Corvane_GetError(id);
    EXPECT_EQ(Sent(0), (Lines{"JL-50000", "JH50000", "JN10000", "%"}));
    EXPECT_TRUE(Board(0).m_bJoystickActive);
    EXPECT_EQ(C().LocalError(), 0);
    ZR_BOOL state = 0;
    ASSERT_TRUE(Corvane_qJON(id, &one, &state, 1));
    EXPECT_EQ(state, 1);
    const double to = 1;
    EXPECT_FALSE(Corvane_MOV(id, "A", &to));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_AXIS_UNDER_JOYSTICK_CONTROL);

    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_JON(id, &one, &off, 1)) << Corvane_GetError(id);
    EXPECT_EQ(Sent(0), (Lines{"JF,SV10000", "JC", "%"}));
    EXPECT_FALSE(Board(0).m_bJoystickActive);
    ASSERT_TRUE(Corvane_qJON(id, &one, &state, 1));
    EXPECT_EQ(state, 0);
    EXPECT_EQ(CountOf(0, "JN?"), 1) << "a board that can tell is asked";
}

TEST_F(JoystickTest, AnAxisNotReferencedGetsNoLimits) {
    Ready(1);
    sim->ClearTranscript();
    const int two = 2;
    const ZR_BOOL on = 1;
    ASSERT_TRUE(Corvane_JON(id, &two, &on, 1)) << Corvane_GetError(id);
    // 16 microsteps per step on the stepper board
    EXPECT_EQ(Sent(1), (Lines{"JN160000", "%"}));
    EXPECT_TRUE(Board(1).m_bJoystickActive);
}

TEST_F(JoystickTest, JoystickListsAreCheckedWholeFirst) {
    const int ids[2] = {1, 3};
    const ZR_BOOL flags[2] = {1, 1};
    sim->ClearTranscript();
    const struct {
        const int* ids;
        const ZR_BOOL* flags;
        int count;
        int error;
    } cases[] = {{ids, flags, 2, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
                 {ids, flags, 0, ZR_CNTR_PARAMETER_MISSING},
                 {ids, flags, -1, ZR_CNTR_PARAMETER_MISSING},
                 {nullptr, flags, 1, ZR_CNTR_PARAMETER_MISSING},
                 {ids, nullptr, 1, ZR_CNTR_PARAMETER_MISSING}};
    for (const auto& c : cases) {
        EXPECT_FALSE(Corvane_JON(id, c.ids, c.flags, c.count));
        EXPECT_EQ(Corvane_GetError(id), c.error) << c.count;
        EXPECT_FALSE(Corvane_JDT(id, c.ids, c.flags, c.count));
        EXPECT_EQ(Corvane_GetError(id), c.error) << c.count;
    }
    const int bad[3] = {0, 17, -1};
    for (int joystick : bad) {
        EXPECT_FALSE(Corvane_JON(id, &joystick, flags, 1));
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE) << joystick;
    }
    EXPECT_TRUE(Silent()) << Join(Sent(0));
}

TEST_F(JoystickTest, QueriesWithoutIDsAnswerForEveryJoystick) {
    ZR_BOOL states[2] = {7, 7};
    EXPECT_FALSE(Corvane_qJON(id, nullptr, states, 1));
    EXPECT_EQ(Corvane_GetError(id), ZR_ARRAY_RANGE_MISMATCH);
    Board(1).m_bJoystickActive = true;
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_qJON(id, nullptr, states, 2));
    EXPECT_EQ(states[0], 0);
    EXPECT_EQ(states[1], 1);
    EXPECT_TRUE(Silent()) << "the states as last read";

    sim->SetAnalogLine(0, 6, 200);
    sim->SetAnalogLine(1, 5, 0);
    ZR_BOOL pressed[2] = {};
    double positions[2] = {};
    EXPECT_FALSE(Corvane_qJBS(id, nullptr, nullptr, pressed, 1));
    EXPECT_EQ(Corvane_GetError(id), ZR_ARRAY_RANGE_MISMATCH);
    ASSERT_TRUE(Corvane_qJBS(id, nullptr, nullptr, pressed, 2)) << Corvane_GetError(id);
    EXPECT_EQ(pressed[0], 1);
    EXPECT_EQ(pressed[1], 0);
    ASSERT_TRUE(Corvane_qJAS(id, nullptr, nullptr, positions, 2)) << Corvane_GetError(id);
    EXPECT_DOUBLE_EQ(positions[1], -1.0);

    const int one = 1, two = 2;
    EXPECT_FALSE(Corvane_qJBS(id, &one, &two, pressed, 1)) << "a joystick has button 1 only";
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_FALSE(Corvane_qJAS(id, &one, nullptr, positions, 1));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
    EXPECT_FALSE(Corvane_qJON(id, &one, nullptr, 1));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
}

TEST_F(JoystickTest, AxisTextNamesEachJoysticksAxis) {
    const int ids[2] = {2, 1};
    const int axes[2] = {1, 1};
    sim->ClearTranscript();
    char text[16] = {};
    ASSERT_TRUE(Corvane_qJAX(id, ids, axes, 2, text, sizeof text));
    EXPECT_STREQ(text, "B \nA\n");
    MarkedBuffer exact(5);
    EXPECT_FALSE(Corvane_qJAX(id, ids, axes, 2, exact.data(), 5));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_TRUE(exact.Untouched());
    ASSERT_TRUE(Corvane_qJAX(id, ids, axes, 2, exact.data(), 6));
    EXPECT_FALSE(Corvane_qJAX(id, ids, nullptr, 2, text, sizeof text));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
    const int axis2[2] = {1, 2};
    EXPECT_FALSE(Corvane_qJAX(id, ids, axis2, 2, text, sizeof text));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_TRUE(Silent());
}

TEST_F(JoystickTest, TableLoadsReadTheirConfirmationAndKeepTheTimeout) {
    ASSERT_EQ(Timeout(), 5000);
    const int ids[2] = {1, 2};
    const int types[2] = {1, 3};
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_JDT(id, ids, types, 2)) << Corvane_GetError(id);
    EXPECT_EQ(Sent(0), Lines{"JT0"});
    EXPECT_EQ(Sent(1), Lines{"JT1"});
    EXPECT_EQ(Timeout(), 5000);
    EXPECT_EQ(sim->JoystickTableEntry(0, 0), -1024);
    // the confirmations were taken: the next query gets its own answer
    ZR_BOOL state = 7;
    ASSERT_TRUE(Corvane_qJON(id, ids, &state, 1)) << Corvane_GetError(id);
    EXPECT_EQ(state, 0);

    sim->ClearTranscript();
    const int mixed[2] = {1, 2};
    EXPECT_FALSE(Corvane_JDT(id, ids, mixed, 2));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_EQ(Sent(0), Lines{"JT0"}) << "the entries before the refused one are done";
    EXPECT_TRUE(Sent(1).empty());
    EXPECT_EQ(Timeout(), 5000);
}

TEST_F(JoystickTest, AFailedTableSendEndsTheCommand) {
    const int ids[2] = {1, 2};
    const int types[2] = {1, 1};
    sim->ClearTranscript();
    sim->HangUp();
    EXPECT_FALSE(Corvane_JDT(id, ids, types, 2));
    EXPECT_NE(Corvane_GetError(id), 0);
}

TEST_F(JoystickTest, TableValuesGoToTheirAddressesInStepsOf1024th) {
    const double two[2] = {-0.5, 1.0};
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_JLT(id, 2, 1, 255, two, 2)) << Corvane_GetError(id);
    EXPECT_TRUE(Got(1, "SI255,SJ1024"));
    EXPECT_EQ(Sent(1), (Lines{"SI254,SJ-512", "SI255,SJ1024"}));
    EXPECT_EQ(sim->JoystickTableEntry(1, 254), -512);
    const double small = 0.00048828125;  // half a step: away from zero
    ASSERT_TRUE(Corvane_JLT(id, 1, 1, 1, &small, 1));
    EXPECT_TRUE(Got(0, "SI0,SJ1"));

    sim->ClearTranscript();
    const double wild[2] = {0.5, 1.5};
    const struct {
        int joystick, axis, start;
        const double* values;
        int count;
        int error;
    } refused[] = {{1, 1, 256, two, 2, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
                   {1, 1, 1, wild, 2, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
                   {1, 1, 0, two, 1, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
                   {1, 1, 1, two, 0, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
                   {1, 2, 1, two, 1, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
                   {3, 1, 1, two, 1, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
                   {1, 1, 1, nullptr, 1, ZR_INVALID_ARGUMENT}};
    for (const auto& r : refused) {
        EXPECT_FALSE(Corvane_JLT(id, r.joystick, r.axis, r.start, r.values, r.count));
        EXPECT_EQ(Corvane_GetError(id), r.error) << r.start << " " << r.count;
    }
    EXPECT_TRUE(Silent()) << Join(Sent(0));
}

}  // namespace
}  // namespace iotest
