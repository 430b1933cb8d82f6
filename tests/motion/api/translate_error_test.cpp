#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ZR_Corvane_TAL.h"

namespace {

struct Case {
    int number;
    const char* text;
};

// Fills a guarded buffer; everything past `size` must stay untouched, and so must the whole buffer
// when the call fails.
struct Translation {
    ZR_BOOL result;
    std::string text;
    bool untouched;
    bool guardIntact;
};

Translation Translate(int number, int size) {
    char buffer[400];
    std::memset(buffer, '#', sizeof buffer);
    Translation t{};
    t.result = Corvane_TranslateError(number, buffer, size);
    t.untouched = true;
    for (int i = 0; i < size && i < 400; ++i) t.untouched &= buffer[i] == '#';
    t.guardIntact = true;
    for (int i = size < 0 ? 0 : size; i < 400; ++i) t.guardIntact &= buffer[i] == '#';
    if (t.result) t.text = buffer;
    return t;
}

TEST(TranslateErrorTest, KnownNumbers) {
    const Case cases[] = {
        {0, "No error"},
        {15, "Invalid axis identifier"},
        {-1017, "Invalid axis identifier"},
        {6005, "Overflow of absolute sensor position"},
        {-1082, "Timeout Error. Some lengthy operation did not finish within expected time."},
        {-7, "Timeout error"},
        {500, "The \"red knob\" is still set and disables system"},
        {-1074,
         "The installed device driver doesn't match the required version. Please see the "
         "documentation to determine the required device driver version."},
    };
    for (const Case& c : cases) {
        Translation t = Translate(c.number, 400);
        EXPECT_EQ(t.result, 1) << c.number;
        EXPECT_EQ(t.text, c.text);
    }
}

TEST(TranslateErrorTest, UnknownNumbers) {
    for (int n : {6006, -1083, -2000, 97, -62}) {
        Translation t = Translate(n, 400);
        EXPECT_EQ(t.result, 1);
        EXPECT_EQ(t.text, "Unknown Error - number " + std::to_string(n));
    }
}

TEST(TranslateErrorTest, BufferMustHoldTextAndTerminator) {
    Translation fits = Translate(0, 9);
    EXPECT_EQ(fits.result, 1);
    EXPECT_EQ(fits.text, "No error");
    EXPECT_TRUE(fits.guardIntact);

    for (int size : {8, 1, 0, -1, -100}) {
        Translation t = Translate(0, size);
        EXPECT_EQ(t.result, 0) << size;
        EXPECT_TRUE(t.untouched) << size;
        EXPECT_TRUE(t.guardIntact) << size;
    }
    // "Unknown Error - number 6006" is 27 characters.
    EXPECT_EQ(Translate(6006, 27).result, 0);
    EXPECT_EQ(Translate(6006, 28).result, 1);
}

TEST(TranslateErrorTest, NullBufferIsRefused) {
    EXPECT_EQ(Corvane_TranslateError(0, nullptr, 100), 0);
}

}  // namespace
