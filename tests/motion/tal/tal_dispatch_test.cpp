// Every command word of the command-string interface once, against the simulated chain: the line's
// result and error, the answer lines it queued and the lines its boards received.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "motion/controller/TalDispatchTable.h"
#include "tests/motion/tal/TalFixture.h"

namespace taltest {
namespace {

struct Row {
    std::string line;
    bool result;
    int error;               // what Corvane_GetError gives afterwards
    std::string answer;      // a pattern for all answer lines, joined
    std::string sentA = "";  // a line address 0 must have received, when given
    std::string sentB = "";  // likewise address 1
};

std::string Shown(const std::string& s) {
    std::string out;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (u < ' ' || u > '~')
            out += "\\x" + std::to_string(u);
        else
            out += c;
    }
    return out;
}

// The order matters: rows change the state later rows see.
const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"\x05", true, 0, "0\n"},
        {"\x07", true, 0, "\xB1\n"},
        {"\x08", true, 0, "0\n"},
        {"CLR", true, 0, ""},
        {"XXX A B", true, 0, ""},
        {"SVO A 1 B 1", true, 0, ""},
        {"SVO? A B", true, 0, "A=1 \nB=1\n"},
        {"MOV A 1", true, 0, "", "MA1000"},
        {"MVR A 0.5", true, 0, "", "MR500"},
        {"MOV? A", true, 0, "A=1.500000\n"},
        {"POS B 3", true, 0, ""},
        {"POS? B", true, 0, "B=3.000000\n"},
        {"VEL A 5", true, 0, "", "SV5000"},
        {"VEL? A", true, 0, "A=5.000000\n"},
        {"DFF A 1", true, 0, ""},
        {"DFF? A", true, 0, "A=1.000000\n"},
        {"TMN? A B", true, 0, "A=-50.000000 \nB=-50.000000\n"},
        {"TMX? A", true, 0, "A=50.000000\n"},
        {"ONT? A", true, 0, "A=[01]\n"},
        {"LIM? A", true, 0, "A=[01]\n"},
        {"REF? A", true, 0, "A=1\n"},
        {"RON A 0", true, 0, ""},
        {"RON? A", true, 0, "A=0\n"},
        {"HLT A", false, ZR_CNTR_STOPPED_BY_COMMAND, ""},  // a stop is reported as such
        {"\x18", false, ZR_CNTR_STOPPED_BY_COMMAND, ""},
        {"STP", false, ZR_CNTR_STOPPED_BY_COMMAND, ""},
        {"GOH B", true, 0, ""},
        {"DFH B", true, 0, "", "", "TP"},  // the home is kept by the library
        {"DFH? B", true, 0, "B=-?[0-9]+\\.[0-9]{6}\n"},
        {"INI A", true, 0, ""},
        {"BRA A 0", true, 0, ""},
        {"BRA?", true, 0, "[^ ]*\n"},
        {"MPL Z", false, ZR_UNKNOWN_AXIS_IDENTIFIER, ""},
        {"MNL Z", false, ZR_UNKNOWN_AXIS_IDENTIFIER, ""},
        {"REF Z", false, ZR_UNKNOWN_AXIS_IDENTIFIER, ""},
        {"FED A 3", true, 0, "", "FE2"},
        {"SRG? A 3", true, 0, "A3=-?[0-9]+\n"},
        {"CST? A B", true, 0, "A=TESTSERVO \nB=TESTSTEPPER\n"},
        {"CST A NOSUCHSTAGE", false, -1, ""},
        {"VST?", false, -1, ""},  // no stage files here
        {"SAI?", true, 0, "AB\n"},
        {"SAI? ALL", true, 0, "AB[A-Z0-9]*\n"},
        {"SAI A C", true, 0, ""},
        {"SAI C A", true, 0, ""},
        {"TVI?", true, 0, "[^\n]+\n"},
        {"*IDN?", true, 0, "Telvar Motion,Corvane TAL Network,,2.2.0.38\n"},
        {"VER?", true, 0, "(.* \n)*.*\n"},
        {"ERR?", true, 0, "0\n"},
        {"HLP?", true, 0, "(.* \n)+.*\n"},
        {"HPA?", true, 0, "(.* \n)+end of help\n"},
        {"SPA? A60 B60", true, 0, "A60=TESTSERVO \nB60=TESTSTEPPER\n"},
        {"SPA?", true, 0, "(A[0-9]+=[^\n]* \n)+(B[0-9]+=[^\n]* \n)*B[0-9]+=[^\n]*\n"},
        {"SPA A 60 teststage", true, 0, ""},
        {"SPA? A0x3c", true, 0, "A60=TESTSTAGE\n"},
        {"DIO A 1", true, 0, ""},
        {"DIO? A", true, 0, "A=[01]\n"},
        {"DIO?", true, 0,
         "A=[01] \nB=[01] \nC=[01] \nD=[01] \nE=[01] \nF=[01] \nG=[01] \nH=[01]\n"},
        {"TIO?", true, 0, "I=8 \nO=8\n"},
        {"TAC?", true, 0, "[0-9]+\n"},
        {"TNJ?", true, 0, "2\n"},
        {"TAV? A1", true, 0, "-?[0-9]+\\.[0-9]{6}\n"},
        {"JON 1 0 2 0", true, 0, "", "JC", "JC"},
        {"JON?", true, 0, "1=0 \n2=0\n"},
        {"JON? 2", true, 0, "2=0\n"},
        {"JBS?", true, 0, "1 1=[01] \n2 1=[01]\n"},
        {"JAS? 1 1", true, 0, "1 1=-?[0-9]\\.[0-9]{6}\n"},
        {"JAX?", true, 0, "1 1=A \n2 1=B\n"},
        {"JDT 1 1 1", true, 0, ""},
        {"JLT 1 1 1 0.5 -0.5", true, 0, ""},
        {"JLT? 1 2 1 1", true, 0, "(#[^\n]* \n)+0\\.500000 \n-0\\.500000\n"},
        {"JLT? -2147483648", false, ZR_CNTR_PARAMETER_OUT_OF_RANGE, ""},
        {"JLT? 257", false, ZR_CNTR_PARAMETER_OUT_OF_RANGE, ""},
        {"CTO 1 3 0", true, 0, ""},
        {"CTO? 1 3", true, 0, "1 3=0\n"},
        {"TRO 1 0", true, 0, ""},
        {"TRO?", true, 0, "1=0 \n2=0\n"},
        {"DEL 1", true, 0, ""},
        {"WAC ONT? A = 1", false, ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE, ""},
        {"MEX DIO? A = 1", false, ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE, ""},
        {"MAC END", false, ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE, ""},
        {"MAC?", true, 0, "(.* \n)*.*\n"},
        {"PLM A 1", false, ZR_CNTR_UNKNOWN_COMMAND, ""},
        {"NLM A 1", false, ZR_CNTR_UNKNOWN_COMMAND, ""},
        {"SSL A 1", false, ZR_CNTR_UNKNOWN_COMMAND, ""},
        {"NOSUCH A", false, ZR_CNTR_UNKNOWN_COMMAND, ""},
    };
    return rows;
}

std::string Word(const std::string& line) {
    return line.substr(0, line.find(' '));
}

class TalDispatchTest : public TalFixture {};

TEST_F(TalDispatchTest, EveryCommandWordOnce) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(Shown(row.line));
        sim->ClearTranscript();
        EXPECT_EQ(Corvane_TalCommandset(id, row.line.c_str()), row.result ? 1 : 0);
        const int error = Corvane_GetError(id);
        if (row.error == -1)
            EXPECT_NE(error, 0);
        else
            EXPECT_EQ(error, row.error);
        std::string joined;
        for (const std::string& line : Answers()) joined += line;
        EXPECT_TRUE(std::regex_match(joined, std::regex(row.answer))) << Shown(joined);
        if (!row.sentA.empty()) {
            EXPECT_TRUE(Got(0, row.sentA)) << iotest::Join(Sent(0));
        }
        if (!row.sentB.empty()) {
            EXPECT_TRUE(Got(1, row.sentB)) << iotest::Join(Sent(1));
        }
    }
}

TEST_F(TalDispatchTest, TheRowsReachEveryCommandWord) {
    std::set<std::string> reached;
    for (const Row& row : Rows()) reached.insert(Word(row.line));
    for (const TalCommandRow& command : TalCommandRows())
        EXPECT_TRUE(reached.count(std::string(command.word))) << Shown(std::string(command.word));
}

}  // namespace
}  // namespace taltest
