#include "platform/FreeSpace.h"

#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <limits>

namespace vidlark {
namespace {

TEST(FreeSpace, BlockCountsThatOverflowAreHeldAtTheLargestByteCount)
{
    constexpr auto Largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(BlockBytes(1310720, 4096), 5LL << 30);
    EXPECT_EQ(BlockBytes(0, 4096), 0);
    // A file system that reports 2^64 - 1 free blocks.
    EXPECT_EQ(BlockBytes(std::numeric_limits<std::uint64_t>::max(), 4096), Largest);
    // Fits in 64 unsigned bits but not in the signed byte count.
    EXPECT_EQ(BlockBytes(1ULL << 52, 4096), Largest);
}

TEST(FreeSpace, AFolderGivesItsFileSystemsSpaceAndAMissingOneFails)
{
    TTempFolder folder;
    EXPECT_GE(AvailableBytes(folder.Path()), 0);
    EXPECT_EQ(AvailableBytes(folder / "missing"), -1);
}

} // namespace
} // namespace vidlark
