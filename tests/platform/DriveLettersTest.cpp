#include "platform/DriveLetters.h"

#include <gtest/gtest.h>

namespace vidlark {
namespace {

TEST(MountTable, FieldsAreSplitAndEscapesUndone)
{
    const auto entries = ParseMountTable(
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sdb1 /media/u/MY\\040STICK vfat rw,nosuid 0 0\n"
        "broken-line\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].Device, "/dev/sdb1");
    EXPECT_EQ(entries[1].MountPoint, "/media/u/MY STICK");
    EXPECT_EQ(entries[1].FileSystem, "vfat");
}

TEST(MountTable, RemovableMountPointsLieBelowTheMediaFolders)
{
    EXPECT_TRUE(IsRemovableMountPoint("/media/u/STICK"));
    EXPECT_TRUE(IsRemovableMountPoint("/run/media/u/STICK"));
    EXPECT_TRUE(IsRemovableMountPoint("/mnt/psp"));
    EXPECT_FALSE(IsRemovableMountPoint("/mnt"));
    EXPECT_FALSE(IsRemovableMountPoint("/media"));
    EXPECT_FALSE(IsRemovableMountPoint("/mntx/psp"));
    EXPECT_FALSE(IsRemovableMountPoint("/home/u/media/x"));
}

TEST(DriveLetters, CIsTheRootAndVolumesFollowFromDInMountPointOrder)
{
    TDriveLetters letters;
    letters.Update({{2, "/mnt/b", {}}, {1, "/media/u/A", {}}, {3, "/run/media/u/C", {}}});
    EXPECT_EQ(letters.FolderOf('C'), std::filesystem::path("/"));
    EXPECT_EQ(letters.FolderOf('D'), std::filesystem::path("/media/u/A"));
    EXPECT_EQ(letters.FolderOf('E'), std::filesystem::path("/mnt/b"));
    EXPECT_EQ(letters.FolderOf('F'), std::filesystem::path("/run/media/u/C"));
    EXPECT_FALSE(letters.FolderOf('G'));
}

TEST(DriveLetters, ALetterStaysWithItsVolumeAndComesBackWithIt)
{
    TDriveLetters letters;
    letters.Update({{1, "/media/u/A", {}}, {2, "/media/u/B", {}}});
    // A goes away; a newcomer sorting before B must not take B's letter.
    letters.Update({{2, "/media/u/B", {}}, {3, "/media/u/0NEW", {}}});
    EXPECT_FALSE(letters.FolderOf('D'));
    EXPECT_EQ(letters.FolderOf('E'), std::filesystem::path("/media/u/B"));
    EXPECT_EQ(letters.FolderOf('F'), std::filesystem::path("/media/u/0NEW"));
    // A comes back, mounted elsewhere this time: its old letter again.
    letters.Update({{1, "/media/u/A2", {}}, {2, "/media/u/B", {}}, {3, "/media/u/0NEW", {}}});
    EXPECT_EQ(letters.FolderOf('D'), std::filesystem::path("/media/u/A2"));
}

TEST(DriveLetters, AVolumeMountedTwiceHasOneLetter)
{
    TDriveLetters letters;
    letters.Update({{1, "/media/u/A", {}}, {1, "/mnt/bind", {}}});
    EXPECT_EQ(letters.Present().size(), 1u);
    EXPECT_EQ(letters.FolderOf('D'), std::filesystem::path("/media/u/A"));
}

TEST(DriveLetters, LettersRunOutAtZ)
{
    TDriveLetters letters;
    std::vector<TVolume> volumes;
    for (int i = 0; i < 30; ++i)
        volumes.push_back({static_cast<std::uint64_t>(100 + i), "/mnt/v" + std::to_string(100 + i), {}});
    letters.Update(volumes);
    EXPECT_EQ(letters.Present().size(), 23u); // D..Z
    // Once every letter was given, a newcomer takes back one whose volume left.
    volumes.erase(volumes.begin());
    letters.Update(volumes);
    EXPECT_EQ(letters.FolderOf('D'), std::filesystem::path("/mnt/v123"));
    EXPECT_EQ(letters.FolderOf('E'), std::filesystem::path("/mnt/v101"));
}

} // namespace
} // namespace vidlark
