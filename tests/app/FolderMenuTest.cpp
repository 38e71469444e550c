#include "tests/app/WindowFixture.h"

namespace vidlark {
namespace {

class FolderMenu : public WindowFixture {
protected:
    FolderMenu()
    {
        std::string text = "[Drive]\nDrv=E:\\\n[Directory]\n";
        for (int slot = 0; slot < 8; ++slot)
            text += (slot ? "Dir" + std::to_string(slot) : std::string("Dir")) + "=MP_ROOT\\10" + std::to_string(slot) + "MNV01\n";
        WriteSettings(text + "DirNo=2\n");
    }
    std::vector<QAction*> Checked() const
    {
        std::vector<QAction*> checked;
        for (QAction* entry : window->SelectDirectory->actions())
            if (entry->isChecked())
                checked.push_back(entry);
        return checked;
    }
};

TEST_F(FolderMenu, HasThirteenEntriesWithTheirTagsAndCaptions)
{
    auto& w = Open();
    const auto entries = w.SelectDirectory->actions();
    ASSERT_EQ(entries.size(), 13);
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_EQ(entries[slot], w.SlotEntry(slot));
        EXPECT_EQ(entries[slot]->data().toInt(), slot);
    }
    EXPECT_TRUE(entries[8]->isSeparator());
    EXPECT_EQ(entries[9], w.Dir9);
    EXPECT_EQ(w.Dir9->data().toInt(), 8);
    EXPECT_TRUE(entries[10]->isSeparator());
    EXPECT_EQ(w.Dir10->data().toInt(), 9);
    EXPECT_EQ(w.Dir11->data().toInt(), 10);
    EXPECT_EQ(w.Dir1->text(), "(&0) MP_ROOT\\100MNV01\\");
    EXPECT_EQ(w.Dir3->text(), ">(&2) MP_ROOT\\102MNV01\\");
    EXPECT_EQ(w.Dir9->text(), "(&8) MP_ROOT\\101ANV01\\");
    EXPECT_EQ(w.Dir10->text(), "(&A) PSP\\MUSIC\\");
    EXPECT_EQ(w.Dir11->text(), "(&B) PSP\\PHOTO\\");
    EXPECT_EQ(Checked(), std::vector<QAction*>{w.Dir3});
}

TEST_F(FolderMenu, ChoosingASlotMovesTheMarkTheCheckAndTheHint)
{
    auto& w = Open();
    w.Dir6->trigger();
    EXPECT_EQ(w.Dir3->text(), "(&2) MP_ROOT\\102MNV01\\");
    EXPECT_EQ(w.Dir6->text(), ">(&5) MP_ROOT\\105MNV01\\");
    EXPECT_EQ(Checked(), std::vector<QAction*>{w.Dir6});
    EXPECT_EQ(w.Panel1->toolTip(), "MP_ROOT\\105MNV01\\");
    EXPECT_EQ(w.DirNo, 5);
    EXPECT_EQ(w.CurMpeg4Dir, "MP_ROOT\\105MNV01\\");
    // Choosing the current slot again changes nothing.
    w.Dir6->trigger();
    EXPECT_EQ(w.Dir6->text(), ">(&5) MP_ROOT\\105MNV01\\");
    EXPECT_TRUE(w.Dir6->isChecked());
    ASSERT_TRUE(CloseWindow());
    EXPECT_NE(SettingsText().find("\nDirNo=5\n"), std::string::npos);
}

TEST_F(FolderMenu, TheMusicEntryTakesTheCheckButNotTheMark)
{
    auto& w = Open();
    w.Dir10->trigger();
    EXPECT_EQ(w.DestKind, dkMusic);
    EXPECT_EQ(Checked(), std::vector<QAction*>{w.Dir10});
    EXPECT_EQ(w.Dir3->text(), ">(&2) MP_ROOT\\102MNV01\\");
    EXPECT_EQ(w.Panel1->toolTip(), "PSP\\MUSIC\\");
    EXPECT_EQ(w.CurrentDestDir(), "PSP\\MUSIC\\");
    EXPECT_FALSE(w.SpeedButton1->isEnabled()); // no such folder on the stick
    MakeFolder("PSP/MUSIC");
    w.Dir10->trigger();
    EXPECT_TRUE(w.SpeedButton1->isEnabled());
    w.Dir11->trigger();
    EXPECT_EQ(w.DestKind, dkPhoto);
    EXPECT_EQ(w.Panel1->toolTip(), "PSP\\PHOTO\\");
    // A slot switches back to MPEG-4 video.
    w.Dir2->trigger();
    EXPECT_EQ(w.DestKind, dkMpeg4);
}

TEST_F(FolderMenu, TheAvcEntryNeverCarriesTheMark)
{
    auto& w = Open();
    w.Dir9->trigger();
    EXPECT_EQ(w.DestKind, dkAvc);
    EXPECT_EQ(w.Dir9->text(), "(&8) MP_ROOT\\101ANV01\\");
    EXPECT_EQ(w.Panel1->toolTip(), "MP_ROOT\\101ANV01\\");
    EXPECT_EQ(w.DirNo, 2);
}

TEST_F(FolderMenu, AChoiceWithThePaneOpenClosesItWhenTheFolderIsMissing)
{
    MakeFolder("MP_ROOT/102MNV01");
    auto& w = Open();
    w.SpeedButton1->click();
    ASSERT_TRUE(w.LibraryOpen);
    w.Dir10->trigger();
    EXPECT_FALSE(w.LibraryOpen);
    EXPECT_FALSE(w.SpeedButton1->isEnabled());
    EXPECT_FALSE(w.ListView1->isVisible());
}

TEST_F(FolderMenu, ARightClickOnTheFolderButtonReachesThePanelsMenu)
{
    auto& w = Open();
    ASSERT_FALSE(w.SpeedButton1->isEnabled()); // the folder is missing
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), w.SpeedButton1->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w.SpeedButton1, &click);
    EXPECT_TRUE(w.SelectDirectory->isVisible());
    w.SelectDirectory->hide();
}

class Drive : public WindowFixture {};

TEST_F(Drive, FreeSpaceIsShownInWholeMebibytes)
{
    platform.SetFreeSpace('E', 5LL << 30);
    WriteSettings("[Drive]\nDrv=E:\\\n");
    auto& w = Open();
    EXPECT_EQ(w.Label5->text(), "空き容量: 5120 MB");
    EXPECT_EQ(w.FreeBytes, 5LL << 30);
    platform.SetFreeSpace('E', 1048575);
    EXPECT_EQ(w.QueryFreeSpace("e:\\"), 0);
    w.ShowFreeSpace(w.DriveRoot);
    EXPECT_EQ(w.Label5->text(), "空き容量: 0 MB");
    EXPECT_EQ(w.QueryFreeSpace(""), -1);
    EXPECT_EQ(w.FreeBytes, -1);
}

TEST_F(Drive, ALetterWithoutAVolumeIsKeptButShowsTheUnknownForm)
{
    WriteSettings("[Drive]\nDrv=G:\\\n");
    auto& w = Open();
    EXPECT_EQ(w.DriveRoot, "G:\\");
    EXPECT_EQ(w.Label5->text(), "空き容量: **** MB");
    EXPECT_EQ(w.FreeBytes, -1);
    EXPECT_FALSE(w.SpeedButton1->isEnabled());
    EXPECT_TRUE(platform.FailureBoxes.empty());
    ASSERT_TRUE(CloseWindow());
    EXPECT_NE(SettingsText().find("Drv=G:\\\n"), std::string::npos);
}

TEST_F(Drive, PickingADriveGivesALowerCaseRootAndStillFindsItsSpace)
{
    platform.SetFreeSpace('E', 3 * 1048576);
    MakeFolder("MP_ROOT/100MNV01");
    auto& w = Open();
    ASSERT_EQ(w.DriveRoot, "C:\\");
    const int e = w.DriveComboBox1->findData(static_cast<int>('e'));
    ASSERT_GE(e, 0);
    w.DriveComboBox1->setCurrentIndex(e);
    emit w.DriveComboBox1->activated(e);
    EXPECT_EQ(w.DriveRoot, "e:\\");
    EXPECT_EQ(w.Label5->text(), "空き容量: 3 MB");
    EXPECT_TRUE(w.SpeedButton1->isEnabled());
    // The drive already shown: no change notification, nothing refreshed.
    platform.SetFreeSpace('E', 9 * 1048576);
    emit w.DriveComboBox1->activated(e);
    EXPECT_EQ(w.Label5->text(), "空き容量: 3 MB");
    ASSERT_TRUE(CloseWindow());
    EXPECT_NE(SettingsText().find("Drv=e:\\\n"), std::string::npos);
}

TEST_F(Drive, TheListIsRebuiltWhenTheMountsChangeWithoutAChangeOfDrive)
{
    WriteSettings("[Drive]\nDrv=E:\\\n");
    auto& w = Open();
    const int before = w.DriveComboBox1->count();
    std::filesystem::create_directories(temp / "F");
    platform.MapDrive('F', temp / "F", "SECOND");
    platform.SetFreeSpace('E', 1048576);
    platform.NotifyMountsChanged();
    EXPECT_EQ(w.DriveComboBox1->count(), before + 1);
    EXPECT_EQ(w.DriveComboBox1->Drive(), 'e');
    EXPECT_EQ(w.DriveComboBox1->currentData().toInt(), 'e');
    EXPECT_NE(w.Label5->text(), "空き容量: 1 MB"); // no refresh ran
    EXPECT_TRUE(w.DriveComboBox1->itemText(w.DriveComboBox1->findData(static_cast<int>('f'))).contains("SECOND"));
}

} // namespace
} // namespace vidlark
