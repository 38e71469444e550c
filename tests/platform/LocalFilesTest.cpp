#include "platform/FakePlatform.h"
#include "platform/TextFile.h"

#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

namespace vidlark {
namespace {

class LocalFiles : public ::testing::Test {
protected:
    LocalFiles() { platform.MapDrive('E', stick.Path()); }
    TTempFolder stick;
    TFakePlatform platform;
};

TEST_F(LocalFiles, DriveLetterPathsReachTheMappedFolder)
{
    stick.Write("PSP/PHOTO/a.jpg", "abc");
    EXPECT_TRUE(platform.DirectoryExists("E:\\PSP\\PHOTO\\"));
    EXPECT_TRUE(platform.DirectoryExists("e:\\psp\\photo\\"));
    EXPECT_TRUE(platform.FileExists("E:\\psp\\photo\\A.JPG"));
    EXPECT_FALSE(platform.FileExists("E:\\PSP\\PHOTO\\"));
    EXPECT_FALSE(platform.DirectoryExists("F:\\"));
    EXPECT_FALSE(platform.ResolvePath("F:\\PSP\\"));
}

TEST_F(LocalFiles, ForceDirectoriesCreatesParentsAndHonoursInjectedFailures)
{
    EXPECT_TRUE(platform.ForceDirectories("E:\\MP_ROOT\\100MNV01\\"));
    EXPECT_TRUE(std::filesystem::is_directory(stick / "MP_ROOT/100MNV01"));
    platform.FailWhen = [](const std::string& operation, const std::string&) { return operation == "ForceDirectories"; };
    EXPECT_FALSE(platform.ForceDirectories("E:\\PSP\\MUSIC\\"));
    EXPECT_FALSE(std::filesystem::exists(stick / "PSP"));
    EXPECT_FALSE(platform.ForceDirectories("Q:\\PSP\\"));
}

TEST_F(LocalFiles, FindFilesReportsSizesAndHiddenNames)
{
    stick.Write("PSP/MUSIC/Song.MP3", std::string(1000, 'x'));
    stick.Write("PSP/MUSIC/.partial.mp3", "x");
    stick.Write("PSP/MUSIC/cover.jpg", "x");
    std::filesystem::create_directories(stick / "PSP/MUSIC/album.mp3");
    auto found = platform.FindFiles("E:\\PSP\\MUSIC\\", "*.mp3");
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].Name, ".partial.mp3");
    EXPECT_TRUE(found[0].Hidden);
    EXPECT_EQ(found[1].Name, "Song.MP3");
    EXPECT_EQ(found[1].Size, 1000);
    EXPECT_FALSE(found[1].Hidden);
    EXPECT_TRUE(found[2].IsDirectory);
}

// Links count as what they point at; pipes and dangling links are not files
// a listing may open.
TEST_F(LocalFiles, FindFilesFollowsLinksAndSkipsWhatIsNoFile)
{
    namespace fs = std::filesystem;
    const fs::path music = stick.Write("PSP/MUSIC/real.mp3", std::string(7, 'x')).parent_path();
    fs::create_directories(stick / "elsewhere");
    fs::create_symlink(music / "real.mp3", music / "link.mp3");
    fs::create_directory_symlink(stick / "elsewhere", music / "folder.mp3");
    fs::create_symlink(music / "gone.mp3", music / "dangling.mp3");
    ASSERT_EQ(::mkfifo((music / "pipe.mp3").c_str(), 0600), 0);
    auto found = platform.FindFiles("E:\\PSP\\MUSIC\\", "*.MP3");
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].Name, "folder.mp3");
    EXPECT_TRUE(found[0].IsDirectory);
    EXPECT_EQ(found[1].Name, "link.mp3");
    EXPECT_EQ(found[1].Size, 7);
    EXPECT_FALSE(found[1].IsDirectory);
    EXPECT_EQ(found[2].Name, "real.mp3");
}

// Only a plain file opens; a pipe fails at once instead of waiting for a
// writer (a hang here is the fault).
TEST_F(LocalFiles, OpenFileForReadingOpensPlainFilesOnly)
{
    namespace fs = std::filesystem;
    const fs::path file = stick.Write("MP_ROOT/100MNV01/A.MP4", "payload");
    const fs::path folder = file.parent_path();
    fs::create_symlink(file, folder / "link.mp4");
    fs::create_symlink(folder / "gone.mp4", folder / "dangling.mp4");
    ASSERT_EQ(::mkfifo((folder / "pipe.mp4").c_str(), 0600), 0);
    for (const char* name : {"A.MP4", "link.mp4"}) {
        TOpenedFile opened = platform.OpenFileForReading(folder / name);
        ASSERT_TRUE(opened.ReadAt) << name;
        EXPECT_EQ(opened.Length, 7) << name;
        // Reads at any position, in any order, and short at the end.
        std::uint8_t bytes[8] = {};
        EXPECT_EQ(opened.ReadAt(3, bytes, 8), 4) << name;
        EXPECT_EQ(std::string(bytes, bytes + 4), "load") << name;
        EXPECT_EQ(opened.ReadAt(0, bytes, 3), 3) << name;
        EXPECT_EQ(std::string(bytes, bytes + 3), "pay") << name;
        EXPECT_EQ(opened.ReadAt(7, bytes, 8), 0) << name;
    }
    for (const char* name : {"pipe.mp4", "dangling.mp4", "missing.mp4", "."})
        EXPECT_FALSE(platform.OpenFileForReading(folder / name).ReadAt) << name;
}

TEST_F(LocalFiles, DeleteFileRemovesFilesOnly)
{
    stick.Write("PSP/PHOTO/a.jpg", "x");
    EXPECT_FALSE(platform.DeleteFile("E:\\PSP\\PHOTO"));
    EXPECT_TRUE(platform.DeleteFile("E:\\PSP\\PHOTO\\A.JPG"));
    EXPECT_FALSE(std::filesystem::exists(stick / "PSP/PHOTO/a.jpg"));
    EXPECT_FALSE(platform.DeleteFile("E:\\PSP\\PHOTO\\a.jpg"));
}

TEST_F(LocalFiles, FreeSpaceByDriveNumber)
{
    platform.SetFreeSpace('E', 5368709120);
    EXPECT_EQ(platform.DiskFree(5), 5368709120);
    EXPECT_EQ(platform.DiskFree(6), -1);  // F has no volume
    EXPECT_EQ(platform.DiskFree(0), -1);
    EXPECT_EQ(platform.DiskFree(27), -1);
}

TEST_F(LocalFiles, ReplacingASettingsFileKeepsTheOldOneOnFailure)
{
    const auto file = stick.Write("vidlark.ini", "[Drive]\nDrv=E:\\\n");
    EXPECT_TRUE(ReplaceTextFile(file, "[Drive]\nDrv=F:\\\n"));
    EXPECT_EQ(ReadTextFile(file), "[Drive]\nDrv=F:\\\n");
    EXPECT_FALSE(ReplaceTextFile(stick / "missing-folder/vidlark.ini", "x"));
    // Nothing but the file itself is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(stick.Path()), {}), 1);
}

TEST_F(LocalFiles, ASettingsFileThatIsALinkStaysALink)
{
    const auto target = stick.Write("dotfiles/vidlark.ini", "[Drive]\n");
    std::filesystem::create_symlink(target, stick / "vidlark.ini");
    EXPECT_TRUE(ReplaceTextFile(stick / "vidlark.ini", "[Drive]\nDrv=E:\\\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(stick / "vidlark.ini"));
    EXPECT_EQ(ReadTextFile(target), "[Drive]\nDrv=E:\\\n");
}

TEST(FailureBox, FullStopAppendedAboveTheDot)
{
    EXPECT_EQ(FailureBoxText("ファイル x は開けません"), "ファイル x は開けません.");
    EXPECT_EQ(FailureBoxText("Cannot load image"), "Cannot load image.");
    EXPECT_EQ(FailureBoxText("done."), "done.");
    EXPECT_EQ(FailureBoxText("what!"), "what!");
    EXPECT_EQ(FailureBoxText(""), "");
}

} // namespace
} // namespace vidlark
