#pragma once
// The platform on a Linux desktop: Qt dialogs, the desktop's event sounds,
// volumes from the mount table, files on the native file system.

#include "platform/DriveLetters.h"
#include "platform/LocalPlatform.h"

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace vidlark {

class TQtPlatform : public TLocalPlatform {
public:
    TQtPlatform();
    ~TQtPlatform() override;

    TModalResult ShowMessageDialog(TDialogKind kind, const std::string& text) override;
    void MessageBeep(unsigned type) override;
    void ShowFailureBox(const std::string& text) override;
    void ShowWarningBox(const std::string& text) override;
    void ProcessMessages() override;
    bool OpenWithAssociatedProgram(const std::string& path,
                                   const std::filesystem::path& workingFolder) override;
    std::vector<TDriveEntry> ListDrives() override;
    std::int64_t DiskFree(int driveNumber) override;
    void WatchMounts(std::function<void()> onChange) override;
    std::filesystem::path SettingsPath() override;
    TProfileFile LoadSettings() override;

protected:
    std::optional<std::filesystem::path> DriveFolder(char letter) override;

private:
    void ReadMounts();
    std::filesystem::path SettingsBesideProgram() const;

    TDriveLetters letters_;
    struct TSound;
    std::unique_ptr<TSound> sound_;
    int mountsFd_ = -1;
    std::unique_ptr<QSocketNotifier> mountsNotifier_;
};

} // namespace vidlark
