#include "media/FileOpenError.h"
#include "tests/library/LibraryWindowFixture.h"

namespace vidlark::test {
namespace {

using TTexts = std::vector<std::string>;

const TTexts VideoHeaders = {"ファイル名", "サイズ", "タイトル", "横", "縦", "fps", "kbps", "codec"};
const TTexts PlainHeaders = {"ファイル名", "サイズ", "", "", "", "", "", ""};

class RefreshLibrary : public LibraryWindowFixture {};

TEST_F(RefreshLibrary, EmptyVideoFolderShowsItsPathAndResetsTheSelection)
{
    MakeFolder(Mpeg4Folder);
    auto& w = Open();
    w.Label7->setText("選択ファイル: OLD.MP4");
    w.Label8->setText("details");
    w.Image1->show();
    w.RefreshLibrary();
    EXPECT_EQ(w.Label6->text(), "E:\\MP_ROOT\\100MNV01\\");
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(Headers(), VideoHeaders);
    EXPECT_EQ(w.Label7->text(), "選択ファイル: ");
    EXPECT_EQ(w.Label8->text(), "");
    EXPECT_TRUE(w.Image1->isHidden());
    EXPECT_TRUE(w.Image3->isHidden());
}

TEST_F(RefreshLibrary, VideoRowsShowSizeTitleAndProfileInCaseBlindOrder)
{
    const std::string folder = std::string(Mpeg4Folder) + "/";
    TVprfFields avc;
    avc.Codec = "avc1";
    avc.FrameRate = 0x0017F9DB;  // 23.976
    avc.BitRate = 500;
    avc.Width = 320;
    avc.Height = 240;
    Put(folder + "M4V09999.MP4", Video(u"夏休み"));
    Put(folder + "clip.mp4", Video(u"clip", avc));
    Put(folder + "plain.MP4", "no boxes here");
    Put(folder + "ZERO.MP4");
    std::filesystem::resize_file(Put(folder + "BIG.MP4"), 5242880);
    Put(folder + ".hidden.MP4", Video(u"hidden"));
    Put(folder + "M4V09999.THM", "thumbnail");
    MakeFolder(folder + "FOLDER.MP4");
    auto& w = Open();
    w.RefreshLibrary();

    ASSERT_EQ(Captions(), (TTexts{"BIG.MP4", "clip.mp4", "M4V09999.MP4", "plain.MP4", "ZERO.MP4"}));
    EXPECT_EQ(Row(0), (TTexts{"BIG.MP4", "6 MB", "", "0", "0", "0.00", "0", ""}));
    EXPECT_EQ(Row(1), (TTexts{"clip.mp4", "1 MB", "clip", "320", "240", "23.98", "500", "AVC1"}));
    EXPECT_EQ(Row(2), (TTexts{"M4V09999.MP4", "1 MB", "夏休み", "480", "272", "30.00", "768", "MP4V"}));
    EXPECT_EQ(Row(3), (TTexts{"plain.MP4", "1 MB", "", "0", "0", "0.00", "0", ""}));
    EXPECT_EQ(Row(4), (TTexts{"ZERO.MP4", "1 MB", "", "0", "0", "0.00", "0", ""}));
    // The current profile is the last listed file's.
    EXPECT_EQ(w.VideoProfile, TVideoProfile());
    EXPECT_EQ(w.ListView1->selectedItems().size(), 0);
}

TEST_F(RefreshLibrary, MusicFolderListsEveryPlainFileWithoutVideoColumns)
{
    Put(std::string(Mpeg4Folder) + "/M4V09999.MP4", Video(u"video"));
    Put("PSP/MUSIC/song.mp3", "ID3");
    Put("PSP/MUSIC/cover.jpg", "jpeg");
    Put("PSP/MUSIC/README", "text");
    Put("PSP/MUSIC/.hidden", "x");
    Put("PSP/MUSIC/clip.MP4", Video(u"not read here"));
    MakeFolder("PSP/MUSIC/Album");
    auto& w = Open();
    w.RefreshLibrary();
    ASSERT_EQ(Headers(), VideoHeaders);
    w.DestKind = dkMusic;
    w.RefreshLibrary();
    EXPECT_EQ(w.Label6->text(), "E:\\PSP\\MUSIC\\");
    EXPECT_EQ(Headers(), PlainHeaders);
    ASSERT_EQ(Captions(), (TTexts{"clip.MP4", "cover.jpg", "README", "song.mp3"}));
    for (int row = 0; row < 4; ++row) {
        const TTexts texts = Row(row);
        EXPECT_EQ(texts[1], "1 MB");
        EXPECT_EQ(TTexts(texts.begin() + 2, texts.end()), TTexts(6, "")) << texts[0];
    }
}

TEST_F(RefreshLibrary, HeaderUpperCasesOnlyTheDriveLetterOrNamesTheMissingFolder)
{
    MakeFolder("MP_ROOT/100mnv01");
    auto& w = Open();
    w.DriveRoot = "e:\\";
    w.RefreshLibrary();
    EXPECT_EQ(w.Label6->text(), "E:\\MP_ROOT\\100MNV01\\");

    w.DestKind = dkAvc;
    w.RefreshLibrary();
    EXPECT_EQ(w.Label6->text(), "動画用ディレクトリが存在しません");
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 0);
    w.DestKind = dkMusic;
    w.RefreshLibrary();
    EXPECT_EQ(w.Label6->text(), "音楽用ディレクトリが存在しません");
    w.DestKind = dkPhoto;
    w.RefreshLibrary();
    EXPECT_EQ(w.Label6->text(), "フォト用ディレクトリが存在しません");
}

TEST_F(RefreshLibrary, AVideoThatCannotBeOpenedEndsTheRefreshWithTheOpenError)
{
    const std::string folder = std::string(Mpeg4Folder) + "/";
    Put(folder + "A.MP4", Video(u"first"));
    if (!MakeUnreadable(Put(folder + "B.MP4", Video(u"second"))))
        GTEST_SKIP() << "no way to make a file unreadable here";
    Put(folder + "C.MP4", Video(u"third"));
    auto& w = Open();
    const std::string error = "ファイル E:\\MP_ROOT\\100MNV01\\B.MP4 は開けません";
    try {
        w.RefreshLibrary();
        FAIL() << "no error";
    } catch (const EFileOpenError& failure) {
        EXPECT_EQ(failure.what(), error);
    }
    // The row of the file that failed has its caption only.
    ASSERT_EQ(Captions(), (TTexts{"A.MP4", "B.MP4"}));
    EXPECT_EQ(Row(0)[2], "first");
    EXPECT_EQ(Row(1)[1], "");

    // Opening the pane is an event: its guard shows the error in the box.
    w.SpeedButton1->click();
    EXPECT_TRUE(w.LibraryOpen);
    EXPECT_EQ(platform.FailureBoxes, TTexts{FailureBoxText(error)});
}

TEST_F(RefreshLibrary, AFileThatWentAfterTheFolderWasReadShowsNoDetails)
{
    const std::string folder = std::string(Mpeg4Folder) + "/";
    Put(folder + "A.MP4", Video(u"first"));
    const auto gone = Put(folder + "B.MP4", Video(u"gone"));
    Put(folder + "C.MP4", Video(u"third"));
    std::filesystem::resize_file(Put("PSP/MUSIC/gone.mp3"), 3 << 20);
    auto& w = Open();
    platform.OnProcessMessages = [&] { std::filesystem::remove(gone); };
    w.RefreshLibrary();
    ASSERT_EQ(Captions(), (TTexts{"A.MP4", "B.MP4", "C.MP4"}));
    EXPECT_EQ(Row(1), (TTexts{"B.MP4", "1 MB", "", "", "", "", "", ""}));
    EXPECT_EQ(Row(2)[2], "third");
    platform.OnProcessMessages = [&] { std::filesystem::remove(temp / "E/PSP/MUSIC/gone.mp3"); };
    w.DestKind = dkMusic;
    w.RefreshLibrary();
    ASSERT_EQ(Captions(), TTexts{"gone.mp3"});
    EXPECT_EQ(Row(0)[1], "1 MB");
}

TEST_F(RefreshLibrary, ARefreshStartedDuringARefreshWinsAndTheOlderOneAddsNothing)
{
    const std::string folder = std::string(Mpeg4Folder) + "/";
    for (const char* name : {"A.MP4", "B.MP4", "C.MP4", "D.MP4"})
        Put(folder + name, Video(u"v"));
    Put("PSP/MUSIC/one.mp3");
    auto& w = Open();
    int rowsSeen = 0;
    platform.OnProcessMessages = [&] {
        // Before the second video row: the user picks the music folder.
        if (++rowsSeen == 2) {
            w.DestKind = dkMusic;
            w.RefreshLibrary();
        }
    };
    w.RefreshLibrary();
    EXPECT_EQ(Captions(), TTexts{"one.mp3"});
    EXPECT_EQ(Headers(), PlainHeaders);
    EXPECT_EQ(w.Label6->text(), "E:\\PSP\\MUSIC\\");
    // The older refresh read nothing after it was overtaken.
    EXPECT_EQ(rowsSeen, 3);
}

} // namespace
} // namespace vidlark::test
