#include "tests/app/WindowFixture.h"

#include <QElapsedTimer>
#include <QKeyEvent>

namespace vidlark {
namespace {

class Layout : public WindowFixture {
protected:
    Layout()
    {
        WriteSettings("[Drive]\nDrv=E:\\\n");
        MakeFolder("MP_ROOT/100MNV01");
    }
    void PressF5(QWidget* target, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F5, modifiers);
        QApplication::sendEvent(target, &press);
    }
};

TEST_F(Layout, ControlsStartAtTheirDesignedPlaces)
{
    auto& w = Open();
    EXPECT_EQ(w.Label2->geometry().topLeft(), QPoint(8, 1));
    EXPECT_EQ(w.Panel2->geometry(), QRect(0, 168, 410, 97));
    EXPECT_EQ(w.Gauge1->geometry(), QRect(8, 56, 169, 25));
    EXPECT_EQ(w.DriveComboBox1->geometry(), QRect(192, 54, 129, 19));
    EXPECT_EQ(w.Cancel->geometry(), QRect(336, 32, 73, 25));
    EXPECT_EQ(w.Button2->geometry(), QRect(336, 64, 73, 25));
    EXPECT_EQ(w.Cancel->text(), "中止");
    EXPECT_EQ(w.Button2->text(), "終了");
    EXPECT_EQ(w.Label3->text(), "準備完了");
    EXPECT_EQ(w.Label1->text(), "↓コピー先PSPドライブ");
    EXPECT_EQ(w.Animate1->geometry(), QRect(64, 88, 272, 60));
    EXPECT_FALSE(w.Animate1->isVisible());
    EXPECT_FALSE(w.Animate1->Active());
    EXPECT_EQ(w.Animate1->Frame(), 31);
    EXPECT_EQ(w.ListView1->columnCount(), 8);
    EXPECT_EQ(w.ListView1->headerItem()->text(0), "ファイル名");
    EXPECT_EQ(w.ListView1->columnWidth(2), 250);
    EXPECT_EQ(w.Image2->Picture().size(), QSize(17, 16));
    EXPECT_EQ(w.Image4->Picture().size(), QSize(32, 32));
    EXPECT_EQ(w.Image5->Picture().size(), QSize(32, 32));
    EXPECT_FALSE(w.FileListBox1->isVisible());
    EXPECT_TRUE(w.Label2->font().bold());
    EXPECT_EQ(w.font().pixelSize(), 12);
}

TEST_F(Layout, ClosedPaneNarrowedBelow416SnapsBack)
{
    auto& w = Open();
    w.resize(300, 262);
    EXPECT_EQ(w.width(), 416);
    EXPECT_EQ(w.ListBox1->width(), 400);
    EXPECT_EQ(w.Panel1->x(), 381);
    EXPECT_FALSE(w.ListView1->isVisible());
}

TEST_F(Layout, TheHeightSnapsBackTo262)
{
    auto& w = Open();
    w.resize(416, 400);
    EXPECT_EQ(w.height(), 262);
    w.resize(416, 100);
    EXPECT_EQ(w.height(), 262);
}

TEST_F(Layout, OpeningFrom416Widens832)
{
    auto& w = Open();
    w.SpeedButton1->click();
    ASSERT_TRUE(w.LibraryOpen);
    EXPECT_TRUE(w.SpeedButton1->isChecked());
    EXPECT_EQ(w.width(), 832);
    EXPECT_EQ(w.ListBox1->width(), 400);
    EXPECT_EQ(w.Panel1->x(), 381);
    EXPECT_EQ(w.ListView1->x(), 416);
    EXPECT_EQ(w.ListView1->width(), 408);
    EXPECT_EQ(w.Panel3->x(), 539);
    EXPECT_EQ(w.Panel3->width(), 283);
    EXPECT_EQ(w.BitBtn2->x(), 576);
    EXPECT_EQ(w.BitBtn3->x(), 688);
    EXPECT_EQ(w.Label6->x(), 424);
    EXPECT_EQ(w.Bevel1->geometry(), QRect(416, 166, 408, 94));
    EXPECT_EQ(w.Bevel2->x(), 416);
    for (QWidget* control : std::initializer_list<QWidget*>{w.ListView1, w.Label6, w.Panel3, w.BitBtn2, w.BitBtn3, w.Bevel1, w.Bevel2})
        EXPECT_TRUE(control->isVisible());
    // Narrower than both panes is not allowed while open.
    w.resize(600, 262);
    EXPECT_EQ(w.width(), 832);
}

TEST_F(Layout, At1000BothPanesTakeHalfAndClosingLeaves500)
{
    auto& w = Open();
    w.SpeedButton1->click();
    w.resize(1000, 262);
    EXPECT_EQ(w.ListBox1->width(), 484);
    EXPECT_EQ(w.Panel1->x(), 465);
    EXPECT_EQ(w.Panel2->width(), 494);
    EXPECT_EQ(w.ListView1->x(), 500);
    EXPECT_EQ(w.ListView1->width(), 492);
    w.SpeedButton1->click();
    EXPECT_FALSE(w.LibraryOpen);
    EXPECT_FALSE(w.SpeedButton1->isChecked());
    EXPECT_EQ(w.width(), 500);
    EXPECT_EQ(w.ListBox1->width(), 484);
    EXPECT_FALSE(w.ListView1->isVisible());
}

TEST_F(Layout, ClosingTheMaximisedWindowMakesItNormal)
{
    auto& w = Open();
    w.SpeedButton1->click();
    w.showMaximized();
    ASSERT_TRUE(w.isMaximized());
    w.SpeedButton1->click();
    EXPECT_FALSE(w.isMaximized());
    EXPECT_FALSE(w.LibraryOpen);
}

TEST_F(Layout, F5TogglesThePaneFromAnyControlAndWithAnyShiftState)
{
    auto& w = Open();
    PressF5(w.ListBox1);
    EXPECT_TRUE(w.LibraryOpen);
    PressF5(w.ListView1, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(w.LibraryOpen);
    // Also while the folder button is disabled.
    w.SpeedButton1->setEnabled(false);
    PressF5(w.DriveComboBox1);
    EXPECT_TRUE(w.LibraryOpen);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_F6, Qt::NoModifier);
    QApplication::sendEvent(w.ListBox1, &other);
    EXPECT_TRUE(w.LibraryOpen);
}

TEST_F(Layout, F5OnAMissingFolderKeepsThePaneClosedAndDisablesTheButton)
{
    std::filesystem::remove_all(temp / "E/MP_ROOT");
    auto& w = Open();
    PressF5(w.ListBox1);
    EXPECT_FALSE(w.LibraryOpen);
    EXPECT_FALSE(w.SpeedButton1->isEnabled());
    EXPECT_FALSE(w.SpeedButton1->isChecked());
    EXPECT_EQ(w.width(), 416);
    EXPECT_TRUE(platform.Dialogs.empty());
}

TEST_F(Layout, ARemovedStickClosesThePaneOnTheNextTick)
{
    platform.SetFreeSpace('E', 10 * 1048576);
    auto& w = Open();
    w.SpeedButton1->click();
    ASSERT_TRUE(w.LibraryOpen);
    platform.UnmapDrive('E');
    w.Timer1Timer();
    EXPECT_FALSE(w.LibraryOpen);
    EXPECT_FALSE(w.SpeedButton1->isEnabled());
    EXPECT_EQ(w.width(), 416);
    EXPECT_EQ(w.Label5->text(), "空き容量: **** MB");
    // Plugged in again: the button comes back, the pane stays closed.
    platform.MapDrive('E', temp / "E");
    w.Timer1Timer();
    EXPECT_TRUE(w.SpeedButton1->isEnabled());
    EXPECT_FALSE(w.LibraryOpen);
    EXPECT_NE(w.Label5->text(), "空き容量: **** MB");
}

TEST_F(Layout, ThumbnailsAreCentredInTheirBox)
{
    auto& w = Open();
    w.SpeedButton1->click();
    w.Image1->resize(120, 90);
    w.Image3->resize(120, 60);
    w.ArrangeControls();
    EXPECT_EQ(w.Image1->pos(), QPoint(418, 168));
    EXPECT_EQ(w.Image3->pos(), QPoint(418, 183));
    w.Image1->resize(90, 90);
    w.ArrangeControls();
    EXPECT_EQ(w.Image1->x(), 433);
}

TEST_F(Layout, TheCloseIsVetoedWhileDroppedFilesAreHandled)
{
    auto& w = Open();
    w.CloseAllowed = false;
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Timer1->isActive()); // FormClose did not run
    EXPECT_EQ(SettingsText(), "[Drive]\nDrv=E:\\\n");
    w.CloseAllowed = true;
    EXPECT_TRUE(w.close());
}

TEST_F(Layout, ATerminationSignalDuringATransferCancelsThenCloses)
{
    auto& w = Open();
    w.CloseAllowed = false;
    w.TerminationRequested();
    EXPECT_TRUE(w.CancelRequested);
    EXPECT_TRUE(w.isVisible());
    w.CloseAllowed = true;
    QElapsedTimer waited;
    waited.start();
    while (w.isVisible() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(Layout, AFailureEndsItsEventWithTheVidlarkBoxAndTheWindowGoesOn)
{
    auto& w = Open();
    EXPECT_FALSE(w.Guarded([] { throw EVidlarkError("ファイル E:\\a.mp4 は開けません"); }));
    EXPECT_FALSE(w.Guarded([] { throw 42; }));
    EXPECT_TRUE(w.Guarded([] {}));
    ASSERT_EQ(platform.FailureBoxes.size(), 2u);
    EXPECT_EQ(platform.FailureBoxes[0], "ファイル E:\\a.mp4 は開けません.");
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Timer1->isActive());
}

TEST_F(Layout, ShowTurnsDropsOnUnlessBusy)
{
    auto& w = Open();
    EXPECT_TRUE(w.acceptDrops());
    w.hide();
    w.DropBusy = true;
    w.show();
    EXPECT_FALSE(w.acceptDrops());
}

} // namespace
} // namespace vidlark
