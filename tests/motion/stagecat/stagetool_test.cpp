// stagetool as a user runs it: building a database from a description, listing, showing,
// verifying, and editing a user database; protected files and foreign files stay as they are.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/motion/stages/StageTestSupport.h"

namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun Stagetool(const std::string& arguments) {
    const std::string command = std::string(ZR_STAGETOOL) + " " + arguments + " 2>&1";
    ToolRun run{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class StagetoolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        stage_test::WriteFile(folder.File("stages.txt"),
                              ToBytes("# two stages\n"
                                      "[LIN-A]\ntype = 0\ncounts-numerator = 2000\n"
                                      "max-travel = 25 # mm\nhas-reference = 1\n"
                                      "[STEP-B]\ncontroller = CORVANE\ntype = 6\nrotary = 1\n"));
    }
    static std::vector<uint8_t> ToBytes(const std::string& text) {
        return std::vector<uint8_t>(text.begin(), text.end());
    }
    std::string Quote(const std::string& name) const { return "'" + folder.File(name) + "'"; }

    stage_test::TempFolder folder;
};

TEST_F(StagetoolTest, BuildListShowVerify) {
    ToolRun run = Stagetool("build " + Quote("stages.txt") + " " + Quote("zrstages2.dat"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(stage_test::ReadFile(folder.File("zrstages2.dat")).size(), 3u * 2048 + 2);

    run = Stagetool("list " + Quote("zrstages2.dat"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("version 200, revision 3, protected"), std::string::npos);
    EXPECT_NE(run.output.find("checksum valid, 2 stages"), std::string::npos);
    EXPECT_NE(run.output.find("LIN-A"), std::string::npos);
    EXPECT_NE(run.output.find("stepper motor, rotary, no reference"), std::string::npos);

    run = Stagetool("show " + Quote("zrstages2.dat") + " LIN-A");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("counts-numerator     = 2000"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("max-travel           = 25"), std::string::npos);

    EXPECT_EQ(Stagetool("verify " + Quote("zrstages2.dat")).status, 0);
    std::vector<uint8_t> bytes = stage_test::ReadFile(folder.File("zrstages2.dat"));
    bytes[3000] ^= 1;
    stage_test::WriteFile(folder.File("zrstages2.dat"), bytes);
    run = Stagetool("verify " + Quote("zrstages2.dat"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("checksum INVALID"), std::string::npos);
}

TEST_F(StagetoolTest, EditsUserDatabasesOnly) {
    const std::string user = Quote("corvaneuserstages2.dat");
    ASSERT_EQ(Stagetool("add " + user + " " + Quote("stages.txt")).status, 0);
    ToolRun run = Stagetool("set " + user + " LIN-A p-term 321");
    ASSERT_EQ(run.status, 0) << run.output;
    run = Stagetool("show " + user + " LIN-A");
    EXPECT_NE(run.output.find("p-term               = 321"), std::string::npos) << run.output;
    EXPECT_NE(Stagetool("set " + user + " LIN-A p-term lots").status, 0);
    EXPECT_NE(Stagetool("set " + user + " LIN-A no-such-key 1").status, 0);
    ASSERT_EQ(Stagetool("remove " + user + " STEP-B").status, 0);
    run = Stagetool("list " + user);
    EXPECT_NE(run.output.find("writable"), std::string::npos);
    EXPECT_NE(run.output.find("1 stages"), std::string::npos) << run.output;

    ASSERT_EQ(Stagetool("build " + Quote("stages.txt") + " " + Quote("zrstages2.dat")).status, 0);
    const auto maker = stage_test::ReadFile(folder.File("zrstages2.dat"));
    EXPECT_NE(Stagetool("set " + Quote("zrstages2.dat") + " LIN-A p-term 1").status, 0);
    EXPECT_NE(Stagetool("remove " + Quote("zrstages2.dat") + " LIN-A").status, 0);
    EXPECT_EQ(stage_test::ReadFile(folder.File("zrstages2.dat")), maker);

    stage_test::WriteFile(folder.File("notes.dat"), ToBytes("not a stage file"));
    EXPECT_NE(Stagetool("list " + Quote("notes.dat")).status, 0);
    EXPECT_NE(Stagetool("add " + Quote("notes.dat") + " " + Quote("stages.txt")).status, 0);
    EXPECT_EQ(stage_test::ReadFile(folder.File("notes.dat")), ToBytes("not a stage file"));
}

TEST_F(StagetoolTest, DescriptionErrorsNameTheLine) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {{"[A]\nbogus = 1\n", "line 2: unknown key"},
                 {"type = 0\n", "line 1: a value before"},
                 {"[BAD NAME]\n", "line 1: invalid stage name"},
                 {"[A]\ntype = zero\n", "line 2: \"zero\" is no value"}};
    for (const auto& c : cases) {
        stage_test::WriteFile(folder.File("bad.txt"), ToBytes(c.text));
        const ToolRun run = Stagetool("build " + Quote("bad.txt") + " " + Quote("out.dat"));
        EXPECT_EQ(run.status, 1) << c.text;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    }
    EXPECT_EQ(Stagetool("").status, 2);
}

}  // namespace
