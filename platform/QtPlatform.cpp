#include "platform/QtPlatform.h"

#include "platform/FreeSpace.h"
#include "platform/TextFile.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <canberra.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <system_error>

namespace vidlark {

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The volume label udev gives the device, if any ("\x20" escapes undone).
std::string LabelOf(const std::string& device)
{
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec)
        return {};
    for (fs::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        if (fs::canonical(it->path(), linkError) != target || linkError)
            continue;
        const std::string name = it->path().filename().string();
        std::string label;
        for (std::size_t i = 0; i < name.size(); ++i) {
            unsigned byte = 0;
            // udev escapes bytes as \xNN; anything else is taken as it stands.
            if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size()
                && std::from_chars(name.data() + i + 2, name.data() + i + 4, byte, 16).ptr == name.data() + i + 4) {
                label += static_cast<char>(byte);
                i += 3;
            } else {
                label += name[i];
            }
        }
        return label;
    }
    return {};
}

const char* SoundOf(unsigned type)
{
    switch (type) {
    case 16: return "dialog-error";
    case 48: return "dialog-warning";
    case 64: return "complete";
    default: return "bell";
    }
}

} // namespace

struct TQtPlatform::TSound {
    ca_context* Context = nullptr;
    TSound()
    {
        if (ca_context_create(&Context) != CA_SUCCESS)
            Context = nullptr;
    }
    ~TSound()
    {
        if (Context)
            ca_context_destroy(Context);
    }
};

TQtPlatform::TQtPlatform() : sound_(std::make_unique<TSound>()) {}

TQtPlatform::~TQtPlatform()
{
    mountsNotifier_.reset();
    if (mountsFd_ >= 0)
        ::close(mountsFd_);
}

TModalResult TQtPlatform::ShowMessageDialog(TDialogKind kind, const std::string& text)
{
    const bool warning = kind == TDialogKind::dkWarningYesNo;
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Critical,
                    warning ? QStringLiteral("警告") : QStringLiteral("エラー"), Q(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // file names may hold "<"
    if (warning) {
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes ? TModalResult::mrYes : TModalResult::mrNo;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return TModalResult::mrOk;
}

void TQtPlatform::MessageBeep(unsigned type)
{
    if (!sound_->Context
        || ca_context_play(sound_->Context, 0, CA_PROP_EVENT_ID, SoundOf(type), nullptr) != CA_SUCCESS)
        QApplication::beep();
}

void TQtPlatform::ShowFailureBox(const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vidlark"), Q(FailureBoxText(text)), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TQtPlatform::ShowWarningBox(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), Q(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TQtPlatform::ProcessMessages()
{
    QCoreApplication::processEvents();
}

bool TQtPlatform::OpenWithAssociatedProgram(const std::string& path, const fs::path& workingFolder)
{
    const auto native = ResolvePath(path);
    if (!native)
        return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {Q(native->string())}, Q(workingFolder.string()));
}

void TQtPlatform::ReadMounts()
{
    const auto table = ReadTextFile("/proc/self/mounts");
    std::vector<TVolume> volumes;
    if (table) {
        for (auto& entry : ParseMountTable(*table)) {
            if (!IsRemovableMountPoint(entry.MountPoint))
                continue;
            struct stat st;
            if (::stat(entry.MountPoint.c_str(), &st) != 0)
                continue;
            volumes.push_back({static_cast<std::uint64_t>(st.st_dev), entry.MountPoint, entry.Device});
        }
    }
    letters_.Update(std::move(volumes));
}

std::optional<fs::path> TQtPlatform::DriveFolder(char letter)
{
    ReadMounts();
    return letters_.FolderOf(letter);
}

std::vector<TDriveEntry> TQtPlatform::ListDrives()
{
    ReadMounts();
    std::vector<TDriveEntry> drives{{'C', {}, "/"}};
    for (const auto& [letter, volume] : letters_.Present())
        drives.push_back({letter, LabelOf(volume.Device), volume.MountPoint});
    return drives;
}

std::int64_t TQtPlatform::DiskFree(int driveNumber)
{
    if (driveNumber < 1 || driveNumber > 26)
        return -1;
    const auto folder = DriveFolder(static_cast<char>('A' + driveNumber - 1));
    return folder ? AvailableBytes(*folder) : -1;
}

void TQtPlatform::WatchMounts(std::function<void()> onChange)
{
    mountsNotifier_.reset();
    if (mountsFd_ < 0)
        mountsFd_ = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
    if (mountsFd_ < 0)
        return;
    mountsNotifier_ = std::make_unique<QSocketNotifier>(mountsFd_, QSocketNotifier::Exception);
    QObject::connect(mountsNotifier_.get(), &QSocketNotifier::activated, mountsNotifier_.get(),
                     [this, onChange = std::move(onChange)] {
                         // The change stays signalled until the table is read again.
                         char buffer[4096];
                         ::lseek(mountsFd_, 0, SEEK_SET);
                         while (::read(mountsFd_, buffer, sizeof buffer) > 0) {
                         }
                         onChange();
                     });
}

fs::path TQtPlatform::SettingsBesideProgram() const
{
    fs::path path = QCoreApplication::applicationFilePath().toStdString();
    path.replace_extension(".ini");
    return path;
}

fs::path TQtPlatform::SettingsPath()
{
    const fs::path beside = SettingsBesideProgram();
    // The file is replaced by a rename, so it is the folder that must be writable.
    if (::access(beside.parent_path().c_str(), W_OK) == 0)
        return beside;
    const fs::path folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString();
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder / beside.filename();
}

TProfileFile TQtPlatform::LoadSettings()
{
    const fs::path path = SettingsPath();
    auto bytes = ReadTextFile(path);
    std::error_code ec;
    // The first run from the user's folder takes over the one beside the program.
    if (!bytes && !fs::exists(path, ec))
        bytes = ReadTextFile(SettingsBesideProgram());
    return bytes ? TProfileFile::FromBytes(*bytes) : TProfileFile();
}

} // namespace vidlark
