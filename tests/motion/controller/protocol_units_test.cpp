// The pieces of the native protocol that need no board: status parsing, the error-code table,
// answer trimming and values, count rounding, the signals of both board types.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "ZR_Corvane_TAL.h"
#include "motion/controller/CCorvaneAxis.h"
#include "motion/controller/CorvaneAnswer.h"
#include "motion/controller/CorvaneAxisIdentifiers.h"
#include "motion/controller/CorvaneCounts.h"
#include "motion/controller/CorvaneStatus.h"

namespace {

TEST(StatusParse, SixBytesEitherCase) {
    uint8_t s[kMaxStatusBytes];
    auto r = ParseCorvaneStatus("S:1A 2b 00 00 00 07", 6, s);
    ASSERT_TRUE(r.ok);
    const uint8_t expected[] = {0x1A, 0x2B, 0, 0, 0, 7};
    EXPECT_EQ(0, std::memcmp(s, expected, 6));
}

TEST(StatusParse, ThreeBytesLeaveTheRestZero) {
    uint8_t s[kMaxStatusBytes];
    std::memset(s, 0xEE, sizeof s);
    ASSERT_TRUE(ParseCorvaneStatus("S:22 F5 0A", 3, s).ok);
    const uint8_t expected[] = {0x22, 0xF5, 0x0A, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(s, expected, 6));
}

TEST(StatusParse, ShortOrBadTextFailsWithoutReadingPastItsEnd) {
    struct Case {
        const char* text;
        int nrBytes;
        int c1, c2;
    };
    const Case cases[] = {
        {"S:00 00", 3, 0, 0},   // the R-210 short answer: third byte missing
        {"S:00 0", 3, '0', 0},  // half a pair at the end
        {"S:", 6, 0, 0},        // nothing at all
        {"S", 1, 0, 0},         // not even the colon
        {"S:00 G1 00", 3, 'G', '1'},
        {"S:00 0x 00", 3, '0', 'x'},
    };
    for (const Case& c : cases) {
        // a heap copy of exactly the text, so the sanitizer sees any read past it
        const size_t n = std::strlen(c.text) + 1;
        char* text = new char[n];
        std::memcpy(text, c.text, n);
        uint8_t s[kMaxStatusBytes];
        auto r = ParseCorvaneStatus(text, c.nrBytes, s);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.badChar1, c.c1) << c.text;
        EXPECT_EQ(r.badChar2, c.c2) << c.text;
        delete[] text;
    }
}

TEST(StatusParse, BlanksBeforeAPairAreSkipped) {
    uint8_t s[kMaxStatusBytes];
    ASSERT_TRUE(ParseCorvaneStatus("S:  01   02 03", 3, s).ok);
    EXPECT_EQ(s[0], 1);
    EXPECT_EQ(s[1], 2);
    EXPECT_EQ(s[2], 3);
}

TEST(ErrorCodeTable, EveryCodeMapsAsTheBoardsDefineIt) {
    const int expected[256] = {0,
                               COM_ERROR,
                               COM_ERROR,
                               ZR_CNTR_MACRO_MEMORY_FULL,
                               ZR_CNTR_PARAMETER_OUT_OF_RANGE,
                               ZR_CNTR_PARAMETER_SYNTAX_ERROR,
                               0,
                               ZR_MOTION_ERROR,
                               0,
                               ZR_MOTION_ERROR,
                               ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO,
                               ZR_CNTR_JOYSTICK_IS_ACTIVE};
    for (int code = 0; code < 256; ++code) {
        const CorvaneErrorCodeEntry* e = FindCorvaneErrorCode(code);
        EXPECT_EQ(e ? e->controllerError : 0, expected[code]) << code;
    }
    EXPECT_STREQ(FindCorvaneErrorCode(1)->logName, "ERROR_CODE_RS232_TIMEOUT");
    EXPECT_STREQ(FindCorvaneErrorCode(2)->logName, "ERROR_CODE_RS232_OVERFLOW");
}

TEST(Answer, TrimCutsBlanksAndControlCharacters) {
    char a[] = "\x03\r\n P:123 \r\n\x03";
    EXPECT_STREQ(TrimCorvaneAnswer(a), "P:123");
    char b[] = " \r\n";
    EXPECT_STREQ(TrimCorvaneAnswer(b), "");
    EXPECT_EQ(TrimCorvaneAnswer(nullptr), nullptr);
}

TEST(Answer, FormNeedsFirstLetterAndColon) {
    EXPECT_TRUE(HasCorvaneAnswerForm("S:00", 'S', 1));
    EXPECT_TRUE(HasCorvaneAnswerForm("JA:1", 'J', 2));
    EXPECT_FALSE(HasCorvaneAnswerForm("P:00", 'S', 1));
    EXPECT_FALSE(HasCorvaneAnswerForm("JA1", 'J', 2));
    EXPECT_FALSE(HasCorvaneAnswerForm("J", 'J', 2));  // shorter than the colon position
    EXPECT_FALSE(HasCorvaneAnswerForm("", 'J', 0));
    EXPECT_FALSE(HasCorvaneAnswerForm(nullptr, 'S', 1));
}

TEST(Answer, ValueAfterTheColon) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"P:123", 123},
        {"P: -42 ", -42},
        {"T:+7", 7},
        {"B:2x", 2},
        {"Y:", 0},
        {"12", 12},
        {"B:abc", 0},
        {"G:1:2", 1},
        {"P:99999999999", INT_MAX},
        {"P:-99999999999", INT_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(CorvaneAnswerValue(c.text), c.value) << c.text;
    EXPECT_EQ(CorvaneAnswerValue(nullptr), 0);
}

TEST(Counts, RoundHalfAwayFromZero) {
    struct Case {
        double product;
        int counts;
    };
    const Case cases[] = {{2.5, 3}, {-2.5, -3}, {2.4999, 2},     {-2.4999, -2},    {0.0, 0},
                          {0.5, 1}, {-0.5, -1}, {1e12, INT_MAX}, {-1e12, INT_MIN}, {NAN, 0}};
    for (const Case& c : cases) EXPECT_EQ(RoundToCounts(c.product), c.counts) << c.product;
}

TEST(Counts, AccelerationClamp) {
    EXPECT_EQ(ClampAccelerationCounts(50), 200);
    EXPECT_EQ(ClampAccelerationCounts(20000000), 9999999);
    EXPECT_EQ(ClampAccelerationCounts(5000), 5000);
    EXPECT_EQ(ClampAccelerationCounts(-1), 200);
}

TEST(BoardRecord, AddressAndCreationValues) {
    CCorvaneAxis a(11);
    EXPECT_EQ(a.m_cAddress, 'B');
    EXPECT_EQ(CCorvaneAxis(3).m_cAddress, '3');
    EXPECT_FALSE(a.m_bPresent);
    EXPECT_EQ(a.m_iTriggerMode, 3);
    EXPECT_EQ(a.m_iJoystickAxis, 1);
    EXPECT_EQ(a.m_ucLimitPolarity, 0);
}

TEST(BoardRecord, SignalsOfBothBoardTypes) {
    CCorvaneAxis r220(0);
    r220.SetR220Values(true);
    const uint8_t s220[6] = {0x84, 0x10, 0x00, 0x14, 0x0E, 9};
    EXPECT_TRUE(r220.ServoOff(s220));
    EXPECT_TRUE(r220.MacroRunning(s220));
    EXPECT_TRUE(r220.FindEdgeActive(s220));
    EXPECT_TRUE(r220.JoystickActive(s220));
    EXPECT_TRUE(r220.ReferenceSignal(s220));
    EXPECT_TRUE(r220.PosLimit(s220));
    EXPECT_TRUE(r220.NegLimit(s220));
    EXPECT_FALSE(r220.MotionError(s220));
    EXPECT_EQ(r220.ErrorCode(s220), 9);
    const uint8_t motion[6] = {0, 0, 0x40, 0, 0, 0};
    EXPECT_TRUE(r220.MotionError(motion));

    CCorvaneAxis r210(1);
    r210.SetR210Values();
    EXPECT_TRUE(r210.m_bStepper);
    EXPECT_EQ(r210.m_iNrStatusBytes, 3);
    const uint8_t s210[6] = {0x3C, 0x01, 4, 0, 0, 0};
    EXPECT_TRUE(r210.ServoOff(s210));
    EXPECT_TRUE(r210.MacroRunning(s210));
    EXPECT_TRUE(r210.FindEdgeActive(s210));
    EXPECT_TRUE(r210.JoystickActive(s210));
    EXPECT_TRUE(r210.NegLimit(s210));
    EXPECT_FALSE(r210.PosLimit(s210));
    EXPECT_FALSE(r210.MotionError(s210));  // the bits of an R-220 mean nothing here
    EXPECT_EQ(r210.ErrorCode(s210), 4);

    // active-low switches: the polarity mask turns the lines round
    r210.m_ucLimitPolarity = r210.m_ucPosLimitMask | r210.m_ucNegLimitMask;
    EXPECT_FALSE(r210.NegLimit(s210));
    EXPECT_TRUE(r210.PosLimit(s210));
}

TEST(BoardRecord, R220WithoutJoystickPort) {
    CCorvaneAxis a(0);
    a.SetR220Values(false);
    EXPECT_FALSE(a.m_bHasJoystickPort);
    EXPECT_EQ(a.m_iStatusByteJoystick, 0);
    EXPECT_EQ(a.m_ucJoystickMask, 0);
    EXPECT_FALSE(a.m_bStepper);
    EXPECT_EQ(a.m_iNrStatusBytes, 6);
}

TEST(Identifiers, TheSixtyFourInOrder) {
    const std::string list(kValidAxisIdentifiers);
    ASSERT_EQ(list.size(), 64u);
    EXPECT_EQ(list.substr(0, 36), "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890");
    EXPECT_EQ(list.substr(36, 7), "@?>=<;:");
    EXPECT_EQ(list.substr(43, 6), "`_^]\\[");
    EXPECT_EQ(list.substr(49), "/.-,+*)('&%$#\"!");
    EXPECT_TRUE(IsValidAxisIdentifier('!'));
    EXPECT_FALSE(IsValidAxisIdentifier('a'));
    EXPECT_FALSE(IsValidAxisIdentifier(' '));
    EXPECT_FALSE(IsValidAxisIdentifier('\0'));
}

}  // namespace
