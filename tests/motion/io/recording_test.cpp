// The I/O, joystick and trigger commands while a macro is being recorded for axis A (board 0).
#include <functional>

#include "tests/motion/io/IoFixture.h"

namespace iotest {
namespace {

class IoRecordingTest : public IoFixture {
  protected:
    void SetUp() override {
        IoFixture::SetUp();
        Record(0);
        sim->ClearTranscript();
    }
    void TearDown() override {
        StopRecording();
        IoFixture::TearDown();
    }
};

TEST_F(IoRecordingTest, QueriesRefuseAndTheChannelNamesStillAnswer) {
    int n = 0, m = 0;
    double value = 0, *buffer = nullptr;
    ZR_BOOL state = 0;
    char text[512] = {};
    const int one = 1, three = 3;
    const std::vector<std::pair<const char*, std::function<ZR_BOOL()>>> queries = {
        {"qDIO", [&] { return Corvane_qDIO(id, "A", &state); }},
        {"qTIO", [&] { return Corvane_qTIO(id, &n, &m); }},
        {"qTAC", [&] { return Corvane_qTAC(id, &n); }},
        {"qTAV", [&] { return Corvane_qTAV(id, 1, &value); }},
        {"qJON", [&] { return Corvane_qJON(id, &one, &state, 1); }},
        {"qTNJ", [&] { return Corvane_qTNJ(id, &n); }},
        {"qJAX", [&] { return Corvane_qJAX(id, &one, &one, 1, text, sizeof text); }},
        {"qJBS", [&] { return Corvane_qJBS(id, &one, &one, &state, 1); }},
        {"qJAS", [&] { return Corvane_qJAS(id, &one, &one, &value, 1); }},
        {"qJLT", [&] { return Corvane_qJLT(id, nullptr, nullptr, 0, 1, 1, &buffer, text, 512); }},
        {"qCTO", [&] { return Corvane_qCTO(id, &one, &three, text, 1, sizeof text); }},
        {"qTRO", [&] { return Corvane_qTRO(id, &one, &state, 1); }},
    };
    for (const auto& [name, query] : queries) {
        EXPECT_FALSE(query()) << name;
        EXPECT_EQ(C().LocalError(), ZR_IN_MACRO_MODE) << name;
    }
    ASSERT_TRUE(Corvane_GetInputChannelNames(id, text, sizeof text));
    EXPECT_STREQ(text, "ABCDEFGH");
    EXPECT_TRUE(Silent()) << Join(Sent(0));
}

TEST_F(IoRecordingTest, SettersOfTheMacroBoardAreRecorded) {
    const int one = 1, mode = 3, table = 1;
    const ZR_BOOL on = 1;
    const double value = 0.25;
    ASSERT_TRUE(Corvane_DIO(id, "c", &on)) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_JLT(id, 1, 1, 10, &value, 1)) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_JDT(id, &one, &table, 1)) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_TRO(id, &one, &on, 1)) << Corvane_GetError(id);
    ASSERT_TRUE(Corvane_CTO(id, &one, &mode, "0", 1)) << Corvane_GetError(id);
    EXPECT_EQ(MacroLine(), "MD5,CN3,SI9,SJ256,JT0,ZM3");
    // the status read of TRO and the "ZM?" of CTO still go to the board
    EXPECT_EQ(Sent(0), (Lines{"%", "ZM?"}));
    EXPECT_EQ(Timeout(), 5000);
}

TEST_F(IoRecordingTest, AnotherBoardsChannelJoystickOrOutputIsRefused) {
    const int two = 2, both[2] = {1, 2}, mode = 3, table = 1, tables[2] = {1, 1};
    const ZR_BOOL on = 1, ons[2] = {1, 1};
    const double value = 0.25;
    const std::vector<std::pair<const char*, std::function<ZR_BOOL()>>> setters = {
        {"DIO E", [&] { return Corvane_DIO(id, "E", &on); }},
        {"DIO AB", [&] { return Corvane_DIO(id, "AB", ons); }},
        {"JON 2", [&] { return Corvane_JON(id, &two, &on, 1); }},
        {"JON 1 2", [&] { return Corvane_JON(id, both, ons, 2); }},
        {"JDT 2", [&] { return Corvane_JDT(id, &two, &table, 1); }},
        {"JDT 1 2", [&] { return Corvane_JDT(id, both, tables, 2); }},
        {"JLT 2", [&] { return Corvane_JLT(id, 2, 1, 1, &value, 1); }},
        {"CTO 2", [&] { return Corvane_CTO(id, &two, &mode, "8", 1); }},
        {"TRO 2", [&] { return Corvane_TRO(id, &two, &on, 1); }},
    };
    for (const auto& [name, setter] : setters) {
        EXPECT_FALSE(setter()) << name;
        EXPECT_EQ(C().LocalError(), ZR_CNTR_MACRO_RECORD_ERROR) << name;
    }
    EXPECT_EQ(MacroLine(), "MD5");
    EXPECT_TRUE(Silent()) << Join(Sent(0)) << Join(Sent(1));
}

}  // namespace
}  // namespace iotest
