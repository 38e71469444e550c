#include "tests/app/WindowFixture.h"

namespace vidlark {
namespace {

using Settings = WindowFixture;

TEST_F(Settings, NoFileStartsWithDefaultsAndWritesAllElevenKeys)
{
    auto& w = Open();
    EXPECT_EQ(w.DriveRoot, "C:\\");
    for (const auto& folder : w.Mpeg4Dirs)
        EXPECT_EQ(folder, "MP_ROOT\\100MNV01\\");
    EXPECT_EQ(w.DirNo, 0);
    EXPECT_EQ(w.CurMpeg4Dir, "MP_ROOT\\100MNV01\\");
    EXPECT_EQ(w.AvcDir, "MP_ROOT\\101ANV01\\");
    EXPECT_EQ(w.CurAvcDir, w.AvcDir);
    EXPECT_EQ(w.DestKind, dkMpeg4);
    EXPECT_FALSE(w.LibraryOpen);
    EXPECT_TRUE(w.CloseAllowed);
    EXPECT_FALSE(w.DropBusy);
    EXPECT_EQ(w.JobBytes, 1);
    EXPECT_EQ(w.CopiedBytes, 0);
    EXPECT_EQ(w.width(), 416);
    EXPECT_EQ(w.height(), 262);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 3000);
    EXPECT_FALSE(w.Image1->isVisible());
    EXPECT_FALSE(w.Image3->isVisible());
    EXPECT_EQ(w.Panel1->toolTip(), "MP_ROOT\\100MNV01\\");
    EXPECT_EQ(w.windowTitle(), "Vidlark v1.60");
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(SettingsText(), DefaultSettingsWritten());
}

TEST_F(Settings, DirNoOutsideTheSlotsOrNotANumberBecomesZero)
{
    for (const char* value : {"9", "-1", "abc"}) {
        WriteSettings(std::string("[Directory]\nDirNo=") + value + "\n");
        auto& w = Open();
        EXPECT_EQ(w.DirNo, 0) << value;
        EXPECT_TRUE(w.Dir1->isChecked()) << value;
        EXPECT_EQ(w.Dir1->text(), ">(&0) MP_ROOT\\100MNV01\\") << value;
        ASSERT_TRUE(CloseWindow());
        EXPECT_NE(SettingsText().find("\nDirNo=0\n"), std::string::npos) << value;
    }
}

TEST_F(Settings, DriveLetterIsUpperCasedAndInvalidOnesFallBackToC)
{
    const std::pair<const char*, const char*> cases[] = {{"e:\\", "E:\\"}, {"1", "C:\\"}, {"", "C:\\"}, {"動", "C:\\"}};
    for (const auto& [value, root] : cases) {
        WriteSettings(std::string("[Drive]\nDrv=") + value + "\n");
        auto& w = Open();
        EXPECT_EQ(w.DriveRoot, root) << value;
        EXPECT_EQ(w.DriveComboBox1->Drive(), std::tolower(root[0])) << value;
        window.reset();
    }
}

TEST_F(Settings, FoldersGetOneFinalBackslashAndEmptyOnesStayEmpty)
{
    WriteSettings("[Directory]\nDir=VIDEO\\\nDir2=MP_ROOT\\102MNV01\nDir3=\nAVCDir=AVC\n");
    auto& w = Open();
    EXPECT_EQ(w.Mpeg4Dirs[0], "VIDEO\\");
    EXPECT_EQ(w.Mpeg4Dirs[2], "MP_ROOT\\102MNV01\\");
    EXPECT_EQ(w.Mpeg4Dirs[3], "");
    EXPECT_EQ(w.AvcDir, "AVC\\");
    EXPECT_EQ(w.Dir4->text(), "(&3) ");
    EXPECT_EQ(w.Dir9->text(), "(&8) AVC\\");
    // The empty slot makes the drive root itself the video folder.
    w.Dir4->trigger();
    EXPECT_EQ(w.CurMpeg4Dir, "");
    EXPECT_EQ(w.CurrentDestDir(), "");
    ASSERT_TRUE(CloseWindow());
    const std::string text = SettingsText();
    EXPECT_NE(text.find("\nDir=VIDEO\\\n"), std::string::npos);
    EXPECT_NE(text.find("\nDir2=MP_ROOT\\102MNV01\\\n"), std::string::npos);
    EXPECT_NE(text.find("\nDir3=\n"), std::string::npos);
    EXPECT_NE(text.find("\nDirNo=3\n"), std::string::npos);
    EXPECT_NE(text.find("\nAVCDir=AVC\\\n"), std::string::npos);
}

TEST_F(Settings, UnknownLinesAreKeptAndKnownKeysReplacedInPlace)
{
    WriteSettings("; written by hand\n[Directory]\nDirNo=2\nColour=blue\n\n[Window]\nLeft=10\n[Drive]\nDrv=E:\\\n");
    auto& w = Open();
    EXPECT_EQ(w.DriveRoot, "E:\\");
    EXPECT_EQ(w.DirNo, 2);
    ASSERT_TRUE(CloseWindow());
    std::string expected = "; written by hand\n[Directory]\nDirNo=2\nColour=blue\nDir=MP_ROOT\\100MNV01\\\n";
    for (int slot = 1; slot < 8; ++slot)
        expected += "Dir" + std::to_string(slot) + "=MP_ROOT\\100MNV01\\\n";
    expected += "AVCDir=MP_ROOT\\101ANV01\\\n\n[Window]\nLeft=10\n[Drive]\nDrv=E:\\\n";
    EXPECT_EQ(SettingsText(), expected);
}

TEST_F(Settings, WriteFailureKeepsTheWindowOpenWithTheTimerOff)
{
    platform.FailWhen = [](const std::string& operation, const std::string&) { return operation == "SaveSettings"; };
    auto& w = Open();
    EXPECT_FALSE(CloseWindow());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Timer1->isActive());
    ASSERT_EQ(platform.FailureBoxes.size(), 1u);
    EXPECT_EQ(platform.FailureBoxes[0], (temp / "vidlark.ini").string() + " に書き込めません.");
    EXPECT_FALSE(std::filesystem::exists(temp / "vidlark.ini"));
    // Once the file can be written the close goes through.
    platform.FailWhen = nullptr;
    EXPECT_TRUE(CloseWindow());
}

TEST_F(Settings, BadFilesStartWithDefaultsAndEndWithValidKeys)
{
    std::string garbage;
    for (int i = 0; i < 20000; ++i)
        garbage += static_cast<char>((i * 2654435761u >> 13) & 0xFF);
    const std::string longLine(100000, 'Q');
    const std::string cases[] = {
        garbage,
        "[Directory]\n" + longLine + "\nDir=" + longLine + "\n[" + longLine + "]\n",
        "Drv=E:\\\nDirNo=4\nplain text without sections\n",
    };
    for (const auto& bytes : cases) {
        WriteSettings(bytes);
        auto& w = Open();
        EXPECT_EQ(w.DriveRoot, "C:\\");
        EXPECT_EQ(w.DirNo, 0);
        EXPECT_EQ(w.AvcDir, "MP_ROOT\\101ANV01\\");
        ASSERT_TRUE(CloseWindow());
        const auto written = TProfileFile::FromBytes(SettingsText());
        EXPECT_EQ(written.ReadString("Drive", "Drv", ""), "C:\\");
        EXPECT_EQ(written.ReadInteger("Directory", "DirNo", -5), 0);
        EXPECT_EQ(written.ReadString("Directory", "AVCDir", ""), "MP_ROOT\\101ANV01\\");
        for (int slot = 1; slot < 8; ++slot)
            EXPECT_FALSE(written.ReadString("Directory", "Dir" + std::to_string(slot), "").empty());
        // A second run reads back what the first one wrote.
        auto& again = Open();
        EXPECT_EQ(again.DriveRoot, "C:\\");
        window.reset();
    }
}

} // namespace
} // namespace vidlark
