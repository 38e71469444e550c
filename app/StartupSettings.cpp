// Start-up and close of the window: the settings file and the window state.
#include "app/TTovan_Form1.h"

#include "app/FolderCaptions.h"

namespace vidlark {

namespace {

const std::string DefaultMpeg4Dir = "MP_ROOT\\100MNV01\\";
const std::string DefaultAvcDir = "MP_ROOT\\101ANV01\\";

std::string SlotKey(int slot)
{
    return slot == 0 ? std::string("Dir") : "Dir" + std::to_string(slot);
}

void CompleteFolder(std::string& folder)
{
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
}

} // namespace

void TTovan_Form1::FormCreate()
{
    const TProfileFile settings = Platform.LoadSettings();
    const std::string drive = settings.ReadString("Drive", "Drv", "C");
    for (int slot = 0; slot < 8; ++slot)
        Mpeg4Dirs[slot] = settings.ReadString("Directory", SlotKey(slot), DefaultMpeg4Dir);
    DirNo = settings.ReadInteger("Directory", "DirNo", 0);
    AvcDir = settings.ReadString("Directory", "AVCDir", DefaultAvcDir);

    for (int slot = 0; slot < 8; ++slot) {
        CompleteFolder(Mpeg4Dirs[slot]);
        SlotEntry(slot)->setText(SlotCaption(slot, Mpeg4Dirs[slot], false));
    }
    CompleteFolder(AvcDir);
    SlotEntry(8)->setText(SlotCaption(8, AvcDir, false));
    Dir10->setText(QStringLiteral("(&A) PSP\\MUSIC\\"));
    Dir11->setText(QStringLiteral("(&B) PSP\\PHOTO\\"));

    if (DirNo < 0 || DirNo > 7)
        DirNo = 0;
    CurMpeg4Dir = Mpeg4Dirs[DirNo];
    CurAvcDir = AvcDir;
    SlotEntry(DirNo)->setChecked(true);
    SlotEntry(DirNo)->setText(SlotCaption(DirNo, CurMpeg4Dir, true));

    char letter = drive.empty() ? 'C' : drive.front();
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z')
        letter = 'C';
    DriveComboBox1->SetDrive(letter);
    DriveRoot = std::string(1, letter) + ":\\";
    ShowFreeSpace(DriveRoot);
    SweepCopyLeftovers();

    JobBytes = 1;
    CopiedBytes = 0;
    CloseAllowed = true;
    DropBusy = false;
    LibraryOpen = false;
    resize(416, height());
    Timer1->setInterval(3000);
    Timer1->start();
    Image1->hide();
    Image3->hide();
    Panel1->setToolTip(QString::fromStdString(CurMpeg4Dir));
    DestKind = dkMpeg4;
}

void TTovan_Form1::FormClose()
{
    Timer1->stop();
    TProfileFile settings = Platform.LoadSettings();
    settings.WriteString("Drive", "Drv", DriveRoot);
    for (int slot = 0; slot < 8; ++slot)
        settings.WriteString("Directory", SlotKey(slot), Mpeg4Dirs[slot]);
    settings.WriteInteger("Directory", "DirNo", DirNo);
    settings.WriteString("Directory", "AVCDir", AvcDir);
    if (!Platform.SaveSettings(settings))
        throw EVidlarkError(Platform.SettingsPath().string() + " に書き込めません");
}

} // namespace vidlark
