// Several writers of one stage database at once, and what killed writers leave behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "StageTestSupport.h"
#include "motion/stages/ZRStageInfoFile_V200.h"

namespace {

using namespace stage_test;

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new EmptyRegistry);

constexpr int kStagesPerWriter = 50;

// Adds kStagesPerWriter stages one at a time, each through its own open, as separate runs of a
// tool would. Returns the number of adds that failed.
int AddStagesOneByOne(const std::string& path, const std::string& prefix) {
    int failed = 0;
    for (int k = 0; k < kStagesPerWriter; ++k) {
        ZRStageInfoFile_V200 file;
        if (!file.OpenStageParameterFile(path) ||
            !file.AddStage(MakeSet(prefix + std::to_string(k)))) {
            ++failed;
        }
    }
    return failed;
}

pid_t StartWriter(const std::string& path, const std::string& prefix) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(AddStagesOneByOne(path, prefix) == 0 ? 0 : 1);
    return pid;
}

int ExitCode(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(StageFileWriters, TwoProcessesAddingAtOnceLoseNothing) {
    TempFolder folder;
    const std::string path = folder.File("corvaneuserstages2.dat");
    const pid_t first = StartWriter(path, "P-");
    const pid_t second = StartWriter(path, "Q-");
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    EXPECT_EQ(ExitCode(first), 0);
    EXPECT_EQ(ExitCode(second), 0);

    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    EXPECT_EQ(file.GetNumberOfStages(), 2 * kStagesPerWriter);
    StageParameterSet set;
    for (const char* prefix : {"P-", "Q-"})
        for (int k = 0; k < kStagesPerWriter; ++k) {
            const std::string name = prefix + std::to_string(k);
            EXPECT_TRUE(file.GetStageByName(name, set)) << name;
        }
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"corvaneuserstages2.dat"});
}

// An object opened before another writer's change builds on that change instead of
// overwriting it with its own, older image.
TEST(StageFileWriters, AnObjectOpenedEarlierKeepsAnotherWritersChange) {
    TempFolder folder;
    const std::string path = folder.File("user2.dat");
    ZRStageInfoFile_V200 early;
    ASSERT_TRUE(early.OpenStageParameterFile(path));
    {
        ZRStageInfoFile_V200 other;
        ASSERT_TRUE(other.OpenStageParameterFile(path));
        ASSERT_TRUE(other.AddStage(MakeSet("OTHER")));
    }
    ASSERT_TRUE(early.AddStage(MakeSet("EARLY")));
    EXPECT_EQ(early.GetNumberOfStages(), 2);
    ASSERT_TRUE(early.RemoveStage("OTHER"));  // sees the other writer's record
    ZRStageInfoFile_V200 check;
    ASSERT_TRUE(check.OpenStageParameterFile(path));
    EXPECT_EQ(check.GetNumberOfStages(), 1);
    StageParameterSet set;
    EXPECT_TRUE(check.GetStageByName("EARLY", set));
}

// The number of a process that has ended (and was reaped).
pid_t EndedProcess() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    (void)ExitCode(pid);
    return pid;
}

void SetModificationTime(const std::string& path, std::time_t when) {
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(StageFileWriters, TemporaryFilesOfKilledWritersAreRemovedByTheNextWriter) {
    TempFolder folder;
    const std::string path = folder.File("user2.dat");
    {
        ZRStageInfoFile_V200 file;
        ASSERT_TRUE(file.OpenStageParameterFile(path));
    }
    const std::string ended = ".user2.dat.tmp" + std::to_string(EndedProcess()) + ".0";
    // Process 1 runs, but started long after this file was written: its number was reused.
    const std::string reused = ".user2.dat.tmp1.3";
    // The parent of this test runs and started before the file was written.
    const std::string running = ".user2.dat.tmp" + std::to_string(::getppid()) + ".1";
    const std::string foreign = ".user2.dat.tmpXYZ.1";
    for (const std::string& name : {ended, reused, running, foreign})
        WriteFile(folder.File(name), std::vector<uint8_t>(4096, 0x55));
    SetModificationTime(folder.File(reused), 86400);

    ZRStageInfoFile_V200 file;
    ASSERT_TRUE(file.OpenStageParameterFile(path));
    ASSERT_TRUE(file.AddStage(MakeSet("A")));
    std::vector<std::string> left = folder.Entries();
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected{running, foreign, "user2.dat"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
}

}  // namespace
