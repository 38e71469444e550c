// The destination folders, the folder menu, the drive and its free space.
#include "app/TTovan_Form1.h"

#include "app/FolderCaptions.h"
#include "platform/CopyLeftovers.h"

#include <cctype>
#include <chrono>
#include <limits>
#include <set>

namespace vidlark {

namespace {
const std::string MusicDir = "PSP\\MUSIC\\";
const std::string PhotoDir = "PSP\\PHOTO\\";
constexpr std::int64_t Mebibyte = 1048576;
} // namespace

std::string TTovan_Form1::CurrentDestDir() const
{
    switch (DestKind) {
    case dkMusic: return MusicDir;
    case dkPhoto: return PhotoDir;
    case dkAvc: return CurAvcDir;
    case dkMpeg4: break;
    }
    return CurMpeg4Dir;
}

QAction* TTovan_Form1::SlotEntry(int number) const
{
    QAction* const entries[] = {Dir1, Dir2, Dir3, Dir4, Dir5, Dir6, Dir7, Dir8, Dir9};
    return entries[number];
}

void TTovan_Form1::Dir1Click(QAction* sender)
{
    sender->setChecked(true);
    const int tag = sender->data().toInt();
    std::string hint;
    if (tag >= 0 && tag <= 7) {
        DestKind = dkMpeg4;
        SlotEntry(DirNo)->setText(SlotCaption(DirNo, Mpeg4Dirs[DirNo], false));
        CurMpeg4Dir = Mpeg4Dirs[tag];
        DirNo = tag;
        SlotEntry(tag)->setText(SlotCaption(tag, CurMpeg4Dir, true));
        hint = CurMpeg4Dir;
    } else if (tag == 8) {
        DestKind = dkAvc;
        hint = CurAvcDir;
    } else if (tag == 9) {
        DestKind = dkMusic;
        hint = MusicDir;
    } else {
        DestKind = dkPhoto;
        hint = PhotoDir;
    }
    Panel1->setToolTip(QString::fromStdString(hint));
    DriveComboBox1Change();
}

void TTovan_Form1::DriveComboBox1Change()
{
    DriveRoot = std::string(1, DriveComboBox1->Drive()) + ":\\";
    SweepCopyLeftovers();
    ShowFreeSpace(DriveRoot);
    ShowLibraryPane(LibraryOpen);
    SpeedButton1->setEnabled(Platform.DirectoryExists(DriveRoot + CurrentDestDir()));
}

void TTovan_Form1::SweepCopyLeftovers()
{
    const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(DriveRoot.front())));
    if (drive == sweptDrive_)
        return;
    sweptDrive_ = drive;
    // Files a copy is still writing are younger than a minute; a copy of the
    // program on another display may be writing to the same stick.
    const auto writtenBefore = std::chrono::system_clock::now() - std::chrono::minutes(1);
    std::set<std::filesystem::path> swept;
    auto sweep = [&](const std::string& folder) {
        const auto native = Platform.ResolvePath(DriveRoot + folder);
        if (native && swept.insert(*native).second)
            RemoveCopyLeftovers(*native, Platform.CopyCalls(), writtenBefore);
    };
    for (const std::string& folder : Mpeg4Dirs)
        sweep(folder);
    for (const std::string& folder : {CurAvcDir, MusicDir, PhotoDir})
        sweep(folder);
}

std::int32_t TTovan_Form1::QueryFreeSpace(const std::string& root)
{
    int driveNumber = 0;
    if (!root.empty()) {
        char letter = root.front();
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
        driveNumber = letter - 'A' + 1;
    }
    const std::int64_t bytes = Platform.DiskFree(driveNumber);
    FreeBytes = bytes < 0 ? -1 : bytes;
    if (FreeBytes == -1)
        return -1;
    return static_cast<std::int32_t>(std::min<std::int64_t>(FreeBytes / Mebibyte, std::numeric_limits<std::int32_t>::max()));
}

void TTovan_Form1::ShowFreeSpace(const std::string& root)
{
    const std::int32_t mebibytes = QueryFreeSpace(root);
    Label5->setText(mebibytes == -1 ? QStringLiteral("空き容量: **** MB")
                                    : QStringLiteral("空き容量: ") + QString::number(mebibytes) + QStringLiteral(" MB"));
}

} // namespace vidlark
