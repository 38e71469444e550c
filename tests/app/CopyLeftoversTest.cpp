// Hidden files of copies that a pulled stick cut short go when a drive is
// selected: at start and on a change of drive.
#include "tests/app/WindowFixture.h"
#include "tests/transfer/TransferTestFiles.h"

#include <chrono>
#include <ctime>

namespace vidlark {
namespace {

class CopyLeftovers : public WindowFixture {
protected:
    // A file (or, for a name ending in "/", a folder) on a drive folder, last
    // written so many seconds ago.
    static std::filesystem::path Plant(const std::filesystem::path& drive, const std::string& relative, int age)
    {
        const auto path = drive / relative;
        if (relative.back() == '/')
            std::filesystem::create_directories(path);
        else
            test::WriteFile(path, test::PatternBytes(10));
        test::SetLastWrite(path, std::time(nullptr) - age, 0);
        return path;
    }
};

const std::string Leftover = ".vidlark-0123456789abcdef.part";

TEST_F(CopyLeftovers, AtStartOldOnesGoFromEveryDestinationFolderAndNothingElse)
{
    WriteSettings("[Drive]\nDrv=E\n[Directory]\nDir5=MP_ROOT\\105MNV01\n");
    std::vector<std::filesystem::path> gone;
    for (const std::string folder : {"MP_ROOT/100MNV01/", "MP_ROOT/105MNV01/", "MP_ROOT/101ANV01/", "PSP/MUSIC/", "PSP/PHOTO/"})
        gone.push_back(Plant(temp / "E", folder + Leftover, 70));
    gone.push_back(Plant(temp / "E", "PSP/MUSIC/.VIDLARK-00FF.PART", 3600));
    const std::vector<std::filesystem::path> kept = {
        Plant(temp / "E", "PSP/MUSIC/.vidlark-still-copying.part", 50),
        Plant(temp / "E", "PSP/MUSIC/.vidlark-0123.partial", 70),
        Plant(temp / "E", "PSP/MUSIC/vidlark-0123.part", 70),
        Plant(temp / "E", "PSP/MUSIC/.other.part", 70),
        Plant(temp / "E", "PSP/MUSIC/song.mp3", 70),
        Plant(temp / "E", "PSP/PHOTO/.vidlark-folder.part/", 70),
        Plant(temp / "E", "PSP/" + Leftover, 70), // no destination folder
    };
    Open();
    for (const auto& path : gone)
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    for (const auto& path : kept)
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
}

TEST_F(CopyLeftovers, ADriveChangeSweepsTheNewDrive)
{
    WriteSettings("[Drive]\nDrv=E\n");
    auto& w = Open();
    std::filesystem::create_directories(temp / "F");
    platform.MapDrive('F', temp / "F", "SECOND");
    platform.NotifyMountsChanged();
    const auto leftover = Plant(temp / "F", "PSP/PHOTO/" + Leftover, 70);
    const int f = w.DriveComboBox1->findData(static_cast<int>('f'));
    ASSERT_GE(f, 0);
    w.DriveComboBox1->setCurrentIndex(f);
    emit w.DriveComboBox1->activated(f);
    ASSERT_EQ(w.DriveRoot, "f:\\");
    EXPECT_FALSE(std::filesystem::exists(leftover));
}

} // namespace
} // namespace vidlark
