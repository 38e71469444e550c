// Drop intake: dropped files sorted into the queue by kind, their folders
// checked, the job checked against the free space, and the transfer run with
// the window in its busy state.

#include "app/TTovan_Form1.h"

#include "media/FileNames.h"
#include "transfer/TransferQueue.h"
#include "media/VideoCodec.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>
#include <QWindow>

#include <exception>
#include <limits>

namespace vidlark {

namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// The native paths of the local files among the dropped URLs, in drop order.
std::vector<std::string> LocalFilePaths(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return paths;
}

void KeepOnTop(QWidget& window, bool onTop)
{
    // Through the window handle: QWidget::setWindowFlag would re-create and
    // hide the window. Display servers without the state ignore it.
    if (QWindow* handle = window.windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
}

// The window's busy state for the life of one drop: entered on construction,
// left on destruction, so it is left also when a failure passes.
class TDropBusyState {
public:
    explicit TDropBusyState(TTovan_Form1& window) : W(window)
    {
        W.DropBusy = true;
        W.setAcceptDrops(false);
        KeepOnTop(W, true);
        W.Timer1->stop();
        W.Label2->setEnabled(false);
        W.Label7->setEnabled(false);
        W.Label8->setEnabled(false);
        W.Button2->setEnabled(false);
        W.CloseAllowed = false;
        W.DriveComboBox1->setEnabled(false);
        W.SpeedButton1->setEnabled(false);
        W.BitBtn2->setEnabled(false);
        W.BitBtn3->setEnabled(false);
        W.Animate1->SetActive(true);
        W.Animate1->show();
        W.Label3->clear();
    }
    TDropBusyState(const TDropBusyState&) = delete;
    TDropBusyState& operator=(const TDropBusyState&) = delete;
    ~TDropBusyState()
    {
        W.Gauge1->setValue(0);
        W.ListBox1->clear();
        KeepOnTop(W, false);
        W.setAcceptDrops(true);
        W.Label2->setEnabled(true);
        W.Label7->setEnabled(true);
        W.Label8->setEnabled(true);
        W.Button2->setEnabled(true);
        W.CloseAllowed = true;
        W.DriveComboBox1->setEnabled(true);
        W.BitBtn2->setEnabled(true);
        W.BitBtn3->setEnabled(true);
        try {
            W.ShowLibraryPane(W.LibraryOpen);
        } catch (const std::exception& e) {
            // A destructor cannot pass it on; report it as the event's failure.
            W.Platform.ShowFailureBox(e.what());
        }
        W.SpeedButton1->setEnabled(true);
        W.Animate1->SetActive(false);
        W.Animate1->hide();
        W.Timer1->start();
        W.DropBusy = false;
    }

private:
    TTovan_Form1& W;
};

} // namespace

void TTovan_Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DropBusy && !DropQueued && !LocalFilePaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TTovan_Form1::dropEvent(QDropEvent* event)
{
    if (DropBusy || DropQueued)
        return;
    std::vector<std::string> names = LocalFilePaths(event->mimeData());
    if (names.empty())
        return;
    event->acceptProposedAction();
    // The drag ends now; the drop is handled from the event queue, so no
    // dialog opens while the file manager still waits for it.
    DropQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this, names = std::move(names)] {
            DropQueued = false;
            Guarded([&] { WMDropFiles(names); });
        },
        Qt::QueuedConnection);
}

void TTovan_Form1::WMDropFiles(const std::vector<std::string>& names)
{
    TDropBusyState busy(*this);

    int mpeg4Count = 0;
    int musicCount = 0;
    int photoCount = 0;
    int avcCount = 0;
    for (const std::string& name : names) {
        const std::string ext = UpperCaseAscii(ExtensionOf(name));
        if (ext == ".MP4") {
            if (VideoCodecOf(name) == "MP4V")
                ++mpeg4Count;
            else
                ++avcCount;
        } else if (ext == ".MP3") {
            ++musicCount;
        } else if (ext == ".JPG") {
            ++photoCount;
        } else {
            continue;
        }
        AppendToQueue(*ListBox1, name);
    }
    repaint();

    const bool readyMpeg4 = EnsureDestDir(CurMpeg4Dir, mpeg4Count, "Mpeg4動画ファイル用");
    const bool readyMusic = EnsureDestDir("PSP\\MUSIC\\", musicCount, "PSP音楽ファイル用");
    const bool readyPhoto = EnsureDestDir("PSP\\PHOTO\\", photoCount, "PSPフォトファイル用");
    const bool readyAvc = EnsureDestDir(CurAvcDir, avcCount, "AVC動画ファイル用");

    const int queued = ListBox1->count();
    bool go = queued > 0 && (readyMpeg4 || readyMusic || readyPhoto || readyAvc);
    if (go) {
        SumSourceSizes(queued);
        QueryFreeSpace(DriveRoot);
        if (JobBytes > FreeBytes) {
            Platform.MessageBeep(16);
            Label3->setText(Text("エラー"));
            Platform.ShowMessageDialog(TDialogKind::dkErrorOk,
                                       "設定ドライブ(" + UpperCaseAscii(DriveRoot) + ")の空き容量が足りません.");
            Label3->clear();
            go = false;
        }
    }
    if (go)
        RunTransfer(queued, readyMpeg4, readyMusic, readyPhoto, readyAvc);
}

bool TTovan_Form1::EnsureDestDir(const std::string& folder, int count, const std::string& kindLabel)
{
    if (count <= 0)
        return true;
    if (Platform.DirectoryExists(DriveRoot + folder))
        return true;
    Platform.MessageBeep(16);
    const std::string prompt = "設定ドライブ( " + UpperCaseAscii(DriveRoot) + " )に " + kindLabel + "ディレクトリ( "
        + folder + " )が存在しません. 作成しますか？";
    Label3->setText(Text("エラー"));
    const bool created = Platform.ShowMessageDialog(TDialogKind::dkWarningYesNo, prompt) == TModalResult::mrYes
        && Platform.ForceDirectories(DriveRoot + folder);
    Label3->clear();
    return created;
}

void TTovan_Form1::SumSourceSizes(int count)
{
    JobBytes = 0;
    for (int i = 0; i < count && i < ListBox1->count(); ++i) {
        const std::string path = QueuedPath(*ListBox1, i);
        const std::string name = FileNameOf(path);
        const std::string folder = FolderOf(path);
        // Wildcards in the name itself would match others: list all then.
        const bool plainName = name.find_first_of("*?") == std::string::npos;
        for (const TSearchRec& rec : Platform.FindFiles(folder.empty() ? "." : folder, plainName ? name : "*")) {
            if (rec.Name == name && !rec.IsDirectory && !rec.Hidden && !rec.System) {
                if (__builtin_add_overflow(JobBytes, rec.Size, &JobBytes))
                    JobBytes = std::numeric_limits<std::int64_t>::max(); // too large for any drive
                break;
            }
        }
    }
}

} // namespace vidlark
