// Trigger outputs through the exported functions: CTO, qCTO, TRO, qTRO.
#include "tests/motion/io/IoFixture.h"

namespace iotest {
namespace {

using apitest::MarkedBuffer;

class TriggerTest : public IoFixture {
  protected:
    std::string Query(std::vector<int> outputs, std::vector<int> parameters) {
        char text[256] = {};
        EXPECT_TRUE(Corvane_qCTO(id, outputs.data(), parameters.data(), text,
                                 static_cast<int>(outputs.size()), sizeof text))
            << Corvane_GetError(id);
        return text;
    }
    void Switch(int output, ZR_BOOL on) {
        ASSERT_TRUE(Corvane_TRO(id, &output, &on, 1)) << Corvane_GetError(id);
    }
};

TEST_F(TriggerTest, TheModeTakesEffectAtOnceOnlyWhileTheOutputIsOn) {
    const int one = 1, mode = 3;
    sim->ClearTranscript();
    Switch(1, 1);
    EXPECT_EQ(Sent(0), (Lines{"ZM3", "%"})) << "switched on with the stored mode";
    EXPECT_EQ(C().LocalError(), 0);
    ASSERT_TRUE(Corvane_CTO(id, &one, &mode, "8", 1)) << Corvane_GetError(id);
    ASSERT_TRUE(Got(0, "ZM1"));
    EXPECT_EQ(Sent(0), (Lines{"ZM3", "%", "ZM?", "ZM1"}));
    EXPECT_EQ(Board(0).m_iTriggerMode, 1);
    EXPECT_EQ(Query({1}, {3}), "8\n");
    ZR_BOOL state = 0;
    ASSERT_TRUE(Corvane_qTRO(id, &one, &state, 1));
    EXPECT_EQ(state, 1);

    Switch(1, 0);
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_CTO(id, &one, &mode, "7", 1)) << Corvane_GetError(id);
    EXPECT_EQ(Sent(0), Lines{"ZM?"}) << "output off: the mode is only stored";
    EXPECT_EQ(Board(0).m_iTriggerMode, 2);
    EXPECT_EQ(Query({1}, {3}), "7\n");
    ASSERT_TRUE(Corvane_qTRO(id, &one, &state, 1));
    EXPECT_EQ(state, 0);
    sim->ClearTranscript();
    Switch(1, 1);
    EXPECT_EQ(Sent(0), (Lines{"ZM2", "%"}));
}

TEST_F(TriggerTest, AModeWithoutTalNumberIsAnUnexpectedResponse) {
    ASSERT_TRUE(Corvane_SendNonTALString(id,
                                         "\x01"
                                         "0"));
    ASSERT_TRUE(Corvane_SendNonTALString(id, "ZM5"));
    ASSERT_TRUE(Got(0, "ZM5"));
    const int one = 1, mode = 3;
    char text[32];
    EXPECT_FALSE(Corvane_qCTO(id, &one, &mode, text, 1, sizeof text));
    EXPECT_EQ(Corvane_GetError(id), ZR_UNEXPECTED_RESPONSE);
    ZR_BOOL state = 0;
    ASSERT_TRUE(Corvane_qTRO(id, &one, &state, 1));
    EXPECT_EQ(Board(0).m_iTriggerMode, 5) << "a non-zero answer is the mode from now on";
}

TEST_F(TriggerTest, ValuesPositionsAndTheAxisOfTheOutput) {
    Ready(0);
    const int outputs[2] = {1, 1};
    const int values[2] = {1, 10};
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_CTO(id, outputs, values, " 1.5\t-2.25\n", 2)) << Corvane_GetError(id);
    EXPECT_TRUE(Got(0, "ZP-2250"));
    EXPECT_EQ(Sent(0), (Lines{"ZI1500", "ZP-2250"}));
    EXPECT_EQ(Query({1, 1, 1}, {1, 10, 2}), "1.500000 \n-2.250000 \nA\n");

    const int axis = 2;
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_CTO(id, outputs, &axis, "a", 1)) << Corvane_GetError(id);
    EXPECT_FALSE(Corvane_CTO(id, outputs, &axis, "B", 1));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_TRUE(Silent()) << "the axis is checked, not sent";
}

TEST_F(TriggerTest, APositionBeyondTheTravelFailsAfterTheEntriesBefore) {
    Ready(0);
    Switch(1, 1);
    const int outputs[2] = {1, 1};
    const int parameters[2] = {3, 10};
    sim->ClearTranscript();
    EXPECT_FALSE(Corvane_CTO(id, outputs, parameters, "8 50.001", 2));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_POSITION_OUT_OF_LIMITS);
    EXPECT_TRUE(Got(0, "ZM1"));
    EXPECT_EQ(CountOf(0, "ZM1"), 1);
    for (const std::string& line : Sent(0)) EXPECT_NE(line.rfind("ZP", 0), 0u) << line;
}

TEST_F(TriggerTest, RefusedArgumentsSendNothing) {
    const int outputs[2] = {1, 2};
    const int three[2] = {3, 3};
    const int bad[2] = {3, 4};
    const int missing[2] = {1, 3};
    sim->ClearTranscript();
    const struct {
        const int* outputs;
        const int* parameters;
        const char* values;
        int count;
        int error;
    } cases[] = {
        {outputs, three, "8 8", 0, ZR_CNTR_PARAMETER_MISSING},
        {nullptr, three, "8 8", 2, ZR_CNTR_PARAMETER_MISSING},
        {outputs, nullptr, "8 8", 2, ZR_CNTR_PARAMETER_MISSING},
        {outputs, three, nullptr, 2, ZR_CNTR_PARAMETER_MISSING},
        {outputs, bad, "8 8", 2, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {missing, three, "8 8", 2, ZR_CNTR_PARAMETER_OUT_OF_RANGE},
        {outputs, three, "8", 2, ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {outputs, three, "8 8 8", 2, ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {outputs, three, "8 xy", 2, ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {outputs, three, "Q 8", 2, ZR_CNTR_PARAMETER_SYNTAX_ERROR},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Corvane_CTO(id, c.outputs, c.parameters, c.values, c.count));
        EXPECT_EQ(Corvane_GetError(id), c.error) << (c.values ? c.values : "null") << c.count;
    }
    const ZR_BOOL on[2] = {1, 1};
    const int unknown[1] = {3};
    EXPECT_FALSE(Corvane_TRO(id, unknown, on, 1));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
    EXPECT_FALSE(Corvane_TRO(id, outputs, nullptr, 2));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_MISSING);
    EXPECT_TRUE(Silent()) << Join(Sent(0));
}

TEST_F(TriggerTest, QueriesWithoutIDsAnswerForEveryOutput) {
    Ready(0);
    Ready(1);
    char text[512] = {};
    EXPECT_FALSE(Corvane_qCTO(id, nullptr, nullptr, text, 7, sizeof text));
    EXPECT_EQ(Corvane_GetError(id), ZR_ARRAY_RANGE_MISMATCH);
    ASSERT_TRUE(Corvane_qCTO(id, nullptr, nullptr, text, 8, sizeof text)) << Corvane_GetError(id);
    EXPECT_STREQ(text,
                 "0.000000 \nA \n0 \n0.000000 \n"
                 "0.000000 \nB \n0 \n0.000000\n");
    MarkedBuffer small(10);
    EXPECT_FALSE(Corvane_qCTO(id, nullptr, nullptr, small.data(), 8, 10));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_TRUE(small.Untouched());
    ZR_BOOL states[2] = {7, 7};
    EXPECT_FALSE(Corvane_qTRO(id, nullptr, states, 1));
    EXPECT_EQ(Corvane_GetError(id), ZR_ARRAY_RANGE_MISMATCH);
    ASSERT_TRUE(Corvane_qTRO(id, nullptr, states, 2));
    EXPECT_EQ(states[0], 0);
    EXPECT_EQ(states[1], 0);
}

}  // namespace
}  // namespace iotest
