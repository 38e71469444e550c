#include "platform/FakePlatform.h"

#include "platform/FreeSpace.h"

#include <QCoreApplication>

#include <cctype>

namespace vidlark {

void TFakePlatform::MapDrive(char letter, const std::filesystem::path& folder, const std::string& label)
{
    drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = TFakeDrive{folder, label, std::nullopt};
}

void TFakePlatform::UnmapDrive(char letter)
{
    drives_.erase(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
}

void TFakePlatform::SetFreeSpace(char letter, std::int64_t bytes)
{
    drives_.at(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))).FreeBytes = bytes;
}

void TFakePlatform::NotifyMountsChanged()
{
    if (mountWatcher_)
        mountWatcher_();
}

bool TFakePlatform::ShouldFail(const std::string& operation, const std::string& path) const
{
    return FailWhen && FailWhen(operation, path);
}

TModalResult TFakePlatform::ShowMessageDialog(TDialogKind kind, const std::string& text)
{
    Dialogs.push_back({kind, text});
    if (DialogAnswers.empty())
        return kind == TDialogKind::dkWarningYesNo ? TModalResult::mrNo : TModalResult::mrOk;
    const TModalResult answer = DialogAnswers.front();
    DialogAnswers.pop_front();
    return answer;
}

void TFakePlatform::MessageBeep(unsigned type)
{
    Beeps.push_back(type);
}

void TFakePlatform::ShowFailureBox(const std::string& text)
{
    FailureBoxes.push_back(FailureBoxText(text));
}

void TFakePlatform::ShowWarningBox(const std::string& text)
{
    WarningBoxes.push_back(text);
}

void TFakePlatform::ProcessMessages()
{
    ++ProcessMessagesCalls;
    if (OnProcessMessages)
        OnProcessMessages();
    QCoreApplication::processEvents();
}

bool TFakePlatform::OpenWithAssociatedProgram(const std::string& path, const std::filesystem::path& workingFolder)
{
    if (ShouldFail("OpenWithAssociatedProgram", path))
        return false;
    Opened.push_back({path, workingFolder});
    return true;
}

std::vector<TDriveEntry> TFakePlatform::ListDrives()
{
    std::vector<TDriveEntry> list;
    for (const auto& [letter, drive] : drives_)
        list.push_back({letter, drive.Label, drive.Folder});
    return list;
}

std::int64_t TFakePlatform::DiskFree(int driveNumber)
{
    if (driveNumber < 1 || driveNumber > 26)
        return -1;
    const auto it = drives_.find(static_cast<char>('A' + driveNumber - 1));
    if (it == drives_.end())
        return -1;
    if (it->second.FreeBytes)
        return *it->second.FreeBytes;
    return AvailableBytes(it->second.Folder);
}

void TFakePlatform::WatchMounts(std::function<void()> onChange)
{
    mountWatcher_ = std::move(onChange);
}

bool TFakePlatform::ForceDirectories(const std::string& path)
{
    return !ShouldFail("ForceDirectories", path) && TLocalPlatform::ForceDirectories(path);
}

bool TFakePlatform::DeleteFile(const std::string& path)
{
    return !ShouldFail("DeleteFile", path) && TLocalPlatform::DeleteFile(path);
}

std::filesystem::path TFakePlatform::SettingsPath()
{
    return SettingsFile;
}

bool TFakePlatform::SaveSettings(const TProfileFile& settings)
{
    return !ShouldFail("SaveSettings", SettingsFile.string()) && TLocalPlatform::SaveSettings(settings);
}

std::optional<std::filesystem::path> TFakePlatform::DriveFolder(char letter)
{
    const auto it = drives_.find(letter);
    if (it == drives_.end())
        return std::nullopt;
    return it->second.Folder;
}

} // namespace vidlark
