#include <gtest/gtest.h>

#include <cstring>

#include "ZR_Corvane_TAL.h"
#include "motion/comm/Interface.h"

namespace {

// A transport that keeps what it is asked to write.
class RecordingInterface : public CInterface {
  public:
    bool SendChar(char c) override {
        sent += c;
        return true;
    }
    bool IsConnected() const override { return true; }
    void Feed(const std::string& bytes) {
        for (char c : bytes) AddNewByte(static_cast<uint8_t>(c), nullptr);
    }
    std::string sent;

  protected:
    int WriteBytes(std::string_view bytes) override {
        if (bytes.empty()) return SEND_ERROR;
        sent += bytes;
        return 0;
    }
};

const char kEtxTerminator[] = "\r\n\x03";

std::string Line(CInterface& face, int& code, int size = 2048) {
    char buf[2048];
    std::memset(buf, '#', sizeof buf);
    code = face.ReceiveLine(buf, size);
    return code == 0 || code == -8 ? std::string(buf) : std::string();
}

TEST(InterfaceFifoTest, MessageEndsWithTheWholeTerminator) {
    RecordingInterface face;
    ASSERT_EQ(face.SetTerminators("\r", kEtxTerminator), 0);
    face.Feed("AB\r\n");
    EXPECT_EQ(face.MessagesWaiting(), 0u);
    face.Feed("\x03");  // the terminator split across two reads completes on its last byte
    ASSERT_EQ(face.MessagesWaiting(), 1u);
    int code = 1;
    EXPECT_EQ(Line(face, code), "AB\r\n\x03");
    EXPECT_EQ(code, 0);
}

TEST(InterfaceFifoTest, StripTerminator) {
    RecordingInterface face;
    (void)face.SetTerminators("\r", kEtxTerminator);
    EXPECT_FALSE(face.SetStripTerminator(true));
    face.Feed(
        "AB\r\n\x03"
        "C:1\r\n\x03");
    int code = 1;
    EXPECT_EQ(Line(face, code), "AB");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Line(face, code), "C:1");
    EXPECT_TRUE(face.SetStripTerminator(false));
}

TEST(InterfaceFifoTest, MultiLineAnswers) {
    RecordingInterface face;  // terminators "\n"
    face.Feed("1 \n2\n\n");
    int code = 1;
    EXPECT_EQ(Line(face, code), "1 \n");
    EXPECT_EQ(code, -8);
    EXPECT_EQ(Line(face, code), "2\n");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Line(face, code), "\n");  // only the terminator: empty payload, never -8
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Line(face, code), "");
    EXPECT_EQ(code, COM_TIMEOUT);
    EXPECT_EQ(face.GetLastPortError(), COM_TIMEOUT);
}

TEST(InterfaceFifoTest, OverflowDiscardsTheTextSoFar) {
    RecordingInterface face;
    std::string text(2047, 'x');
    face.Feed(text);
    EXPECT_EQ(face.GetLastPortError(), 0);
    EXPECT_FALSE(face.AddNewByte('y', nullptr));  // the 2048th byte
    EXPECT_EQ(face.GetLastPortError(), COM_BUFFER_OVERFLOW);
    face.Feed("ok\n");
    EXPECT_EQ(face.GetLastPortError(), 0);
    int code = 1;
    EXPECT_EQ(Line(face, code), "ok\n");
}

TEST(InterfaceFifoTest, LongestMessageFitsAndZeroBytesAreIgnored) {
    RecordingInterface face;
    std::string text(2046, 'x');
    face.Feed(text + std::string(1, '\0') + "\n");
    int code = 1;
    EXPECT_EQ(Line(face, code), text + "\n");
    EXPECT_EQ(code, 0);
}

TEST(InterfaceFifoTest, CallerBufferMustHoldTheZeroToo) {
    RecordingInterface face;
    face.Feed(
        "abc\n"
        "abc\n");
    int code = 1;
    EXPECT_EQ(Line(face, code, 4), "");
    EXPECT_EQ(code, COM_BUFFER_OVERFLOW);
    EXPECT_EQ(face.MessagesWaiting(), 1u);  // that message is gone
    EXPECT_EQ(Line(face, code, 5), "abc\n");
    EXPECT_EQ(code, 0);
}

TEST(InterfaceFifoTest, SendTerminatorIsAddedOnce) {
    RecordingInterface face;
    (void)face.SetTerminators("\r", kEtxTerminator);
    EXPECT_EQ(face.WriteString("X\r"), 0);
    EXPECT_EQ(face.WriteString("TP"), 0);
    EXPECT_EQ(face.WriteString(""), 0);  // just the terminator
    EXPECT_EQ(face.sent, "X\rTP\r\r");
    (void)face.SetTerminators("\r\n", kEtxTerminator);
    face.sent.clear();
    (void)face.WriteString("A\r");
    EXPECT_EQ(face.sent, "A\r\r\n");
}

TEST(InterfaceFifoTest, NothingToSendWithoutTerminator) {
    RecordingInterface face;
    (void)face.SetTerminators(nullptr, nullptr);
    EXPECT_EQ(face.WriteString(""), SEND_ERROR);
    face.Feed("abc\n");  // no receive terminator: nothing ever completes
    EXPECT_EQ(face.MessagesWaiting(), 0u);
}

TEST(InterfaceFifoTest, QueryAndIdRules) {
    RecordingInterface face;
    face.Feed("V:1.0\n");
    char answer[32];
    EXPECT_EQ(face.Query("VE", answer, sizeof answer), 0);
    EXPECT_STREQ(answer, "V:1.0\n");
    EXPECT_EQ(face.sent, "VE\n");
    EXPECT_EQ(face.GetID(), -1);
    EXPECT_EQ(face.SetID(2), 2);
    EXPECT_EQ(face.SetID(5), 2);
}

TEST(InterfaceFifoTest, ClearFifoDropsQueuedAndPartialText) {
    RecordingInterface face;
    face.Feed("one\ntw");
    face.ClearFIFO();
    face.Feed("o\n");
    int code = 1;
    EXPECT_EQ(Line(face, code), "o\n");
}

}  // namespace
