// Drops and transfers through the real window on the fake platform, with
// real files: drive E is a temporary folder, the sources lie beside it.

#include "tests/app/WindowFixture.h"
#include "tests/transfer/TransferTestFiles.h"
#include "platform/CopyTarget.h"
#include "transfer/BlockCopy.h"
#include "tests/support/SmallTmpfs.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>

#include <sys/stat.h>
#include <unistd.h>

namespace vidlark {
namespace {

using test::NamesIn;
using test::PatternBytes;
using test::VideoBytes;
using test::WriteFile;

const std::string WarningPromptMpeg4 =
    "設定ドライブ( E:\\ )に Mpeg4動画ファイル用ディレクトリ( MP_ROOT\\100MNV01\\ )が存在しません. 作成しますか？";

// What the busy state switches, read at one moment.
struct TBusySnapshot {
    bool DropBusy, AcceptsDrops, OnTop, TimerRunning, Label2, Label7, Label8, Button2, CloseAllowed,
        DriveSelector, FolderButton, Play, Delete, Animating, AnimationShown, Cancel, Queue, Library;

    static TBusySnapshot Of(TTovan_Form1& w)
    {
        const QWindow* handle = w.windowHandle();
        return {w.DropBusy,
                w.acceptDrops(),
                handle && handle->flags().testFlag(Qt::WindowStaysOnTopHint),
                w.Timer1->isActive(),
                w.Label2->isEnabled(),
                w.Label7->isEnabled(),
                w.Label8->isEnabled(),
                w.Button2->isEnabled(),
                w.CloseAllowed,
                w.DriveComboBox1->isEnabled(),
                w.SpeedButton1->isEnabled(),
                w.BitBtn2->isEnabled(),
                w.BitBtn3->isEnabled(),
                w.Animate1->Active(),
                w.Animate1->isVisible(),
                w.Cancel->isEnabled(),
                w.ListBox1->isEnabled(),
                w.ListView1->isEnabled()};
    }
    void ExpectBusy() const
    {
        EXPECT_TRUE(DropBusy);
        EXPECT_FALSE(AcceptsDrops);
        EXPECT_TRUE(OnTop);
        EXPECT_FALSE(TimerRunning);
        EXPECT_FALSE(Label2 || Label7 || Label8 || Button2 || CloseAllowed);
        EXPECT_FALSE(DriveSelector || FolderButton || Play || Delete);
        EXPECT_TRUE(Animating && AnimationShown);
        EXPECT_TRUE(Cancel && Queue && Library);
    }
    void ExpectIdle() const
    {
        EXPECT_FALSE(DropBusy);
        EXPECT_TRUE(AcceptsDrops);
        EXPECT_FALSE(OnTop);
        EXPECT_TRUE(TimerRunning);
        EXPECT_TRUE(Label2 && Label7 && Label8 && Button2 && CloseAllowed);
        EXPECT_TRUE(DriveSelector && FolderButton && Play && Delete);
        EXPECT_FALSE(Animating || AnimationShown);
    }
};

class DropTransfer : public WindowFixture {
protected:
    void SetUp() override
    {
        WriteSettings("[Drive]\nDrv=E\n");
        Open();
        ASSERT_EQ(window->DriveRoot, "E:\\");
    }

    std::filesystem::path Stick(const std::string& relative = {}) const { return temp / "E" / relative; }
    std::string Source(const std::string& name, const std::vector<char>& bytes) const
    {
        WriteFile(temp / "src" / name, bytes);
        return (temp / "src" / name).string();
    }
    std::string Mpeg4(const std::string& name, std::size_t size = 1000) const
    {
        return Source(name, VideoBytes("mp4v", size));
    }
    void Drop(const std::vector<std::string>& names)
    {
        window->Guarded([&] { window->WMDropFiles(names); });
    }
    std::string Status() const { return window->Label3->text().toStdString(); }
    std::vector<std::string> DialogTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& d : platform.Dialogs)
            texts.push_back(d.Text);
        return texts;
    }
    // Clicks Cancel in the first message handling during which a copy into
    // the folder is under way (its temporary file exists).
    void CancelWhileCopyingInto(const std::filesystem::path& folder)
    {
        platform.OnProcessMessages = [this, folder] {
            if (window->CancelRequested || !std::filesystem::exists(folder))
                return;
            for (const auto& name : NamesIn(folder)) {
                if (TCopyTarget::IsTemporaryName(name))
                    window->Cancel->click();
            }
        };
    }
    void MakeAllFolders()
    {
        MakeFolder("MP_ROOT/100MNV01");
        MakeFolder("MP_ROOT/101ANV01");
        MakeFolder("PSP/MUSIC");
        MakeFolder("PSP/PHOTO");
    }
};

// --- intake ---------------------------------------------------------------

TEST_F(DropTransfer, OnlyUnsupportedFilesQueueNothing)
{
    MakeAllFolders();
    std::filesystem::create_directories(temp / "src" / "clips");
    Drop({Source("a.AVI", PatternBytes(10)), Source("b.JPEG", PatternBytes(10)), Source("c.MPG", PatternBytes(10)),
          (temp / "src" / "clips").string()});
    EXPECT_TRUE(platform.Dialogs.empty());
    EXPECT_TRUE(platform.Beeps.empty());
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(window->ListBox1->count(), 0);
    TBusySnapshot::Of(*window).ExpectIdle();
}

TEST_F(DropTransfer, ExtensionsMatchInAnyCaseAndQueueInDropOrder)
{
    MakeAllFolders();
    const auto video = Mpeg4("clip.mp4");
    const auto song = Source("Song.Mp3", PatternBytes(3000, 2));
    const auto photo = Source("PIC.jpg", PatternBytes(2000, 3));
    std::vector<std::string> queueAtFirstPump;
    platform.OnProcessMessages = [&] {
        if (!queueAtFirstPump.empty() || window->ListBox1->count() == 0)
            return;
        for (int i = 0; i < window->ListBox1->count(); ++i)
            queueAtFirstPump.push_back(window->ListBox1->item(i)->text().toStdString());
    };
    Drop({video, Source("notes.txt", PatternBytes(5)), song, photo});
    // The video has been taken off the queue by then.
    EXPECT_EQ(queueAtFirstPump, (std::vector<std::string>{song, photo}));
    EXPECT_TRUE(platform.Dialogs.empty());
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/100MNV01/M4V09999.MP4")), test::ReadFile(video));
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/Song.Mp3")), test::ReadFile(song));
    EXPECT_EQ(test::ReadFile(Stick("PSP/PHOTO/PIC.jpg")), test::ReadFile(photo));
    EXPECT_EQ(Status(), "コピー完了");
    EXPECT_EQ(platform.Beeps, std::vector<unsigned>{64});
    EXPECT_EQ(window->ListBox1->count(), 0);
}

TEST_F(DropTransfer, AvcAndUnopenableVideosGoToTheAvcFolder)
{
    MakeFolder("MP_ROOT/100MNV01");
    const auto avc = Source("h264.MP4", VideoBytes("avc1", 500));
    const auto bare = Source("bare.mp4", PatternBytes(300)); // no profile at all
    std::filesystem::create_directories(temp / "src" / "folder.MP4");
    platform.DialogAnswers = {TModalResult::mrYes};
    Drop({avc, bare, (temp / "src" / "folder.MP4").string()});
    ASSERT_EQ(DialogTexts().size(), 2u);
    EXPECT_EQ(DialogTexts()[0], "設定ドライブ( E:\\ )に AVC動画ファイル用ディレクトリ( MP_ROOT\\101ANV01\\ )が存在しません. 作成しますか？");
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/101ANV01/MAQ09999.MP4")), test::ReadFile(avc));
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/101ANV01/MAQ09998.MP4")), test::ReadFile(bare));
    // The folder counted as a video; its copy is the one that failed.
    EXPECT_EQ(DialogTexts()[1], "ファイルのコピーに失敗しました.");
    EXPECT_EQ(Status(), "コピー失敗");
    EXPECT_EQ(NamesIn(Stick("MP_ROOT/101ANV01")), (std::vector<std::string>{"MAQ09998.MP4", "MAQ09999.MP4"}));
}

TEST_F(DropTransfer, MissingFolderAnsweredNoSkipsItsFilesAnsweredYesCreatesIt)
{
    const auto video = Mpeg4("a.mp4");
    platform.DialogAnswers = {TModalResult::mrNo};
    Drop({video});
    EXPECT_EQ(DialogTexts(), std::vector<std::string>{WarningPromptMpeg4});
    EXPECT_EQ(platform.Dialogs[0].Kind, TDialogKind::dkWarningYesNo);
    EXPECT_FALSE(std::filesystem::exists(Stick("MP_ROOT/100MNV01")));
    EXPECT_EQ(platform.Beeps, (std::vector<unsigned>{16, 64}));
    EXPECT_EQ(Status(), "コピー完了");

    platform.Dialogs.clear();
    platform.Beeps.clear();
    platform.DialogAnswers = {TModalResult::mrYes};
    Drop({video});
    EXPECT_EQ(DialogTexts(), std::vector<std::string>{WarningPromptMpeg4});
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/100MNV01/M4V09999.MP4")), test::ReadFile(video));
    EXPECT_EQ(Status(), "コピー完了");
}

TEST_F(DropTransfer, AllFourKindsRefusedMeansNoTransfer)
{
    platform.SetFreeSpace('E', 0); // a transfer would be refused with a message
    Drop({Mpeg4("a.mp4"), Source("b.mp4", VideoBytes("avc1", 100)), Source("c.mp3", PatternBytes(10)),
          Source("d.jpg", PatternBytes(10))});
    const std::vector<std::string> prompts = DialogTexts();
    ASSERT_EQ(prompts.size(), 4u);
    EXPECT_EQ(prompts[0], WarningPromptMpeg4);
    EXPECT_NE(prompts[1].find("PSP音楽ファイル用ディレクトリ( PSP\\MUSIC\\ )"), std::string::npos);
    EXPECT_NE(prompts[2].find("PSPフォトファイル用ディレクトリ( PSP\\PHOTO\\ )"), std::string::npos);
    EXPECT_NE(prompts[3].find("AVC動画ファイル用"), std::string::npos);
    EXPECT_EQ(platform.Beeps, (std::vector<unsigned>{16, 16, 16, 16}));
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(window->ListBox1->count(), 0);
}

TEST_F(DropTransfer, JobMayFillTheFreeSpaceExactlyButNotOneByteMore)
{
    MakeAllFolders();
    const auto song = Source("a.mp3", PatternBytes(5000));
    std::filesystem::create_directories(temp / "src" / "dir.MP3"); // adds nothing to the job
    platform.SetFreeSpace('E', 4999);
    Drop({song, (temp / "src" / "dir.MP3").string()});
    EXPECT_EQ(window->JobBytes, 5000);
    EXPECT_EQ(DialogTexts(), std::vector<std::string>{"設定ドライブ(E:\\)の空き容量が足りません."});
    EXPECT_EQ(platform.Dialogs[0].Kind, TDialogKind::dkErrorOk);
    EXPECT_EQ(platform.Beeps, std::vector<unsigned>{16});
    EXPECT_EQ(Status(), "");
    EXPECT_TRUE(NamesIn(Stick("PSP/MUSIC")).empty());
    EXPECT_EQ(window->ListBox1->count(), 0);

    platform.Dialogs.clear();
    platform.SetFreeSpace('E', 5000);
    Drop({song, (temp / "src" / "dir.MP3").string()});
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/a.mp3")), test::ReadFile(song));
    // The folder's copy failed.
    EXPECT_EQ(DialogTexts(), std::vector<std::string>{"ファイルのコピーに失敗しました."});
    EXPECT_EQ(Status(), "コピー失敗");
}

TEST_F(DropTransfer, ArrivesThroughTheDropEventAndRunsFromTheQueue)
{
    MakeAllFolders();
    const auto song = Source("夏の歌.mp3", PatternBytes(100));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(song)), QUrl("http://127.0.0.1/x.mp3")});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    // A second drop before the first is handled would run inside its message
    // handling: it is refused.
    QDragEnterEvent secondEnter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &secondEnter);
    EXPECT_FALSE(secondEnter.isAccepted());
    QDropEvent secondDrop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &secondDrop);
    EXPECT_FALSE(secondDrop.isAccepted());
    // Handled only once the event queue runs.
    EXPECT_FALSE(window->DropBusy);
    EXPECT_FALSE(std::filesystem::exists(Stick("PSP/MUSIC/夏の歌.mp3")));
    QApplication::processEvents();
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/夏の歌.mp3")), test::ReadFile(song));
    EXPECT_EQ(Status(), "コピー完了");
    EXPECT_EQ(platform.Beeps, std::vector<unsigned>{64}); // one transfer only
}

// --- the run --------------------------------------------------------------

TEST_F(DropTransfer, SuccessiveVideosCountDownWithTheirThumbnails)
{
    MakeAllFolders();
    const auto a = Mpeg4("trip.mp4", 3 * CopyBlockSize);
    const auto thumb = Source("TRIP.thm", PatternBytes(700, 5));
    const auto b = Mpeg4("b.MP4");
    const auto c = Mpeg4("c.mp4");
    Drop({a, b, c});
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/100MNV01/M4V09999.MP4")), test::ReadFile(a));
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/100MNV01/M4V09999.THM")), test::ReadFile(thumb));
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/100MNV01/M4V09998.MP4")), test::ReadFile(b));
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/100MNV01/M4V09997.MP4")), test::ReadFile(c));
    EXPECT_EQ(NamesIn(Stick("MP_ROOT/100MNV01")),
              (std::vector<std::string>{"M4V09997.MP4", "M4V09998.MP4", "M4V09999.MP4", "M4V09999.THM"}));
    EXPECT_EQ(window->DestKind, dkMpeg4);
    EXPECT_EQ(window->CopiedBytes, 0);
    EXPECT_EQ(Status(), "コピー完了");
}

TEST_F(DropTransfer, JobUnderOneMiBKeepsTheGaugeAtZeroWhenItsSidecarPassesIt)
{
    MakeAllFolders();
    const auto video = Mpeg4("short.mp4", 900 * 1024);
    Source("short.THM", PatternBytes(300 * 1024, 3));
    int highest = 0;
    platform.OnProcessMessages = [&] { highest = std::max(highest, window->Gauge1->value()); };
    Drop({video});
    EXPECT_EQ(Status(), "コピー完了");
    EXPECT_TRUE(std::filesystem::exists(Stick("MP_ROOT/100MNV01/M4V09999.THM")));
    EXPECT_EQ(highest, 0);
}

TEST_F(DropTransfer, RefusedKindIsCountedButNotCopied)
{
    MakeFolder("PSP/MUSIC");
    const auto song = Source("s.mp3", PatternBytes(10));
    std::vector<std::string> counters;
    platform.OnProcessMessages = [&] {
        const auto text = window->Label4->text().toStdString();
        if (!text.empty() && (counters.empty() || counters.back() != text))
            counters.push_back(text);
    };
    platform.DialogAnswers = {TModalResult::mrNo};
    Drop({Source("p.jpg", PatternBytes(10)), song});
    EXPECT_EQ(counters, (std::vector<std::string>{"をコピー中です (1/2)", "をコピー中です (2/2)"}));
    EXPECT_FALSE(std::filesystem::exists(Stick("PSP/PHOTO")));
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/s.mp3")), test::ReadFile(song));
    EXPECT_EQ(window->Label4->text().toStdString(), "");
    EXPECT_EQ(Status(), "コピー完了");
}

TEST_F(DropTransfer, ZeroByteSourceIsCopiedWithItsTime)
{
    MakeAllFolders();
    const auto empty = Source("empty.jpg", {});
    test::SetLastWrite(empty, 1700000001, 0);
    Drop({empty});
    EXPECT_TRUE(std::filesystem::exists(Stick("PSP/PHOTO/empty.jpg")));
    EXPECT_EQ(std::filesystem::file_size(Stick("PSP/PHOTO/empty.jpg")), 0u);
    EXPECT_EQ(test::LastWrite(Stick("PSP/PHOTO/empty.jpg")), 1700000000);
    EXPECT_EQ(Status(), "コピー完了");
}

TEST_F(DropTransfer, PipesNamedLikeMediaFailTheirCopiesInsteadOfWaitingForAWriter)
{
    MakeAllFolders();
    std::filesystem::create_directories(temp / "src");
    const std::string video = (temp / "src" / "pipe.mp4").string();
    const std::string music = (temp / "src" / "pipe.mp3").string();
    ASSERT_EQ(::mkfifo(video.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(music.c_str(), 0600), 0);
    Drop({video});
    EXPECT_EQ(Status(), "コピー失敗");
    EXPECT_TRUE(NamesIn(Stick("MP_ROOT/101ANV01")).empty());
    Drop({music});
    EXPECT_EQ(Status(), "コピー失敗");
    EXPECT_TRUE(NamesIn(Stick("PSP/MUSIC")).empty());
    EXPECT_FALSE(window->DropBusy);
}

TEST_F(DropTransfer, AfterTheSecondOfThreeFailsTheThirdIsNotTried)
{
    MakeAllFolders();
    std::filesystem::create_directories(temp / "src" / "two.mp3");
    Drop({Source("one.mp3", PatternBytes(10)), (temp / "src" / "two.mp3").string(), Source("three.mp3", PatternBytes(10))});
    EXPECT_EQ(NamesIn(Stick("PSP/MUSIC")), std::vector<std::string>{"one.mp3"});
    EXPECT_EQ(DialogTexts(), std::vector<std::string>{"ファイルのコピーに失敗しました."});
    EXPECT_EQ(platform.Beeps, std::vector<unsigned>{16});
    EXPECT_EQ(Status(), "コピー失敗");
}

TEST_F(DropTransfer, MusicFileOfTheSameNameIsReplacedAndNamesAreMadeFatSafe)
{
    MakeAllFolders();
    WriteFile(Stick("PSP/MUSIC/song.mp3"), PatternBytes(100, 1));
    const auto song = Source("song.mp3", PatternBytes(CopyBlockSize + 5, 2));
    const auto odd = Source("Ep 1: Pilot?.mp3", PatternBytes(10, 3));
    Drop({song, odd});
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/song.mp3")), test::ReadFile(song));
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/Ep 1_ Pilot_.mp3")), test::ReadFile(odd));
    EXPECT_EQ(NamesIn(Stick("PSP/MUSIC")), (std::vector<std::string>{"Ep 1_ Pilot_.mp3", "song.mp3"}));
}

TEST_F(DropTransfer, ChangedNamesThatMeetAFileTakeTheFirstFreeNumberedName)
{
    MakeAllFolders();
    WriteFile(Stick("PSP/MUSIC/X_.mp3"), PatternBytes(50, 1));
    const auto first = Source("a:b?.mp3", PatternBytes(100, 2));
    const auto second = Source("a?b:.mp3", PatternBytes(100, 3));
    const auto third = Source("a|b*.mp3", PatternBytes(100, 4));
    const auto onOld = Source("x?.MP3", PatternBytes(100, 5)); // FAT ignores the letter case
    Drop({first, second, third, onOld});
    EXPECT_EQ(Status(), "コピー完了");
    EXPECT_TRUE(platform.Dialogs.empty());
    EXPECT_EQ(NamesIn(Stick("PSP/MUSIC")),
              (std::vector<std::string>{"X_.mp3", "a_b_.mp3", "a_b_~1.mp3", "a_b_~2.mp3", "x_~1.MP3"}));
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/a_b_.mp3")), test::ReadFile(first));
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/a_b_~1.mp3")), test::ReadFile(second));
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/a_b_~2.mp3")), test::ReadFile(third));
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/x_~1.MP3")), test::ReadFile(onOld));
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/X_.mp3")), PatternBytes(50, 1));
}

TEST_F(DropTransfer, AFileThatTakesTheChangedNameDuringTheCopyIsNotReplaced)
{
    MakeAllFolders();
    const auto photo = Source("p?.jpg", PatternBytes(2 * CopyBlockSize, 2));
    // Another program writes it while the copy is under way.
    platform.OnProcessMessages = [this] {
        const auto names = NamesIn(Stick("PSP/PHOTO"));
        if (names.size() == 1 && TCopyTarget::IsTemporaryName(names.front()))
            WriteFile(Stick("PSP/PHOTO/p_.jpg"), PatternBytes(50, 1));
    };
    Drop({photo});
    EXPECT_EQ(Status(), "コピー失敗");
    EXPECT_EQ(test::ReadFile(Stick("PSP/PHOTO/p_.jpg")), PatternBytes(50, 1));
    EXPECT_EQ(NamesIn(Stick("PSP/PHOTO")), std::vector<std::string>{"p_.jpg"});
}

// --- cancel and failures: the old file stays, nothing else is left ---------

TEST_F(DropTransfer, CancelDuringTheFirstOfThree)
{
    MakeAllFolders();
    WriteFile(Stick("PSP/MUSIC/a.mp3"), PatternBytes(100, 1));
    CancelWhileCopyingInto(Stick("PSP/MUSIC"));
    Drop({Source("a.mp3", PatternBytes(4 * CopyBlockSize, 2)), Source("b.mp3", PatternBytes(10)),
          Source("c.jpg", PatternBytes(10))});
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/a.mp3")), PatternBytes(100, 1));
    EXPECT_EQ(NamesIn(Stick("PSP/MUSIC")), std::vector<std::string>{"a.mp3"});
    EXPECT_TRUE(NamesIn(Stick("PSP/PHOTO")).empty());
    EXPECT_EQ(platform.Beeps, std::vector<unsigned>{64});
    EXPECT_TRUE(platform.Dialogs.empty());
    EXPECT_EQ(Status(), "コピーを中止しました");
    EXPECT_EQ(window->ListBox1->count(), 0);
}

TEST_F(DropTransfer, CancelWhileTheLastBlockIsHandledStillRemovesTheCopy)
{
    MakeAllFolders();
    WriteFile(Stick("MP_ROOT/100MNV01/M4V09999.THM"), PatternBytes(50, 1)); // an orphan thumbnail
    const auto video = Mpeg4("v.mp4", 1000);
    CancelWhileCopyingInto(Stick("MP_ROOT/100MNV01")); // its only block is the last
    Drop({video});
    EXPECT_TRUE(window->CancelRequested);
    EXPECT_EQ(NamesIn(Stick("MP_ROOT/100MNV01")), std::vector<std::string>{"M4V09999.THM"});
    EXPECT_EQ(test::ReadFile(Stick("MP_ROOT/100MNV01/M4V09999.THM")), PatternBytes(50, 1));
    EXPECT_EQ(Status(), "コピーを中止しました");
}

TEST_F(DropTransfer, InjectedSyncOrRenameFailureFailsTheCopy)
{
    MakeAllFolders();
    WriteFile(Stick("PSP/PHOTO/p.jpg"), PatternBytes(100, 1));
    const auto photo = Source("p.jpg", PatternBytes(CopyBlockSize * 2, 2));
    for (int TInjectedFileCalls::*fault : {&TInjectedFileCalls::FsyncError, &TInjectedFileCalls::RenameError,
                                           &TInjectedFileCalls::SyncRangeError}) {
        platform.CopyFaults = {};
        platform.CopyFaults.*fault = EIO;
        platform.Dialogs.clear();
        Drop({photo});
        EXPECT_EQ(DialogTexts(), std::vector<std::string>{"ファイルのコピーに失敗しました."});
        EXPECT_EQ(Status(), "コピー失敗");
        EXPECT_EQ(test::ReadFile(Stick("PSP/PHOTO/p.jpg")), PatternBytes(100, 1));
        EXPECT_EQ(NamesIn(Stick("PSP/PHOTO")), std::vector<std::string>{"p.jpg"});
    }
}

TEST_F(DropTransfer, FullStickFailsTheCopyAndKeepsTheOldFile)
{
    const auto mountPoint = Stick();
    const TSmallTmpfs smallDisk(mountPoint);
    if (!smallDisk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    MakeAllFolders();
    WriteFile(Stick("PSP/MUSIC/big.mp3"), PatternBytes(100, 1));
    platform.SetFreeSpace('E', 1ll << 40); // the free-space check believes it fits
    Drop({Source("big.mp3", PatternBytes(3 * CopyBlockSize, 2))});
    EXPECT_EQ(Status(), "コピー失敗");
    EXPECT_EQ(test::ReadFile(Stick("PSP/MUSIC/big.mp3")), PatternBytes(100, 1));
    EXPECT_EQ(NamesIn(Stick("PSP/MUSIC")), std::vector<std::string>{"big.mp3"});
}

// --- busy state -----------------------------------------------------------

TEST_F(DropTransfer, BusyWhileTransferringIdleAfterwardsWithTheFolderButtonEnabled)
{
    MakeAllFolders();
    // The library pane is open on a folder that the transfer's end finds gone:
    // the pane closes and the folder button still ends enabled.
    window->LibraryOpen = true;
    window->DestKind = dkMusic;
    std::optional<TBusySnapshot> during;
    platform.OnProcessMessages = [&] {
        if (!during && window->DropBusy) {
            during = TBusySnapshot::Of(*window);
            std::filesystem::remove_all(Stick("PSP/MUSIC"));
        }
    };
    Drop({Source("p.jpg", PatternBytes(10))});
    ASSERT_TRUE(during);
    during->ExpectBusy();
    TBusySnapshot::Of(*window).ExpectIdle();
    EXPECT_FALSE(window->LibraryOpen);
    EXPECT_EQ(window->DestKind, dkMusic);
}

TEST_F(DropTransfer, BusyStateIsLeftWhenAFailurePasses)
{
    MakeAllFolders();
    platform.OnProcessMessages = [&] {
        if (window->DropBusy)
            throw EVidlarkError("boom");
    };
    Drop({Source("p.jpg", PatternBytes(10)), Source("q.jpg", PatternBytes(10))});
    platform.OnProcessMessages = nullptr;
    EXPECT_EQ(platform.FailureBoxes.size(), 1u);
    TBusySnapshot::Of(*window).ExpectIdle();
    EXPECT_EQ(window->ListBox1->count(), 0);
    EXPECT_EQ(window->CopiedBytes, 0);
    EXPECT_EQ(window->Gauge1->value(), 0);
}

} // namespace
} // namespace vidlark
