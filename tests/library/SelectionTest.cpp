#include "library/ThumbnailFit.h"
#include "tests/library/SelectionWindowFixture.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>

namespace vidlark::test {
namespace {

class Selection : public SelectionWindowFixture {};

TEST(FitThumbnailRect, ScalesIntoTheBoxAndCentres)
{
    EXPECT_EQ(FitThumbnailRect(160, 120, 0, 0), QRect(2, 7, 120, 90));
    EXPECT_EQ(FitThumbnailRect(120, 60, 0, 0), QRect(2, 22, 120, 60)); // 15 lower than 120 x 90
    EXPECT_EQ(FitThumbnailRect(32, 32, 416, 161), QRect(433, 168, 90, 90));
    EXPECT_EQ(FitThumbnailRect(1200, 1600, 0, 0), QRect(28, 7, 67, 90));
    // A sliver keeps one pixel; a very tall picture must not overflow.
    EXPECT_EQ(FitThumbnailRect(10000, 1, 0, 0), QRect(2, 51, 120, 1));
    EXPECT_EQ(FitThumbnailRect(1, 100'000'000, 0, 0), QRect(61, 7, 1, 90));
    // Nothing to divide by: the whole box.
    EXPECT_EQ(FitThumbnailRect(0, 16, 0, 0), QRect(2, 7, 120, 90));
    EXPECT_EQ(FitThumbnailRect(17, 0, 0, 0), QRect(2, 7, 120, 90));
}

TEST_F(Selection, VideoShowsItsThmSidecarFoundWithoutRegardToCase)
{
    Put(std::string(Mpeg4Folder) + "/M4V09999.MP4", Video(u"夏休み"));
    Put(std::string(Mpeg4Folder) + "/M4V09999.THM", Fixture("thumb-160x120.jpg"));
    Put(std::string(AvcFolder) + "/MAQ09999.MP4", Video(u"clip"));
    Put(std::string(AvcFolder) + "/maq09999.thm", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkMpeg4);
    Select("M4V09999.MP4");
    EXPECT_EQ(w.Label7->text(), "選択ファイル: M4V09999.MP4 - 1 MB");
    EXPECT_EQ(w.Label8->text(), "夏休み");
    EXPECT_FALSE(w.Image1->isHidden());
    EXPECT_TRUE(w.Image3->isHidden());
    EXPECT_EQ(w.Image1->Picture().size(), QSize(160, 120)); // too small to decode reduced
    EXPECT_EQ(BoxOf(*w.Image1), QRect(2, 7, 120, 90));

    w.DestKind = dkAvc;
    w.RefreshLibrary();
    Select("MAQ09999.MP4");
    EXPECT_FALSE(w.Image1->isHidden());
    EXPECT_EQ(w.Image1->PictureSize(), QSize(160, 120));
    EXPECT_TRUE(platform.Beeps.empty());
}

TEST_F(Selection, PlaceholdersForAVideoWithoutThmAndForMusicFilesAreNeverRead)
{
    Put(std::string(Mpeg4Folder) + "/M4V09999.MP4", Video(u"夏休み"));
    Put(std::string(MusicFolder) + "/SONG.MP3", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkMpeg4);
    Select("M4V09999.MP4");
    EXPECT_EQ(w.Image1->Picture(), w.Image4->Picture());
    EXPECT_FALSE(w.Image1->isHidden());
    EXPECT_EQ(BoxOf(*w.Image1), QRect(2 + 15, 7, 90, 90)); // 32 x 32 scaled up

    w.DestKind = dkMusic;
    w.RefreshLibrary();
    Select("SONG.MP3");
    EXPECT_EQ(w.Image1->Picture(), w.Image5->Picture());
    EXPECT_EQ(w.Label8->text(), "");
    EXPECT_EQ(BoxOf(*w.Image1), QRect(17, 7, 90, 90));
    EXPECT_TRUE(platform.Beeps.empty());
}

TEST_F(Selection, LargePhotoDecodedReducedIsPlacedAsAFullDecode)
{
    Put(std::string(PhotoFolder) + "/TALL.JPG", Fixture("portrait-1200x1600.jpg"));
    auto& w = OpenOn(dkPhoto);
    Select("TALL.JPG");
    EXPECT_EQ(w.Image1->Picture().size(), QSize(150, 200)); // an eighth still covers 120 x 90
    EXPECT_EQ(w.Image1->PictureSize(), QSize(1200, 1600));
    EXPECT_EQ(BoxOf(*w.Image1), QRect(28, 7, 67, 90));

    w.ThumbnailDctScaling = false;
    w.ListView1->clearSelection();
    Select("TALL.JPG");
    EXPECT_EQ(w.Image1->Picture().size(), QSize(1200, 1600));
    EXPECT_EQ(BoxOf(*w.Image1), QRect(28, 7, 67, 90));
}

// A picture under a .JPG name that a reader of the registry recognises.
class ReadByContent : public SelectionWindowFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(ReadByContent, ShowsInImage3)
{
    const std::string fixture = GetParam();
    Put(std::string(PhotoFolder) + "/PHOTO.JPG", Fixture(fixture));
    auto& w = OpenOn(dkPhoto);
    Select("PHOTO.JPG");
    EXPECT_TRUE(w.Image1->isHidden());
    EXPECT_FALSE(w.Image3->isHidden());
    const QImage& picture = w.Image3->Picture();
    ASSERT_EQ(picture.size(), QSize(64, 48));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(255, 64, 0));
    EXPECT_EQ(picture.pixelColor(63, 47), QColor(0, 128, 255));
    EXPECT_EQ(BoxOf(*w.Image3), QRect(2, 7, 120, 90));
    EXPECT_TRUE(platform.Beeps.empty());
}

INSTANTIATE_TEST_SUITE_P(Selection, ReadByContent, ::testing::Values("picture.png", "picture.tga"));

TEST_F(Selection, BitmapsAreReadByTheirExtensionAndDrawnOpaque)
{
    Put(std::string(PhotoFolder) + "/PICTURE.BMP", Fixture("picture.bmp"));
    Put(std::string(PhotoFolder) + "/GREEN.BMP", Fixture("green-alpha0.bmp"));
    auto& w = OpenOn(dkPhoto);
    Select("PICTURE.BMP");
    EXPECT_TRUE(w.Image1->isHidden());
    EXPECT_FALSE(w.Image3->isHidden());
    EXPECT_EQ(w.Image3->PictureSize(), QSize(40, 30));
    EXPECT_EQ(BoxOf(*w.Image3), QRect(2, 7, 120, 90));
    // The fourth byte of a 32-bit bitmap is not alpha.
    Select("GREEN.BMP");
    EXPECT_EQ(w.Image3->Picture().pixelColor(1, 1), QColor(0, 255, 0, 255));
    EXPECT_TRUE(platform.Beeps.empty());
}

TEST_F(Selection, UnreadablePicturesBeepAndShowTheMissingPlaceholder)
{
    Put(std::string(PhotoFolder) + "/BROKEN.JPG", "neither JPEG nor anything else");
    Put(std::string(PhotoFolder) + "/CUT.JPG", Fixture("portrait-1200x1600.jpg").substr(0, 4000));
    Put(std::string(PhotoFolder) + "/EMPTY.BMP", Fixture("zero-width.bmp"));
    Put(std::string(Mpeg4Folder) + "/M4V09999.MP4");
    Put(std::string(Mpeg4Folder) + "/M4V09999.THM", "not a thumbnail");
    auto& w = OpenOn(dkPhoto);
    for (const char* name : {"BROKEN.JPG", "CUT.JPG", "EMPTY.BMP"}) {
        platform.Beeps.clear();
        Select(name);
        EXPECT_EQ(platform.Beeps, std::vector<unsigned>{0}) << name;
        EXPECT_FALSE(w.Image1->isHidden()) << name;
        EXPECT_TRUE(w.Image3->isHidden()) << name;
        EXPECT_EQ(w.Image1->Picture(), w.Image2->Picture()) << name;
        EXPECT_EQ(BoxOf(*w.Image1), QRect(2 + 12, 7, 95, 90)) << name; // 17 x 16
    }
    EXPECT_TRUE(platform.Dialogs.empty());

    w.DestKind = dkMpeg4;
    w.RefreshLibrary();
    platform.Beeps.clear();
    Select("M4V09999.MP4");
    EXPECT_EQ(platform.Beeps, std::vector<unsigned>{0});
    EXPECT_EQ(w.Image1->Picture(), w.Image2->Picture());
}

TEST_F(Selection, UnselectingClearsTheDetails)
{
    Put(std::string(PhotoFolder) + "/A.JPG", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkPhoto);
    Select("A.JPG");
    ASSERT_FALSE(w.Image1->isHidden());
    w.ListView1->clearSelection();
    EXPECT_EQ(w.Label7->text(), "選択ファイル:");
    EXPECT_EQ(w.Label8->text(), "");
    EXPECT_TRUE(w.Image1->isHidden());
    EXPECT_TRUE(w.Image3->isHidden());
}

class PlayAndDelete : public SelectionWindowFixture {
protected:
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(window->ListView1, &press);
    }
    bool OnStick(const std::string& relative) const { return std::filesystem::exists(temp / "E" / relative); }
    std::vector<std::string> DialogTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& dialog : platform.Dialogs)
            texts.push_back(dialog.Text);
        return texts;
    }
};

TEST_F(PlayAndDelete, PlayOpensTheFileInTheHomeFolderOnlyWhenItExists)
{
    Put(std::string(PhotoFolder) + "/A.JPG", Fixture("thumb-160x120.jpg"));
    Put(std::string(PhotoFolder) + "/B.JPG", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkPhoto);
    w.BitBtn2->click();
    EXPECT_TRUE(platform.Opened.empty()); // nothing selected
    Select("A.JPG");
    w.BitBtn2->click();
    ASSERT_EQ(platform.Opened.size(), 1u);
    EXPECT_EQ(platform.Opened[0].Path, "E:\\PSP\\PHOTO\\A.JPG");
    EXPECT_EQ(platform.Opened[0].WorkingFolder, QDir::homePath().toStdString());
    // Double-click shows the row and plays it.
    Select("B.JPG");
    emit w.ListView1->itemDoubleClicked(w.ListView1->currentItem(), 0);
    ASSERT_EQ(platform.Opened.size(), 2u);
    EXPECT_EQ(platform.Opened[1].Path, "E:\\PSP\\PHOTO\\B.JPG");
    // A file gone from the stick: nothing happens.
    std::filesystem::remove(temp / "E" / PhotoFolder / "B.JPG");
    w.BitBtn2->click();
    EXPECT_EQ(platform.Opened.size(), 2u);
    EXPECT_TRUE(platform.Dialogs.empty());
}

TEST_F(PlayAndDelete, OnlyALeftDoubleClickPlays)
{
    Put(std::string(PhotoFolder) + "/A.JPG", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkPhoto);
    QWidget* viewport = w.ListView1->viewport();
    const QPoint at = w.ListView1->visualItemRect(w.ListView1->topLevelItem(0)).center();
    const auto doubleClick = [&](Qt::MouseButton button) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
            QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        }
    };
    doubleClick(Qt::RightButton);
    doubleClick(Qt::MiddleButton);
    EXPECT_EQ(w.Label7->text(), "選択ファイル: A.JPG - 1 MB");
    EXPECT_TRUE(platform.Opened.empty());
    doubleClick(Qt::LeftButton);
    ASSERT_EQ(platform.Opened.size(), 1u);
    EXPECT_EQ(platform.Opened[0].Path, "E:\\PSP\\PHOTO\\A.JPG");
}

TEST_F(PlayAndDelete, EnterAndDeleteWorkWithShiftOrCtrlHeld)
{
    Put(std::string(PhotoFolder) + "/A.JPG", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkPhoto);
    // As during a transfer: the buttons are disabled, the keys still work.
    w.BitBtn2->setEnabled(false);
    w.BitBtn3->setEnabled(false);
    Select("A.JPG");
    Press(Qt::Key_Return, Qt::ShiftModifier);
    Press(Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(platform.Opened.size(), 2u);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    Select("A.JPG");
    Press(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(DialogTexts(), (std::vector<std::string>{"A.JPG を削除しますか?", "A.JPG を削除しますか?"}));
    EXPECT_TRUE(OnStick(std::string(PhotoFolder) + "/A.JPG")); // answered No
}

TEST_F(PlayAndDelete, DeleteAnsweredNoKeepsTheFileButRefreshes)
{
    Put(std::string(Mpeg4Folder) + "/M4V09999.MP4", Video(u"夏休み"));
    auto& w = OpenOn(dkMpeg4);
    Select("M4V09999.MP4");
    platform.DialogAnswers = {TModalResult::mrNo};
    platform.SetFreeSpace('E', 7 * 1048576);
    w.BitBtn3->click();
    EXPECT_EQ(platform.Beeps, std::vector<unsigned>{48});
    ASSERT_EQ(platform.Dialogs.size(), 1u);
    EXPECT_EQ(platform.Dialogs[0].Kind, TDialogKind::dkWarningYesNo);
    EXPECT_EQ(platform.Dialogs[0].Text, "M4V09999.MP4 を削除しますか?");
    EXPECT_TRUE(OnStick(std::string(Mpeg4Folder) + "/M4V09999.MP4"));
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 1);
    EXPECT_TRUE(w.ListView1->selectedItems().isEmpty());
    EXPECT_EQ(w.Label7->text(), "選択ファイル: ");
    EXPECT_EQ(w.Label5->text(), "空き容量: 7 MB");
}

TEST_F(PlayAndDelete, DeletingAVideoTakesItsThmWhateverItsCase)
{
    Put(std::string(Mpeg4Folder) + "/M4V09998.MP4", Video(u"a"));
    Put(std::string(Mpeg4Folder) + "/M4V09999.MP4", Video(u"b"));
    Put(std::string(Mpeg4Folder) + "/m4v09999.thm", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkMpeg4);
    Select("M4V09999.MP4");
    platform.DialogAnswers = {TModalResult::mrYes};
    platform.SetFreeSpace('E', 3 * 1048576);
    w.BitBtn3->click();
    EXPECT_FALSE(OnStick(std::string(Mpeg4Folder) + "/M4V09999.MP4"));
    EXPECT_FALSE(OnStick(std::string(Mpeg4Folder) + "/m4v09999.thm"));
    EXPECT_EQ(Captions(), std::vector<std::string>{"M4V09998.MP4"});
    EXPECT_EQ(w.Label5->text(), "空き容量: 3 MB");
    EXPECT_EQ(platform.Beeps, std::vector<unsigned>{48});
}

TEST_F(PlayAndDelete, DeletingAPhotoLeavesAThmBesideIt)
{
    Put(std::string(PhotoFolder) + "/X.JPG", Fixture("thumb-160x120.jpg"));
    Put(std::string(PhotoFolder) + "/X.THM", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkPhoto);
    Select("X.JPG");
    platform.DialogAnswers = {TModalResult::mrYes};
    w.BitBtn3->click();
    EXPECT_FALSE(OnStick(std::string(PhotoFolder) + "/X.JPG"));
    EXPECT_TRUE(OnStick(std::string(PhotoFolder) + "/X.THM"));
    EXPECT_EQ(Captions(), std::vector<std::string>{"X.THM"});
}

TEST_F(PlayAndDelete, AFailedDeleteIsReportedAndKeepsTheThm)
{
    Put(std::string(Mpeg4Folder) + "/M4V09999.MP4", Video(u"b"));
    Put(std::string(Mpeg4Folder) + "/M4V09999.THM", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkMpeg4);
    Select("M4V09999.MP4");
    platform.DialogAnswers = {TModalResult::mrYes};
    platform.FailWhen = [](const std::string& operation, const std::string&) { return operation == "DeleteFile"; };
    w.BitBtn3->click();
    EXPECT_EQ(platform.Beeps, (std::vector<unsigned>{48, 16}));
    ASSERT_EQ(platform.Dialogs.size(), 2u);
    EXPECT_EQ(platform.Dialogs[1].Kind, TDialogKind::dkErrorOk);
    EXPECT_EQ(platform.Dialogs[1].Text,
              "M4V09999.MP4 を削除出来ませんでした. ファイルは使用中の可能性があります.");
    EXPECT_TRUE(OnStick(std::string(Mpeg4Folder) + "/M4V09999.MP4"));
    EXPECT_TRUE(OnStick(std::string(Mpeg4Folder) + "/M4V09999.THM"));
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 1);
    EXPECT_TRUE(w.ListView1->selectedItems().isEmpty());
}

TEST_F(PlayAndDelete, NothingHappensWithoutASelectionOrForAVanishedFile)
{
    Put(std::string(PhotoFolder) + "/A.JPG", Fixture("thumb-160x120.jpg"));
    auto& w = OpenOn(dkPhoto);
    w.BitBtn3->click();
    Select("A.JPG");
    std::filesystem::remove(temp / "E" / PhotoFolder / "A.JPG");
    w.BitBtn3->click();
    EXPECT_TRUE(platform.Dialogs.empty());
    EXPECT_TRUE(platform.Beeps.empty());
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 1); // no refresh
}

} // namespace
} // namespace vidlark::test
