// The TAL line parser on its own: lines and the fields they give, or invalid.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "motion/controller/TalParser.h"

namespace {

using Ints = std::vector<int>;
using Doubles = std::vector<double>;

// What a valid line must give; fields left empty are not compared.
struct Expect {
    std::string word = {};
    std::string ids = {};
    std::optional<Doubles> values = {};
    std::optional<Ints> flags = {};
    std::optional<Ints> listA = {};
    std::optional<Ints> listB = {};
    std::optional<std::string> text = {};
    std::optional<int> count = {};
};

struct Case {
    std::string line;
    bool valid;
    Expect expect = {};
};

std::string Printable(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < ' ')
            out += "\\x" + std::to_string(static_cast<int>(c));
        else
            out += c;
    }
    return out.size() > 80 ? out.substr(0, 80) + "..." : out;
}

// The items' lists run parallel to the identifiers; only their first n entries are compared.
template <typename T>
std::vector<T> Head(const std::vector<T>& v, size_t n) {
    return std::vector<T>(v.begin(), v.begin() + static_cast<long>(std::min(n, v.size())));
}

void Check(const Case& c) {
    SCOPED_TRACE(Printable(c.line));
    TalLine out;
    const TalParse result = ParseTalLine(c.line, out);
    ASSERT_EQ(result == TalParse::Valid, c.valid);
    const Expect& e = c.expect;
    if (!c.valid) {
        EXPECT_EQ(out.identifiers, e.ids) << "identifiers read before the fault";
        return;
    }
    EXPECT_EQ(out.word, e.word);
    EXPECT_EQ(out.identifiers, e.ids);
    if (e.values) {
        EXPECT_EQ(Head(out.values, e.values->size()), *e.values);
    }
    if (e.flags) {
        EXPECT_EQ(Head(out.flags, e.flags->size()), *e.flags);
    }
    if (e.listA) {
        EXPECT_EQ(Head(out.listA, e.listA->size()), *e.listA);
    }
    if (e.listB) {
        EXPECT_EQ(out.listB, *e.listB);
    }
    if (e.text) {
        EXPECT_EQ(out.text, *e.text);
    }
    if (e.count) {
        EXPECT_EQ(out.count, *e.count);
    }
}

TEST(TalParser, ItemLoopLines) {
    const std::vector<Case> cases = {
        {"pos? a\n", true, {"POS?", "A"}},
        {"POS? AB\n", true, {"POS?", "AB"}},
        {"POS? A B\n", true, {"POS?", "AB"}},
        {"POS? AA\n", true, {"POS?", "AA"}},
        {"POS?\n", true, {"POS?", ""}},
        {"POS? \n", true, {"POS?", ""}},
        {"   MOV A 1\n", true, {"MOV", "A", Doubles{1}}},
        {"MOV A10 B -2.5\n", true, {"MOV", "AB", Doubles{10, -2.5}}},
        {"MOV A1e2\n", true, {"MOV", "A", Doubles{100}}},
        {"MOV A\n", false, {"", "A"}},
        {"MOV X\n", false, {"", "X"}},
        {"MOV A10B20\n", false, {"", "A"}},
        {"MOV A 1 B\n", false, {"", "AB"}},
        {"MOV A --\n", false, {"", "A"}},     // numeric characters, but no number
        {"MOV A 1e999\n", false, {"", "A"}},  // no finite number
        {"SVO A 1 B 0\n", true, {"SVO", "AB", {}, Ints{1, 0}}},
        {"SVO A 1.5\n", false, {"", "A"}},
        {"SVO A 99999999999\n", false, {"", "A"}},  // beyond the range of int
        {"DIO C 1\n", true, {"DIO", "C", {}, Ints{1}}},
        {"DIO?\n", true, {"DIO?", ""}},
        {"BRA?\n", true, {"BRA?", ""}},
        {"BRA? A\n", false, {"", ""}},
        {"*idn? x\n", false, {"", ""}},
        {"SAI A X B Y\n", true, {"SAI", "AB", {}, {}, {}, {}, std::string("XY")}},
        {"SAI? ALL\n", true, {"SAI?", "", {}, {}, {}, {}, std::string("ALL \n")}},
        {"SAI? ALL X\n", false, {"", ""}},
        {"CST A teststage\n", true, {"CST", "A", {}, {}, {}, {}, std::string("TESTSTAGE \n")}},
        {"SPA A 0x3C teststage\n",
         true,
         {"SPA", "A", Doubles{0}, {}, Ints{60}, {}, std::string("TESTSTAGE\n")}},
        {"SPA A 1 2.5 B 010 -1\n", true, {"SPA", "AB", Doubles{2.5, -1}, {}, Ints{1, 8}}},
        {"SPA A 1 1x\n", false, {"", "A"}},
        {"SPA A 0x80000000 1\n", false, {"", "A"}},
        {"SPA A one 1\n", false, {"", "A"}},
        {"SPA? A60 B60\n", true, {"SPA?", "AB", {}, {}, Ints{60, 60}}},
        {"SRG? A 010\n", true, {"SRG?", "A", {}, {}, Ints{8}}},
        {"SRG? A 0x10\n", false, {"", "A"}},  // only SPA's words may hold letters
        {"FED A 3 anything\n", true, {"FED", "A", {}, {}, Ints{3}}},
        {"DEL 100\n", true, {"DEL", "", {}, {}, Ints{100}}},
        {"DEL 100 200\n", false, {"", ""}},
        {"MAC BEG amc1\n", true, {"MAC", "", {}, {}, {}, {}, std::string("BEG \nAMC1 \n")}},
        {"MAC END", true, {"MAC", "", {}, {}, {}, {}, std::string("END")}},
        {"WAC ONT? A = 1\n", true, {"WAC", "", {}, {}, {}, {}, std::string("ONT? \nA \n= \n1 \n")}},
        {"MAC?\n", true, {"MAC?", ""}},
        {"XXX A B C\n", true, {"XXX", "ABC"}},
        {"\x05\n", true, {"\x05", ""}},
        {std::string(49, 'Q') + "\n", true, {std::string(49, 'Q'), ""}},
        {std::string(50, 'Q') + "\n", false, {"", ""}},
        {"MOV A " + std::string(254, '1') + "\n", true, {"MOV", "A"}},
        {"MOV A " + std::string(255, '1') + "\n", false, {"", "A"}},
    };
    for (const Case& c : cases) Check(c);
}

TEST(TalParser, TokenGroupLines) {
    const std::vector<Case> cases = {
        {"TAV? A5\n", true, {"TAV?", "", {}, {}, Ints{5}, {}, {}, 1}},
        {"TAV?  A12 \r\n", true, {"TAV?", "", {}, {}, Ints{12}, {}, {}, 1}},
        {"TAV? B5\n", false},
        {"TAV? A5x\n", false},
        {"JLT?\n", true, {"JLT?", "", {}, {}, {}, {}, {}, 0}},
        {"JLT? 5\n", true, {"JLT?", "", {}, {}, Ints{5}, {}, {}, 1}},
        {"JLT? 1 10\n", true, {"JLT?", "", {}, {}, Ints{1}, Ints{10}, {}, 2}},
        {"JLT? 1 10 2 1\n", true, {"JLT?", "", {}, {}, Ints{1, 2}, Ints{10, 1}, {}, 3}},
        {"JLT? 1 10 2\n", false},
        {"JLT 1 1 1 0.5 -0.5\n",
         true,
         {"JLT", "", Doubles{0.5, -0.5}, {}, Ints{1, 1, 1}, {}, {}, 2}},
        {"JLT 1 1 1\n", false},
        {"JLT 1 1 1 x\n", false},
        {"JDT 1 1 2 2 1 3\n", true, {"JDT", "", {}, {}, Ints{1, 2}, Ints{2, 3}, {}, 2}},
        {"JDT 1 2 2\n", false},  // the middle token must be 1
        {"JDT 1 1\n", false},
        {"JON 1 1 2 0\n", true, {"JON", "", {}, Ints{1, 0}, Ints{1, 2}, {}, {}, 2}},
        {"JON 1 1 2\n", false},  // an odd token count
        {"JON 1 2\n", false},
        {"TRO 2 1\n", true, {"TRO", "", {}, Ints{1}, Ints{2}, {}, {}, 1}},
        {"JON? 1 2\n", true, {"JON?", "", {}, {}, Ints{1, 2}, {}, {}, 2}},
        {"JON? 2147483647\n", true, {"JON?", "", {}, {}, Ints{2147483647}, {}, {}, 1}},
        {"JON? 2147483648\n", false},
        {"JON? -2147483649\n", false},
        {"JON? 1x\n", false},
        {"JBS? 1 1 2 1\n", true, {"JBS?", "", {}, {}, Ints{1, 2}, Ints{1, 1}, {}, 2}},
        {"JAX? 1\n", false},
        {"CTO 1 2 A 1 3 8\n",
         true,
         {"CTO", "", {}, {}, Ints{1, 1}, Ints{2, 3}, std::string("A\n8\n"), 2}},
        {"CTO 1 2\n", false},
        {"CTO? 1 1\t2 3\n", true, {"CTO?", "", {}, {}, Ints{1, 2}, Ints{1, 3}, {}, 2}},
    };
    for (const Case& c : cases) Check(c);
}

std::string Repeat(const std::string& piece, int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += piece;
    return s;
}

TEST(TalParser, ItemsAndGroupsAreBounded) {
    TalLine out;
    EXPECT_EQ(ParseTalLine("POS? " + std::string(kTalMaxItems, 'A') + "\n", out), TalParse::Valid);
    EXPECT_EQ(out.identifiers.size(), static_cast<size_t>(kTalMaxItems));
    EXPECT_EQ(ParseTalLine("POS? " + std::string(kTalMaxItems + 1, 'A') + "\n", out),
              TalParse::Invalid);

    EXPECT_EQ(ParseTalLine("JON? " + Repeat("1 ", kTalMaxItems), out), TalParse::Valid);
    EXPECT_EQ(out.count, kTalMaxItems);
    EXPECT_EQ(ParseTalLine("JON? " + Repeat("1 ", kTalMaxItems + 1), out), TalParse::Invalid);
    EXPECT_EQ(ParseTalLine("JBS? " + Repeat("1 1 ", kTalMaxItems), out), TalParse::Valid);
    EXPECT_EQ(ParseTalLine("JBS? " + Repeat("1 1 ", kTalMaxItems + 1), out), TalParse::Invalid);
    EXPECT_EQ(ParseTalLine("JDT " + Repeat("1 1 1 ", kTalMaxItems), out), TalParse::Valid);
    EXPECT_EQ(ParseTalLine("JDT " + Repeat("1 1 1 ", kTalMaxItems + 1), out), TalParse::Invalid);
    EXPECT_EQ(ParseTalLine("JLT 1 1 1 " + Repeat("0 ", kTalMaxItems), out), TalParse::Valid);
    EXPECT_EQ(ParseTalLine("JLT 1 1 1 " + Repeat("0 ", kTalMaxItems + 1), out), TalParse::Invalid);
}

TEST(TalParser, TextBeyondItsAreaIsInvalid) {
    // 200 characters and " \n" per name: 162 names fit, 163 do not
    const std::string name = " A " + std::string(200, 'N');
    TalLine out;
    EXPECT_EQ(ParseTalLine("CST" + Repeat(name, 162) + "\n", out), TalParse::Valid);
    EXPECT_EQ(out.text.size(), 162u * 202u);
    EXPECT_EQ(ParseTalLine("CST" + Repeat(name, 163) + "\n", out), TalParse::Invalid);
    // the values of CTO share the area
    const std::string value = " 1 1 " + std::string(200, '7');
    EXPECT_EQ(ParseTalLine("CTO" + Repeat(value, 163) + "\n", out), TalParse::Valid);
    EXPECT_EQ(ParseTalLine("CTO" + Repeat(value, 164) + "\n", out), TalParse::Invalid);
}

TEST(TalParser, IntegerForms) {
    int v = 0;
    EXPECT_TRUE(ParseTalInteger("0x3C", 0, &v));
    EXPECT_EQ(v, 60);
    EXPECT_TRUE(ParseTalInteger("074", 0, &v));
    EXPECT_EQ(v, 60);
    EXPECT_TRUE(ParseTalInteger("-2147483648", 10, &v));
    EXPECT_EQ(v, -2147483648LL);
    for (const char* bad : {"", " 1", "1 ", "0x", "2147483648", "1.0", "09"})
        EXPECT_FALSE(ParseTalInteger(bad, 0, &v)) << bad;
}

}  // namespace
