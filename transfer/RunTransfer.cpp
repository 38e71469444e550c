// The transfer run: the queue copied file by file into the folders of their
// kinds, videos under device names with their thumbnails.

#include "app/TTovan_Form1.h"

#include "media/FileNames.h"
#include "transfer/Gauge.h"
#include "transfer/Sidecar.h"
#include "transfer/TransferQueue.h"
#include "media/VideoCodec.h"

#include <string>

namespace vidlark {

namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// Restores DestKind and the run's counters also when a failure leaves the run.
class TRunScope {
public:
    explicit TRunScope(TTovan_Form1& window) : Window(window), SavedKind(window.DestKind) {}
    TRunScope(const TRunScope&) = delete;
    TRunScope& operator=(const TRunScope&) = delete;
    ~TRunScope()
    {
        if (Finished)
            return;
        Window.DestKind = SavedKind;
        Window.Label4->clear();
        Window.CopiedBytes = 0;
    }
    TDestKind Saved() const { return SavedKind; }
    void Finish() { Finished = true; }

private:
    TTovan_Form1& Window;
    TDestKind SavedKind;
    bool Finished = false;
};

} // namespace

void TTovan_Form1::RunTransfer(int count, bool allowMpeg4, bool allowMusic, bool allowPhoto, bool allowAvc)
{
    ResetGauge(*Gauge1, JobBytes);
    bool ok = true;
    CancelRequested = false;
    TRunScope scope(*this);

    for (int i = 0; i < count; ++i) {
        SourceFile = TakeFirstQueued(*ListBox1);
        const std::string baseName = ExtractBaseName(SourceFile);
        const std::string ext = ExtensionOf(SourceFile);
        Label3->setText(Text(baseName + ext));
        Label4->setText(Text("をコピー中です (" + std::to_string(i + 1) + "/" + std::to_string(count) + ")"));

        const std::string kind = UpperCaseAscii(ext);
        if (kind == ".MP4") {
            // Kept for this file: RefreshLibrary reads other files' profiles.
            const std::string codec = VideoCodecOf(SourceFile);
            const bool mpeg4 = codec == "MP4V";
            if (mpeg4 ? allowMpeg4 : allowAvc) {
                DestKind = mpeg4 ? dkMpeg4 : dkAvc;
                RefreshLibrary();
                ok = TransferVideo(ok, baseName, codec);
            }
        } else if (kind == ".MP3" && allowMusic) {
            DestKind = dkMusic;
            RefreshLibrary();
            ok = TransferPlain(ok, "PSP\\MUSIC\\", baseName, ext);
        } else if (kind == ".JPG" && allowPhoto) {
            DestKind = dkPhoto;
            RefreshLibrary();
            ok = TransferPlain(ok, "PSP\\PHOTO\\", baseName, ext);
        }
        ShowFreeSpace(DriveRoot);
        Platform.ProcessMessages();
    }

    DestKind = scope.Saved();
    RefreshLibrary();
    Label4->clear();

    if (ok && !CancelRequested) {
        Platform.MessageBeep(64);
        Label3->setText(Text("コピー完了"));
    } else if (CancelRequested) {
        Platform.MessageBeep(64);
        Label3->setText(Text("コピーを中止しました"));
    } else {
        Platform.MessageBeep(16);
        Platform.ShowMessageDialog(TDialogKind::dkErrorOk, "ファイルのコピーに失敗しました.");
        Label3->setText(Text("コピー失敗"));
    }
    CopiedBytes = 0;
    scope.Finish();
}

bool TTovan_Form1::TransferVideo(bool ok, const std::string& baseName, const std::string& codec)
{
    const bool named = NextVideoName(codec);
    Platform.ProcessMessages();
    if (!ok || CancelRequested)
        return ok;
    // No free number: fail rather than overwrite a video.
    if (!named)
        return false;
    ok = CopyWithProgress(SourceFile, DestStem + ".MP4");
    if (ok && !CancelRequested) {
        if (const auto sidecar = FindSidecar(Platform, SourceFile, baseName))
            ok = CopyWithProgress(*sidecar, DestStem + ".THM");
    }
    return ok;
}

bool TTovan_Form1::TransferPlain(bool ok, const std::string& folder, const std::string& baseName,
                                 const std::string& ext)
{
    if (!ok || CancelRequested)
        return ok;
    const std::string destination = DriveRoot + folder;
    const std::string wanted = baseName + ext;
    const std::string safe = FatSafeName(wanted);
    // The user's own name replaces a file of that name, as asked. A name we
    // changed must not: it may fold two different files into one.
    if (safe == wanted)
        return CopyWithProgress(SourceFile, destination + wanted);
    const auto variant = FreeVariantName(safe, [&](const std::string& name) {
        return Platform.FileExists(destination + name) || Platform.DirectoryExists(destination + name);
    });
    return variant && CopyWithProgress(SourceFile, destination + *variant, false);
}

} // namespace vidlark
