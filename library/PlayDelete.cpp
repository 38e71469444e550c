// Playing and deleting the library list's selected file.
#include "app/TTovan_Form1.h"

#include "library/SelectedRow.h"
#include "media/FileNames.h"

#include <QDir>

namespace vidlark {

void TTovan_Form1::BitBtn2Click()
{
    const std::optional<TSelectedRow> row = SelectedRow(*ListView1);
    if (!row)
        return;
    const std::string path = DriveRoot + CurrentDestDir() + row->Name;
    // The player starts in the user's home folder; whether it starts is not looked at.
    if (Platform.FileExists(path))
        Platform.OpenWithAssociatedProgram(path, QDir::homePath().toStdString());
}

void TTovan_Form1::BitBtn3Click()
{
    const std::optional<TSelectedRow> row = SelectedRow(*ListView1);
    if (!row)
        return;
    // Fixed before the prompt: while it waits, other handlers may list
    // another folder or drive.
    const std::string folder = DriveRoot + CurrentDestDir();
    const std::string path = folder + row->Name;
    const bool video = DestKind == dkMpeg4 || DestKind == dkAvc;
    if (!Platform.FileExists(path))
        return;

    Platform.MessageBeep(48);
    if (Platform.ShowMessageDialog(TDialogKind::dkWarningYesNo, row->Name + " を削除しますか?") == TModalResult::mrYes) {
        const bool deleted = Platform.DeleteFile(path);
        if (!deleted) {
            Platform.MessageBeep(16);
            Platform.ShowMessageDialog(TDialogKind::dkErrorOk,
                                       row->Name + " を削除出来ませんでした. ファイルは使用中の可能性があります.");
        }
        // A video's thumbnail goes with it; a failure here is not reported.
        const std::string thumbnail = folder + ExtractBaseName(row->Name) + ".THM";
        if (video && deleted && Platform.FileExists(thumbnail))
            Platform.DeleteFile(thumbnail);
    }
    RefreshLibrary();
    ShowFreeSpace(DriveRoot);
}

} // namespace vidlark
