#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "winport/AtomicWrite.h"
#include "winport/UniqueFd.h"

namespace fs = std::filesystem;

namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "winport-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        ::chmod(folder_.c_str(), 0700);
        fs::remove_all(folder_);
    }
    // Everything in the folder except the named file: left-over temporary files.
    int OthersThan(const std::string& name) const {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(folder_))
            n += entry.path().filename() != name;
        return n;
    }
    fs::path folder_;
};

}  // namespace

TEST(UniqueFd, ClosesWhenItGoesAndOnReset) {
    int raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(raw, 0);
    {
        winport::UniqueFd fd(raw);
        EXPECT_TRUE(fd.Valid());
        EXPECT_EQ(fd.Get(), raw);
    }
    EXPECT_FALSE(IsOpen(raw));

    winport::UniqueFd fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int first = fd.Get();
    fd.Reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    EXPECT_NE(fd.Get(), -1);
    EXPECT_TRUE(IsOpen(fd.Get()));
    EXPECT_TRUE(first == fd.Get() || !IsOpen(first));  // the number may be reused at once
    fd.Reset();
    EXPECT_FALSE(fd.Valid());
    EXPECT_FALSE(fd);
}

TEST(UniqueFd, MovesOwnershipAndReleases) {
    winport::UniqueFd a(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int raw = a.Get();
    winport::UniqueFd b(std::move(a));
    EXPECT_FALSE(a.Valid());
    EXPECT_EQ(b.Get(), raw);
    winport::UniqueFd c;
    c = std::move(b);
    EXPECT_EQ(c.Get(), raw);
    EXPECT_TRUE(IsOpen(raw));
    const int released = c.Release();
    EXPECT_FALSE(c.Valid());
    EXPECT_TRUE(IsOpen(released)) << "release must not close";
    ::close(released);
}

TEST(UniqueFd, CloseReportsTheResult) {
    winport::UniqueFd fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int raw = fd.Get();
    EXPECT_TRUE(fd.Close());
    EXPECT_FALSE(IsOpen(raw));
    EXPECT_FALSE(fd.Valid());
    EXPECT_FALSE(fd.Close()) << "nothing left to close";
}

TEST_F(TempFolder, WriteCreatesAndReplacesWholeFiles) {
    const fs::path target = folder_ / "data.bin";
    const std::string binary("a\0b\r\n\xff", 6);
    auto first = winport::WriteFileAtomically(target.string(), binary);
    ASSERT_TRUE(first.ok) << first.message;
    EXPECT_EQ(Slurp(target), binary);
    auto second = winport::WriteFileAtomically(target.string(), "shorter");
    ASSERT_TRUE(second.ok) << second.message;
    EXPECT_EQ(Slurp(target), "shorter");
    auto empty = winport::WriteFileAtomically(target.string(), "");
    ASSERT_TRUE(empty.ok) << empty.message;
    EXPECT_EQ(fs::file_size(target), 0u);
    EXPECT_EQ(OthersThan("data.bin"), 0) << "no temporary file stays behind";
}

TEST_F(TempFolder, PermissionsAreKeptOrGiven) {
    const fs::path target = folder_ / "kept";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_TRUE(winport::WriteFileAtomically(target.string(), "x").ok);
    EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0666 & ~mask))
        << "a new file is made as open() with 0666 would";
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(winport::WriteFileAtomically(target.string(), "y").ok);
    EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0640));
    winport::AtomicWriteOptions given;
    given.mode = 0600;
    ASSERT_TRUE(winport::WriteFileAtomically(target.string(), "z", given).ok);
    EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0600));
    EXPECT_EQ(Slurp(target), "z");
}

TEST_F(TempFolder, NamedTemporaryIsUsedAndMustBeNew) {
    const fs::path target = folder_ / "named";
    const fs::path temporary = folder_ / ".named.tmp1";
    winport::AtomicWriteOptions named;
    named.temporaryPath = temporary.string();
    ASSERT_TRUE(winport::WriteFileAtomically(target.string(), "one", named).ok);
    EXPECT_EQ(Slurp(target), "one");
    EXPECT_FALSE(fs::exists(temporary));

    { std::ofstream(temporary) << "someone else's"; }
    auto clash = winport::WriteFileAtomically(target.string(), "two", named);
    EXPECT_FALSE(clash.ok);
    EXPECT_EQ(clash.error, EEXIST);
    EXPECT_EQ(clash.message.rfind("cannot create " + temporary.string() + ": ", 0), 0u)
        << clash.message;
    EXPECT_EQ(Slurp(target), "one") << "target untouched";
    EXPECT_EQ(Slurp(temporary), "someone else's") << "a file it did not make is not removed";
}

TEST_F(TempFolder, FailuresLeaveTheTargetAndNoTemporary) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const fs::path target = folder_ / "guarded";
    ASSERT_TRUE(winport::WriteFileAtomically(target.string(), "old").ok);
    ASSERT_EQ(::chmod(folder_.c_str(), 0500), 0);
    auto denied = winport::WriteFileAtomically(target.string(), "new");
    EXPECT_FALSE(denied.ok);
    EXPECT_EQ(denied.error, EACCES);
    EXPECT_NE(denied.message.find("cannot create"), std::string::npos) << denied.message;
    ASSERT_EQ(::chmod(folder_.c_str(), 0700), 0);
    EXPECT_EQ(Slurp(target), "old");
    EXPECT_EQ(OthersThan("guarded"), 0);
}

TEST_F(TempFolder, AFailedRenameLeavesNoTemporary) {
    // The target is a folder: the rename fails after the data was written.
    const fs::path folderTarget = folder_ / "sub";
    fs::create_directory(folderTarget);
    fs::create_directory(folderTarget / "inside");
    auto refused = winport::WriteFileAtomically(folderTarget.string(), "data");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message.rfind("cannot replace " + folderTarget.string(), 0), 0u)
        << refused.message;
    EXPECT_TRUE(fs::is_directory(folderTarget / "inside"));
    EXPECT_EQ(OthersThan("sub"), 0) << "only the folder, no temporary file";
}
