#include <gtest/gtest.h>

#include <cstring>

#include "winport/Memory.h"

TEST(MemoryBlock, AllocatesZeroFilledWritableMemory) {
    winport::MemoryBlock b;
    ASSERT_TRUE(b.Allocate(3 * 4096 + 5));
    const auto* p = static_cast<const unsigned char*>(b.Data());
    for (size_t i = 0; i < b.Size(); ++i) ASSERT_EQ(p[i], 0) << i;
    std::memset(b.Data(), 0xAB, b.Size());
    winport::MemoryBlock moved(std::move(b));
    EXPECT_EQ(b.Data(), nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(moved.Data())[100], 0xAB);
}

TEST(MemoryBlock, LockFollowsTheLockLimit) {
    winport::MemoryBlock small;
    ASSERT_TRUE(small.Allocate(4096));
    EXPECT_EQ(small.Lock(), winport::LockableBytes() >= 4096);
    small.Free();
    EXPECT_FALSE(small.Lock()) << "nothing to lock";
    EXPECT_FALSE(small.Allocate(0));
}
