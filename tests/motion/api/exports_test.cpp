// The exported functions of libZR_Corvane_TAL.so against simulated chains: the controller table,
// the error exports, identification, raw native text and axis identifiers.
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/motion/api/ApiFixture.h"

namespace apitest {
namespace {

using Lines = std::vector<std::string>;

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// ---- controller table ---------------------------------------------------------------------

class TableTest : public ApiFixture {};

TEST_F(TableTest, IdsCountUpAndAClosedIdIsNeverGivenAgain) {
    StartChain(11, kOneServo);
    StartChain(12, kOneServo);
    const int first = Connect(11, 1);
    ASSERT_GE(first, 0);
    EXPECT_EQ(Connect(12, 1), first + 1);
    EXPECT_TRUE(Corvane_IsConnected(first));
    EXPECT_TRUE(Corvane_IsConnected(first + 1));

    Close(first);
    EXPECT_FALSE(Corvane_IsConnected(first));
    EXPECT_TRUE(Corvane_IsConnected(first + 1));
    EXPECT_EQ(Connect(11, 1), first + 2);  // the port is free again, the ID is not
    EXPECT_FALSE(Corvane_IsConnected(first));
}

TEST_F(TableTest, PortWithoutBoardGivesMinusOneAndUsesNoId) {
    StartChain(11, kOneServo);
    StartChain(12, kOneServo);
    const int first = Connect(11, 1);
    ASSERT_GE(first, 0);
    {
        SilentPort silent(13);
        ASSERT_FALSE(silent.path.empty());
        EXPECT_EQ(Connect(13, 1), -1);
        // the scan asked address 0 for its board number and got no answer
        const std::string wire = Drain(silent.master, 500ms);
        EXPECT_NE(wire.find("\x01"
                            "0"),
                  std::string::npos);
        EXPECT_NE(wire.find("TB\r"), std::string::npos) << wire;
    }
    EXPECT_EQ(Connect(12, 1), first + 1);
}

TEST_F(TableTest, PortThatDoesNotOpenGivesMinusOne) {
    PointPort(14, "/nonexistent/tty-for-test");
    EXPECT_EQ(Connect(14, 1), -1);
    ForgetPort(14);
}

TEST(SettingsTest, ScanCountIsClampedToOneToSixteen) {
    const struct {
        int asked, inForce;
    } cases[] = {{0, 1}, {-5, 1}, {INT_MIN, 1}, {1, 1}, {2, 2}, {16, 16}, {17, 16}, {INT_MAX, 16}};
    for (const auto& c : cases)
        EXPECT_EQ(Corvane_SetMaxNrOfControllers(c.asked), c.inForce) << c.asked;
    Corvane_SetMaxNrOfControllers(16);
}

TEST(SettingsTest, FeatureDetectionChoiceReturnsThePreviousOne) {
    EXPECT_EQ(Corvane_CheckFeaturesByControllerVersion(0), 1);
    EXPECT_EQ(Corvane_CheckFeaturesByControllerVersion(1), 0);
    EXPECT_EQ(Corvane_CheckFeaturesByControllerVersion(1), 1);
}

TEST_F(TableTest, ScanAsksOnlyTheAddressesInForce) {
    corvane_sim::CorvaneSim& sim = StartChain(11, kTwoBoards);
    const int id = Connect(11, 1);
    ASSERT_GE(id, 0);
    char axes[17] = {};
    ASSERT_TRUE(Corvane_qSAI_ALL(id, axes, sizeof axes));
    EXPECT_STREQ(axes, "A");
    EXPECT_TRUE(sim.ReceivedLines(1).empty());
    EXPECT_TRUE(Contains(sim.ReceivedLines(0), "TB"));
    Close(id);

    const int next = Connect(11, 2);
    ASSERT_GE(next, 0);
    ASSERT_TRUE(Corvane_qSAI_ALL(next, axes, sizeof axes));
    EXPECT_STREQ(axes, "AB");
    EXPECT_TRUE(Contains(sim.ReceivedLines(1), "TB"));
}

TEST_F(TableTest, FeaturesAreFoundByVersionOrByTryingCommands) {
    corvane_sim::CorvaneSim& sim = StartChain(11, kOneServo);
    Corvane_CheckFeaturesByControllerVersion(1);
    int id = Connect(11, 1);
    ASSERT_GE(id, 0);
    EXPECT_TRUE(Contains(sim.ReceivedLines(0), "CS"));
    Close(id);

    sim.ClearTranscript();
    Corvane_CheckFeaturesByControllerVersion(0);
    id = Connect(11, 1);
    ASSERT_GE(id, 0);
    EXPECT_FALSE(Contains(sim.ReceivedLines(0), "CS"));
    EXPECT_TRUE(Contains(sim.ReceivedLines(0), "TB"));
}

TEST_F(TableTest, ClosingAnInvalidIdDoesNothing) {
    StartChain(11, kOneServo);
    const int id = Connect(11, 1);
    ASSERT_GE(id, 0);
    for (int bad : {-1, id + 1, 100000, INT_MIN}) {
        Corvane_CloseConnection(bad);
        EXPECT_FALSE(Corvane_IsConnected(bad));
    }
    EXPECT_TRUE(Corvane_IsConnected(id));
    Close(id);
    Corvane_CloseConnection(id);  // a second time
    EXPECT_FALSE(Corvane_IsConnected(id));
}

// ---- error exports -------------------------------------------------------------------------

class ErrorTest : public ApiFixture {
  protected:
    void SetUp() override {
        ApiFixture::SetUp();
        if (IsSkipped()) return;
        sim = &StartChain(11, kTwoBoards);
        id = Connect(11, 2);
        ASSERT_GE(id, 0);
    }
    corvane_sim::CorvaneSim* sim = nullptr;
    int id = -1;
};

TEST_F(ErrorTest, InvalidIdGivesMinusNine) {
    for (int bad : {-1, id + 1, INT_MAX}) {
        EXPECT_EQ(Corvane_GetError(bad), -9) << bad;
        EXPECT_EQ(Corvane_SetErrorCheck(bad, 0), -9) << bad;
        int e = 12345;
        EXPECT_FALSE(Corvane_qERR(bad, &e));
        EXPECT_EQ(e, 12345);
    }
    Close(id);
    EXPECT_EQ(Corvane_GetError(id), -9);
}

TEST_F(ErrorTest, QuietControllerHasNoErrorAndNoInitialisedAxisToAsk) {
    sim->ClearTranscript();
    EXPECT_EQ(Corvane_GetError(id), 0);
    // no axis has been initialised: the poll has no board to ask
    EXPECT_TRUE(sim->ReceivedLines(0).empty());
    EXPECT_TRUE(sim->ReceivedLines(1).empty());
}

TEST_F(ErrorTest, AnErrorIsReadOnce) {
    char small[4];
    EXPECT_FALSE(Corvane_qIDN(id, small, sizeof small));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_EQ(Corvane_GetError(id), 0);

    EXPECT_FALSE(Corvane_qTVI(id, small, sizeof small));
    int e = 0;
    EXPECT_TRUE(Corvane_qERR(id, &e));
    EXPECT_EQ(e, COM_BUFFER_OVERFLOW);
    EXPECT_TRUE(Corvane_qERR(id, &e));
    EXPECT_EQ(e, 0);
    EXPECT_TRUE(Corvane_qERR(id, nullptr));
}

TEST_F(ErrorTest, ErrorCheckFlagIsStoredAndThePreviousReturned) {
    EXPECT_EQ(Corvane_SetErrorCheck(id, 0), 1);  // set by the connect
    EXPECT_EQ(Corvane_SetErrorCheck(id, 1), 0);
    EXPECT_EQ(Corvane_SetErrorCheck(id, 1), 1);
}

// ---- identification ------------------------------------------------------------------------

class IdentificationTest : public ErrorTest {};

const std::string kIdentification = "Telvar Motion,Corvane TAL Network,,2.2.0.38\n";

// A query whose text is expected: one byte short fails and writes nothing, the exact size works
// and writes only the text and its NUL.
void CheckBoundary(int id, const std::function<ZR_BOOL(int, char*, int)>& query,
                   const std::string& expected) {
    const int exact = static_cast<int>(expected.size()) + 1;
    MarkedBuffer tooShort(exact);
    EXPECT_FALSE(query(id, tooShort.data(), exact - 1));
    EXPECT_TRUE(tooShort.Untouched());
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);

    MarkedBuffer fits(exact);
    ASSERT_TRUE(query(id, fits.data(), exact)) << Corvane_GetError(id);
    EXPECT_EQ(fits.Text(), expected);
    EXPECT_TRUE(fits.WrittenOnly(static_cast<size_t>(exact)));

    for (int size : {0, -1}) {
        MarkedBuffer none(8);
        EXPECT_FALSE(query(id, none.data(), size));
        EXPECT_TRUE(none.Untouched());
        EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    }
    EXPECT_FALSE(query(id, nullptr, exact));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
}

TEST_F(IdentificationTest, IdnNeedsRoomForTextAndNulAndAsksNoBoard) {
    ASSERT_EQ(kIdentification.size(), 44u);
    sim->ClearTranscript();
    CheckBoundary(id, Corvane_qIDN, kIdentification);
    EXPECT_TRUE(sim->ReceivedLines(0).empty());
    EXPECT_TRUE(sim->ReceivedLines(1).empty());
}

TEST_F(IdentificationTest, HelpTextIsTheSeventyThreeLines) {
    std::vector<char> buffer(4000);
    ASSERT_TRUE(Corvane_qHLP(id, buffer.data(), static_cast<int>(buffer.size())));
    const std::string text = buffer.data();
    ASSERT_EQ(text.size(), 3225u);

    Lines lines;
    size_t start = 0;
    for (size_t end; (end = text.find(" \n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    ASSERT_EQ(lines.size(), 73u);
    EXPECT_EQ(lines[0], "The following commands are valid:");
    EXPECT_EQ(lines[1], "#5 query which stages are moving");
    EXPECT_EQ(lines[5], "*IDN? query identification string of controller");
    EXPECT_EQ(lines[51], "SAI? [\"ALL\"] query connected or all possible axes");
    EXPECT_EQ(lines[66], "TVI? display valid axis characters");
    EXPECT_EQ(lines[71], "WAC wait until condition occurs (only in macro)");
    EXPECT_EQ(lines[72], "end of help");
    EXPECT_EQ(text.find('\n', text.size() - 11), std::string::npos);  // no line end at the end

    CheckBoundary(id, Corvane_qHLP, text);
}

TEST_F(IdentificationTest, ValidAxisCharactersInTheirOrder) {
    const std::string expected =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890@?>=<;:`_^]\\[/.-,+*)('&%$#\"!";
    ASSERT_EQ(expected.size(), 64u);
    CheckBoundary(id, Corvane_qTVI, expected);
}

TEST_F(IdentificationTest, VersionAsksEveryBoard) {
    const std::string expected =
        "ZR_Corvane_TAL_DLL: 2.2.0.38 \nA:R-220 Version 2.40 \nB:R-210 Version 1.20\n";
    sim->ClearTranscript();
    CheckBoundary(id, Corvane_qVER, expected);
    // every call of the boundary check that got past the argument check asked both boards
    const auto asked = [&](int board) {
        const Lines lines = sim->ReceivedLines(board);
        return std::count(lines.begin(), lines.end(), "VE");
    };
    EXPECT_GE(asked(0), 2);
    EXPECT_EQ(asked(0), asked(1));
    EXPECT_EQ(sim->ReceivedLines(0), Lines(static_cast<size_t>(asked(0)), "VE"));
}

TEST_F(IdentificationTest, VersionFailsWithTheLineErrorWhenABoardIsSilent) {
    sim->DropAnswers(1, 1);
    MarkedBuffer buffer(500);
    EXPECT_FALSE(Corvane_qVER(id, buffer.data(), 500));
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_EQ(Corvane_GetError(id), COM_TIMEOUT);
    // the next query works again
    ASSERT_TRUE(Corvane_qVER(id, buffer.data(), 500));
    EXPECT_NE(buffer.Text().find("B:R-210 Version 1.20\n"), std::string::npos);
}

TEST_F(IdentificationTest, InvalidIdReturnsFalseAndWritesNothing) {
    const int bad = id + 1;
    const std::vector<std::function<ZR_BOOL(char*, int)>> queries = {
        [&](char* b, int n) { return Corvane_qIDN(bad, b, n); },
        [&](char* b, int n) { return Corvane_qVER(bad, b, n); },
        [&](char* b, int n) { return Corvane_qHLP(bad, b, n); },
        [&](char* b, int n) { return Corvane_qTVI(bad, b, n); },
        [&](char* b, int n) { return Corvane_qSAI(bad, b, n); },
        [&](char* b, int n) { return Corvane_qSAI_ALL(bad, b, n); },
        [&](char* b, int n) { return Corvane_ReceiveNonTALString(bad, b, n); },
    };
    for (size_t i = 0; i < queries.size(); ++i) {
        MarkedBuffer buffer(4000);
        EXPECT_FALSE(queries[i](buffer.data(), 4000)) << i;
        EXPECT_TRUE(buffer.Untouched()) << i;
    }
    sim->ClearTranscript();
    EXPECT_FALSE(Corvane_SendNonTALString(bad, "TB"));
    EXPECT_FALSE(Corvane_INI(bad, "A"));
    EXPECT_FALSE(Corvane_SAI(bad, "A", "X"));
    EXPECT_FALSE(Corvane_IsConnected(bad));
    EXPECT_TRUE(sim->ReceivedLines(0).empty());
    EXPECT_EQ(Corvane_GetError(id), 0);  // nothing stored in the valid controller either
}

// ---- raw native text -----------------------------------------------------------------------

class NonTALTest : public ErrorTest {
  protected:
    std::string Receive() {
        char line[128] = {};
        EXPECT_TRUE(Corvane_ReceiveNonTALString(id, line, sizeof line)) << Corvane_GetError(id);
        return line;
    }
};

TEST_F(NonTALTest, EmptyTextSendsNothing) {
    // an answered line first, so that everything before it has been taken by the boards
    ASSERT_TRUE(Corvane_SendNonTALString(id,
                                         "\x01"
                                         "0"));
    ASSERT_TRUE(Corvane_SendNonTALString(id, "TB"));
    EXPECT_EQ(Receive(), "B:0");
    sim->ClearTranscript();
    EXPECT_TRUE(Corvane_SendNonTALString(id, ""));
    EXPECT_TRUE(Corvane_SendNonTALString(id, nullptr));
    ASSERT_TRUE(Corvane_SendNonTALString(id, "TB"));
    ASSERT_TRUE(sim->WaitForLine(0, "TB", 5s));
    EXPECT_EQ(sim->ReceivedText(0), "TB\r");  // the marker line and nothing before it
    EXPECT_TRUE(sim->ReceivedText(1).empty());
    EXPECT_TRUE(sim->ReceivedText(corvane_sim::Transcript::kUnselected).empty());
    EXPECT_EQ(Receive(), "B:0");
}

TEST_F(NonTALTest, TextStartingWithAControlCharacterGoesWithoutLineEnd) {
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_SendNonTALString(id,
                                         "\x01"
                                         "1TB"));
    // the bytes reach board 1 but make no line until a CR follows
    for (int wait = 0; wait < 200 && sim->ReceivedText(1).find("TB") == std::string::npos; ++wait)
        std::this_thread::sleep_for(10ms);
    EXPECT_NE(sim->ReceivedText(1).find("TB"), std::string::npos);
    EXPECT_TRUE(sim->ReceivedLines(1).empty());
    ASSERT_TRUE(Corvane_SendNonTALString(id, "\r"));
    ASSERT_TRUE(sim->WaitForLine(1, "TB", 5s));
    EXPECT_EQ(Receive(), "B:1");
}

TEST_F(NonTALTest, PlainTextIsOneLineAndItsAnswerIsReceived) {
    ASSERT_TRUE(Corvane_SendNonTALString(id,
                                         "\x01"
                                         "0"));
    sim->ClearTranscript();
    ASSERT_TRUE(Corvane_SendNonTALString(id, "VE"));
    ASSERT_TRUE(sim->WaitForLine(0, "VE", 5s));
    EXPECT_EQ(Receive(), "R-220 Version 2.40");
}

TEST_F(NonTALTest, NoBufferTakesNoLine) {
    ASSERT_TRUE(Corvane_SendNonTALString(id,
                                         "\x01"
                                         "0"));
    ASSERT_TRUE(Corvane_SendNonTALString(id, "TB"));
    EXPECT_FALSE(Corvane_ReceiveNonTALString(id, nullptr, 64));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    char none[4];
    EXPECT_FALSE(Corvane_ReceiveNonTALString(id, none, 0));
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);
    EXPECT_EQ(Receive(), "B:0");
}

TEST_F(NonTALTest, ABoardSelectedByRawTextIsNotTakenForTheControllersOwn) {
    // Only board 0 is known to this controller; board 1 is talked to by raw text alone.
    Close(id);
    id = Connect(11, 1);
    ASSERT_GE(id, 0);
    ASSERT_TRUE(Corvane_SendNonTALString(id,
                                         "\x01"
                                         "1"));
    ASSERT_TRUE(Corvane_SendNonTALString(id, "VE"));
    EXPECT_EQ(Receive(), "R-210 Version 1.20");

    sim->ClearTranscript();
    char text[200] = {};
    ASSERT_TRUE(Corvane_qVER(id, text, sizeof text));
    EXPECT_STREQ(text, "ZR_Corvane_TAL_DLL: 2.2.0.38 \nA:R-220 Version 2.40\n");
    EXPECT_EQ(sim->ReceivedLines(0), Lines{"VE"});
    EXPECT_TRUE(sim->ReceivedLines(1).empty());
}

// ---- axes ----------------------------------------------------------------------------------

class AxesTest : public ErrorTest {};

TEST_F(AxesTest, AllBoardsAreListedButNoneHasAStageYet) {
    char axes[3] = {};
    ASSERT_TRUE(Corvane_qSAI_ALL(id, axes, sizeof axes));
    EXPECT_STREQ(axes, "AB");
    MarkedBuffer small(2);
    EXPECT_FALSE(Corvane_qSAI_ALL(id, small.data(), 2));
    EXPECT_TRUE(small.Untouched());
    EXPECT_EQ(Corvane_GetError(id), COM_BUFFER_OVERFLOW);

    char withStage[17] = "x";
    ASSERT_TRUE(Corvane_qSAI(id, withStage, sizeof withStage));
    EXPECT_STREQ(withStage, "");
}

TEST_F(AxesTest, AxesWithoutStageCannotBeInitialisedOrRenamed) {
    const struct {
        std::function<ZR_BOOL()> call;
        int error;
        const char* what;
    } cases[] = {
        {[&] { return Corvane_INI(id, ""); }, ZR_CNTR_NO_STAGE_CONNECTED, "INI all"},
        {[&] { return Corvane_INI(id, nullptr); }, ZR_CNTR_NO_STAGE_CONNECTED, "INI null"},
        {[&] { return Corvane_INI(id, "A"); }, ZR_CNTR_INVALID_STAGE_NAME, "INI A"},
        {[&] { return Corvane_INI(id, "Z"); }, ZR_UNKNOWN_AXIS_IDENTIFIER, "INI Z"},
        {[&] { return Corvane_SAI(id, "A", "X"); }, ZR_CNTR_INVALID_STAGE_NAME, "SAI A X"},
        {[&] { return Corvane_SAI(id, "", "X"); }, ZR_CNTR_PARAMETER_SYNTAX_ERROR, "SAI empty"},
        {[&] { return Corvane_SAI(id, nullptr, nullptr); }, ZR_CNTR_PARAMETER_SYNTAX_ERROR,
         "SAI null"},
    };
    sim->ClearTranscript();
    for (const auto& c : cases) {
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(Corvane_GetError(id), c.error) << c.what;
    }
    char axes[17] = {};
    ASSERT_TRUE(Corvane_qSAI_ALL(id, axes, sizeof axes));
    EXPECT_STREQ(axes, "AB");  // nothing renamed
}

}  // namespace
}  // namespace apitest
