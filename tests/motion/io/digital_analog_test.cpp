// Digital and analog I/O through the exported functions, on the simulated boards' transcript.
#include <cmath>
#include <cstring>

#include "tests/motion/io/IoFixture.h"

namespace iotest {
namespace {

using apitest::MarkedBuffer;

class DigitalAnalogTest : public IoFixture {};

TEST_F(DigitalAnalogTest, ChannelNamesAndCountsFollowTheBoards) {
    char names[16] = {};
    ASSERT_TRUE(Corvane_GetInputChannelNames(id, names, sizeof names));
    EXPECT_STREQ(names, "ABCDEFGH");
    char outputs[16] = {};
    ASSERT_TRUE(Corvane_GetOutputChannelNames(id, outputs, sizeof outputs));
    EXPECT_STREQ(outputs, "ABCDEFGH");
    int inputs = 0, outs = 0, analog = 0, joysticks = 0;
    ASSERT_TRUE(Corvane_qTIO(id, &inputs, &outs));
    EXPECT_EQ(inputs, 8);
    EXPECT_EQ(outs, 8);
    ASSERT_TRUE(Corvane_qTAC(id, &analog));
    EXPECT_EQ(analog, 8) << "four analog inputs on each board with a joystick port";
    ASSERT_TRUE(Corvane_qTNJ(id, &joysticks));
    EXPECT_EQ(joysticks, 2);
    EXPECT_FALSE(Corvane_qTIO(id, nullptr, &outs));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
    EXPECT_FALSE(Corvane_qTAC(id, nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
}

TEST_F(DigitalAnalogTest, ChannelNamesAreCutToTheBufferAndNeverWrittenOutsideIt) {
    MarkedBuffer five(5);
    ASSERT_TRUE(Corvane_GetInputChannelNames(id, five.data(), 5));
    EXPECT_EQ(five.Text(), "ABCD");
    EXPECT_TRUE(five.WrittenOnly(5));
    for (int size : {0, -3}) {
        MarkedBuffer none(8);
        EXPECT_FALSE(Corvane_GetInputChannelNames(id, none.data(), size)) << size;
        EXPECT_TRUE(none.Untouched()) << size;
        EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW) << size;
    }
    EXPECT_FALSE(Corvane_GetInputChannelNames(id, nullptr, 16));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
}

TEST_F(DigitalAnalogTest, InputsAreReadOncePerBoardAsTheSingleByte) {
    sim->SetDigitalInputs(0, 0x9);  // lines 1 and 4
    sim->SetDigitalInputs(1, 0x2);  // line 2: channel F
    sim->ClearTranscript();
    ZR_BOOL f = 0;
    ASSERT_TRUE(Corvane_qDIO(id, "F", &f)) << Corvane_GetError(id);
    EXPECT_EQ(f, 1);
    EXPECT_EQ(Sent(1), Lines{"#"});
    EXPECT_TRUE(Sent(0).empty());

    sim->ClearTranscript();
    ZR_BOOL all[8] = {};
    ASSERT_TRUE(Corvane_qDIO(id, "", all)) << Corvane_GetError(id);
    const ZR_BOOL expected[8] = {1, 0, 0, 1, 0, 1, 0, 0};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(all[k], expected[k]) << k;
    EXPECT_EQ(Sent(0), Lines{"#"});
    EXPECT_EQ(Sent(1), Lines{"#"});

    sim->SetDigitalInputs(1, 0xD);
    ZR_BOOL two[2] = {};
    ASSERT_TRUE(Corvane_qDIO(id, "fe", two));
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(two[1], 1);
}

TEST_F(DigitalAnalogTest, OutputsAreSwitchedLineByLine) {
    sim->ClearTranscript();
    const ZR_BOOL flags[3] = {1, 0, 1};
    ASSERT_TRUE(Corvane_DIO(id, "AfH", flags)) << Corvane_GetError(id);
    EXPECT_TRUE(Got(1, "CN4"));
    EXPECT_EQ(Sent(0), Lines{"CN1"});
    EXPECT_EQ(Sent(1), (Lines{"CF2", "CN4"}));
    EXPECT_EQ(sim->DigitalOutputs(0), 0x1);
    EXPECT_EQ(sim->DigitalOutputs(1), 0x8);
}

TEST_F(DigitalAnalogTest, RefusedChannelsSendNothing) {
    const ZR_BOOL flags[2] = {1, 1};
    ZR_BOOL states[2] = {};
    sim->ClearTranscript();
    const struct {
        const char* channels;
        const ZR_BOOL* flags;
        int error;
    } cases[] = {{"AZ", flags, ZR_CNTR_NO_DIGITAL_INPUT},
                 {"", flags, ZR_CNTR_PARAMETER_SYNTAX_ERROR},
                 {nullptr, flags, ZR_CNTR_PARAMETER_SYNTAX_ERROR},
                 {"A", nullptr, ZR_INVALID_ARGUMENT}};
    for (const auto& c : cases) {
        EXPECT_FALSE(Corvane_DIO(id, c.channels, c.flags));
        EXPECT_EQ(Corvane_GetError(id), c.error) << (c.channels ? c.channels : "null");
    }
    EXPECT_FALSE(Corvane_qDIO(id, "BI", states));
    EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_NO_DIGITAL_INPUT);
    EXPECT_FALSE(Corvane_qDIO(id, "B", nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
    EXPECT_TRUE(Silent()) << Join(Sent(0)) << Join(Sent(1));
}

TEST_F(DigitalAnalogTest, OnlyTheDigitalLinesWaitForAReferenceMove) {
    C().*Peek::kReferencing = 1;
    const ZR_BOOL on = 1;
    ZR_BOOL state = 0;
    double volts = 0;
    EXPECT_FALSE(Corvane_DIO(id, "A", &on));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    EXPECT_FALSE(Corvane_qDIO(id, "A", &state));
    EXPECT_EQ(Corvane_GetError(id), ZR_CONTROLLER_BUSY);
    EXPECT_TRUE(Corvane_qTAV(id, 1, &volts)) << Corvane_GetError(id);
    C().*Peek::kReferencing = 0;
}

TEST_F(DigitalAnalogTest, ReadingsBecomeVoltsPositionsAndButtons) {
    const struct {
        int board;
        int line;
        int reading;
        double volts;     // qTAV of channel 4 x board + line
        double position;  // qJAS of joystick board + 1
        int pressed;      // qJBS of joystick board + 1
    } cases[] = {
        {0, 1, 255, 5.0, 0, 0}, {1, 3, 0, 0.0, 0, 0},   {1, 2, 51, 1.0, 0, 0},
        {0, 5, 0, 0, -1.0, 0},  {1, 5, 255, 0, 1.0, 0}, {0, 5, 51, 0, -0.6, 0},
        {0, 6, 100, 0, 0, 0},   {1, 6, 101, 0, 0, 1},
    };
    for (const auto& c : cases) {
        sim->SetAnalogLine(c.board, c.line, c.reading);
        const int joystick = c.board + 1;
        const int one = 1;
        if (c.line <= 4) {
            double volts = -1;
            ASSERT_TRUE(Corvane_qTAV(id, 4 * c.board + c.line, &volts)) << Corvane_GetError(id);
            EXPECT_NEAR(volts, c.volts, 1e-12) << c.reading;
        } else if (c.line == 5) {
            double position = 9;
            ASSERT_TRUE(Corvane_qJAS(id, &joystick, &one, &position, 1)) << Corvane_GetError(id);
            EXPECT_NEAR(position, c.position, 1e-12) << c.reading;
        } else {
            ZR_BOOL pressed = 7;
            ASSERT_TRUE(Corvane_qJBS(id, &joystick, &one, &pressed, 1)) << Corvane_GetError(id);
            EXPECT_EQ(pressed, c.pressed) << c.reading;
        }
    }
}

TEST_F(DigitalAnalogTest, AChannelNumberWithoutAnalogInputIsRefused) {
    double volts = 0;
    sim->ClearTranscript();
    for (int channel : {0, 9, -1, 4 * 2 + 1}) {
        EXPECT_FALSE(Corvane_qTAV(id, channel, &volts)) << channel;
        EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_INVALID_ANALOG_INPUT) << channel;
    }
    EXPECT_FALSE(Corvane_qTAV(id, 1, nullptr));
    EXPECT_EQ(Corvane_GetError(id), ZR_INVALID_ARGUMENT);
    EXPECT_TRUE(Silent());
}

// Firmware known to answer in the "T" form is asked in that form from the start.
class AnalogFormByVersionTest : public IoFixture {
  protected:
    void SetUp() override {
        Start("[board 0]\ntype = R-210\nchecksum = C:0106\nta-answer = T\n", 1);
    }
};

TEST_F(AnalogFormByVersionTest, TheTFormIsAskedDirectly) {
    EXPECT_EQ(Board(0).m_cTAAnswer, 'T');
    sim->SetAnalogLine(0, 2, 102);
    sim->ClearTranscript();
    double volts = 0;
    ASSERT_TRUE(Corvane_qTAV(id, 2, &volts)) << Corvane_GetError(id);
    EXPECT_NEAR(volts, 2.0, 1e-12);
    EXPECT_EQ(Sent(0), Lines{"TA2"});
}

// A probed board's form is learnt by its first analog read: the "A" form is tried (and times
// out) first, the "T" form answers, and from then on only the "T" form is asked. The board also
// answers no single bytes, so its inputs are read with "TC".
class AnalogFormLearntTest : public IoFixture {
  protected:
    void SetUp() override {
        Corvane_CheckFeaturesByControllerVersion(0);
        Start("[board 0]\ntype = R-220\nta-answer = T\nsingle-char = no\n", 1);
    }
};

TEST_F(AnalogFormLearntTest, TheFormIsLearntOnceAndInputsUseTheLine) {
    EXPECT_EQ(Board(0).m_cTAAnswer, 0);
    EXPECT_FALSE(Board(0).m_bSingleChar);
    SetTimeout(300);
    sim->SetAnalogLine(0, 1, 255);
    sim->ClearTranscript();
    double volts = 0;
    ASSERT_TRUE(Corvane_qTAV(id, 1, &volts)) << Corvane_GetError(id);
    EXPECT_DOUBLE_EQ(volts, 5.0);
    EXPECT_EQ(Board(0).m_cTAAnswer, 'T');
    EXPECT_EQ(Corvane_GetError(id), 0) << "the failed tries leave no error";
    const long tries = CountOf(0, "TA1");
    EXPECT_GE(tries, 2);

    ASSERT_TRUE(Corvane_qTAV(id, 1, &volts));
    EXPECT_EQ(CountOf(0, "TA1"), tries + 1);

    sim->SetDigitalInputs(0, 0x4);
    sim->ClearTranscript();
    ZR_BOOL c = 0;
    ASSERT_TRUE(Corvane_qDIO(id, "C", &c)) << Corvane_GetError(id);
    EXPECT_EQ(c, 1);
    EXPECT_EQ(Sent(0), Lines{"TC"});
}

}  // namespace
}  // namespace iotest
