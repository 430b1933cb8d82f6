#include <gtest/gtest.h>

#include "motion/base/ZRPath.h"

namespace {

TEST(ZRPathTest, SplitsAtBothSeparators) {
    ZRPath p("C:/data\\stages/file.dat");
    EXPECT_EQ(p.Folders(), (std::vector<std::string>{"C:", "data", "stages"}));
    EXPECT_EQ(p.FileName(), "file.dat");
    EXPECT_EQ(p.FolderPath(), "C:\\data\\stages");
    EXPECT_EQ(p.FullPath(), "C:\\data\\stages\\file.dat");
}

TEST(ZRPathTest, EmptyPartsAreDropped) {
    ZRPath p("//a\\\\b//");
    EXPECT_EQ(p.Folders(), std::vector<std::string>{"a"});
    EXPECT_EQ(p.FileName(), "b");
    EXPECT_EQ(ZRPath("file.dat").FullPath(), "file.dat");
    EXPECT_EQ(ZRPath("").FullPath(), "");
}

TEST(ZRPathTest, NativePathKeepsTheRoot) {
    EXPECT_EQ(ZRPath("/opt/zr\\ZrStages.dat").NativePath(), "/opt/zr/ZrStages.dat");
    EXPECT_EQ(ZRPath("rel/x.dat").NativePath(), "rel/x.dat");
    EXPECT_EQ(ZRPath("/x.dat").NativePath(), "/x.dat");
    EXPECT_EQ(ZRPath("/opt/zr/x.dat").NativeFolderPath(), "/opt/zr");
}

}  // namespace
