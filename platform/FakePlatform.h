#pragma once
// The platform of the tests: dialogs answered from a script, sounds, dialogs
// and failure boxes recorded, drive letters mapped to folders, free space
// set per drive, an action run inside ProcessMessages, failures injected by
// operation name.

#include "platform/LocalPlatform.h"

#include <deque>
#include <map>

namespace vidlark {

class TFakePlatform : public TLocalPlatform {
public:
    struct TDialogRecord {
        TDialogKind Kind;
        std::string Text;
    };
    struct TOpenRecord {
        std::string Path;
        std::filesystem::path WorkingFolder;
    };

    // --- script -----------------------------------------------------------
    // Answers for the next dialogs, in order; when it runs out a warning is
    // answered No and an error OK.
    std::deque<TModalResult> DialogAnswers;
    // Run inside every ProcessMessages, before the real events are handled.
    std::function<void()> OnProcessMessages;
    // Set to fail an operation: called with the operation's name
    // ("ForceDirectories", "DeleteFile", "SaveSettings", "OpenWithAssociatedProgram"...)
    // and its path; true makes that call fail.
    std::function<bool(const std::string& operation, const std::string& path)> FailWhen;
    // The file that SettingsPath names (tests point it into a temporary folder).
    std::filesystem::path SettingsFile;

    // --- record -----------------------------------------------------------
    std::vector<TDialogRecord> Dialogs;
    std::vector<unsigned> Beeps;
    std::vector<std::string> FailureBoxes;   // as FailureBoxText made them
    std::vector<std::string> WarningBoxes;
    std::vector<TOpenRecord> Opened;
    int ProcessMessagesCalls = 0;

    // --- drives -----------------------------------------------------------
    // Drive letter -> folder standing in for its volume.
    void MapDrive(char letter, const std::filesystem::path& folder, const std::string& label = {});
    void UnmapDrive(char letter);
    // Bytes free on a drive; unset: the real free space of its folder.
    void SetFreeSpace(char letter, std::int64_t bytes);
    // Tells the mount watcher that the volumes changed.
    void NotifyMountsChanged();
    // True when FailWhen says this call fails.
    bool ShouldFail(const std::string& operation, const std::string& path) const;

    // --- TPlatform --------------------------------------------------------
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
    bool ForceDirectories(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    std::filesystem::path SettingsPath() override;
    bool SaveSettings(const TProfileFile& settings) override;

    // The copy engine's sync, rename and remove, each failable with an errno value.
    TInjectedFileCalls CopyFaults;
    TFileCalls& CopyCalls() override { return CopyFaults; }

protected:
    std::optional<std::filesystem::path> DriveFolder(char letter) override;

private:
    struct TFakeDrive {
        std::filesystem::path Folder;
        std::string Label;
        std::optional<std::int64_t> FreeBytes;
    };
    std::map<char, TFakeDrive> drives_;
    std::function<void()> mountWatcher_;
};

} // namespace vidlark
